// Crashes happen in a child: the test binary runs itself with a filter that
// selects SentryCrashChild.Crash and an environment variable that names how
// to die. The parent checks how the child died and what it left in the outbox.

#include "Platform/Sentry/SentrySDK.h"
#include "tests/support/EventLoop.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

extern char** environ;

// External linkage, so the exported symbol table names these frames.
namespace SentryTestCrash {

struct DiskVanished : std::runtime_error {
    using std::runtime_error::runtime_error;
};

int* volatile nowhere = nullptr;
volatile int overflowLimit = 1 << 30;

[[gnu::noinline]] void crashByRaise()
{
    raise(SIGSEGV);
    asm volatile("" ::: "memory"); // keeps this frame: no tail call into raise
}

[[gnu::noinline]] __attribute__((no_sanitize("address", "undefined"))) void crashByNullWrite()
{
    *nowhere = 1;
}

[[gnu::noinline]] int crashByStackOverflow(int depth)
{
    volatile char frame[512];
    frame[depth % sizeof frame] = char(depth);
    if (depth >= overflowLimit)
        return frame[0];
    return crashByStackOverflow(depth + 1) + frame[depth % sizeof frame];
}

[[gnu::noinline]] void crashByUncaughtException()
{
    throw DiskVanished("the disk went away");
}

} // namespace SentryTestCrash

namespace {

constexpr const char* modeVariable = "KELVORA_SENTRY_CRASH_MODE";

TEST(SentryCrashChild, Crash)
{
    const char* mode = std::getenv(modeVariable);
    if (!mode)
        GTEST_SKIP() << "runs only as the child of a crash test";
    ASSERT_FALSE(SentrySDK::startWithConfigureOptions([](SentryOptions& options) {
        options.dsn = "https://public@example.invalid/4242";
        options.tracesSampleRate = 0;
        options.enableAutoPerformanceTracing = false;
        options.enablePerformanceV2 = false;
    }));
    const std::string how = mode;
    if (how == "raise")
        SentryTestCrash::crashByRaise();
    else if (how == "null-write")
        SentryTestCrash::crashByNullWrite();
    else if (how == "stack-overflow")
        SentryTestCrash::crashByStackOverflow(0);
    else if (how == "exception")
        SentryTestCrash::crashByUncaughtException();
    std::_Exit(3);
}

struct Death {
    bool signalled = false;
    int signal = 0;
    int exitCode = -1;
};

std::string withOption(const char* variable, const char* option)
{
    const char* old = std::getenv(variable);
    return std::string(variable) + "=" + (old && *old ? std::string(old) + ":" : "") + option;
}

Death runCrashingChild(const std::string& mode)
{
    const std::string self = TestSupport::selfExecutable();
    std::vector<std::string> args = { self, "--gtest_filter=SentryCrashChild.Crash", "--gtest_catch_exceptions=0" };
    std::vector<std::string> env;
    for (char** entry = environ; *entry; ++entry) {
        const std::string text = *entry;
        if (text.rfind("ASAN_OPTIONS=", 0) != 0 && text.rfind("UBSAN_OPTIONS=", 0) != 0)
            env.push_back(text);
    }
    env.push_back(std::string(modeVariable) + "=" + mode);
    // Sanitizers must leave the fatal signals to the handlers under test.
    env.push_back(withOption("ASAN_OPTIONS", "handle_segv=0:handle_abort=0:handle_sigbus=0:handle_sigill=0:handle_sigfpe=0"));
    env.push_back(withOption("UBSAN_OPTIONS", "handle_segv=0:handle_abort=0"));

    std::vector<char*> argv, envp;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    for (auto& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);

    const pid_t pid = fork();
    if (pid == 0) {
        const rlimit noCore { 0, 0 };
        setrlimit(RLIMIT_CORE, &noCore);
        execve(self.c_str(), argv.data(), envp.data());
        _exit(127);
    }
    Death death;
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid)
        return death;
    death.signalled = WIFSIGNALED(status);
    death.signal = death.signalled ? WTERMSIG(status) : 0;
    death.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return death;
}

