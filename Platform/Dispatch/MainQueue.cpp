#include "Platform/Dispatch/Dispatch.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

#include <cstdio>
#include <cstdlib>

namespace Dispatch {

namespace {

class MainQueue final : public Queue {
public:
    void async(Block block) override
    {
        auto* app = QCoreApplication::instance();
        if (!app) {
            std::fprintf(stderr, "Dispatch: the main queue needs a QCoreApplication\n");
            std::abort();
        }
        // Queued calls to one receiver are delivered in posting order.
        QMetaObject::invokeMethod(app, std::move(block), Qt::QueuedConnection);
    }

    void sync(Block block) override
    {
        if (isMainThread()) {
            std::fprintf(stderr, "Dispatch: mainQueue().sync called on the main thread\n");
            std::abort();
        }
        Semaphore done;
        async([&] {
            block();
            done.signal();
        });
        done.wait();
    }

    const char* label() const override { return "main"; }
};

} // namespace

QueuePtr mainQueue()
{
    static QueuePtr queue = std::make_shared<MainQueue>();
    return queue;
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
