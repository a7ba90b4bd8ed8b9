#pragma once
// The concrete engine task. An operation gives it a work body (run once on
// the work queue after resume()) and a completion (posted exactly once to the
// handler queue with the body's error, or the cancellation error when the
// task was cancelled). The body checks isCancelled(), asks questions through
// ask() and reports progress through reportProgress(). Both are given to
// make(): a caller's progress may already be cancelled, or be cancelled on
// another thread, while the task is being built.

#include "Brackwen/ZODArchiverTask.h"
#include "Platform/Dispatch/Dispatch.h"
#include "Platform/Foundation/Error.h"
#include "Platform/Foundation/Progress.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace Brackwen {

class ArchiverTaskImpl final : public ZODArchiverTask {
public:
    // Returns the error of the work, or null on success.
    using Work = std::function<Foundation::ErrorPtr(ArchiverTaskImpl& task)>;
    using Completion = std::function<void(Foundation::ErrorPtr error, ZODArchiverTaskPtr task)>;
    // The progress's additional description for (completed, total) units.
    using DescriptionFormatter = std::function<std::string(int64_t completed, int64_t total)>;

    // A progress of the caller's, or a new one when null.
    static std::shared_ptr<ArchiverTaskImpl> make(Dispatch::QueuePtr workQueue, Dispatch::QueuePtr handlerQueue,
                                                  Work work, Completion completion,
                                                  Foundation::ProgressPtr progress = nullptr,
                                                  DescriptionFormatter formatter = nullptr);

    // Work thread only.
    void setDescriptionFormatter(DescriptionFormatter formatter) { formatter_ = std::move(formatter); }

    void resume() override;
    void cancel() override;
    Foundation::ProgressPtr progress() const override { return progress_; }

    bool isCancelled() const { return cancelled_.load(std::memory_order_relaxed); }

    // Runs the question on a thread of its own and waits for its answer; when
    // the task is (or becomes) cancelled the wait ends at once with
    // cancellingAnswer, and the question's late answer is dropped. Work
    // thread only.
    template <class T>
    T ask(std::function<T()> question, T cancellingAnswer);

    // Work thread only. Counts are stored at once; the progress object sees
    // them at most every ~50 ms (and always when force is set).
    void reportProgress(int64_t completed, int64_t total, bool force = false);
    void setIndeterminate(bool value) { progress_->setIndeterminate(value); }

private:
    ArchiverTaskImpl(Dispatch::QueuePtr workQueue, Dispatch::QueuePtr handlerQueue, Foundation::ProgressPtr progress,
                     Work work, Completion completion, DescriptionFormatter formatter);
    void finish(Foundation::ErrorPtr error);
    void publishProgress();

    Dispatch::QueuePtr workQueue_;
    Dispatch::QueuePtr handlerQueue_;
    Foundation::ProgressPtr progress_;
    Work work_;
    Completion completion_;
    DescriptionFormatter formatter_;

    std::atomic<bool> resumed_{false};
    std::atomic<bool> cancelled_{false};
    std::atomic<bool> finished_{false};

    std::mutex questionMutex_;
    std::function<void()> cancelPendingQuestion_;

    std::atomic<int64_t> completedUnits_{0};
    std::atomic<int64_t> totalUnits_{-1};
    std::chrono::steady_clock::time_point lastPublish_{};
};

template <class T>
T ArchiverTaskImpl::ask(std::function<T()> question, T cancellingAnswer)
{
    struct Slot {
        std::mutex mutex;
        std::condition_variable cv;
        std::optional<T> answer;
        void put(T value)
        {
            {
                std::lock_guard lock(mutex);
                if (answer)
                    return;
                answer = std::move(value);
            }
            cv.notify_all();
        }
    };
    auto slot = std::make_shared<Slot>();
    {
        std::lock_guard lock(questionMutex_);
        if (isCancelled())
            return cancellingAnswer;
        cancelPendingQuestion_ = [slot, cancellingAnswer] { slot->put(cancellingAnswer); };
    }
    Dispatch::globalQueue()->async([slot, question = std::move(question)] { slot->put(question()); });
    T result = [&] {
        std::unique_lock lock(slot->mutex);
        slot->cv.wait(lock, [&] { return slot->answer.has_value(); });
        return *slot->answer;
    }();
    {
        std::lock_guard lock(questionMutex_);
        cancelPendingQuestion_ = nullptr;
    }
    return result;
}

} // namespace Brackwen
