#include "Kelvora/AppDelegate.h"
#include "Kelvora/MakeArchiveViewController.h"
#include "Kelvora/Strings.h"
#include "Kelvora/TaskCell.h"
#include "Kelvora/TaskManager.h"
#include "Platform/AppKit/Application.h"
#include "Platform/Foundation/FileManager.h"
#include "Platform/Foundation/UserDefaults.h"
#include "Tiberly/ArchiveSettingViewController.h"
#include "tests/support/EventLoop.h"
#include "tests/support/UiDriver.h"
#include "tests/support/WidgetDriver.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDragEnterEvent>
#include <QFileDialog>
#include <QLabel>
#include <QMainWindow>
#include <QMimeData>
#include <QScreen>
#include <QTest>
#include <QToolButton>
#include <QUrl>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>

namespace fs = std::filesystem;

namespace {

class MakeArchiveTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        delegate = std::make_shared<AppDelegate>();
        AppKit::Application::shared().setDelegate(delegate);
    }
    void TearDown() override
    {
        for (const auto& window : AppKit::Window::orderedWindows())
            window->close();
        TestSupport::drainEvents();
    }
    static std::string writeFile(const std::string& name)
    {
        const std::string path = TestSupport::scratchDirectory() + "/" + name;
        fs::create_directories(fs::path(path).parent_path());
        std::ofstream(path) << "report contents";
        return path;
    }
    static std::string temporaryFolder()
    {
        return Foundation::FileManager::urlForDirectory(
                   Foundation::FileManager::SearchPathDirectory::itemReplacementDirectory)
            .value()
            .path();
    }
    // Every file in the job folders.
    static std::vector<std::string> jobFiles()
    {
        std::vector<std::string> files;
        for (const auto& entry : fs::recursive_directory_iterator(temporaryFolder()))
            if (entry.is_regular_file())
                files.push_back(entry.path().string());
        return files;
    }
    static bool panelShown()
    {
        for (auto* widget : QApplication::allWidgets())
            if (qobject_cast<QFileDialog*>(widget) && widget->isVisible())
                return true;
        return false;
    }
    static std::string sheetText(const AppKit::WindowPtr& window, const char* label)
    {
        auto sheet = window->attachedSheet();
        auto* text = sheet ? sheet->widget()->findChild<QLabel*>(QString::fromLatin1(label)) : nullptr;
        return text ? text->text().toStdString() : std::string();
    }
    // The make-archive window, shown, and its drop zone.
    AppKit::WindowPtr showWindow()
    {
        auto window = delegate->ddWindowController()->window();
        window->makeKeyAndOrderFront();
        return window;
    }
    void drop(const std::vector<std::string>& paths)
    {
        auto zone = delegate->makeArchiveViewController()->ddVC();
        zone->didReceiveDroppedFiles(*zone->dragDropView(), paths);
    }
    // Clicks the toolbar segment with the title, as the user would.
    static bool clickSegment(const AppKit::WindowPtr& window, const std::string& title)
    {
        for (auto* button : window->widget()->findChildren<QToolButton*>())
            if (button->text().toStdString() == title && button->isVisible()) {
                QTest::mouseClick(button, Qt::LeftButton);
                return true;
            }
        return false;
    }
    // Replaces what the field holds with the text, keystroke by keystroke.
    static void type(AppKit::TextField& field, const char* text)
    {
        QTest::keyClick(field.widget(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(field.widget(), Qt::Key_Backspace);
        QTest::keyClicks(field.widget(), QString::fromUtf8(text));
    }
    static void setDeleteOriginals(bool value)
    {
        Foundation::UserDefaults::suite(Foundation::kApplicationGroupIdentifier)->setValue(value, "TiberlyArchiveDeleteOriginals");
    }
    std::shared_ptr<AppDelegate> delegate;
};

TEST_F(MakeArchiveTest, WindowShowsTheDropZoneFirstAndSwitchingKeepsBothChildren)
{
    auto window = delegate->ddWindowController()->window();
    window->makeKeyAndOrderFront();
    auto content = delegate->makeArchiveViewController();
    EXPECT_EQ(window->contentMinSize(), QSize(400, 400));
    EXPECT_EQ(window->contentMaxSize(), QSize(400, 400));
    EXPECT_EQ(delegate->ddWindowController()->windowFrameAutosaveName(), "ArchiverWindow");
    EXPECT_EQ(content->currentVC(), content->ddVC());

    auto drop = content->ddVC();
    content->selectTab(1);
    EXPECT_EQ(content->currentVC(), content->optionsVC());
    EXPECT_TRUE(drop->view()->isHidden());
    content->selectTab(0);
    EXPECT_EQ(content->ddVC(), drop);
    EXPECT_FALSE(drop->view()->isHidden());
    EXPECT_TRUE(content->optionsVC()->view()->isHidden());
    EXPECT_EQ(content->childViewControllers().size(), 2u);
}

TEST_F(MakeArchiveTest, WindowIsTitledWithItsPurposeAndOpensOnScreen)
{
    auto window = showWindow();
    TestSupport::drainEvents();
    const std::string title = window->widget()->windowTitle().trimmed().toStdString();
    EXPECT_EQ(title, localizedString("MAKE_ARCHIVE_WINDOW_TITLE"));
    const QRect area = window->widget()->screen()->availableGeometry();
    const QRect frame = window->widget()->frameGeometry();
    EXPECT_TRUE(area.contains(frame)) << frame.x() << "," << frame.y() << " " << frame.width() << "x" << frame.height();
    // Centred up to the window frame's own width.
    EXPECT_LE((frame.center() - area.center()).manhattanLength(), 8);
}

TEST_F(MakeArchiveTest, OptionsTabShowsEveryLabelInFull)
{
    auto window = showWindow();
    ASSERT_TRUE(clickSegment(window, localizedString("ARCHIVE_OPTIONS_TAB")));
    auto form = delegate->makeArchiveViewController()->optionsVC()->view()->widget();
    ASSERT_TRUE(TestSupport::waitUntil([&] { return form->isVisible(); }));
    TestSupport::drainEvents();
    for (const char* text : {"Format:", "Compression level:", "Passphrase:", "Confirm:", "Encryption:"}) {
        SCOPED_TRACE(text);
        QLabel* label = nullptr;
        for (auto* candidate : form->findChildren<QLabel*>())
            if (candidate->text() == QString::fromUtf8(text))
                label = candidate;
        ASSERT_TRUE(label);
        EXPECT_TRUE(label->isVisible());
        EXPECT_GE(label->width(), label->fontMetrics().horizontalAdvance(label->text()));
    }
}

TEST_F(MakeArchiveTest, SettingsThatCannotBeHonouredRefuseTheDropAndWriteNothing)
{
    struct Case {
        const char* name;
        int64_t preset;
        const char* passphrase;
        const char* confirmation;
        const char* reasonNames; // what the reason has to name
    };
    const Case cases[] = {
        {"passphrases differ", ZODArchiverPreset7z, "one", "two", "confirmation"},
        {"format cannot encrypt", ZODArchiverPresetTarGz, "one", "one", ".tar.gz"},
    };
    const std::string source = writeFile("secret.txt");
    auto window = showWindow();
    auto content = delegate->makeArchiveViewController();
    auto settings = content->optionsVC();
    auto zone = content->ddVC()->dragDropView();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(clickSegment(window, localizedString("ARCHIVE_OPTIONS_TAB")));
        settings->formatPopUp()->performSelectItemAtIndex(static_cast<int>(c.preset));
        type(*settings->passphraseField(), c.passphrase);
        type(*settings->confirmationField(), c.confirmation);
        ASSERT_TRUE(clickSegment(window, localizedString("ARCHIVE_DRAG_DROP_TAB")));
        TestSupport::drainEvents();

        TestSupport::dropFiles(*zone, {source});
        ASSERT_TRUE(TestSupport::waitForSheet(window));
        EXPECT_EQ(sheetText(window, "messageText"), localizedString("ALERT_MESSAGE_ARCHIVING_FAILED"));
        EXPECT_NE(sheetText(window, "informativeText").find(c.reasonNames), std::string::npos)
            << sheetText(window, "informativeText");
        EXPECT_EQ(TaskManager::shared()->totalTaskCount(), 0);
        EXPECT_TRUE(window->isClosable());
        ASSERT_TRUE(TestSupport::pressSheetButton(window, 0));
        TestSupport::drainEvents(std::chrono::milliseconds(200));
        EXPECT_FALSE(panelShown());
        EXPECT_TRUE(jobFiles().empty());

        // The zone shows it while the drag is over it.
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(QString::fromStdString(source))});
        const QPoint centre = zone->widget()->rect().center();
        QDragEnterEvent enter(centre, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(zone->widget(), &enter);
        EXPECT_TRUE(zone->isRefusing());
        QDragLeaveEvent leave;
        QApplication::sendEvent(zone->widget(), &leave);
    }
    // Browser drops reach the zone without a drag over it: refused the same way.
    delegate->makeArchive({source});
    ASSERT_TRUE(TestSupport::waitForSheet(window));
    EXPECT_EQ(TaskManager::shared()->totalTaskCount(), 0);
    ASSERT_TRUE(TestSupport::pressSheetButton(window, 0));
    EXPECT_TRUE(jobFiles().empty());

    ASSERT_TRUE(clickSegment(window, localizedString("ARCHIVE_OPTIONS_TAB")));
    type(*settings->passphraseField(), "");
    type(*settings->confirmationField(), "");
    settings->formatPopUp()->performSelectItemAtIndex(ZODArchiverPresetZip);
    EXPECT_FALSE(Tiberly::archiveSettingsProblem());
}

