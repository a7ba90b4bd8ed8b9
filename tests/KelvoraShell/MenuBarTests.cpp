// The browser's menu bar and preview pane, used as a user does: menu items
// chosen from the window's own bar, the pane's divider left where the user
// put it.

#include "ShellFixture.h"

#include "Kelvora/FileViewController.h"
#include "Kelvora/Strings.h"
#include "Platform/AppKit/Application.h"
#include "Platform/AppKit/Toolbar.h"
#include "tests/support/EventLoop.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QSplitter>
#include <QTableView>

namespace {

class MenuBarTest : public ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        AppKit::Application::shared().setMainMenu(delegate->makeMainMenu());
    }
    void TearDown() override
    {
        ShellTest::TearDown();
        AppKit::Application::shared().setMainMenu(nullptr);
    }

    // A browser window showing a one-file zip, in front.
    std::pair<AppKit::WindowPtr, FileViewControllerPtr> openBrowser()
    {
        delegate->openArchives({makeZip("menu.zip")});
        auto window = browserWindows().front();
        auto browser = std::dynamic_pointer_cast<FileViewController>(window->contentViewController());
        EXPECT_TRUE(TestSupport::waitUntil([&] { return browser->currentDirectory && window->isKeyWindow(); }));
        return {window, browser};
    }

    // Opens the menu of the window's bar as a click on its title does.
    static QMenu* openMenu(const AppKit::WindowPtr& window, const char* menuKey)
    {
        auto* bar = window->widget()->menuWidget();
        for (QAction* top : bar ? bar->actions() : QList<QAction*>()) {
            if (top->text().toStdString() == localizedString(menuKey) && top->menu()) {
                emit top->menu()->aboutToShow();
                return top->menu();
            }
        }
        return nullptr;
    }

    // The item of the opened menu with the text.
    static QAction* menuAction(const AppKit::WindowPtr& window, const char* menuKey, const char* itemKey)
    {
        QMenu* menu = openMenu(window, menuKey);
        for (QAction* action : menu ? menu->actions() : QList<QAction*>())
            if (action->text().toStdString() == localizedString(itemKey))
                return action;
        return nullptr;
    }

    static int paneWidth(const FileViewControllerPtr& browser) { return browser->splitView->sizes().value(1); }
};

TEST_F(MenuBarTest, TheBarHoldsTheStandardMenusAndNoItemOfThemIsInert)
{
    auto [window, browser] = openBrowser();
    auto* bar = window->widget()->menuWidget();
    ASSERT_TRUE(bar);
    std::vector<std::string> titles;
    for (QAction* top : bar->actions())
        titles.push_back(top->text().toStdString());
    EXPECT_EQ(titles, (std::vector<std::string>{localizedString("MENU_FILE"), localizedString("MENU_EDIT"),
                                                localizedString("MENU_VIEW"), localizedString("MENU_WINDOW"),
                                                localizedString("MENU_HELP")}));
    // Every item reaches a responder that handles it, in a browser with an archive.
    for (const auto& top : AppKit::Application::shared().mainMenu()->items())
        for (const auto& item : top->submenu()->items())
            if (!item->isSeparator())
                EXPECT_TRUE(AppKit::Application::shared().targetForAction(item->action())) << item->title();
}

TEST_F(MenuBarTest, ItemsActOnTheKeyBrowser)
{
    auto [window, browser] = openBrowser();
    auto* table = window->widget()->findChild<QTableView*>();
    ASSERT_TRUE(table);
    ASSERT_TRUE(table->model()->rowCount() > 0);

    QAction* selectAll = menuAction(window, "MENU_EDIT", "MENU_SELECT_ALL");
    ASSERT_TRUE(selectAll && selectAll->isEnabled());
    selectAll->trigger();
    EXPECT_EQ(table->selectionModel()->selectedRows().size(), table->model()->rowCount());

    QAction* toolbar = menuAction(window, "MENU_VIEW", "MENU_SHOW_TOOLBAR");
    ASSERT_TRUE(toolbar);
    EXPECT_TRUE(toolbar->isChecked());
    toolbar->trigger();
    EXPECT_FALSE(window->toolbar()->isVisible());
    EXPECT_FALSE(menuAction(window, "MENU_VIEW", "MENU_SHOW_TOOLBAR")->isChecked());
    menuAction(window, "MENU_VIEW", "MENU_SHOW_TOOLBAR")->trigger();
    EXPECT_TRUE(window->toolbar()->isVisible());

    QAction* minimize = menuAction(window, "MENU_WINDOW", "MENU_MINIMIZE");
    ASSERT_TRUE(minimize && minimize->isEnabled());
    minimize->trigger();
    EXPECT_TRUE(TestSupport::waitUntil([&] { return window->isMiniaturized(); }, std::chrono::seconds(5)));

    // The Window menu lists each open window and brings the chosen one forward.
    delegate->newDocument();
    auto other = browserWindows().front();
    ASSERT_NE(other, window);
    ASSERT_TRUE(TestSupport::waitUntil([&] { return other->isKeyWindow(); }));
    QAction* listed = nullptr;
    QMenu* windowMenu = openMenu(window, "MENU_WINDOW");
    ASSERT_TRUE(windowMenu);
    for (QAction* action : windowMenu->actions())
        if (action->isCheckable() && !action->isChecked())
            listed = action;
    ASSERT_TRUE(listed);
    listed->trigger();
    EXPECT_TRUE(TestSupport::waitUntil([&] { return window->isKeyWindow(); }));

    QAction* about = menuAction(window, "MENU_HELP", "MENU_ABOUT");
    ASSERT_TRUE(about);
    about->trigger();
    auto* shown = shownAlert();
    ASSERT_TRUE(shown);
    EXPECT_EQ(messageText(shown), "Kelvora");
    pressButton(shown, localizedString("COMMON_OK"));
}

TEST_F(MenuBarTest, PreviewPaneStartsAtAThirdTogglesFromTheViewMenuAndIsKeptAcrossLaunches)
{
    auto [window, browser] = openBrowser();
    const int total = browser->splitView->sizes().value(0) + paneWidth(browser);
    EXPECT_NEAR(paneWidth(browser), total / 3, total / 20);

    QAction* toggle = menuAction(window, "MENU_VIEW", "MENU_SHOW_PREVIEW");
    ASSERT_TRUE(toggle && toggle->isChecked());
    // The user drags the divider, then hides the pane.
    QList<int> sizes = browser->splitView->sizes();
    sizes[0] += sizes[1] - 150;
    sizes[1] = 150;
    browser->splitView->setSizes(sizes);
    emit browser->splitView->splitterMoved(sizes[0], 1);
    toggle->trigger();
    EXPECT_EQ(paneWidth(browser), 0);
    EXPECT_FALSE(menuAction(window, "MENU_VIEW", "MENU_SHOW_PREVIEW")->isChecked());

    // The next launch's browser comes back as the user left it.
    delegate->newDocument();
    auto next = browserWindows().front();
    auto nextBrowser = std::dynamic_pointer_cast<FileViewController>(next->contentViewController());
    ASSERT_TRUE(TestSupport::waitUntil([&] { return next->isKeyWindow(); }));
    TestSupport::drainEvents();
    EXPECT_EQ(paneWidth(nextBrowser), 0);
    menuAction(next, "MENU_VIEW", "MENU_SHOW_PREVIEW")->trigger();
    EXPECT_EQ(paneWidth(nextBrowser), 150);
}

} // namespace
