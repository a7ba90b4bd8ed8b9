#pragma once
// Stand-in for the platform's operation queues: operations run on the queue's
// own worker threads (never the main thread), at most
// maxConcurrentOperationCount at a time, in the order added.
//
//   Foundation::OperationQueue queue;
//   queue.setMaxConcurrentOperationCount(1);
//   auto op = queue.addOperation([] { … });
//   queue.cancelAllOperations();          // pending ones never run
//   queue.waitUntilAllOperationsAreFinished();
//
// A running block sees cancellation through its operation's isCancelled().
// Destroying the queue waits for every operation to finish.

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace Foundation {

class BlockOperation;
using OperationPtr = std::shared_ptr<BlockOperation>;

class BlockOperation {
public:
    static OperationPtr make(std::function<void()> block);

    bool isCancelled() const { return cancelled_.load(); }
    bool isFinished() const { return finished_.load(); }
    // Marks it cancelled; a pending operation then finishes without running.
    void cancel() { cancelled_.store(true); }

private:
    friend class OperationQueue;
    explicit BlockOperation(std::function<void()> block) : block_(std::move(block)) {}
    std::function<void()> block_;
    std::atomic<bool> cancelled_{false};
    std::atomic<bool> finished_{false};
};

class OperationQueue {
public:
    // Any number of operations at once (as many as there are processors).
    static constexpr int defaultMaxConcurrentOperationCount = -1;

    OperationQueue() = default;
    ~OperationQueue();
    OperationQueue(const OperationQueue&) = delete;
    OperationQueue& operator=(const OperationQueue&) = delete;

    int maxConcurrentOperationCount() const;
    void setMaxConcurrentOperationCount(int count);

    void addOperation(const OperationPtr& operation);
    OperationPtr addOperation(std::function<void()> block);
    void cancelAllOperations();
    void waitUntilAllOperationsAreFinished();
    size_t operationCount() const;

private:
    size_t limit() const;
    void startWorkersLocked();
    void work();

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<OperationPtr> pending_;
    std::vector<OperationPtr> running_;
    std::vector<std::thread> workers_;
    size_t idleWorkers_ = 0;
    int maxCount_ = defaultMaxConcurrentOperationCount;
    bool stopping_ = false;
};

} // namespace Foundation
