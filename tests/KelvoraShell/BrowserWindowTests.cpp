#include "ShellFixture.h"

#include "Kelvora/BrowserToolbarIdentifiers.h"
#include "Kelvora/CommonWindowController.h"
#include "Kelvora/CutomValidatableToolbarItem.h"
#include "Kelvora/Strings.h"
#include "Kelvora/WindowOperations.h"
#include "Platform/AppKit/Controls.h"
#include "Platform/AppKit/Toolbar.h"
#include "tests/support/EventLoop.h"

namespace {

class BrowserWindowTest : public ShellTest {};

std::vector<std::string> identifiers(const AppKit::Toolbar& toolbar)
{
    std::vector<std::string> result;
    for (const auto& item : toolbar.items())
        result.push_back(item->itemIdentifier());
    return result;
}

TEST_F(BrowserWindowTest, WindowIsCompleteWhenMade)
{
    auto controller = ArchiveWindowController::make();
    auto window = controller->window();
    ASSERT_TRUE(window);
    ASSERT_TRUE(controller->fileViewController());
    EXPECT_EQ(window->title(), localizedString("APP_WINDOW_TITLE"));
    EXPECT_EQ(window->frameAutosaveName(), "ArchiveBrowserWindow");
    EXPECT_EQ(window->delegate(), std::static_pointer_cast<AppKit::WindowDelegate>(controller));
    EXPECT_TRUE(window->contentView()->widget()->findChild<QWidget*>(visualEffectViewName));
    ASSERT_TRUE(window->toolbar());
    EXPECT_EQ(window->toolbar()->identifier(), "ArchiveBrowserWindowToolbar");
    const std::vector<std::string> expected{BrowserToolbar::navigation, AppKit::ToolbarFlexibleSpaceItemIdentifier,
                                            BrowserToolbar::archive,    BrowserToolbar::unarchive,
                                            BrowserToolbar::tasks,      BrowserToolbar::search};
    EXPECT_EQ(controller->toolbarDefaultItemIdentifiers(*window->toolbar()), expected);
    EXPECT_EQ(controller->toolbarAllowedItemIdentifiers(*window->toolbar()), expected);
    // The tool bar shows the flexible space as a spacer, not as an item.
    EXPECT_EQ(identifiers(*window->toolbar()),
              (std::vector<std::string>{BrowserToolbar::navigation, BrowserToolbar::archive, BrowserToolbar::unarchive,
                                        BrowserToolbar::tasks, BrowserToolbar::search}));
    auto tasks = window->toolbar()->itemWithIdentifier(BrowserToolbar::tasks);
    EXPECT_EQ(tasks->label(), localizedString("TOOLBAR_LABEL_TASKS"));
    EXPECT_EQ(tasks->toolTip(), tasks->label());
    EXPECT_FALSE(controller->toolbarItemForIdentifier(*window->toolbar(), "com.tarnu.Kelvora.other", true));
}

TEST_F(BrowserWindowTest, EmptyBrowserDisablesNavigationUnarchiveAndSearch)
{
    auto controller = ArchiveWindowController::make();
    auto toolbar = controller->window()->toolbar();
    validateVisibleToolbarItems(*controller->window());
    EXPECT_FALSE(toolbar->itemWithIdentifier(BrowserToolbar::navigation)->isEnabled());
    EXPECT_FALSE(toolbar->itemWithIdentifier(BrowserToolbar::unarchive)->isEnabled());
    EXPECT_FALSE(toolbar->itemWithIdentifier(BrowserToolbar::search)->isEnabled());
    EXPECT_TRUE(toolbar->itemWithIdentifier(BrowserToolbar::tasks)->isEnabled());
    EXPECT_EQ(toolbar->itemWithIdentifier(BrowserToolbar::unarchive)->toolTip(),
              localizedString("ACTION_UNARCHIVE_ALL"));
}

TEST_F(BrowserWindowTest, NavigationSegmentsGoBackAndForwardInTheBrowser)
{
    auto controller = ArchiveWindowController::make();
    auto browser = controller->fileViewController();
    std::vector<std::string> calls;
    browser->setActionHandler("goBack", [&](AppKit::Responder*) { calls.push_back("back"); });
    browser->setActionHandler("goForward", [&](AppKit::Responder*) { calls.push_back("forward"); });
    auto item = controller->window()->toolbar()->itemWithIdentifier(BrowserToolbar::navigation);
    auto control = std::dynamic_pointer_cast<AppKit::SegmentedControl>(item->view());
    ASSERT_TRUE(control);
    for (int segment : {0, 1, 2, -1}) {
        control->setSelectedSegment(segment);
        controller->goBackOrForward(control.get());
    }
    controller->goBackOrForward(controller.get());
    EXPECT_EQ(calls, (std::vector<std::string>{"back", "forward"}));
}

TEST_F(BrowserWindowTest, NewTabFromTheTabBarOpensAnEmptyBrowserAboveAndKeepsIt)
{
    delegate->openArchives({});
    auto first = *delegate->retainedWindows.begin();
    first->newWindowForTab(nullptr);
    ASSERT_EQ(delegate->retainedWindows.size(), 2u);
    auto tabs = first->window()->tabbedWindows();
    ASSERT_EQ(tabs.size(), 2u);
    auto key = AppKit::Window::keyWindow();
    ASSERT_TRUE(key);
    EXPECT_NE(key, first->window());
    auto browser = std::dynamic_pointer_cast<FileViewController>(key->contentViewController());
    ASSERT_TRUE(browser);
    EXPECT_FALSE(browser->currentDirectory);
}

TEST_F(BrowserWindowTest, WindowControllerBasesGiveTheCommonLook)
{
    auto plain = AppKit::Window::make();
    plain->setContentView(AppKit::View::make());
    auto common = CommonWindowController::make<CommonWindowController>(plain);
    EXPECT_EQ(plain->title(), localizedString("APP_WINDOW_TITLE"));
    EXPECT_TRUE(plain->contentView()->widget()->findChild<QWidget*>(visualEffectViewName));
    EXPECT_TRUE(plain->isStandardButtonEnabled(AppKit::WindowButton::zoom));

    auto other = AppKit::Window::make();
    other->setContentView(AppKit::View::make());
    auto noZoom = CommonWindowController::make<NoZoomWindowController>(other);
    EXPECT_FALSE(other->isStandardButtonEnabled(AppKit::WindowButton::zoom));
    EXPECT_TRUE(other->isStandardButtonEnabled(AppKit::WindowButton::close));
    EXPECT_TRUE(other->isStandardButtonEnabled(AppKit::WindowButton::miniaturize));
}

} // namespace
