#include "Platform/Sentry/SentryOptions.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <cstdlib>
#include <optional>
#include <string>

namespace {

// Sets an environment variable for one scope.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name)
    {
        if (const char* old = std::getenv(name))
            old_ = old;
        value ? setenv(name, value, 1) : unsetenv(name);
    }
    ~ScopedEnv() { old_ ? setenv(name_, old_->c_str(), 1) : unsetenv(name_); }

private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(SentryOptions, OutboxFollowsXdgStateHome)
{
    const std::string home = std::getenv("HOME");
    struct Case { const char* state; std::string expected; };
    const Case cases[] = {
        { "/var/state-here", "/var/state-here/kelvora/crash-reports" },
        { nullptr, home + "/.local/state/kelvora/crash-reports" },
        { "", home + "/.local/state/kelvora/crash-reports" },
        { "relative/state", home + "/.local/state/kelvora/crash-reports" },
    };
    for (const Case& c : cases) {
        ScopedEnv state("XDG_STATE_HOME", c.state);
        EXPECT_EQ(SentryOptions().outboxPath, c.expected) << (c.state ? c.state : "(unset)");
    }
}

TEST(SentryOptions, ReleaseNamesTheVersion)
{
    const QString saved = QCoreApplication::applicationVersion();
    QCoreApplication::setApplicationVersion("3.2.1");
    EXPECT_EQ(SentryOptions().releaseName, "kelvora@3.2.1");
    QCoreApplication::setApplicationVersion(QString());
    const std::string fallback = SentryOptions().releaseName;
    QCoreApplication::setApplicationVersion(saved);
    EXPECT_EQ(fallback.rfind("kelvora@", 0), 0u);
    EXPECT_GT(fallback.size(), std::string("kelvora@").size());
}

TEST(SentryOptions, ProjectIdIsTheLastPathSegmentOfTheDsn)
{
    struct Case { const char* dsn; const char* projectId; };
    const Case cases[] = {
        { "https://abc123@o1.ingest.example.com/4507", "4507" },
        { "https://abc123@example.com:9000/prefix/77/", "77" },
        { "https://abc123@example.com/12?timeout=3", "12" },
        { "https://abc123@example.com", "" },
        { "not a dsn", "" },
        { "", "" },
    };
    for (const Case& c : cases) {
        SentryOptions options;
        options.dsn = c.dsn;
        EXPECT_EQ(options.projectId(), c.projectId) << c.dsn;
    }
}

} // namespace
