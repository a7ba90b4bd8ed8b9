#include "BrowserFixture.h"

#include "Kelvora/AppDelegate.h"
#include "Kelvora/Strings.h"
#include "Platform/AppKit/Application.h"
#include "Platform/AppKit/TableWidget.h"
#include "Platform/AppKit/Workspace.h"
#include "Platform/StoreKit/StoreReviewController.h"
#include "tests/support/EventLoop.h"
#include "tests/support/UiDriver.h"
#include "tests/support/WidgetDriver.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMimeData>
#include <QUrl>

#include <algorithm>
#include <memory>

class EntriesTest : public BrowserTest {
protected:
    void SetUp() override
    {
        BrowserTest::SetUp();
        delegate = std::make_shared<AppDelegate>();
        AppKit::Application::shared().setDelegate(delegate);
        AppKit::Workspace::shared().setLauncher({[this](const std::string& url) {
                                                     opened.push_back(url);
                                                     return workspaceOpens;
                                                 },
                                                 [](const std::vector<std::string>&) { return true; }});

        folder = scratch("entries");
        writeFile(folder + "/src/notes.txt", "the notes\n");
        writeFile(folder + "/src/README", "read me\n");
        writeFile(folder + "/src/docs/a.txt", "alpha\n");
        writeFile(folder + "/src/docs/sub/b.txt", "beta\n");
        writeFile(folder + "/inner/inside.txt", "inside the inner archive\n");
        run(folder + "/inner", {"zip", "-q", "../src/inner.zip", "inside.txt"});
        run(folder + "/inner", {"zip", "-q", "../src/INNER.ZIP", "inside.txt"});
        run(folder + "/src", {"zip", "-qr", "../entries.zip", "inner.zip", "INNER.ZIP", "notes.txt", "README", "docs"});
        archive = folder + "/entries.zip";
        open({archive});
    }

    void TearDown() override
    {
        // Closing a window takes its controller out of the set.
        const auto retainedWindows = delegate->retainedWindows;
        for (const auto& retained : retainedWindows) {
            auto other = retained->fileViewController();
            EXPECT_TRUE(TestSupport::waitUntil([&] { return other->tasks.empty(); }));
            retained->window()->close();
        }
        AppKit::Workspace::shared().setLauncher({});
        BrowserTest::TearDown();
    }

    int row(const std::string& name) const
    {
        const auto names = listedNames();
        const auto it = std::find(names.begin(), names.end(), name);
        return it == names.end() ? -1 : static_cast<int>(it - names.begin());
    }

    void doubleClick(const std::string& name)
    {
        ASSERT_TRUE(TestSupport::doubleClickRow(*browser->tableView, row(name))) << name;
    }

    // The item-replacement folder every job folder lives in.
    static QString temporaryItems()
    {
        return qEnvironmentVariable("XDG_CACHE_HOME") + "/7QXK3LM2PA.com.tarnu.Kelvora/TemporaryItems";
    }

    std::string informativeText()
    {
        auto sheet = window->attachedSheet();
        auto* label = sheet ? sheet->widget()->findChild<QLabel*>(QStringLiteral("informativeText")) : nullptr;
        return label ? label->text().toStdString() : std::string();
    }

    // Replaces the listed archive by bytes no engine reads.
    void spoilArchive() { writeFile(archive, std::string(4096, 'x')); }

    std::shared_ptr<AppDelegate> delegate;
    std::vector<std::string> opened;
    bool workspaceOpens = true;
    std::string folder;
    std::string archive;
};

TEST_F(EntriesTest, DoubleClickingAFileOpensAFreshCopyAndAsksForAReview)
{
    const int reviews = StoreKit::SKStoreReviewController::requestCount();
    doubleClick("notes.txt");
    ASSERT_TRUE(TestSupport::waitUntil([&] { return opened.size() == 1; }));
    waitForNoTasks();
    const QString first = QUrl(QString::fromStdString(opened[0])).toLocalFile();
    EXPECT_EQ(QFileInfo(first).fileName(), "notes.txt");
    EXPECT_EQ(QFileInfo(first).absoluteDir().absolutePath().section('/', 0, -2), temporaryItems());
    EXPECT_EQ(readFile(first.toStdString()), "the notes\n");
    EXPECT_EQ(StoreKit::SKStoreReviewController::requestCount(), reviews + 1);
    EXPECT_EQ(window->attachedSheet(), nullptr);

    // Opening it again leaves the first copy where it is.
    doubleClick("notes.txt");
    ASSERT_TRUE(TestSupport::waitUntil([&] { return opened.size() == 2; }));
    const QString second = QUrl(QString::fromStdString(opened[1])).toLocalFile();
    EXPECT_NE(QFileInfo(second).absolutePath(), QFileInfo(first).absolutePath());
    EXPECT_EQ(readFile(first.toStdString()), "the notes\n");
    EXPECT_EQ(readFile(second.toStdString()), "the notes\n");
    EXPECT_EQ(StoreKit::SKStoreReviewController::requestCount(), reviews + 2);
}

