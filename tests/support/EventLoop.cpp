#include "tests/support/EventLoop.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QThread>

#include <cstdlib>
#include <unistd.h>

namespace TestSupport {

bool waitUntil(const std::function<bool()>& predicate, std::chrono::milliseconds limit)
{
    QDeadlineTimer deadline(limit.count());
    while (!predicate()) {
        if (deadline.hasExpired())
            return predicate();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QCoreApplication::sendPostedEvents();
        if (!predicate())
            QThread::usleep(200);
    }
    return true;
}

void drainEvents(std::chrono::milliseconds span)
{
    QDeadlineTimer deadline(span.count());
    while (!deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QCoreApplication::sendPostedEvents();
        QThread::usleep(200);
    }
}

std::string scratchDirectory()
{
    const char* d = std::getenv("TMPDIR");
    return d ? d : "/tmp";
}

std::string selfExecutable()
{
    char buf[4096];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0)
        return {};
    buf[n] = 0;
    return buf;
}

} // namespace TestSupport
