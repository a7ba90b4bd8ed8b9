#include "Platform/Foundation/OperationQueue.h"
#include "Platform/Foundation/Uuid.h"

#include "Platform/Dispatch/Dispatch.h"

#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QString>

#include <set>

using namespace Foundation;

TEST(Uuid, IsUpperCaseAndFresh)
{
    const QRegularExpression form("^[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}$");
    std::set<std::string> seen;
    for (int i = 0; i < 100; ++i) {
        const std::string uuid = uuidString();
        EXPECT_TRUE(form.match(QString::fromStdString(uuid)).hasMatch()) << uuid;
        seen.insert(uuid);
    }
    EXPECT_EQ(seen.size(), 100u);
}

TEST(OperationQueue, OneAtATimeRunsInOrderOffTheMainThread)
{
    OperationQueue queue;
    queue.setMaxConcurrentOperationCount(1);
    std::vector<int> order;
    std::atomic<int> inside{0};
    std::atomic<bool> overlapped{false}, onMain{false};
    for (int i = 0; i < 50; ++i)
        queue.addOperation([&, i] {
            if (++inside > 1)
                overlapped = true;
            if (Dispatch::isMainThread())
                onMain = true;
            order.push_back(i);
            --inside;
        });
    queue.waitUntilAllOperationsAreFinished();
    EXPECT_FALSE(overlapped);
    EXPECT_FALSE(onMain);
    ASSERT_EQ(order.size(), 50u);
    for (int i = 0; i < 50; ++i)
        EXPECT_EQ(order[i], i);
    EXPECT_EQ(queue.operationCount(), 0u);
}

TEST(OperationQueue, SeveralRunAtOnceUpToTheLimit)
{
    OperationQueue queue;
    queue.setMaxConcurrentOperationCount(3);
    std::mutex mutex;
    std::condition_variable cv;
    int inside = 0, most = 0;
    for (int i = 0; i < 3; ++i)
        queue.addOperation([&] {
            std::unique_lock lock(mutex);
            most = std::max(most, ++inside);
            cv.notify_all();
            // All three must be inside together, or this never ends.
            cv.wait(lock, [&] { return most == 3; });
        });
    queue.waitUntilAllOperationsAreFinished();
    EXPECT_EQ(most, 3);
}

TEST(OperationQueue, CancellingSkipsPendingAndTellsTheRunningOne)
{
    OperationQueue queue;
    queue.setMaxConcurrentOperationCount(1);
    Dispatch::Semaphore started(0), release(0);
    std::atomic<bool> sawCancel{false}, laterRan{false};
    OperationPtr first;
    first = queue.addOperation([&] {
        started.signal();
        release.wait();
        sawCancel = first->isCancelled();
    });
    auto later = queue.addOperation([&] { laterRan = true; });
    ASSERT_TRUE(started.wait(std::chrono::seconds(10)));
    queue.cancelAllOperations();
    release.signal();
    queue.waitUntilAllOperationsAreFinished();
    EXPECT_TRUE(sawCancel);
    EXPECT_FALSE(laterRan);
    EXPECT_TRUE(later->isCancelled());
    EXPECT_TRUE(later->isFinished());
    EXPECT_TRUE(first->isFinished());
}