TEST_F(EntriesTest, OnlyAnExactDocumentTypeExtensionOpensAsAnArchive)
{
    doubleClick("inner.zip");
    ASSERT_TRUE(TestSupport::waitUntil([&] { return delegate->retainedWindows.size() == 1; }));
    auto inner = (*delegate->retainedWindows.begin())->fileViewController();
    ASSERT_TRUE(TestSupport::waitUntil([&] { return inner->currentDirectory && inner->tasks.empty(); }));
    ASSERT_EQ(inner->items.size(), 1u);
    EXPECT_EQ(inner->items[0]->name(), "inside.txt");
    ASSERT_TRUE(inner->fileName);
    EXPECT_EQ(*inner->fileName, "inner.zip");
    ASSERT_TRUE(inner->filePaths && inner->filePaths->size() == 1);
    EXPECT_TRUE(QString::fromStdString(inner->filePaths->front()).startsWith(temporaryItems()));
    EXPECT_TRUE(opened.empty());

    // Upper case and no extension at all go to the workspace.
    for (const char* name : {"INNER.ZIP", "README"}) {
        SCOPED_TRACE(name);
        const auto before = opened.size();
        doubleClick(name);
        ASSERT_TRUE(TestSupport::waitUntil([&] { return opened.size() == before + 1; }));
        EXPECT_EQ(QFileInfo(QUrl(QString::fromStdString(opened.back())).toLocalFile()).fileName().toStdString(),
                  name);
    }
    waitForNoTasks();
    EXPECT_EQ(delegate->retainedWindows.size(), 1u);
}

TEST_F(EntriesTest, AFileTheWorkspaceCannotOpenStaysWithAnAlertAndNoReview)
{
    workspaceOpens = false;
    const int reviews = StoreKit::SKStoreReviewController::requestCount();
    doubleClick("notes.txt");
    EXPECT_EQ(sheetMessage(), localizedString("ALERT_MESSAGE_UNABLE_TO_OPEN_FILE_TITLE"));
    EXPECT_EQ(informativeText(), localizedString("ALERT_MESSAGE_UNABLE_TO_OPEN_FILE_DETAIL"));
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(readFile(QUrl(QString::fromStdString(opened[0])).toLocalFile().toStdString()), "the notes\n");
    EXPECT_EQ(StoreKit::SKStoreReviewController::requestCount(), reviews);
    TestSupport::pressSheetButton(window, 0);
}

TEST_F(EntriesTest, DoubleClickAndContextMenuOpenEnterAFolder)
{
    doubleClick("docs");
    EXPECT_EQ(listedNames(), (std::vector<std::string>{"sub", "a.txt"}));
    ASSERT_EQ(browser->pathHistory.size(), 2u);
    EXPECT_EQ(browser->pathHistoryIndex, 1);

    // The context menu's "Open" acts on the row under the pointer.
    QWidget* viewport = browser->tableView->rowsViewport();
    const QPoint at = browser->tableView->rectOfRow(row("sub")).center();
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, viewport->mapToGlobal(at));
    QApplication::sendEvent(viewport, &event);
    auto* menu = browser->tableView->menu()->qtMenu();
    ASSERT_TRUE(menu && !menu->actions().isEmpty());
    EXPECT_TRUE(menu->actions()[0]->isEnabled());
    menu->actions()[0]->trigger();
    menu->hide();
    EXPECT_EQ(listedNames(), (std::vector<std::string>{"b.txt"}));
    EXPECT_EQ(browser->pathHistory.size(), 3u);
    EXPECT_TRUE(opened.empty());
}

