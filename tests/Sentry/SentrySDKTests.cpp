#include "Platform/Sentry/SentrySDK.h"

#include <gtest/gtest.h>

#include <signal.h>

#include <exception>
#include <filesystem>
#include <fstream>

namespace {

void configureAsTheApplication(SentryOptions& options)
{
    options.dsn = "https://public@example.invalid/4242";
    options.tracesSampleRate = 0;
    options.enableAutoPerformanceTracing = false;
    options.enablePerformanceV2 = false;
}

void previousSignalHandler(int) {}
void previousTerminateHandler() { std::abort(); }

TEST(SentrySDK, KeepsTheConfiguredOptions)
{
    const Foundation::ErrorPtr error = SentrySDK::startWithConfigureOptions(configureAsTheApplication);
    ASSERT_FALSE(error) << error->localizedDescription();
    EXPECT_TRUE(SentrySDK::isEnabled());
    const SentryOptions kept = SentrySDK::options();
    EXPECT_EQ(kept.dsn, "https://public@example.invalid/4242");
    ASSERT_TRUE(kept.tracesSampleRate.has_value());
    EXPECT_EQ(*kept.tracesSampleRate, 0.0);
    EXPECT_FALSE(kept.enableAutoPerformanceTracing);
    EXPECT_FALSE(kept.enablePerformanceV2);
    EXPECT_EQ(kept.releaseName, SentryOptions::defaultReleaseName());
    EXPECT_EQ(kept.outboxPath, SentryOptions::defaultOutboxPath());
    EXPECT_TRUE(std::filesystem::is_directory(kept.outboxPath));
    EXPECT_TRUE(SentrySDK::pendingCrashReports().empty());
    SentrySDK::close();
    EXPECT_FALSE(SentrySDK::isEnabled());
}

TEST(SentrySDK, CloseRestoresThePreviousHandlers)
{
    struct sigaction mine {}, saved {};
    mine.sa_handler = previousSignalHandler;
    sigemptyset(&mine.sa_mask);
    ASSERT_EQ(sigaction(SIGBUS, &mine, &saved), 0);
    const std::terminate_handler savedTerminate = std::set_terminate(previousTerminateHandler);

    ASSERT_FALSE(SentrySDK::startWithConfigureOptions(configureAsTheApplication));
    // Starting again replaces the first start instead of chaining to it.
    ASSERT_FALSE(SentrySDK::startWithConfigureOptions(nullptr));
    struct sigaction during {};
    sigaction(SIGBUS, nullptr, &during);
    EXPECT_NE(during.sa_flags & SA_ONSTACK, 0);
    EXPECT_NE(std::get_terminate(), previousTerminateHandler);
    stack_t stack {};
    sigaltstack(nullptr, &stack);
    EXPECT_EQ(stack.ss_flags & SS_DISABLE, 0);

    SentrySDK::close();
    struct sigaction after {};
    sigaction(SIGBUS, nullptr, &after);
    EXPECT_EQ(after.sa_handler, previousSignalHandler);
    EXPECT_EQ(std::get_terminate(), previousTerminateHandler);

    std::set_terminate(savedTerminate);
    sigaction(SIGBUS, &saved, nullptr);
}

TEST(SentrySDK, AnOutboxThatCannotBeMadeLeavesItDisabled)
{
    const std::string blocker = std::string(std::getenv("HOME")) + "/not-a-folder";
    std::ofstream(blocker) << "x";
    const Foundation::ErrorPtr error = SentrySDK::startWithConfigureOptions([&](SentryOptions& options) {
        options.outboxPath = blocker + "/crash-reports";
    });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->domain(), Foundation::NSPOSIXErrorDomain);
    EXPECT_FALSE(SentrySDK::isEnabled());
    EXPECT_EQ(SentrySDK::options().outboxPath, blocker + "/crash-reports");
}

} // namespace
