#include "Platform/Dispatch/Dispatch.h"
#include "tests/support/EventLoop.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

using namespace Dispatch;
using TestSupport::waitUntil;

TEST(MainQueue, RunsBlocksInPostingOrderOnTheMainThread)
{
    std::vector<int> order;
    std::atomic<bool> allOnMain{true};
    for (int i = 0; i < 200; ++i)
        mainQueue()->async([&, i] {
            allOnMain = allOnMain && isMainThread();
            order.push_back(i);
        });
    ASSERT_TRUE(waitUntil([&] { return order.size() == 200; }));
    for (int i = 0; i < 200; ++i)
        EXPECT_EQ(order[i], i);
    EXPECT_TRUE(allOnMain);
}

TEST(MainQueue, SyncFromAWorkerReturnsAfterTheBlockRanOnTheMainThread)
{
    std::atomic<bool> ranOnMain{false};
    std::atomic<bool> sawResultAfterReturn{false};
    std::atomic<bool> finished{false};
    globalQueue()->async([&] {
        bool value = false;
        mainQueue()->sync([&] {
            value = true;
            ranOnMain = isMainThread();
        });
        sawResultAfterReturn = value;
        finished = true;
    });
    ASSERT_TRUE(waitUntil([&] { return finished.load(); }));
    EXPECT_TRUE(ranOnMain);
    EXPECT_TRUE(sawResultAfterReturn);
}

TEST(MainQueueDeathTest, SyncOnTheMainThreadIsAProgrammingError)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(mainQueue()->sync([] {}), "main thread");
}

TEST(MainQueueDeathTest, WorkFinishingAfterTheApplicationEndedIsDropped)
{
    // A work thread may complete while the process exits; that must not
    // abort it or leave the worker waiting forever.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            mainQueue()->async([] {});
            // The test runner's application lives on its stack: end it in
            // place and leave without unwinding.
            QCoreApplication::instance()->~QCoreApplication();
            std::thread([] {
                mainQueue()->async([] {});
                mainQueue()->sync([] {});
            }).join();
            std::_Exit(0);
        },
        testing::ExitedWithCode(0), "");
}

TEST(GlobalQueue, JobsBlockedOnSemaphoresDoNotStarveALaterJob)
{
    // Shared so that no worker touches the test's stack after it returns.
    struct State {
        Semaphore gate{0};
        Semaphore ran{0};
        std::atomic<int> finished{0};
    };
    auto state = std::make_shared<State>();
    for (int i = 0; i < 32; ++i)
        globalQueue()->async([state] {
            state->gate.wait();
            ++state->finished;
        });
    globalQueue()->async([state] { state->ran.signal(); });
    EXPECT_TRUE(state->ran.wait(std::chrono::seconds(10)));
    EXPECT_EQ(state->finished.load(), 0);
    for (int i = 0; i < 32; ++i)
        state->gate.signal();
    EXPECT_TRUE(waitUntil([&] { return state->finished.load() == 32; }));
}

TEST(SerialQueue, RunsOneBlockAtATimeInOrder)
{
    auto queue = makeSerialQueue("test.serial");
    std::mutex mutex;
    std::vector<int> order;
    std::atomic<int> inside{0};
    std::atomic<bool> overlapped{false};
    for (int i = 0; i < 100; ++i)
        queue->async([&, i] {
            if (++inside > 1)
                overlapped = true;
            {
                std::lock_guard lock(mutex);
                order.push_back(i);
            }
            --inside;
        });
    queue->sync([] {});
    std::lock_guard lock(mutex);
    ASSERT_EQ(order.size(), 100u);
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(order[i], i);
    EXPECT_FALSE(overlapped);
}

TEST(Once, RunsExactlyOnceUnderContention)
{
    static OnceToken token;
    std::atomic<int> calls{0};
    std::vector<std::thread> threads;
    for (int i = 0; i < 16; ++i)
        threads.emplace_back([&] { once(token, [&] { ++calls; }); });
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(calls.load(), 1);
}
