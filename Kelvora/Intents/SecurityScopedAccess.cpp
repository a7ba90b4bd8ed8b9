#include "Kelvora/Intents/SecurityScopedAccess.h"

#include <QFileInfo>

#include <mutex>
#include <unistd.h>

namespace {

std::mutex seamMutex;
std::function<bool(const QUrl&)> startHandler;
std::function<void(const QUrl&)> stopObserver;

bool platformStart(const QUrl& url)
{
    if (!url.isLocalFile())
        return false;
    QByteArray path = QFileInfo(url.toLocalFile()).absoluteFilePath().toLocal8Bit();
    if (::access(path.constData(), R_OK) != 0)
        return false;
    if (QFileInfo(url.toLocalFile()).isDir() && ::access(path.constData(), X_OK) != 0)
        return false;
    return true;
}

} // namespace

bool startAccessingSecurityScopedResource(const QUrl& url, std::vector<QUrl>& recordingIn)
{
    std::function<bool(const QUrl&)> handler;
    {
        std::lock_guard lock(seamMutex);
        handler = startHandler;
    }
    bool started = handler ? handler(url) : platformStart(url);
    if (started)
        recordingIn.push_back(url);
    return started;
}

void stopAccessingSecurityScopedResources(const std::vector<QUrl>& urls)
{
    std::function<void(const QUrl&)> observer;
    {
        std::lock_guard lock(seamMutex);
        observer = stopObserver;
    }
    for (const auto& url : urls)
        if (observer)
            observer(url);
}

namespace SecurityScopedAccessSeam {

void setStartHandler(std::function<bool(const QUrl&)> handler)
{
    std::lock_guard lock(seamMutex);
    startHandler = std::move(handler);
}

void setStopObserver(std::function<void(const QUrl&)> observer)
{
    std::lock_guard lock(seamMutex);
    stopObserver = std::move(observer);
}

} // namespace SecurityScopedAccessSeam
