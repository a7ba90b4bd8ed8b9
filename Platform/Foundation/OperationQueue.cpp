#include "Platform/Foundation/OperationQueue.h"

#include <algorithm>

namespace Foundation {

OperationPtr BlockOperation::make(std::function<void()> block)
{
    return OperationPtr(new BlockOperation(std::move(block)));
}

OperationQueue::~OperationQueue()
{
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return pending_.empty() && running_.empty(); });
        stopping_ = true;
    }
    changed_.notify_all();
    for (auto& worker : workers_)
        worker.join();
}

int OperationQueue::maxConcurrentOperationCount() const
{
    std::lock_guard lock(mutex_);
    return maxCount_;
}

void OperationQueue::setMaxConcurrentOperationCount(int count)
{
    std::lock_guard lock(mutex_);
    maxCount_ = count;
    startWorkersLocked();
}

size_t OperationQueue::limit() const
{
    if (maxCount_ > 0)
        return static_cast<size_t>(maxCount_);
    return std::max(1u, std::thread::hardware_concurrency());
}

void OperationQueue::addOperation(const OperationPtr& operation)
{
    {
        std::lock_guard lock(mutex_);
        pending_.push_back(operation);
        startWorkersLocked();
    }
    changed_.notify_all();
}

OperationPtr OperationQueue::addOperation(std::function<void()> block)
{
    auto operation = BlockOperation::make(std::move(block));
    addOperation(operation);
    return operation;
}

void OperationQueue::cancelAllOperations()
{
    std::lock_guard lock(mutex_);
    for (auto& operation : pending_)
        operation->cancel();
    for (auto& operation : running_)
        operation->cancel();
}

void OperationQueue::waitUntilAllOperationsAreFinished()
{
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return pending_.empty() && running_.empty(); });
}

size_t OperationQueue::operationCount() const
{
    std::lock_guard lock(mutex_);
    return pending_.size() + running_.size();
}

// Workers are made on demand, up to the limit, and live as long as the queue.
void OperationQueue::startWorkersLocked()
{
    while (idleWorkers_ < pending_.size() && workers_.size() < limit()) {
        ++idleWorkers_;
        workers_.emplace_back([this] { work(); });
    }
}

void OperationQueue::work()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] {
            return stopping_ || (!pending_.empty() && running_.size() < limit());
        });
        if (stopping_)
            return;
        OperationPtr operation = pending_.front();
        pending_.pop_front();
        running_.push_back(operation);
        --idleWorkers_;
        lock.unlock();
        if (!operation->isCancelled())
            operation->block_();
        operation->finished_.store(true);
        lock.lock();
        running_.erase(std::find(running_.begin(), running_.end(), operation));
        ++idleWorkers_;
        changed_.notify_all();
    }
}

} // namespace Foundation