TEST(ArchiveFileName, FollowsTheSourcesAndFallsBackToTheDefaultName)
{
    const std::string dir = TestSupport::scratchDirectory();
    const std::string fallback = localizedString("ARCHIVE_DEFAULT_FILE_NAME");
    Foundation::FileManager::createDirectory(dir + "/Photos.2024", true);
    EXPECT_EQ(KVUDragDropViewController::archiveFileName({dir + "/report.pdf"}, dir, 0), "report.zip");
    EXPECT_EQ(KVUDragDropViewController::archiveFileName({dir + "/Photos.2024"}, dir, 0), "Photos.2024.zip");
    EXPECT_EQ(KVUDragDropViewController::archiveFileName({"/Docs/a", "/Docs/b"}, "/Docs", 1), "Docs.7z");
    EXPECT_EQ(KVUDragDropViewController::archiveFileName({"/a/x", "/b/y"}, std::nullopt, 0), fallback + ".zip");
    EXPECT_EQ(KVUDragDropViewController::archiveFileName({"/"}, std::nullopt, 0), fallback + ".zip");
}

TEST_F(MakeArchiveTest, DroppedFileIsCompressedAsAVisibleTaskAndSavedOverAnExistingFile)
{
    const std::string source = writeFile("report.pdf");
    const std::string destination = writeFile("existing.zip");
    auto window = delegate->ddWindowController()->window();
    window->makeKeyAndOrderFront();
    auto drop = delegate->makeArchiveViewController()->ddVC();
    drop->didReceiveDroppedFiles(*drop->dragDropView(), {source});
    EXPECT_EQ(TaskManager::shared()->numberOfTasks(), 1);
    EXPECT_FALSE(window->isClosable());
    EXPECT_TRUE(delegate->taskWindowController()->window()->isVisible());

    ASSERT_TRUE(TestSupport::acceptSavePanel(window, destination));
    TestSupport::answerReplaceQuestion(window, true);
    ASSERT_TRUE(TestSupport::waitUntil([&] { return std::ifstream(destination).peek() == 'P'; }));
    EXPECT_TRUE(window->isClosable());
    EXPECT_EQ(TaskManager::shared()->totalTaskCount(), 0);
    EXPECT_TRUE(Foundation::FileManager::fileExists(source));
}

