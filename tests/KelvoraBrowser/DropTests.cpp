#include "BrowserFixture.h"

#include "Kelvora/AppDelegate.h"
#include "Kelvora/KVUDragDropViewController.h"
#include "Kelvora/MakeArchiveViewController.h"
#include "Kelvora/Strings.h"
#include "Vantel/SharedSettings.h"
#include "tests/support/EventLoop.h"
#include "tests/support/UiDriver.h"
#include "tests/support/WidgetDriver.h"

class DropTest : public BrowserTest {
protected:
    void SetUp() override
    {
        delegate = std::make_shared<AppDelegate>();
        AppKit::Application::shared().setDelegate(delegate);
        BrowserTest::SetUp();
        folder = scratch("drop");
        writeFile(folder + "/src/a.txt", "a");
        writeFile(folder + "/src/b.txt", "b");
        writeFile(folder + "/folder/inside.txt", "inside");
        run(folder + "/src", {"zip", "-q", "../one.zip", "a.txt"});
        run(folder + "/src", {"zip", "-q", "../two.zip", "b.txt"});
    }

    void TearDown() override
    {
        BrowserTest::TearDown();
        if (auto dd = delegate->ddWindowController()->window())
            dd->close();
        TestSupport::drainEvents();
        AppKit::Application::shared().setDelegate(nullptr);
    }

    std::shared_ptr<KVUDragDropViewController> dropZone() { return delegate->makeArchiveViewController()->ddVC(); }

    // The make-archive window came forward and compresses the paths; the
    // compression is left to end and its save panel is cancelled.
    void expectArchiveMadeOf(bool compressible = true)
    {
        auto dd = delegate->ddWindowController()->window();
        EXPECT_TRUE(dd->isVisible());
        ASSERT_EQ(dropZone()->tasks().size(), 1u);
        EXPECT_EQ(browser->tasks.size(), 0u);
        EXPECT_EQ(window->attachedSheet(), nullptr) << "no question on the browser";
        ASSERT_TRUE(TestSupport::waitUntil([&] { return dropZone()->tasks().empty(); }));
        if (compressible) {
            EXPECT_TRUE(TestSupport::cancelPanel(dd));
        } else {
            ASSERT_TRUE(TestSupport::waitForSheet(dd));
            TestSupport::pressSheetButton(dd, 0);
        }
    }

    std::shared_ptr<AppDelegate> delegate;
    std::string folder;
};

TEST_F(DropTest, AFolderOrAVanishedPathAmongTheDropMakesAnArchive)
{
    struct Drop {
        std::vector<std::string> paths;
        bool compressible;
    };
    const Drop drops[] = {
        {{folder + "/folder"}, true},
        {{folder + "/one.zip", folder + "/folder"}, true},
        // The vanished path reaches the compression, which reports it.
        {{folder + "/one.zip", folder + "/gone.zip"}, false},
    };
    for (const auto& [paths, compressible] : drops) {
        SCOPED_TRACE(paths.back());
        ASSERT_TRUE(TestSupport::dropFiles(*browser->view(), paths));
        expectArchiveMadeOf(compressible);
        EXPECT_FALSE(browser->rootDirectory);
    }
}

TEST_F(DropTest, OneFileOpensAsTheArchiveAlsoOnTheListing)
{
    ASSERT_TRUE(TestSupport::dropFiles(*browser->view(), {folder + "/one.zip"}));
    ASSERT_TRUE(TestSupport::waitUntil([&] { return browser->rootDirectory && browser->tasks.empty(); }));
    EXPECT_EQ(listedNames(), std::vector<std::string>{"a.txt"});
    EXPECT_EQ(window->title(), "one.zip");
    EXPECT_TRUE(dropZone()->tasks().empty());

    // The table now covers the drop zone and hands the drop on.
    ASSERT_TRUE(TestSupport::dropFiles(*browser->view(), {folder + "/two.zip"}));
    ASSERT_TRUE(TestSupport::waitUntil([&] { return window->title() == "two.zip" && browser->tasks.empty(); }));
    EXPECT_EQ(listedNames(), std::vector<std::string>{"b.txt"});
    ASSERT_TRUE(TestSupport::dropFiles(*browser->view(), {folder + "/folder"}));
    expectArchiveMadeOf();
}

TEST_F(DropTest, SeveralFilesAskFirst)
{
    Vantel::SharedSettings().setDoNotAskForReorder(false);
    Vantel::SharedSettings().setDoNotDisplayedMultiVolumeAlert(false);
    const std::vector<std::string> paths{folder + "/two.zip", folder + "/one.zip"};
    struct Case {
        const char* name;
        int button;
    };
    for (const Case c : {Case{"cancel", 2}, Case{"make archive", 1}, Case{"open archive", 0}}) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(TestSupport::dropFiles(*browser->view(), paths));
        EXPECT_EQ(sheetMessage(), localizedString("DISAMBIGUATE_ALERT_TITLE"));
        ASSERT_TRUE(TestSupport::pressSheetButton(window, c.button));
        ASSERT_TRUE(TestSupport::waitUntil([&] { return !window->attachedSheet() || c.button == 0; }));
        if (c.button == 2) {
            TestSupport::drainEvents();
            EXPECT_EQ(window->attachedSheet(), nullptr);
            EXPECT_TRUE(dropZone()->tasks().empty());
            EXPECT_FALSE(browser->rootDirectory);
        } else if (c.button == 1) {
            expectArchiveMadeOf();
        } else {
            // Opened as the volumes of one archive: the multi-volume road.
            EXPECT_EQ(sheetMessage(), localizedString("ARCHIVE_OPEN_MULTI_VOLUME_ARCHIVE_ALERT_TITLE"));
            EXPECT_TRUE(dropZone()->tasks().empty());
        }
    }
}
