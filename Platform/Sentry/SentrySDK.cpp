#include "Platform/Sentry/SentrySDK.h"

#include "Platform/Dispatch/Dispatch.h"
#include "Platform/Sentry/CrashHandlers.h"
#include "Platform/Sentry/CrashReport.h"

#include <QUuid>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <optional>

namespace {

struct SdkState {
    std::optional<SentryOptions> options;
    bool enabled = false;
};

SdkState& sdk()
{
    static SdkState state;
    return state;
}

constexpr const char* reportExtension = ".envelope";

} // namespace

Foundation::ErrorPtr SentrySDK::startWithConfigureOptions(const ConfigureOptions& configure)
{
    Dispatch::assertMainThread("SentrySDK::startWithConfigureOptions");
    close();
    SentryOptions options;
    if (configure)
        configure(options);
    sdk().options = options;

    if (options.outboxPath.empty())
        return Foundation::posixError(ENOENT);
    std::error_code ec;
    std::filesystem::create_directories(options.outboxPath, ec);
    if (ec)
        return Foundation::posixError(ec.value(), options.outboxPath);
    // Opened now: the signal path may not resolve paths or allocate.
    const int outboxFd = ::open(options.outboxPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (outboxFd < 0)
        return Foundation::posixError(errno, options.outboxPath);

    const std::string eventId = QUuid::createUuid().toString(QUuid::Id128).toStdString();
    SentryInternal::installCrashHandlers(outboxFd, SentryInternal::CrashReportTemplate::make(options, eventId));
    sdk().enabled = true;
    return nullptr;
}

bool SentrySDK::isEnabled()
{
    Dispatch::assertMainThread("SentrySDK::isEnabled");
    return sdk().enabled;
}

void SentrySDK::close()
{
    Dispatch::assertMainThread("SentrySDK::close");
    if (!sdk().enabled)
        return;
    SentryInternal::uninstallCrashHandlers();
    sdk().enabled = false;
}

SentryOptions SentrySDK::options()
{
    Dispatch::assertMainThread("SentrySDK::options");
    return sdk().options.value_or(SentryOptions());
}

std::vector<std::string> SentrySDK::pendingCrashReports()
{
    Dispatch::assertMainThread("SentrySDK::pendingCrashReports");
    const std::string outbox = sdk().options ? sdk().options->outboxPath : SentryOptions::defaultOutboxPath();
    std::vector<std::string> reports;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(outbox, ec)) {
        if (entry.is_regular_file(ec) && entry.path().extension() == reportExtension)
            reports.push_back(entry.path().string());
    }
    std::sort(reports.begin(), reports.end());
    return reports;
}
