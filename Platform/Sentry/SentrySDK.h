#pragma once
// The crash-reporting SDK: started once at launch, it installs handlers for
// fatal signals and uncaught exceptions that write a crash report into a
// local outbox folder, one file per crash, and the process then dies as it
// would have without them.
//
// Nothing is ever sent over the network: the DSN only names the project in
// the reports. Sending the outbox (on a later start) is left out; the reports
// wait in the outbox, listed by pendingCrashReports().

#include "Platform/Foundation/Error.h"
#include "Platform/Sentry/SentryOptions.h"

#include <functional>
#include <string>
#include <vector>

class SentrySDK {
public:
    using ConfigureOptions = std::function<void(SentryOptions& options)>;

    // Main thread. The callback gets the default options and sets what it
    // needs; the SDK keeps the result. A running SDK is closed first. Returns
    // null, or the error that left the SDK disabled (the outbox folder could
    // not be made or opened).
    static Foundation::ErrorPtr startWithConfigureOptions(const ConfigureOptions& configure);

    // Main thread.
    static bool isEnabled();
    // Main thread. Restores the handlers that were there before the start.
    static void close();

    // Main thread. The options of the last start (defaults before any).
    static SentryOptions options();

    // Main thread. Paths of the reports in the outbox of the last start (the
    // default outbox before any), sorted by name.
    static std::vector<std::string> pendingCrashReports();
};
