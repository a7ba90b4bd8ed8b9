#include "Platform/Sentry/SentryOptions.h"

#include <QCoreApplication>

#include <cstdlib>

#ifndef KELVORA_BUILD_VERSION
#error "KELVORA_BUILD_VERSION is set by the layer's CMakeLists.txt"
#endif

SentryOptions::SentryOptions()
    : releaseName(defaultReleaseName())
    , outboxPath(defaultOutboxPath())
{
}

std::string SentryOptions::projectId() const
{
    // scheme://public-key@host[:port]/[path/]project-id
    const auto scheme = dsn.find("://");
    if (scheme == std::string::npos)
        return {};
    const auto pathStart = dsn.find('/', scheme + 3);
    if (pathStart == std::string::npos)
        return {};
    std::string path = dsn.substr(pathStart + 1);
    path = path.substr(0, path.find_first_of("?#"));
    while (!path.empty() && path.back() == '/')
        path.pop_back();
    const auto lastSlash = path.rfind('/');
    return lastSlash == std::string::npos ? path : path.substr(lastSlash + 1);
}

std::string SentryOptions::defaultReleaseName()
{
    std::string version;
    if (QCoreApplication::instance())
        version = QCoreApplication::applicationVersion().toStdString();
    if (version.empty())
        version = KELVORA_BUILD_VERSION;
    return "kelvora@" + version;
}

std::string SentryOptions::defaultOutboxPath()
{
    // The XDG rule: a relative or empty value is ignored.
    std::string state;
    if (const char* value = std::getenv("XDG_STATE_HOME"); value && value[0] == '/')
        state = value;
    else if (const char* home = std::getenv("HOME"); home && *home)
        state = std::string(home) + "/.local/state";
    else
        return {};
    return state + "/kelvora/crash-reports";
}