TEST_F(MakeArchiveTest, StoppingTheTaskInTheTaskWindowEndsItSilently)
{
    // Gigabytes of zeros that take no disk space: compressing them lasts far
    // longer than the test needs to press stop.
    const std::string source = TestSupport::scratchDirectory() + "/huge.img";
    std::ofstream(source).close();
    std::error_code error;
    fs::resize_file(source, std::uintmax_t(64) << 30, error);
    if (error)
        GTEST_SKIP() << "no sparse file here: " << error.message();
    const std::string destination = TestSupport::scratchDirectory() + "/huge.zip";
    auto window = showWindow();
    drop({source});
    auto tasks = delegate->taskViewController();
    ASSERT_EQ(tasks->numberOfRows(), 1);
    auto cell = std::dynamic_pointer_cast<TaskCell>(tasks->tableView()->rowView(0));
    ASSERT_TRUE(cell);
    cell->stopButton()->click();

    ASSERT_TRUE(TestSupport::waitUntil([&] { return TaskManager::shared()->totalTaskCount() == 0; },
                                       std::chrono::seconds(60)));
    TestSupport::drainEvents(std::chrono::milliseconds(300));
    EXPECT_FALSE(window->attachedSheet());
    EXPECT_FALSE(panelShown());
    EXPECT_TRUE(window->isClosable());
    EXPECT_TRUE(jobFiles().empty());
    EXPECT_FALSE(fs::exists(destination));
}

