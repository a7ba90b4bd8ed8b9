#include "BrowserFixture.h"

#include "Kelvora/MultiVolumeArchiveReorderViewController.h"
#include "Platform/AppKit/RecentDocuments.h"
#include "Kelvora/Strings.h"
#include "Kelvora/TaskManager.h"
#include "Tiberly/EncodingSelectionController.h"
#include "Vantel/SharedSettings.h"
#include "tests/support/EventLoop.h"
#include "tests/support/UiDriver.h"

#include <QFile>
#include <QUrl>

#include <algorithm>

class OpeningTest : public BrowserTest {
protected:
    // A zip whose one entry name is Shift_JIS bytes without the UTF-8 flag:
    // Python writes an ASCII placeholder of the same length, then the bytes
    // take its place in both headers.
    std::string makeShiftJISZip()
    {
        const auto folder = scratch("sjis");
        run(folder, {"python3", "-c",
                     "import zipfile\n"
                     "with zipfile.ZipFile('sjis.zip', 'w') as z: z.writestr('QQQQQQ.txt', 'hello')\n"
                     "data = open('sjis.zip', 'rb').read().replace(b'QQQQQQ.txt', '\\u65e5\\u672c\\u8a9e.txt'.encode('shift_jis'))\n"
                     "open('sjis.zip', 'wb').write(data)\n"});
        return folder + "/sjis.zip";
    }

    std::shared_ptr<Tiberly::EncodingSelectionController> waitForEncodingSheet()
    {
        TestSupport::waitUntil([&] { return browser->retainedWindowController && window->attachedSheet(); });
        return std::dynamic_pointer_cast<Tiberly::EncodingSelectionController>(browser->retainedWindowController);
    }

    static bool selectEncoding(Tiberly::EncodingSelectionController& sheet, Foundation::StringEncoding encoding)
    {
        const auto& listed = sheet.encodings();
        const auto found = std::find(listed.begin(), listed.end(), encoding);
        if (found == listed.end())
            return false;
        sheet.encodingPopUp()->performSelectItemAtIndex(static_cast<int>(found - listed.begin()));
        return true;
    }
};

TEST_F(OpeningTest, ZipAnd7zListTheirRootsFoldersFirst)
{
    const auto folder = scratch("tree");
    writeFile(folder + "/src/b/inner.txt", "inner");
    writeFile(folder + "/src/a.txt", "a");
    writeFile(folder + "/src/c.txt", "c");
    run(folder + "/src", {"zip", "-qr", "../tree.zip", "a.txt", "b", "c.txt"});
    run(folder + "/src", {"7zz", "a", "-bd", "../tree.7z", "a.txt", "b", "c.txt"});

    for (const std::string name : {"tree.zip", "tree.7z"}) {
        SCOPED_TRACE(name);
        const std::string path = folder + "/" + name;
        open({path});
        EXPECT_EQ(listedNames(), (std::vector<std::string>{"b", "a.txt", "c.txt"}));
        EXPECT_EQ(window->title(), name);
        EXPECT_EQ(window->representedFilename(), path);
        ASSERT_EQ(browser->pathHistory.size(), 1u);
        EXPECT_EQ(browser->pathHistory.front(), browser->rootDirectory);
        EXPECT_EQ(browser->pathHistoryIndex, 0);
        EXPECT_EQ(browser->fileName, name);
        const auto recents = AppKit::RecentDocuments::recentDocumentPaths();
        EXPECT_NE(std::find(recents.begin(), recents.end(), path), recents.end());
        EXPECT_TRUE(window->isClosable());
        EXPECT_EQ(TaskManager::shared()->silentTasks().size(), 0u);

        // Folders stay first whatever the order.
        auto descriptor = browser->tableView->sortDescriptors().front();
        browser->tableView->setSortDescriptors({descriptor.reversed()});
        EXPECT_EQ(listedNames(), (std::vector<std::string>{"b", "c.txt", "a.txt"}));
        browser->tableView->setSortDescriptors({descriptor});
    }
}

TEST_F(OpeningTest, FailedOpenKeepsThePreviousArchive)
{
    const auto folder = scratch("fail");
    writeFile(folder + "/src/a.txt", "a");
    run(folder + "/src", {"zip", "-q", "../good.zip", "a.txt"});
    writeFile(folder + "/bad.zip", std::string(300, 'x'));
    open({folder + "/good.zip"});
    const auto root = browser->rootDirectory;

    browser->loadArchive({folder + "/bad.zip"}, true);
    EXPECT_FALSE(sheetMessage().empty());
    waitForNoTasks();
    EXPECT_EQ(browser->rootDirectory, root);
    EXPECT_EQ(window->title(), "good.zip");
}

