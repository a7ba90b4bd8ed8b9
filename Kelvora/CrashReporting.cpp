#include "Kelvora/CrashReporting.h"

#include "Platform/Dispatch/Dispatch.h"
#include "Platform/Sentry/SentrySDK.h"

#ifndef KELVORA_SENTRY_DSN
#define KELVORA_SENTRY_DSN ""
#endif

const char* crashReportingDSN()
{
    return KELVORA_SENTRY_DSN;
}

void configureCrashReportingOptions(SentryOptions& options)
{
    options.dsn = crashReportingDSN();
    options.tracesSampleRate = 0.0;
    options.enableAutoPerformanceTracing = false;
    options.enablePerformanceV2 = false;
}

Foundation::ErrorPtr startCrashReporting()
{
    Dispatch::assertMainThread("startCrashReporting");
    return SentrySDK::startWithConfigureOptions(configureCrashReportingOptions);
}
