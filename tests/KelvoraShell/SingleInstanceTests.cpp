// The program itself, started as child processes in this test's sandbox
// (they share its runtime folder, so they meet this process's instance and
// each other, and no other test's).

#include "ShellFixture.h"

#include "Platform/AppKit/Application.h"
#include "Platform/AppKit/SingleInstance.h"
#include "tests/support/EventLoop.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <memory>

namespace {

struct RecordingDelegate : AppKit::ApplicationDelegate {
    std::vector<std::vector<std::string>> openEvents;
    int reopens = 0;
    void applicationOpenFiles(const std::vector<std::string>& paths) override { openEvents.push_back(paths); }
    bool applicationShouldHandleReopen(bool) override
    {
        ++reopens;
        return true;
    }
};

// Lets the application finish launching, so that events are delivered at
// once instead of waiting for the launch.
void finishLaunching()
{
    if (AppKit::Application::shared().isRunning())
        return;
    QMetaObject::invokeMethod(qApp, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
    AppKit::Application::shared().run();
}

// Runs the program to its end; its exit code, or -1 when it did not end by itself.
int launch(const QStringList& arguments, const QString& workingDirectory)
{
    QProcess program;
    program.setWorkingDirectory(workingDirectory);
    program.start(KELVORA_BINARY, arguments);
    if (!program.waitForFinished(60000)) {
        program.kill();
        program.waitForFinished();
        return -1;
    }
    return program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1;
}

class SingleInstanceTest : public ShellTest {
protected:
    void SetUp() override { AppKit::Application::shared().setDelegate(recorder); }
    void TearDown() override
    {
        AppKit::Application::shared().setDelegate(nullptr);
        ShellTest::TearDown();
    }
    std::shared_ptr<RecordingDelegate> recorder = std::make_shared<RecordingDelegate>();
};

TEST_F(SingleInstanceTest, ASecondLaunchHandsItsAbsolutePathsToTheRunningInstanceAsOneEvent)
{
    finishLaunching();
    AppKit::SingleInstance running("kelvora");
    ASSERT_TRUE(running.claim({}));
    const QString dir = QString::fromStdString(TestSupport::scratchDirectory());

    EXPECT_EQ(launch({"a.zip", "sub dir/b b.7z.001", "/elsewhere/c.rar"}, dir), 0);
    ASSERT_TRUE(TestSupport::waitUntil([&] { return !recorder->openEvents.empty(); }));
    TestSupport::drainEvents();
    const std::string base = TestSupport::scratchDirectory();
    ASSERT_EQ(recorder->openEvents.size(), 1u);
    EXPECT_EQ(recorder->openEvents[0],
              (std::vector<std::string>{base + "/a.zip", base + "/sub dir/b b.7z.001", "/elsewhere/c.rar"}));

    // Without paths the second launch is a reopen of the running one.
    EXPECT_EQ(launch({}, dir), 0);
    ASSERT_TRUE(TestSupport::waitUntil([&] { return recorder->reopens == 1; }));
    EXPECT_EQ(recorder->openEvents.size(), 1u);

    // The automation actions run on their own, whatever runs already.
    EXPECT_EQ(launch({"actions", "list"}, dir), 0);
    TestSupport::drainEvents(std::chrono::milliseconds(200));
    EXPECT_EQ(recorder->reopens, 1);
    EXPECT_EQ(recorder->openEvents.size(), 1u);
}

TEST_F(SingleInstanceTest, WithNoInstanceRunningTheLaunchRunsAndTakesTheNextLaunchsArchive)
{
    const std::string archive = makeZip("handed.zip");
    const QString socket = QString::fromStdString(AppKit::SingleInstance("kelvora").socketPath());
    ASSERT_FALSE(QFileInfo::exists(socket));

    QProcess first;
    first.start(KELVORA_BINARY, QStringList{});
    ASSERT_TRUE(first.waitForStarted());
    ASSERT_TRUE(TestSupport::waitUntil([&] { return QFileInfo::exists(socket) || first.state() != QProcess::Running; },
                                       std::chrono::seconds(60)));
    ASSERT_EQ(first.state(), QProcess::Running);

    EXPECT_EQ(launch({QString::fromStdString(archive)}, QString::fromStdString(TestSupport::scratchDirectory())), 0);
    // The running instance opened it: it is now a recent document.
    const QString recents = qEnvironmentVariable("XDG_DATA_HOME") + "/recently-used.xbel";
    const bool opened = TestSupport::waitUntil(
        [&] {
            QFile file(recents);
            return file.open(QIODevice::ReadOnly) && file.readAll().contains("handed.zip");
        },
        std::chrono::seconds(60));
    EXPECT_TRUE(opened);
    EXPECT_EQ(first.state(), QProcess::Running);
    first.kill();
    first.waitForFinished();
}

} // namespace
