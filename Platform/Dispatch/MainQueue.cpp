#include "Platform/Dispatch/Dispatch.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <mutex>

namespace Dispatch {

namespace {

class MainQueue final : public Queue {
public:
    void async(Block block) override
    {
        auto* app = QCoreApplication::instance();
        if (!app) {
            // A work thread finishing while the process exits has nowhere to
            // deliver to and nobody waiting: drop it. Before any application
            // existed, posting is a programming error.
            if (hadApplication_.load())
                return;
            std::fprintf(stderr, "Dispatch: the main queue needs a QCoreApplication\n");
            std::abort();
        }
        hadApplication_.store(true);
        // The blocks travel through our own locked queue, so the hand-off
        // between threads is visible to the thread sanitizer; Qt's queued
        // call only wakes the main thread to run the oldest one. The call is
        // posted under the lock: an earlier wake-up could otherwise run this
        // block, and the application end, while this thread is still inside
        // Qt posting the call.
        std::lock_guard lock(mutex_);
        blocks_.push_back(std::move(block));
        QMetaObject::invokeMethod(app, [this] { runOldest(); }, Qt::QueuedConnection);
    }

    void sync(Block block) override
    {
        if (isMainThread()) {
            std::fprintf(stderr, "Dispatch: mainQueue().sync called on the main thread\n");
            std::abort();
        }
        // Nothing would ever run the block once the application is gone.
        if (!QCoreApplication::instance() && hadApplication_.load())
            return;
        // Shared: the signalling thread may still be inside signal() when
        // the waiter returns.
        auto done = std::make_shared<Semaphore>(0);
        async([&block, done] {
            block();
            done->signal();
        });
        done->wait();
    }

    const char* label() const override { return "main"; }

private:
    void runOldest()
    {
        Block block;
        {
            std::lock_guard lock(mutex_);
            if (blocks_.empty())
                return;
            block = std::move(blocks_.front());
            blocks_.pop_front();
        }
        block();
    }

    std::mutex mutex_;
    std::deque<Block> blocks_;
    std::atomic<bool> hadApplication_{false};
};

} // namespace

QueuePtr mainQueue()
{
    // Never destroyed: blocks may still be posted while the process exits.
    static auto* queue = new QueuePtr(std::make_shared<MainQueue>());
    return *queue;
}

bool isMainThread()
{
    auto* app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

void assertMainThread(const char* where)
{
    if (!isMainThread()) {
        std::fprintf(stderr, "%s must be called on the main thread\n", where);
        std::abort();
    }
}

} // namespace Dispatch
