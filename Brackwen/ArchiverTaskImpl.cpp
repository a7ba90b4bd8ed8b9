#include "Brackwen/ArchiverTaskImpl.h"

#include "Brackwen/ZODArchiverError.h"

namespace Brackwen {

namespace {
constexpr auto publishInterval = std::chrono::milliseconds(50);
}

ArchiverTaskImpl::ArchiverTaskImpl(Dispatch::QueuePtr workQueue, Dispatch::QueuePtr handlerQueue,
                                   Foundation::ProgressPtr progress, Work work, Completion completion,
                                   DescriptionFormatter formatter)
    : workQueue_(std::move(workQueue)), handlerQueue_(std::move(handlerQueue)), progress_(std::move(progress)),
      work_(std::move(work)), completion_(std::move(completion)), formatter_(std::move(formatter))
{
}

std::shared_ptr<ArchiverTaskImpl> ArchiverTaskImpl::make(Dispatch::QueuePtr workQueue, Dispatch::QueuePtr handlerQueue,
                                                         Work work, Completion completion,
                                                         Foundation::ProgressPtr progress, DescriptionFormatter formatter)
{
    if (!progress)
        progress = Foundation::Progress::make(-1);
    std::shared_ptr<ArchiverTaskImpl> task(new ArchiverTaskImpl(std::move(workQueue), std::move(handlerQueue),
                                                                std::move(progress), std::move(work),
                                                                std::move(completion), std::move(formatter)));
    // Last, once the task is whole: a progress cancelled already calls this
    // at once, which completes the task before it is resumed.
    std::weak_ptr<ArchiverTaskImpl> weak = task;
    task->progress_->setCancellationHandler([weak] {
        if (auto strong = weak.lock())
            strong->cancel();
    });
    return task;
}

void ArchiverTaskImpl::resume()
{
    if (resumed_.exchange(true))
        return;
    auto self = std::static_pointer_cast<ArchiverTaskImpl>(shared_from_this());
    workQueue_->async([self] {
        if (self->finished_.load())
            return; // cancelled before it started
        Foundation::ErrorPtr error;
        if (!self->isCancelled() && self->work_)
            error = self->work_(*self);
        self->finish(std::move(error));
    });
}

void ArchiverTaskImpl::cancel()
{
    if (cancelled_.exchange(true))
        return;
    {
        std::lock_guard lock(questionMutex_);
        if (cancelPendingQuestion_)
            cancelPendingQuestion_();
    }
    progress_->cancel();
    // Not started yet: no work will run, so the completion goes out now.
    if (!resumed_.exchange(true))
        finish(nullptr);
}

void ArchiverTaskImpl::finish(Foundation::ErrorPtr error)
{
    if (finished_.exchange(true))
        return;
    if (isCancelled())
        error = ZODArchiverMakeError(ZODArchiverErrorCancelled);
    else if (!error) {
        int64_t total = totalUnits_.load() < 0 ? 1 : totalUnits_.load();
        reportProgress(total, total, true);
    }
    auto completion = std::move(completion_);
    completion_ = nullptr;
    work_ = nullptr;
    auto self = shared_from_this();
    handlerQueue_->async([completion = std::move(completion), error = std::move(error), self]() mutable {
        if (completion)
            completion(std::move(error), std::move(self));
    });
}

void ArchiverTaskImpl::reportProgress(int64_t completed, int64_t total, bool force)
{
    completedUnits_.store(completed, std::memory_order_relaxed);
    totalUnits_.store(total, std::memory_order_relaxed);
    auto now = std::chrono::steady_clock::now();
    if (!force && now - lastPublish_ < publishInterval)
        return;
    lastPublish_ = now;
    publishProgress();
}

void ArchiverTaskImpl::publishProgress()
{
    int64_t completed = completedUnits_.load(std::memory_order_relaxed);
    int64_t total = totalUnits_.load(std::memory_order_relaxed);
    progress_->setUnitCounts(completed, total);
    if (formatter_)
        progress_->setLocalizedAdditionalDescription(formatter_(completed, total));
}

} // namespace Brackwen
