#include "ShellFixture.h"

#include "Kelvora/PreferencesViewController.h"
#include "Platform/AppKit/Application.h"
#include "Kelvora/Strings.h"
#include "Platform/Foundation/FileManager.h"
#include "Platform/Foundation/StringEncoding.h"
#include "Vantel/SharedSettings.h"
#include "Vantel/URLFolders.h"
#include "tests/support/EventLoop.h"

#include <QCheckBox>
#include <QComboBox>
#include <QMainWindow>
#include <QPushButton>
#include <QStyle>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class PreferencesTest : public ShellTest {
protected:
    std::shared_ptr<PreferencesViewController> pane()
    {
        delegate->showPreferences();
        return std::dynamic_pointer_cast<PreferencesViewController>(
            delegate->preferencesWindowController()->window()->contentViewController());
    }

    static std::string temporaryFolder()
    {
        return Foundation::FileManager::urlForDirectory(
                   Foundation::FileManager::SearchPathDirectory::itemReplacementDirectory)
            .value()
            .path();
    }
    static std::string inboxFolder() { return Vantel::documents()->path() + "/Inbox"; }

    static void fill(const std::string& folder)
    {
        fs::create_directories(folder + "/job/nested");
        std::ofstream(folder + "/job/nested/archive.zip") << "zip";
        std::ofstream(folder + "/.hidden") << "hidden";
    }

    // Makes the file impossible to remove, also for root. False where the
    // file system or the process cannot set the immutable flag.
    bool lock(const std::string& file)
    {
        if (geteuid() == 0) {
            if (std::system(("chattr +i '" + file + "' 2>/dev/null").c_str()) != 0)
                return false;
        } else {
            fs::permissions(fs::path(file).parent_path(), fs::perms::owner_read | fs::perms::owner_exec);
        }
        locked_ = file;
        return true;
    }

    void TearDown() override
    {
        if (!locked_.empty()) {
            if (geteuid() == 0)
                (void)std::system(("chattr -i '" + locked_ + "'").c_str());
            else
                fs::permissions(fs::path(locked_).parent_path(), fs::perms::owner_all);
        }
        ShellTest::TearDown();
    }

private:
    std::string locked_;
};

TEST_F(PreferencesTest, WindowIsBuiltOnceWithItsTitleAndNotResizable)
{
    auto controller = pane();
    auto window = delegate->preferencesWindowController()->window();
    EXPECT_EQ(window->title(), localizedString("PREFERENCES_WINDOW_TITLE"));
    EXPECT_FALSE(window->styleMask() & AppKit::StyleMask::resizable);
    EXPECT_EQ(window->frameAutosaveName(), "PreferenceWindow");
    EXPECT_TRUE(window->isVisible());
    delegate->showPreferences();
    EXPECT_EQ(delegate->preferencesWindowController()->window(), window);
}

TEST_F(PreferencesTest, ClearCachesButtonKeepsTheDesktopsMarginsFromTheWindowEdges)
{
    // As the application runs: every window carries the menu bar.
    AppKit::Application::shared().setMainMenu(delegate->makeMainMenu());
    auto controller = pane();
    auto window = delegate->preferencesWindowController()->window();
    TestSupport::drainEvents();
    QWidget* frame = window->widget();
    QPushButton* button = controller->clearCachesButton();
    ASSERT_TRUE(button->isVisible());
    const QRect inWindow(button->mapTo(frame, QPoint(0, 0)), button->size());
    const QStyle* style = frame->style();
    EXPECT_GE(frame->height() - inWindow.bottom() - 1, style->pixelMetric(QStyle::PM_LayoutBottomMargin));
    EXPECT_GE(inWindow.left(), style->pixelMetric(QStyle::PM_LayoutLeftMargin));
    EXPECT_GT(frame->height() - inWindow.bottom() - 1, 0);
    EXPECT_TRUE(frame->rect().contains(inWindow));
    AppKit::Application::shared().setMainMenu(nullptr);
}

TEST_F(PreferencesTest, PopUpShowsTheStoredEncodingAndTheFirstEntryStoresZero)
{
    Vantel::SharedSettings().setFallbackEncoding(Foundation::Encoding::ShiftJIS);
    auto controller = pane();
    auto* popUp = controller->encodingPopUpButton();
    const auto& encodings = controller->encodings();
    ASSERT_GT(encodings.size(), 2u);
    EXPECT_EQ(encodings.front().encoding, 0u);
    EXPECT_EQ(popUp->itemText(0).toStdString(), localizedString("PREFERENCES_FALLBACK_ENCODING_NONE"));
    ASSERT_GE(popUp->currentIndex(), 0);
    EXPECT_EQ(encodings[static_cast<size_t>(popUp->currentIndex())].encoding, Foundation::Encoding::ShiftJIS);

    popUp->setCurrentIndex(0);
    emit popUp->activated(0);
    EXPECT_EQ(Vantel::SharedSettings().fallbackEncoding(), 0u);
    EXPECT_EQ(Vantel::shared()->stringForKey(Vantel::kFallbackEncodingKey), "0");
}

TEST_F(PreferencesTest, CheckboxReflectsAndWritesTheSharedSetting)
{
    Vantel::SharedSettings().setDoNotAskForReorder(true);
    auto controller = pane();
    auto* box = controller->multiVolumeOpenDirectlyCheckBox();
    EXPECT_TRUE(box->isChecked());
    box->click();
    EXPECT_FALSE(Vantel::SharedSettings().doNotAskForReorder());
    box->click();
    EXPECT_TRUE(Vantel::SharedSettings().doNotAskForReorder());
}

TEST_F(PreferencesTest, ClearCachesEmptiesTheTemporaryFolderAndInboxButKeepsThem)
{
    fill(temporaryFolder());
    fill(inboxFolder());
    auto controller = pane();
    controller->clearCachesButton()->click();
    ASSERT_TRUE(TestSupport::waitUntil([&] {
        return fs::is_empty(temporaryFolder()) && fs::is_empty(inboxFolder()) && !shownAlert();
    }));
    EXPECT_TRUE(fs::is_directory(temporaryFolder()));
    EXPECT_TRUE(fs::is_directory(inboxFolder()));
}

TEST_F(PreferencesTest, AFileThatCannotBeRemovedStopsWithAnAlertAndLeavesInboxAlone)
{
    const std::string temporary = temporaryFolder();
    fs::create_directories(temporary + "/a-locked");
    std::ofstream(temporary + "/a-locked/keep") << "keep";
    std::ofstream(temporary + "/b-after") << "after";
    fill(inboxFolder());
    if (!lock(temporary + "/a-locked/keep"))
        GTEST_SKIP() << "this file system cannot make a file undeletable for root";

    auto controller = pane();
    controller->clearCachesButton()->click();
    QWidget* alert = nullptr;
    ASSERT_TRUE(TestSupport::waitUntil([&] {
        alert = shownAlert();
        return alert && alertStyle(alert) == AppKit::AlertStyle::critical;
    }));
    EXPECT_NE(informativeText(alert).find("a-locked"), std::string::npos);
    EXPECT_TRUE(fs::exists(temporary + "/b-after"));
    EXPECT_FALSE(fs::is_empty(inboxFolder()));
    pressButton(alert, localizedString("COMMON_OK"));
}

TEST_F(PreferencesTest, ClearCachesDoesNothingWhileThePaneIsInNoWindow)
{
    fill(temporaryFolder());
    auto controller = std::make_shared<PreferencesViewController>();
    controller->view();
    controller->clearCache();
    TestSupport::drainEvents();
    EXPECT_FALSE(fs::is_empty(temporaryFolder()));
}

} // namespace
