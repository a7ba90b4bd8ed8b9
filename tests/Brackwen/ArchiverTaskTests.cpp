#include "Brackwen/ArchiverTaskImpl.h"
#include "Brackwen/ZODArchiverError.h"
#include "tests/support/EventLoop.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

using Brackwen::ArchiverTaskImpl;

namespace {

struct Counts {
    std::atomic<int> works{0};
    std::atomic<int> completions{0};
    std::atomic<int64_t> lastCode{-1};
};

std::shared_ptr<ArchiverTaskImpl> makeTask(std::shared_ptr<Counts> counts, ArchiverTaskImpl::Work work = nullptr,
                                           Foundation::ProgressPtr progress = nullptr)
{
    return ArchiverTaskImpl::make(
        Dispatch::globalQueue(), Dispatch::mainQueue(),
        [counts, work](ArchiverTaskImpl& t) -> Foundation::ErrorPtr {
            counts->works++;
            return work ? work(t) : nullptr;
        },
        [counts](Foundation::ErrorPtr error, ZODArchiverTaskPtr) {
            EXPECT_TRUE(Dispatch::isMainThread());
            counts->lastCode = error ? error->code() : 0;
            counts->completions++;
        },
        std::move(progress));
}

} // namespace

TEST(ArchiverTask, RunsOnlyAfterResumeAndOnlyOnce)
{
    auto counts = std::make_shared<Counts>();
    auto task = makeTask(counts);
    TestSupport::drainEvents();
    EXPECT_EQ(counts->works, 0);
    task->resume();
    task->resume();
    ASSERT_TRUE(TestSupport::waitUntil([&] { return counts->completions == 1; }));
    TestSupport::drainEvents();
    EXPECT_EQ(counts->works, 1);
    EXPECT_EQ(counts->completions, 1);
    EXPECT_EQ(counts->lastCode, 0);
}

TEST(ArchiverTask, CancelBeforeResumeCompletesOnceWithCancelled)
{
    auto counts = std::make_shared<Counts>();
    auto task = makeTask(counts);
    task->cancel();
    task->resume();
    task->cancel();
    ASSERT_TRUE(TestSupport::waitUntil([&] { return counts->completions == 1; }));
    TestSupport::drainEvents();
    EXPECT_EQ(counts->works, 0);
    EXPECT_EQ(counts->completions, 1);
    EXPECT_EQ(counts->lastCode, ZODArchiverErrorCancelled);
}

TEST(ArchiverTask, AlreadyCancelledProgressCompletesOnceWithCancelled)
{
    for (bool resumed : {false, true}) {
        auto counts = std::make_shared<Counts>();
        auto progress = Foundation::Progress::make(-1);
        progress->cancel();
        auto task = makeTask(counts, nullptr, progress);
        if (resumed)
            task->resume();
        ASSERT_TRUE(TestSupport::waitUntil([&] { return counts->completions == 1; })) << resumed;
        task->cancel();
        task->resume();
        TestSupport::drainEvents();
        EXPECT_EQ(counts->works, 0);
        EXPECT_EQ(counts->completions, 1);
        EXPECT_EQ(counts->lastCode, ZODArchiverErrorCancelled);
    }
}

TEST(ArchiverTask, ProgressCancelledFromAnotherThreadWhileTasksAreMade)
{
    constexpr int taskCount = 200;
    auto counts = std::make_shared<Counts>();
    std::vector<Foundation::ProgressPtr> progresses;
    for (int i = 0; i < taskCount; ++i)
        progresses.push_back(Foundation::Progress::make(-1));
    std::thread canceller([&progresses] {
        for (auto& p : progresses)
            p->cancel();
    });
    std::vector<std::shared_ptr<ArchiverTaskImpl>> tasks;
    for (auto& p : progresses) {
        tasks.push_back(makeTask(counts, nullptr, p));
        tasks.back()->resume();
    }
    canceller.join();
    ASSERT_TRUE(TestSupport::waitUntil([&] { return counts->completions == taskCount; }));
    TestSupport::drainEvents();
    EXPECT_EQ(counts->completions, taskCount);
}

TEST(ArchiverTask, CancellingTheProgressAnswersAPendingQuestion)
{
    auto counts = std::make_shared<Counts>();
    auto release = std::make_shared<std::atomic<bool>>(false);
    std::atomic<int> answer{-1};
    auto task = makeTask(counts, [&, release](ArchiverTaskImpl& t) -> Foundation::ErrorPtr {
        // A question whose asker never answers (a user who walked away).
        answer = t.ask<int>([release] {
            while (!release->load())
                std::this_thread::yield();
            return 1;
        }, 4);
        return nullptr;
    });
    task->resume();
    TestSupport::drainEvents(std::chrono::milliseconds(100));
    task->progress()->cancel();
    ASSERT_TRUE(TestSupport::waitUntil([&] { return counts->completions == 1; }));
    EXPECT_EQ(answer, 4);
    EXPECT_EQ(counts->lastCode, ZODArchiverErrorCancelled);
    EXPECT_TRUE(task->progress()->isCancelled());
    release->store(true);
}

TEST(ArchiverTask, ProgressIsPublishedThrottledAndCompleteAtTheEnd)
{
    auto counts = std::make_shared<Counts>();
    std::atomic<int> notifications{0};
    auto task = makeTask(counts, [](ArchiverTaskImpl& t) -> Foundation::ErrorPtr {
        for (int i = 0; i < 100000; ++i)
            t.reportProgress(i, 100000);
        return nullptr;
    });
    auto observation = task->progress()->observe([&](const Foundation::Progress&, Foundation::Progress::Key) { notifications++; });
    task->resume();
    ASSERT_TRUE(TestSupport::waitUntil([&] { return counts->completions == 1; }));
    EXPECT_LT(notifications, 1000);
    EXPECT_DOUBLE_EQ(task->progress()->fractionCompleted(), 1.0);
}
