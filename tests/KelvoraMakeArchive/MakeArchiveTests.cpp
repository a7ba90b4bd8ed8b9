#include "Kelvora/AppDelegate.h"
#include "Kelvora/Strings.h"
#include "Kelvora/TaskManager.h"
#include "Platform/AppKit/Application.h"
#include "Platform/Foundation/FileManager.h"
#include "tests/support/EventLoop.h"
#include "tests/support/UiDriver.h"

#include <gtest/gtest.h>

#include <fstream>

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
        std::ofstream(path) << "report contents";
        return path;
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

} // namespace
