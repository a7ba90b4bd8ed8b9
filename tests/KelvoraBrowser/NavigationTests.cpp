#include "BrowserFixture.h"

#include "Kelvora/BrowserToolbarIdentifiers.h"
#include "Platform/AppKit/Controls.h"
#include "Platform/AppKit/Toolbar.h"
#include "tests/support/WidgetDriver.h"

#include <QLabel>

class NavigationTest : public BrowserTest {
protected:
    void SetUp() override
    {
        BrowserTest::SetUp();
        const auto folder = scratch("nav");
        writeFile(folder + "/src/A/B/deep.txt", "deep");
        writeFile(folder + "/src/C/see.txt", "see");
        writeFile(folder + "/src/empty.txt", "");
        run(folder + "/src", {"zip", "-qr", "../nav.zip", "A", "C", "empty.txt"});
        open({folder + "/nav.zip"});
    }

    std::vector<std::string> historyNames() const
    {
        std::vector<std::string> names;
        for (const auto& directory : browser->pathHistory)
            names.push_back(directory->isRoot() ? "/" : directory->name());
        return names;
    }

    AppKit::SegmentedControl* navigation()
    {
        auto item = window->toolbar()->itemWithIdentifier(BrowserToolbar::navigation);
        if (item)
            browser->validateToolbarItem(*item);
        return item ? dynamic_cast<AppKit::SegmentedControl*>(item->view().get()) : nullptr;
    }
};

TEST_F(NavigationTest, BackTwiceThenEnteringDropsTheForwardHistory)
{
    enter("A");
    enter("B");
    EXPECT_EQ(historyNames(), (std::vector<std::string>{"/", "A", "B"}));
    browser->goBack();
    browser->goBack();
    EXPECT_EQ(browser->currentDirectory, browser->rootDirectory);
    browser->goBack(); // at the oldest: nothing
    EXPECT_EQ(browser->pathHistoryIndex, 0);
    enter("C");
    EXPECT_EQ(historyNames(), (std::vector<std::string>{"/", "C"}));
    EXPECT_EQ(browser->pathHistoryIndex, 1);
    auto* control = navigation();
    ASSERT_NE(control, nullptr);
    EXPECT_TRUE(control->isEnabledForSegment(0));
    EXPECT_FALSE(control->isEnabledForSegment(1));
}

TEST_F(NavigationTest, PathBarShowsTheChainAndItsRootClickGoesHome)
{
    enter("A");
    enter("B");
    ASSERT_EQ(browser->pathControl->pathItems().size(), 3u);
    EXPECT_EQ(browser->pathControl->pathItems()[0]->title, "nav.zip");
    EXPECT_EQ(browser->pathControl->pathItems()[2]->title, "B");
    ASSERT_TRUE(TestSupport::clickPathItem(*browser->pathControl, 0));
    EXPECT_EQ(browser->currentDirectory, browser->rootDirectory);
    EXPECT_EQ(browser->pathControl->pathItems().size(), 1u);
    EXPECT_EQ(historyNames(), (std::vector<std::string>{"/", "A", "B", "/"}));
}

TEST_F(NavigationTest, CellsAndDescriptionLine)
{
    EXPECT_EQ(browser->items.size(), 3u);
    const auto& columns = browser->tableView->tableColumns();
    auto cell = [&](int row, int column) { return browser->cellFor(*columns[column], row)->text; };
    EXPECT_EQ(cell(0, 0), "A");
    EXPECT_EQ(cell(2, 0), "empty.txt");
    EXPECT_EQ(cell(2, 1), "Zero KB");
    EXPECT_FALSE(cell(2, 3).empty());
    const std::string all = browser->descriptionLabel->text().toStdString();
    EXPECT_EQ(all.rfind("3 items", 0), 0u) << all;
    browser->tableView->selectRowIndexes({0, 1}, false);
    const std::string selected = browser->descriptionLabel->text().toStdString();
    EXPECT_EQ(selected.rfind("2 items selected", 0), 0u) << selected;
}
