#pragma once
// Stand-in for the platform's dispatch queues: the main queue runs blocks on
// the Qt event loop of the main thread; the global queue is a thread pool
// that grows whenever every worker is busy, so jobs blocked on a semaphore
// (an engine question waiting for the user) never starve later jobs.

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <semaphore>

namespace Dispatch {

using Block = std::function<void()>;

class Queue {
public:
    virtual ~Queue() = default;
    virtual void async(Block block) = 0;
    // Runs the block on the queue and returns after it ran.
    virtual void sync(Block block) = 0;
    virtual const char* label() const = 0;
};

using QueuePtr = std::shared_ptr<Queue>;

// The main queue. Needs a QCoreApplication; sync() must not be called on the
// main thread (it would deadlock), which it asserts.
QueuePtr mainQueue();

// The global concurrent queue of default priority.
QueuePtr globalQueue();

// A serial queue of its own: blocks run one after another, in order, off the
// main thread.
QueuePtr makeSerialQueue(const char* label);

bool isMainThread();

// Aborts with a message when the caller is not on the main thread.
void assertMainThread(const char* where);

class Semaphore {
public:
    explicit Semaphore(long value = 0) : sem_(value) {}
    void signal() { sem_.release(); }
    void wait() { sem_.acquire(); }
    // False when the time ran out first.
    bool wait(std::chrono::milliseconds timeout) { return sem_.try_acquire_for(timeout); }

private:
    std::counting_semaphore<> sem_;
};

using OnceToken = std::once_flag;

template <class F>
void once(OnceToken& token, F&& f)
{
    std::call_once(token, std::forward<F>(f));
}

} // namespace Dispatch
