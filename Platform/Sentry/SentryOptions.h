#pragma once
// Options of the crash-reporting SDK. A default-constructed value carries the
// defaults; the configure callback of SentrySDK changes what it needs.

#include <optional>
#include <string>

struct SentryOptions {
    SentryOptions();

    // Endpoint of the crash-reporting project. Kept only to name the project
    // in local reports: nothing is ever sent. Empty still writes reports.
    std::string dsn;
    // Performance settings, kept as given; this layer traces nothing.
    std::optional<double> tracesSampleRate;
    bool enableAutoPerformanceTracing = true;
    bool enablePerformanceV2 = false;
    // "kelvora@<version>": the application's version when it set one, else
    // the version of the build.
    std::string releaseName;
    std::string environment = "production";
    // Folder of the reports: $XDG_STATE_HOME/kelvora/crash-reports.
    std::string outboxPath;

    // The project id of the DSN (its last path segment), empty without one.
    std::string projectId() const;

    static std::string defaultReleaseName();
    static std::string defaultOutboxPath();
};