TEST_F(EntriesTest, PromisedFilesDropExtractsAFolderAndAFileIntoTheDestination)
{
    AppKit::Pasteboard pasteboard;
    ASSERT_TRUE(browser->writeRowsWith({0}, pasteboard));
    EXPECT_EQ(pasteboard.types(), std::vector<std::string>{AppKit::PasteboardTypeFilesPromise});
    EXPECT_EQ(pasteboard.propertyList(AppKit::PasteboardTypeFilesPromise), std::vector<std::string>{""});

    const auto destination = scratch("drop");
    bool finished = false;
    bool written = false;
    const auto names = browser->tableView->namesOfPromisedFilesDroppedAtDestination(
        destination, {row("notes.txt"), row("docs")}, AppKit::PromisedFilesWritten([&](bool ok) {
            written = ok;
            finished = true;
        }));
    EXPECT_EQ(names, (std::vector<std::string>{"docs", "notes.txt"}));
    // One registered task for both.
    EXPECT_EQ(browser->tasks.size(), 1u);
    ASSERT_TRUE(TestSupport::waitUntil([&] { return finished; }));
    EXPECT_TRUE(written);
    waitForNoTasks();
    EXPECT_EQ(readFile(destination + "/notes.txt"), "the notes\n");
    EXPECT_EQ(readFile(destination + "/docs/a.txt"), "alpha\n");
    EXPECT_EQ(readFile(destination + "/docs/sub/b.txt"), "beta\n");
    EXPECT_EQ(window->attachedSheet(), nullptr);

    // From a subfolder each entry lands under its own name, directly there.
    enter("docs");
    const auto nested = scratch("drop-nested");
    EXPECT_EQ(browser->namesOfPromisedFilesDroppedAtDestination(nested, {row("sub")}),
              std::vector<std::string>{"sub"});
    waitForNoTasks();
    EXPECT_EQ(QDir(QString::fromStdString(nested)).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
              QStringList{"sub"});
    EXPECT_EQ(readFile(nested + "/sub/b.txt"), "beta\n");
}

// What a file manager sees: the drag's file URLs, asked for on the drop,
// name files that are already there.
TEST_F(EntriesTest, DragOutHandsTheTargetURLsOfExtractedFiles)
{
    browser->tableView->selectRowIndexes({row("docs"), row("notes.txt")}, false);
    std::unique_ptr<QMimeData> data(browser->tableView->mimeDataForRows(browser->tableView->selectedRowIndexes()));
    ASSERT_TRUE(data);
    EXPECT_TRUE(data->hasFormat(QString::fromStdString(AppKit::PasteboardTypeFilesPromise)));
    const auto urls = data->urls();
    ASSERT_EQ(urls.size(), 2);
    EXPECT_EQ(QFileInfo(urls[0].toLocalFile()).fileName(), "docs");
    EXPECT_EQ(readFile(urls[0].toLocalFile().toStdString() + "/sub/b.txt"), "beta\n");
    EXPECT_EQ(readFile(urls[1].toLocalFile().toStdString()), "the notes\n");
    EXPECT_TRUE(urls[1].toLocalFile().startsWith(temporaryItems()));
    waitForNoTasks();
}

TEST_F(EntriesTest, AFailingExtractionShowsTheFailureAlert)
{
    spoilArchive();
    struct Case {
        const char* name;
        std::function<void()> start;
    };
    const auto destination = scratch("spoilt");
    bool written = true;
    const std::vector<Case> cases = {
        {"opening a file", [&] { doubleClick("notes.txt"); }},
        {"dropping promised files",
         [&] {
             browser->tableView->namesOfPromisedFilesDroppedAtDestination(
                 destination, {row("notes.txt")}, AppKit::PromisedFilesWritten([&](bool ok) { written = ok; }));
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        c.start();
        EXPECT_EQ(sheetMessage(), localizedString("ALERT_MESSAGE_UNARCHIVING_FAILED"));
        EXPECT_FALSE(informativeText().empty());
        waitForNoTasks();
        ASSERT_TRUE(TestSupport::pressSheetButton(window, 0));
        ASSERT_TRUE(TestSupport::waitUntil([&] { return !window->attachedSheet(); }));
    }
    EXPECT_FALSE(written);
    EXPECT_TRUE(opened.empty());
}

TEST_F(EntriesTest, AMissingVolumeStillNamesTheDropButNothingArrives)
{
    ASSERT_TRUE(QFile::remove(QString::fromStdString(archive)));
    browser->tableView->selectRowIndexes({row("notes.txt")}, false);
    std::unique_ptr<QMimeData> data(browser->tableView->mimeDataForRows(browser->tableView->selectedRowIndexes()));
    ASSERT_TRUE(data);
    EXPECT_TRUE(data->urls().empty());
    EXPECT_EQ(sheetMessage(), localizedString("ALERT_MESSAGE_NO_FILE_TITLE"));
    ASSERT_TRUE(TestSupport::pressSheetButton(window, 0));
    ASSERT_TRUE(TestSupport::waitUntil([&] { return !window->attachedSheet(); }));

    const auto destination = scratch("missing");
    EXPECT_EQ(browser->namesOfPromisedFilesDroppedAtDestination(destination, {row("notes.txt")}),
              std::vector<std::string>{"notes.txt"});
    EXPECT_TRUE(browser->tasks.empty());
    EXPECT_TRUE(QDir(QString::fromStdString(destination)).isEmpty());
    EXPECT_EQ(sheetMessage(), localizedString("ALERT_MESSAGE_NO_FILE_TITLE"));
    TestSupport::pressSheetButton(window, 0);
}
