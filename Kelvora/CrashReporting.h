#pragma once
// Starting the crash-reporting SDK at launch with the application's options.

#include "Platform/Foundation/Error.h"
#include "Platform/Sentry/SentryOptions.h"

// The project's endpoint, fixed by the build (empty unless configured).
const char* crashReportingDSN();

// The options the application wants on top of the SDK's defaults.
void configureCrashReportingOptions(SentryOptions& options);

// Main thread. Null, or the error that left the SDK disabled.
Foundation::ErrorPtr startCrashReporting();
