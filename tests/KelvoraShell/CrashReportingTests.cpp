#include "Kelvora/CrashReporting.h"
#include "Platform/Sentry/SentrySDK.h"
#include "tests/support/EventLoop.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace {

TEST(CrashReporting, StartUsesTheApplicationsOptions)
{
    ASSERT_EQ(startCrashReporting(), nullptr);
    EXPECT_TRUE(SentrySDK::isEnabled());
    const SentryOptions options = SentrySDK::options();
    EXPECT_EQ(options.dsn, crashReportingDSN());
    ASSERT_TRUE(options.tracesSampleRate.has_value());
    EXPECT_EQ(*options.tracesSampleRate, 0.0);
    EXPECT_FALSE(options.enableAutoPerformanceTracing);
    EXPECT_FALSE(options.enablePerformanceV2);
    SentrySDK::close();
}

// Runs only as the child of the test below.
TEST(CrashReporting, ChildDiesOfSegmentationFault)
{
    if (!std::getenv("KELVORA_CRASH_CHILD"))
        GTEST_SKIP() << "child of CrashAfterStartUpWritesAReport";
    ASSERT_EQ(startCrashReporting(), nullptr);
    std::raise(SIGSEGV);
}

TEST(CrashReporting, CrashAfterStartUpWritesAReport)
{
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        setenv("KELVORA_CRASH_CHILD", "1", 1);
        const std::string self = TestSupport::selfExecutable();
        execl(self.c_str(), self.c_str(), "--gtest_filter=CrashReporting.ChildDiesOfSegmentationFault", nullptr);
        _exit(127);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << status;
    EXPECT_EQ(WTERMSIG(status), SIGSEGV);

    const auto reports = SentrySDK::pendingCrashReports();
    ASSERT_EQ(reports.size(), 1u);
    std::ifstream file(reports.front());
    std::stringstream text;
    text << file.rdbuf();
    EXPECT_NE(text.str().find("SIGSEGV"), std::string::npos);
}

} // namespace
