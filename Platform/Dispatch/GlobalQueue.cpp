#include "Platform/Dispatch/Dispatch.h"

#include <condition_variable>
#include <deque>
#include <thread>

namespace Dispatch {

namespace {

// Workers wait a while for more work, then leave; a job posted while no
// worker is idle starts a new one.
class ThreadPool {
public:
    void post(Block block)
    {
        std::unique_lock lock(mutex_);
        jobs_.push_back(std::move(block));
        // Every queued job needs a worker of its own that is free to take it.
        if (idle_ >= static_cast<int>(jobs_.size())) {
            cv_.notify_one();
            return;
        }
        ++threads_;
        lock.unlock();
        std::thread([this] { run(); }).detach();
    }

private:
    void run()
    {
        std::unique_lock lock(mutex_);
        for (;;) {
            while (!jobs_.empty()) {
                Block job = std::move(jobs_.front());
                jobs_.pop_front();
                lock.unlock();
                job();
                job = nullptr;
                lock.lock();
            }
            ++idle_;
            bool woken = cv_.wait_for(lock, std::chrono::seconds(10), [this] { return !jobs_.empty(); });
            --idle_;
            if (!woken) {
                --threads_;
                return;
            }
        }
    }

    std::mutex mutex_;
    std::condition_variable cv_;
    std::deque<Block> jobs_;
    int idle_ = 0;
    int threads_ = 0;
};

class GlobalQueue final : public Queue {
public:
    void async(Block block) override { pool_.post(std::move(block)); }
    void sync(Block block) override
    {
        // Shared: the signalling thread may still be inside signal() when
        // the waiter returns.
        auto done = std::make_shared<Semaphore>(0);
        async([&block, done] {
            block();
            done->signal();
        });
        done->wait();
    }
    const char* label() const override { return "global.default"; }

private:
    ThreadPool pool_;
};

class SerialQueue final : public Queue, public std::enable_shared_from_this<SerialQueue> {
public:
    explicit SerialQueue(const char* label) : label_(label) {}

    void async(Block block) override
    {
        std::unique_lock lock(mutex_);
        jobs_.push_back(std::move(block));
        if (running_)
            return;
        running_ = true;
        lock.unlock();
        globalQueue()->async([self = shared_from_this()] { self->drain(); });
    }

    void sync(Block block) override
    {
        // Shared: the signalling thread may still be inside signal() when
        // the waiter returns.
        auto done = std::make_shared<Semaphore>(0);
        async([&block, done] {
            block();
            done->signal();
        });
        done->wait();
    }

    const char* label() const override { return label_; }

private:
    void drain()
    {
        std::unique_lock lock(mutex_);
        while (!jobs_.empty()) {
            Block job = std::move(jobs_.front());
            jobs_.pop_front();
            lock.unlock();
            job();
            job = nullptr;
            lock.lock();
        }
        running_ = false;
    }

    const char* label_;
    std::mutex mutex_;
    std::deque<Block> jobs_;
    bool running_ = false;
};

} // namespace

QueuePtr globalQueue()
{
    // Never destroyed: detached workers may still be finishing at exit.
    static auto* queue = new QueuePtr(std::make_shared<GlobalQueue>());
    return *queue;
}

QueuePtr makeSerialQueue(const char* label)
{
    return std::make_shared<SerialQueue>(label);
}

} // namespace Dispatch