struct Report {
    QJsonObject envelope;
    QJsonObject event;
    QByteArray trace;
    std::string fileStem;
};

Report readReport(const std::string& path)
{
    QFile file(QString::fromStdString(path));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    Report report;
    report.fileStem = std::filesystem::path(path).stem().string();
    if (lines.size() < 5) {
        ADD_FAILURE() << "a report of " << lines.size() << " lines";
        return report;
    }
    report.envelope = QJsonDocument::fromJson(lines[0]).object();
    EXPECT_EQ(QJsonDocument::fromJson(lines[1]).object().value("type").toString(), "event");
    report.event = QJsonDocument::fromJson(lines[2]).object();
    EXPECT_EQ(QJsonDocument::fromJson(lines[3]).object().value("type").toString(), "attachment");
    for (qsizetype i = 4; i < lines.size(); ++i)
        report.trace += lines[i] + '\n';
    return report;
}

struct CrashCase {
    const char* mode;
    int signal;
    const char* type;
    const char* message;
    const char* frame;
};

void PrintTo(const CrashCase& c, std::ostream* os)
{
    *os << c.mode;
}

class SentryCrash : public ::testing::TestWithParam<CrashCase> {
protected:
    void SetUp() override { std::filesystem::remove_all(SentryOptions::defaultOutboxPath()); }
};

TEST_P(SentryCrash, ChildDiesTheSameWayAndLeavesOneReport)
{
    const CrashCase& c = GetParam();
    const auto before = std::chrono::system_clock::now();
    const Death death = runCrashingChild(c.mode);
    ASSERT_TRUE(death.signalled) << "exit code " << death.exitCode;
    EXPECT_EQ(death.signal, c.signal) << strsignal(death.signal);

    const std::vector<std::string> reports = SentrySDK::pendingCrashReports();
    ASSERT_EQ(reports.size(), 1u);
    const Report report = readReport(reports.front());

    EXPECT_EQ(report.envelope.value("dsn_project_id").toString(), "4242");
    const QString eventId = report.event.value("event_id").toString();
    EXPECT_EQ(eventId.size(), 32);
    EXPECT_EQ(report.envelope.value("event_id").toString(), eventId);
    EXPECT_EQ(report.fileStem, eventId.toStdString());
    EXPECT_EQ(report.event.value("release").toString().toStdString(), SentryOptions::defaultReleaseName());
    EXPECT_EQ(report.event.value("level").toString(), "fatal");
    const double seconds = std::chrono::duration<double>(before.time_since_epoch()).count();
    EXPECT_GE(report.event.value("timestamp").toDouble(), seconds - 1);
    EXPECT_LE(report.event.value("timestamp").toDouble(), seconds + 120);

    const QJsonObject exception = report.event.value("exception").toObject().value("values").toArray().at(0).toObject();
    EXPECT_EQ(exception.value("type").toString(), c.type);
    if (c.message)
        EXPECT_EQ(exception.value("value").toString(), c.message);
    else
        EXPECT_EQ(exception.value("mechanism").toObject().value("meta").toObject().value("signal").toObject()
                      .value("number").toInt(), c.signal);

    EXPECT_GE(report.trace.count('\n'), 4) << report.trace.toStdString();
    EXPECT_TRUE(report.trace.contains(c.frame)) << report.trace.toStdString();
}

INSTANTIATE_TEST_SUITE_P(, SentryCrash, ::testing::Values(
    CrashCase { "raise", SIGSEGV, "SIGSEGV", nullptr, "crashByRaise" },
    CrashCase { "null-write", SIGSEGV, "SIGSEGV", nullptr, "crashByNullWrite" },
    CrashCase { "stack-overflow", SIGSEGV, "SIGSEGV", nullptr, "crashByStackOverflow" },
    CrashCase { "exception", SIGABRT, "SentryTestCrash::DiskVanished", "the disk went away", "crashByUncaughtException" }),
    [](const auto& info) {
        std::string name = info.param.mode;
        std::erase(name, '-');
        return name;
    });

} // namespace
