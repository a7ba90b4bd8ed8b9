#include "Platform/Foundation/Progress.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using Foundation::Progress;

TEST(Progress, FractionAndIndeterminacyFollowTheCounts)
{
    auto progress = Progress::make();
    EXPECT_TRUE(progress->isIndeterminate());
    EXPECT_EQ(progress->fractionCompleted(), 0.0);
    progress->setUnitCounts(25, 100);
    EXPECT_FALSE(progress->isIndeterminate());
    EXPECT_DOUBLE_EQ(progress->fractionCompleted(), 0.25);
    progress->setCompletedUnitCount(150);
    EXPECT_DOUBLE_EQ(progress->fractionCompleted(), 1.0);
    progress->setTotalUnitCount(0);
    EXPECT_EQ(progress->fractionCompleted(), 0.0);
    progress->setUnitCounts(1, 2);
    progress->setIndeterminate(true);
    EXPECT_TRUE(progress->isIndeterminate());
    progress->setIndeterminate(false);
    EXPECT_FALSE(progress->isIndeterminate());
}

TEST(Progress, CancelCallsTheHandlerOnceAndNotifies)
{
    auto progress = Progress::make(10);
    int handled = 0;
    std::vector<Progress::Key> keys;
    auto observation = progress->observe([&](const Progress&, Progress::Key key) { keys.push_back(key); });
    progress->setCancellationHandler([&] { ++handled; });
    progress->cancel();
    progress->cancel();
    EXPECT_TRUE(progress->isCancelled());
    EXPECT_EQ(handled, 1);
    EXPECT_EQ(std::count(keys.begin(), keys.end(), Progress::Key::isCancelled), 1);
    // A handler set after the cancellation runs at once.
    bool late = false;
    progress->setCancellationHandler([&] { late = true; });
    EXPECT_TRUE(late);
}

TEST(Progress, ObserverRunsOnTheUpdatingThreadUntilReset)
{
    auto progress = Progress::make(100);
    std::thread::id seenOn;
    std::string description;
    auto observation = progress->observe([&](const Progress& p, Progress::Key key) {
        seenOn = std::this_thread::get_id();
        if (key == Progress::Key::localizedAdditionalDescription)
            description = p.localizedAdditionalDescription();
    });
    std::thread worker([&] { progress->setLocalizedAdditionalDescription("3 of 4"); });
    const auto workerId = worker.get_id();
    worker.join();
    EXPECT_EQ(seenOn, workerId);
    EXPECT_EQ(description, "3 of 4");
    observation.reset();
    description.clear();
    progress->setLocalizedAdditionalDescription("4 of 4");
    EXPECT_TRUE(description.empty());
}

TEST(Progress, ResettingAnObservationWhileAWorkerUpdates)
{
    auto progress = Progress::make(1'000'000);
    std::atomic<bool> stop{false};
    std::thread worker([&] {
        for (int64_t i = 0; !stop; ++i)
            progress->setCompletedUnitCount(i % 1'000'000);
    });
    for (int round = 0; round < 200; ++round) {
        auto state = std::make_shared<std::atomic<int>>(0);
        auto observation = progress->observe([state](const Progress&, Progress::Key) { state->fetch_add(1); });
        while (state->load() == 0)
            std::this_thread::yield();
        observation.reset();
        // No call runs or starts after the reset returned.
        const int after = state->load();
        for (int i = 0; i < 100; ++i)
            std::this_thread::yield();
        EXPECT_EQ(state->load(), after);
    }
    stop = true;
    worker.join();
}