TEST_F(OpeningTest, ShiftJISNamesAskForTheEncodingUnlessAFallbackIsSet)
{
    const auto path = makeShiftJISZip();
    Vantel::SharedSettings().setFallbackEncoding(0);
    browser->loadArchive({path}, true);
    // The task popover opens with the analysis (the question's sheet, a
    // window of its own, closes it as any other window would).
    EXPECT_TRUE(browser->isTaskPopoverShown());
    auto sheet = waitForEncodingSheet();
    ASSERT_TRUE(sheet);
    // The analysis waits for the answer: the window cannot close meanwhile
    // and the task list holds the analysis.
    EXPECT_EQ(browser->tasks.size(), 1u);
    EXPECT_FALSE(window->isClosable());
    EXPECT_EQ(TaskManager::shared()->silentTasks().size(), 1u);
    EXPECT_EQ(browser->taskViewController()->numberOfRows(), 1);

    ASSERT_TRUE(selectEncoding(*sheet, Foundation::Encoding::ShiftJIS));
    sheet->okButton()->performClick();
    waitForNoTasks();
    ASSERT_TRUE(TestSupport::waitUntil([&] { return browser->rootDirectory != nullptr; }));
    EXPECT_EQ(listedNames(), std::vector<std::string>{"日本語.txt"});
    EXPECT_EQ(browser->lastFileEncoding, Foundation::Encoding::ShiftJIS);
    EXPECT_TRUE(window->isClosable());
    EXPECT_FALSE(browser->isTaskPopoverShown());

    // With the fallback set, nothing is asked.
    browser->retainedWindowController.reset();
    Vantel::SharedSettings().setFallbackEncoding(Foundation::Encoding::ShiftJIS);
    auto second = ArchiveWindowController::make();
    auto other = second->fileViewController();
    second->window()->makeKeyAndOrderFront();
    other->loadArchive({path}, true);
    ASSERT_TRUE(TestSupport::waitUntil([&] { return other->rootDirectory && other->tasks.empty(); }));
    EXPECT_FALSE(other->retainedWindowController);
    EXPECT_EQ(other->items.front()->name(), "日本語.txt");
    EXPECT_EQ(other->lastFileEncoding, Foundation::Encoding::ShiftJIS);
    second->window()->close();
    Vantel::SharedSettings().setFallbackEncoding(0);
}

TEST_F(OpeningTest, OpeningWhileATaskRunsShowsTheRunningTaskAlert)
{
    const auto path = makeShiftJISZip();
    Vantel::SharedSettings().setFallbackEncoding(0);
    browser->loadArchive({path}, true);
    auto sheet = waitForEncodingSheet();
    ASSERT_TRUE(sheet);
    browser->loadArchive({path}, true);
    EXPECT_EQ(browser->tasks.size(), 1u);
    sheet->cancelButton()->performClick();
    EXPECT_EQ(sheetMessage(), localizedString("ALERT_MESSAGE_TASK_RUNNING_TITLE"));
    TestSupport::pressSheetButton(window, 0);
    waitForNoTasks();
}

TEST_F(OpeningTest, TwoVolumesShowTheNoticeThenTheReorderSheet)
{
    const auto folder = scratch("volumes");
    std::string payload;
    for (int i = 0; i < 4000; ++i)
        payload += std::to_string(i * 7919 % 10007) + "\n";
    writeFile(folder + "/src/big.txt", payload);
    run(folder + "/src", {"tar", "-cf", "../whole.tar", "big.txt"});
    run(folder, {"split", "-n", "2", "-d", "-a", "3", "whole.tar", "whole.tar."});
    const std::string first = folder + "/whole.tar.000", second = folder + "/whole.tar.001";
    Vantel::SharedSettings().setDoNotAskForReorder(false);
    Vantel::SharedSettings().setDoNotDisplayedMultiVolumeAlert(false);

    browser->loadArchive({second, first}, true);
    EXPECT_EQ(sheetMessage(), localizedString("ARCHIVE_OPEN_MULTI_VOLUME_ARCHIVE_ALERT_TITLE"));
    ASSERT_TRUE(TestSupport::pressSheetButton(window, 0));
    std::shared_ptr<MultiVolumeArchiveReorderViewController> reorder;
    ASSERT_TRUE(TestSupport::waitUntil([&] {
        for (const auto& presented : browser->presentedViewControllers())
            if ((reorder = std::dynamic_pointer_cast<MultiVolumeArchiveReorderViewController>(presented)))
                return true;
        return false;
    }));
    EXPECT_EQ(reorder->orderedPaths(), (std::vector<std::string>{first, second}));
    reorder->ok();
    ASSERT_TRUE(TestSupport::waitUntil([&] { return browser->rootDirectory && browser->tasks.empty(); }));
    EXPECT_EQ(listedNames(), std::vector<std::string>{"big.txt"});
    EXPECT_EQ(browser->filePaths, (std::vector<std::string>{first, second}));
    EXPECT_FALSE(Vantel::SharedSettings().doNotDisplayedMultiVolumeAlert());

    // A volume gone after opening: the alert, and no task.
    ASSERT_TRUE(QFile::remove(QString::fromStdString(second)));
    browser->unarchiveCurrentSelection();
    ASSERT_TRUE(choosePanelPath(scratch("volumes-out")));
    EXPECT_EQ(sheetMessage(), localizedString("ALERT_MESSAGE_NO_FILE_TITLE"));
    EXPECT_TRUE(browser->tasks.empty());
    EXPECT_TRUE(TaskManager::shared()->silentTasks().empty());
}