TEST_F(MakeArchiveTest, DeletingOriginalsWaitsForTheConfirmationAndSkipsWhatCannotGo)
{
    struct Case {
        const char* name;
        int button;           // 0 OK, 1 Cancel
        bool firstGoneBefore; // the first source vanished before the answer
        bool firstLeft;
        bool secondLeft;
    };
    const Case cases[] = {
        {"cancel keeps the sources", 1, false, true, true},
        {"OK removes them", 0, false, false, false},
        {"a source that cannot go is skipped", 0, true, false, false},
    };
    setDeleteOriginals(true);
    auto window = showWindow();
    int round = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string folder = "Docs" + std::to_string(++round);
        const std::string first = writeFile(folder + "/a.txt");
        const std::string second = writeFile(folder + "/b.txt");
        const std::string destination = TestSupport::scratchDirectory() + "/" + folder + ".zip";
        drop({first, second});
        ASSERT_TRUE(TestSupport::acceptSavePanel(window, destination));
        ASSERT_TRUE(TestSupport::waitForSheet(window));
        EXPECT_EQ(sheetText(window, "messageText"), localizedString("ALERT_MESSAGE_CONFIRM_DELETE_ORIGINAL_FILES"));
        EXPECT_TRUE(fs::exists(destination));
        EXPECT_TRUE(fs::exists(first) && fs::exists(second));
        if (c.firstGoneBefore)
            fs::remove(first);
        ASSERT_TRUE(TestSupport::pressSheetButton(window, c.button));
        TestSupport::drainEvents();
        EXPECT_EQ(fs::exists(first), c.firstLeft);
        EXPECT_EQ(fs::exists(second), c.secondLeft);
        EXPECT_TRUE(fs::exists(destination));
    }
    setDeleteOriginals(false);
}

TEST_F(MakeArchiveTest, EachFailureIsReportedOnTheWindowAndNothingIsSaved)
{
    struct Case {
        const char* name;
        // Prepares the sources; returns what to drop.
        std::function<std::vector<std::string>()> prepare;
        // After the compression, with the save panel up; false skips saving.
        std::function<bool()> beforeSaving;
        const char* messageKey; // null: nothing is shown
        std::function<void()> restore;
    };
    const std::string destination = TestSupport::scratchDirectory() + "/out.zip";
    const std::string blocker = TestSupport::scratchDirectory() + "/blocker";
    const std::string savedTmp = std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "";
    std::ofstream(blocker) << "a file where folders would go";
    const Case cases[] = {
        {"no temporary folder",
         [&] {
             auto sources = std::vector<std::string>{writeFile("report.pdf")};
             Foundation::FileManager::setItemReplacementDirectoryUnobtainable(true);
             setenv("TMPDIR", (blocker + "/tmp").c_str(), 1);
             return sources;
         },
         nullptr, "ALERT_MESSAGE_ARCHIVING_FAILED",
         [&] {
             Foundation::FileManager::setItemReplacementDirectoryUnobtainable(false);
             setenv("TMPDIR", savedTmp.c_str(), 1);
         }},
        {"compression fails",
         [&] { return std::vector<std::string>{TestSupport::scratchDirectory() + "/missing.pdf"}; }, nullptr,
         "ALERT_MESSAGE_ARCHIVING_FAILED", nullptr},
        {"the move fails",
         [&] { return std::vector<std::string>{writeFile("report.pdf")}; },
         [&] {
             for (const auto& file : jobFiles())
                 fs::remove(file);
             return true;
         },
         "ALERT_MESSAGE_FAILURE_TO_WRITE_FILES", nullptr},
        {"save panel cancelled",
         [&] { return std::vector<std::string>{writeFile("report.pdf")}; }, [] { return false; }, nullptr, nullptr},
    };
    auto window = showWindow();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (const auto& file : jobFiles())
            fs::remove(file);
        drop(c.prepare());
        ASSERT_TRUE(TestSupport::waitUntil([&] { return TaskManager::shared()->totalTaskCount() == 0; }));
        if (c.beforeSaving) {
            ASSERT_TRUE(TestSupport::waitUntil(panelShown));
            if (c.beforeSaving())
                ASSERT_TRUE(TestSupport::acceptSavePanel(window, destination));
            else
                ASSERT_TRUE(TestSupport::cancelPanel(window));
        }
        if (c.restore)
            c.restore();
        if (c.messageKey) {
            ASSERT_TRUE(TestSupport::waitForSheet(window));
            EXPECT_EQ(sheetText(window, "messageText"), localizedString(c.messageKey));
            EXPECT_FALSE(sheetText(window, "informativeText").empty());
            ASSERT_TRUE(TestSupport::pressSheetButton(window, 0));
        } else {
            TestSupport::drainEvents(std::chrono::milliseconds(300));
            EXPECT_FALSE(window->attachedSheet());
            // The archive waits in its job folder.
            ASSERT_EQ(jobFiles().size(), 1u);
            EXPECT_EQ(fs::path(jobFiles().front()).filename(), "report.zip");
        }
        EXPECT_FALSE(fs::exists(destination));
        EXPECT_TRUE(window->isClosable());
        EXPECT_FALSE(panelShown());
    }
}

} // namespace
