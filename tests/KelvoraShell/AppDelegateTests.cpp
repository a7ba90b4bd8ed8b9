#include "ShellFixture.h"

#include "Kelvora/FileViewController.h"
#include "Kelvora/Strings.h"
#include "Kelvora/TaskManager.h"
#include "Platform/Foundation/UserDefaults.h"
#include "Vantel/SharedSettings.h"
#include "tests/support/EventLoop.h"

#include <QProcess>
#include <QTimer>

#include <filesystem>

namespace {

FileViewControllerPtr browserOf(const AppKit::WindowPtr& window)
{
    return std::dynamic_pointer_cast<FileViewController>(window->contentViewController());
}

class AppDelegateTest : public ShellTest {};

TEST_F(AppDelegateTest, LaunchWithoutDocumentsOpensOneEmptyBrowserAndRegistersDefaults)
{
    delegate->applicationDidFinishLaunching();
    auto windows = browserWindows();
    ASSERT_EQ(windows.size(), 1u);
    EXPECT_FALSE(browserOf(windows[0])->currentDirectory);
    EXPECT_EQ(delegate->retainedWindows.size(), 1u);
    EXPECT_TRUE(Foundation::UserDefaults::standard()->boolForKey("NSApplicationCrashOnExceptions"));
    EXPECT_FALSE(Vantel::SharedSettings().doNotAskForReorder());
    EXPECT_TRUE(Vantel::shared()->objectForKey(Vantel::kDoNotAskForReorderKey).isValid());
    EXPECT_TRUE(Vantel::shared()->objectForKey(Vantel::kDoNotDisplayMultiVolumeAlertKey).isValid());
}

TEST_F(AppDelegateTest, LaunchWithAnArchiveOpensThatBrowserOnly)
{
    const std::string archive = makeZip("one.zip");
    // As the application delivers them: files given with the launch first.
    delegate->applicationOpenFiles({archive});
    delegate->applicationDidFinishLaunching();
    auto windows = browserWindows();
    ASSERT_EQ(windows.size(), 1u);
    auto browser = browserOf(windows[0]);
    ASSERT_TRUE(TestSupport::waitUntil([&] { return browser->rootDirectory != nullptr; }));
    EXPECT_EQ(browser->filePaths, std::vector<std::string>{archive});
    EXPECT_EQ(TaskManager::shared()->totalTaskCount(), 0);
}

TEST_F(AppDelegateTest, ReopenOpensAnEmptyBrowserOnlyWithoutVisibleWindows)
{
    EXPECT_TRUE(delegate->applicationShouldHandleReopen(false));
    EXPECT_EQ(browserWindows().size(), 1u);
    EXPECT_TRUE(delegate->applicationShouldHandleReopen(true));
    EXPECT_EQ(browserWindows().size(), 1u);
}

TEST_F(AppDelegateTest, OpenFilesOpensExistingFilesTogetherAndIgnoresAListWithAFolder)
{
    const std::string a = writeFile("a.7z.001");
    const std::string b = writeFile("a.7z.002");
    const std::string folder = TestSupport::scratchDirectory() + "/folder";
    std::filesystem::create_directory(folder);

    delegate->applicationOpenFiles({a, folder});
    EXPECT_TRUE(browserWindows().empty());

    delegate->applicationOpenFiles({a, b});
    ASSERT_EQ(browserWindows().size(), 1u);
    EXPECT_TRUE(TestSupport::waitUntil([&] { return TaskManager::shared()->totalTaskCount() == 0; }));
}

TEST_F(AppDelegateTest, APathThatDoesNotExistIsNamedInAnAlertAndTheOthersOpen)
{
    const std::string archive = makeZip("one.zip");
    const std::string missing = TestSupport::scratchDirectory() + "/nothere.zip";
    delegate->applicationOpenFiles({missing, archive});
    delegate->applicationDidFinishLaunching();
    QWidget* alert = nullptr;
    ASSERT_TRUE(TestSupport::waitUntil([&] { return (alert = shownAlert()) != nullptr; }));
    EXPECT_EQ(messageText(alert), localizedString("ALERT_MESSAGE_ANAYLYZING_FAILED"));
    EXPECT_NE(informativeText(alert).find(missing), std::string::npos) << informativeText(alert);
    auto windows = browserWindows();
    ASSERT_EQ(windows.size(), 1u);
    auto browser = browserOf(windows[0]);
    ASSERT_TRUE(TestSupport::waitUntil([&] { return browser->rootDirectory != nullptr; }));
    EXPECT_EQ(browser->filePaths, std::vector<std::string>{archive});
    pressButton(alert, buttonTitles(alert).front());
    EXPECT_TRUE(TestSupport::waitUntil([] { return !shownAlert(); }));
}

TEST(ProgramCommandLine, HelpAndVersionPrintAndAMissingPathIsReported)
{
    struct Row {
        QStringList args;
        QString out;
    } rows[] = {{{"--help"}, "Usage: kelvora [options] [archives...]"}, {{"-h"}, "kelvora actions list"}, {{"--version"}, "kelvora 1.0\n"}};
    for (const auto& row : rows) {
        QProcess p;
        p.start(KELVORA_BINARY, row.args);
        ASSERT_TRUE(p.waitForFinished(30000)) << row.args.join(' ').toStdString();
        EXPECT_EQ(p.exitCode(), 0);
        EXPECT_TRUE(QString::fromUtf8(p.readAllStandardOutput()).contains(row.out)) << row.args.join(' ').toStdString();
    }

    const QString missing = QString::fromStdString(TestSupport::scratchDirectory()) + "/nothere.zip";
    QProcess p;
    p.start(KELVORA_BINARY, {missing});
    QByteArray err;
    EXPECT_TRUE(TestSupport::waitUntil([&] {
        err += p.readAllStandardError();
        return err.contains("\n");
    })) << err.toStdString();
    EXPECT_EQ(QString::fromUtf8(err).toStdString(), ("kelvora: " + missing + " could not be read: it does not exist\n").toStdString());
    p.kill();
    p.waitForFinished();
}

TEST_F(AppDelegateTest, OpeningAnArchiveReusesAnEmptyBrowserElseCascadesANewOne)
{
    delegate->openArchives({});
    auto first = browserWindows().front();
    delegate->openArchives({makeZip("one.zip")});
    ASSERT_EQ(browserWindows().size(), 1u);
    ASSERT_TRUE(TestSupport::waitUntil([&] { return browserOf(first)->currentDirectory != nullptr; }));

    delegate->openArchives({makeZip("two.zip")});
    auto windows = browserWindows();
    ASSERT_EQ(windows.size(), 2u);
    EXPECT_NE(windows[0], first);
    EXPECT_NE(windows[0]->frame().topLeft(), first->frame().topLeft());
    // No analysis may outlive the test's process.
    EXPECT_TRUE(TestSupport::waitUntil([&] { return TaskManager::shared()->totalTaskCount() == 0; }));
}

TEST_F(AppDelegateTest, NewTabJoinsTheFrontBrowserAndClosingItRemovesOnlyItsController)
{
    delegate->newTab();
    ASSERT_EQ(delegate->retainedWindows.size(), 1u);
    auto front = browserWindows().front();
    auto firstController = *delegate->retainedWindows.begin();

    delegate->newTab();
    ASSERT_EQ(delegate->retainedWindows.size(), 2u);
    EXPECT_EQ(front->tabbedWindows().size(), 2u);
    std::shared_ptr<ArchiveWindowController> tabController;
    for (const auto& controller : delegate->retainedWindows)
        if (controller != firstController)
            tabController = controller;
    ASSERT_TRUE(tabController);
    std::weak_ptr<ArchiveWindowController> weakTab = tabController;
    auto tabWindow = tabController->window();
    tabController.reset();

    tabWindow->performClose();
    TestSupport::drainEvents();
    EXPECT_EQ(delegate->retainedWindows.size(), 1u);
    EXPECT_EQ(*delegate->retainedWindows.begin(), firstController);
    tabWindow.reset();
    EXPECT_TRUE(weakTab.expired());
}

TEST_F(AppDelegateTest, QuitWithoutTasksTerminatesAtOnce)
{
    EXPECT_EQ(delegate->applicationShouldTerminate(), AppKit::TerminateReply::terminateNow);
}

TEST_F(AppDelegateTest, QuitWithATaskAsksConfirmFirstCancelSecond)
{
    struct Case {
        bool silent;
        const char* press;
        AppKit::TerminateReply reply;
    };
    const std::string confirm = localizedString("ALERT_MESSAGE_QUIT_WITH_TASK_RUNNING_CONFIRM");
    const std::string cancel = localizedString("COMMON_CANCEL");
    const Case cases[] = {
        {true, "COMMON_CANCEL", AppKit::TerminateReply::terminateCancel},
        {false, "COMMON_CANCEL", AppKit::TerminateReply::terminateCancel},
        {true, "ALERT_MESSAGE_QUIT_WITH_TASK_RUNNING_CONFIRM", AppKit::TerminateReply::terminateNow},
    };
    for (const auto& c : cases) {
        auto task = std::make_shared<FakeTask>();
        TaskManager::shared()->add(task, c.silent);
        std::vector<std::string> titles;
        auto style = AppKit::AlertStyle::warning;
        QTimer::singleShot(0, [&] {
            auto* box = shownAlert();
            ASSERT_TRUE(box);
            titles = buttonTitles(box);
            style = alertStyle(box);
            pressButton(box, localizedString(c.press));
        });
        EXPECT_EQ(delegate->applicationShouldTerminate(), c.reply) << c.press;
        EXPECT_EQ(titles, (std::vector<std::string>{confirm, cancel}));
        EXPECT_EQ(style, AppKit::AlertStyle::critical);
        EXPECT_FALSE(task->cancelled);
        TaskManager::shared()->remove(task);
    }
}

TEST_F(AppDelegateTest, MenuBarSendsTheDelegateActions)
{
    auto menu = delegate->makeMainMenu();
    for (const char* action : {"newDocument:", "newTab:", "openDocument:", "showPreferences:", "performClose:", "terminate:"})
        EXPECT_TRUE(menu->itemWithAction(action)) << action;
    menu->itemWithAction("newDocument:")->performClick();
    EXPECT_EQ(browserWindows().size(), 1u);
}

} // namespace
