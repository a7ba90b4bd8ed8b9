#include "BrowserFixture.h"

#include "Kelvora/BrowserToolbarIdentifiers.h"
#include "Kelvora/SearchResultViewController.h"
#include "Platform/AppKit/SearchField.h"
#include "Platform/AppKit/Toolbar.h"
#include "tests/support/EventLoop.h"
#include "tests/support/WidgetDriver.h"

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTableView>

#include <algorithm>
#include <set>
#include <thread>

namespace {

std::string pathOf(const ZODArchiveModelPtr& entry)
{
    return entry->normalizedPath();
}

std::vector<std::string> pathsOf(const std::vector<ZODArchiveModelPtr>& entries)
{
    std::vector<std::string> paths;
    for (const auto& entry : entries)
        paths.push_back(pathOf(entry));
    return paths;
}

} // namespace

class SearchTest : public BrowserTest {
protected:
    void SetUp() override
    {
        BrowserTest::SetUp();
        archive = makeArchive("search.zip", {{"Docs/Report.PDF", 3000},
                                             {"Docs/notes.txt", 10},
                                             {"Docs/Deep/Inner/REPORT-final.txt", 20},
                                             {"Music/track01.mp3", 50},
                                             {"Music/Docs2/readme.md", 5},
                                             {"photo.JPG", 7},
                                             {"report.txt", 100}});
        open({archive});
    }

    // A zip written by Python's zipfile: each file of the given size.
    std::string makeArchive(const std::string& name, const std::vector<std::pair<std::string, int>>& files)
    {
        const auto folder = scratch("search");
        std::string script = "import zipfile\nwith zipfile.ZipFile('" + name + "', 'w') as z:\n";
        for (const auto& [path, size] : files)
            script += "    z.writestr('" + path + "', b'x' * " + std::to_string(size) + ")\n";
        run(folder, {"python3", "-c", script});
        return folder + "/" + name;
    }

    AppKit::SearchField* field()
    {
        auto item = window->toolbar()->itemWithIdentifier(BrowserToolbar::search);
        return item ? dynamic_cast<AppKit::SearchField*>(item->view().get()) : nullptr;
    }

    // Types into the toolbar's field as the user does: every change sends its action.
    void type(const std::string& text)
    {
        ASSERT_NE(field(), nullptr);
        field()->lineEdit()->setText(QString::fromStdString(text));
    }

    const SearchResultViewControllerPtr& list() const { return browser->searchResultViewController; }

    void waitForResults()
    {
        ASSERT_TRUE(TestSupport::waitUntil([&] { return !list()->progressIndicator()->isAnimating(); }));
    }

    int rowNamed(const std::string& name) const
    {
        const auto& results = list()->rawSearchResults();
        for (size_t i = 0; i < results.size(); ++i)
            if (results[i]->name() == name)
                return static_cast<int>(i);
        return -1;
    }

    bool toolbarItemEnabled(const char* identifier)
    {
        auto item = window->toolbar()->itemWithIdentifier(identifier);
        return item && item->isEnabled();
    }

    std::vector<std::string> historyNames() const
    {
        std::vector<std::string> names;
        for (const auto& directory : browser->pathHistory)
            names.push_back(directory->isRoot() ? "/" : directory->name());
        return names;
    }

    std::string archive;
};

TEST_F(SearchTest, ResultsAreTheEntriesWhoseOwnNameHoldsTheTextInAnyCase)
{
    const struct {
        const char* query;
        std::set<std::string> expected;
    } cases[] = {
        // Lower case finds upper case, at every depth.
        {"report", {"Docs/Deep/Inner/REPORT-final.txt", "Docs/Report.PDF", "report.txt"}},
        // Folders by their own name only, not for what they hold.
        {"DOC", {"Docs", "Music/Docs2"}},
        {"jpg", {"photo.JPG"}},
        {"inner/", {}},
        // The archive's root is never a result.
        {"search", {}},
        {"zzz", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.query);
        type(c.query);
        EXPECT_TRUE(browser->isShowingSearchResults());
        EXPECT_TRUE(browser->resultContainerView->isHidden());
        waitForResults();
        const auto paths = pathsOf(list()->rawSearchResults());
        EXPECT_EQ(std::set<std::string>(paths.begin(), paths.end()), c.expected);
        EXPECT_EQ(paths.size(), c.expected.size());
        EXPECT_EQ(list()->tableView()->numberOfRowsShown(), static_cast<int>(c.expected.size()));
        EXPECT_TRUE(list()->progressIndicator()->isHidden());
        EXPECT_EQ(list()->scrollView()->isHidden(), c.expected.empty());
        EXPECT_EQ(list()->noResultTextField()->isHidden(), !c.expected.empty());
        if (c.expected.empty()) {
            EXPECT_EQ(list()->noResultTextField()->stringValue(),
                      std::string("No results matching “") + c.query + "”");
        }
        // Navigation and extraction wait until the file list is back.
        EXPECT_FALSE(toolbarItemEnabled(BrowserToolbar::navigation));
        EXPECT_FALSE(toolbarItemEnabled(BrowserToolbar::unarchive));
    }
}

TEST_F(SearchTest, ResultsShowInTheTableSortedByItsColumns)
{
    type("report");
    waitForResults();
    auto table = list()->tableView();
    auto* view = qobject_cast<QTableView*>(table->widget());
    ASSERT_NE(view, nullptr);
    // Name, Kind, Size; sorted by name to begin with.
    const auto& columns = table->tableColumns();
    ASSERT_EQ(columns.size(), 3u);
    EXPECT_EQ(columns[0]->identifier(), "Name");
    EXPECT_EQ(columns[1]->identifier(), "Kind");
    EXPECT_EQ(columns[2]->identifier(), "Size");
    auto shown = [&](int row, int column) { return view->model()->index(row, column).data().toString().toStdString(); };
    for (int row = 0; row < 3; ++row) {
        const auto& entry = list()->rawSearchResults()[static_cast<size_t>(row)];
        EXPECT_EQ(shown(row, 0), entry->name());
        EXPECT_EQ(shown(row, 1), entry->typeDescription());
    }
    EXPECT_EQ(shown(rowNamed("report.txt"), 2), "100 bytes");
    EXPECT_EQ(shown(rowNamed("Report.PDF"), 2), "3 KB");

    // A click on the Size header re-sorts the current results, smallest first.
    QHeaderView* header = view->horizontalHeader();
    const QPoint at(header->sectionViewportPosition(2) + header->sectionSize(2) / 2, header->height() / 2);
    QMouseEvent press(QEvent::MouseButtonPress, at, header->viewport()->mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, {});
    QApplication::sendEvent(header->viewport(), &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, header->viewport()->mapToGlobal(at), Qt::LeftButton,
                        Qt::NoButton, {});
    QApplication::sendEvent(header->viewport(), &release);
    EXPECT_EQ(pathsOf(list()->rawSearchResults()),
              (std::vector<std::string>{"Docs/Deep/Inner/REPORT-final.txt", "report.txt", "Docs/Report.PDF"}));
    EXPECT_EQ(shown(0, 0), "REPORT-final.txt");

    // A double click opens what that row shows now.
    ASSERT_TRUE(TestSupport::doubleClickRow(*table, 2));
    ASSERT_NE(browser->currentDirectory, nullptr);
    EXPECT_EQ(browser->currentDirectory->name(), "Docs");
    ASSERT_EQ(browser->tableView->selectedRowIndexes().size(), 1u);
    EXPECT_EQ(browser->items[static_cast<size_t>(browser->tableView->selectedRow())]->name(), "Report.PDF");
}

TEST_F(SearchTest, ChoosingAResultShowsItSelectedInItsFolder)
{
    type("report");
    waitForResults();
    auto table = list()->tableView();

    // Empty space below the rows: nothing happens.
    QWidget* viewport = table->rowsViewport();
    const QPoint below(10, table->rectOfRow(table->numberOfRowsShown() - 1).bottom() + 20);
    ASSERT_LT(below.y(), viewport->height());
    QMouseEvent dbl(QEvent::MouseButtonDblClick, below, viewport->mapToGlobal(below), Qt::LeftButton,
                    Qt::LeftButton, {});
    QApplication::sendEvent(viewport, &dbl);
    EXPECT_TRUE(browser->isShowingSearchResults());
    EXPECT_EQ(field()->stringValue(), "report");

    const int row = rowNamed("REPORT-final.txt");
    ASSERT_TRUE(TestSupport::doubleClickRow(*table, row));
    EXPECT_EQ(field()->stringValue(), "");
    EXPECT_FALSE(browser->isShowingSearchResults());
    EXPECT_FALSE(browser->resultContainerView->isHidden());
    EXPECT_FALSE(list()->view()->widget()->isVisible());
    ASSERT_NE(browser->currentDirectory, nullptr);
    EXPECT_EQ(browser->currentDirectory->normalizedPath(), "Docs/Deep/Inner");
    // The path bar's chain: root, Docs, Deep, Inner.
    EXPECT_EQ(browser->stack.size(), 4u);
    EXPECT_EQ(historyNames(), (std::vector<std::string>{"/", "Inner"}));
    EXPECT_EQ(listedNames(), (std::vector<std::string>{"REPORT-final.txt"}));
    EXPECT_EQ(browser->tableView->selectedRowIndexes(), (AppKit::IndexSet{0}));
    EXPECT_TRUE(toolbarItemEnabled(BrowserToolbar::navigation));
    EXPECT_TRUE(toolbarItemEnabled(BrowserToolbar::unarchive));

    // A result in the folder already shown leaves the history as it is.
    browser->goBack();
    type("report");
    waitForResults();
    ASSERT_TRUE(TestSupport::doubleClickRow(*list()->tableView(), rowNamed("report.txt")));
    EXPECT_EQ(browser->currentDirectory, browser->rootDirectory);
    EXPECT_EQ(historyNames(), (std::vector<std::string>{"/", "Inner"}));
    EXPECT_EQ(browser->pathHistoryIndex, 0);
    const auto selected = browser->tableView->selectedRowIndexes();
    ASSERT_EQ(selected.size(), 1u);
    EXPECT_EQ(browser->items[static_cast<size_t>(*selected.begin())]->name(), "report.txt");
}

TEST_F(SearchTest, ClearingTheFieldShowsTheFolderListingAgain)
{
    enter("Docs");
    const auto listed = listedNames();
    type("notes");
    waitForResults();
    ASSERT_EQ(list()->rawSearchResults().size(), 1u);
    type("");
    EXPECT_FALSE(browser->isShowingSearchResults());
    EXPECT_FALSE(browser->resultContainerView->isHidden());
    EXPECT_EQ(listedNames(), listed);
    EXPECT_EQ(browser->currentDirectory->name(), "Docs");
    EXPECT_TRUE(list()->rawSearchResults().empty());
    EXPECT_EQ(list()->tableView()->numberOfRowsShown(), 0);
    EXPECT_TRUE(list()->currentOperation()->isCancelled());
    EXPECT_TRUE(toolbarItemEnabled(BrowserToolbar::unarchive));
}

TEST_F(SearchTest, EachQuerySupersedesTheOneBeforeSoOnlyTheLastOneIsShown)
{
    // Large enough that a walk is still running when the next key comes.
    const auto folder = scratch("many");
    run(folder, {"python3", "-c",
                 "import io, tarfile\n"
                 "with tarfile.open('many.tar', 'w') as t:\n"
                 "    for d in range(300):\n"
                 "        for f in range(100):\n"
                 "            t.addfile(tarfile.TarInfo(f'd{d}/f{f}.txt'), io.BytesIO(b''))\n"});
    open({folder + "/many.tar"});

    std::vector<std::vector<std::string>> delivered;
    const auto observer = list()->searchResults()->addObserver([&] {
        std::vector<std::string> names;
        for (const auto& object : list()->searchResults()->arrangedObjects())
            names.push_back(object->valueForKey("name").toString().toStdString());
        delivered.push_back(names);
    });

    type("f");
    const auto first = list()->currentOperation();
    type("f1");
    const auto second = list()->currentOperation();
    type("f12");
    EXPECT_TRUE(first->isCancelled());
    EXPECT_TRUE(second->isCancelled());
    waitForResults();
    TestSupport::drainEvents();
    ASSERT_EQ(delivered.size(), 1u);
    EXPECT_EQ(delivered.front().size(), 300u);
    EXPECT_TRUE(std::all_of(delivered.front().begin(), delivered.front().end(),
                            [](const std::string& name) { return name == "f12.txt"; }));

    // A walk that finished and posted its results before the next key: the
    // posted results are dropped on the main thread.
    type("f13");
    const auto finished = list()->currentOperation();
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!finished->isFinished() && std::chrono::steady_clock::now() < limit)
        std::this_thread::yield();
    ASSERT_TRUE(finished->isFinished());
    type("f14");
    waitForResults();
    TestSupport::drainEvents();
    ASSERT_EQ(delivered.size(), 2u);
    EXPECT_EQ(delivered.back().front(), "f14.txt");

    // Emptying the field while a walk runs: it never shows, the spinner stops.
    type("d1");
    type("");
    EXPECT_FALSE(list()->progressIndicator()->isAnimating());
    EXPECT_FALSE(browser->isShowingSearchResults());
    TestSupport::drainEvents(std::chrono::milliseconds(300));
    ASSERT_EQ(delivered.size(), 3u);
    EXPECT_TRUE(delivered.back().empty());
    EXPECT_TRUE(list()->scrollView()->isHidden());
    EXPECT_TRUE(list()->noResultTextField()->isHidden());
    list()->searchResults()->removeObserver(observer);
}

TEST_F(SearchTest, OpeningAnotherArchiveTakesTheShownListDown)
{
    type("report");
    waitForResults();
    const auto old = list();
    const auto other = makeArchive("other.zip", {{"report/inside.txt", 1}});
    open({other});
    EXPECT_FALSE(browser->isShowingSearchResults());
    EXPECT_FALSE(browser->resultContainerView->isHidden());
    EXPECT_FALSE(old->view()->widget()->isVisible());
    EXPECT_EQ(field()->stringValue(), "");
    EXPECT_NE(list(), old);
    EXPECT_EQ(list()->root(), browser->rootDirectory);
    EXPECT_EQ(listedNames(), (std::vector<std::string>{"report"}));

    // The new list answers the field and reports to this browser.
    type("inside");
    waitForResults();
    ASSERT_EQ(list()->rawSearchResults().size(), 1u);
    ASSERT_TRUE(TestSupport::doubleClickRow(*list()->tableView(), 0));
    EXPECT_EQ(browser->currentDirectory->name(), "report");
}

TEST_F(SearchTest, WalkListsEachFolderBeforeItsContentsAndStopsWhenCancelled)
{
    open({makeArchive("chain.zip", {{"Ax/B/fx.txt", 1}, {"Ax/gx.txt", 1}, {"hx.txt", 1}})});
    auto operation = Foundation::BlockOperation::make([] {});
    const auto found = searchDirectoryTree(browser->rootDirectory, "X", *operation);
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(pathsOf(*found), (std::vector<std::string>{"Ax", "Ax/B/fx.txt", "Ax/gx.txt", "hx.txt"}));

    operation->cancel();
    EXPECT_FALSE(searchDirectoryTree(browser->rootDirectory, "x", *operation).has_value());
}

TEST_F(SearchTest, ColumnWidthsPersistUnderTheAutosaveName)
{
    auto first = std::make_shared<SearchResultViewController>(browser->rootDirectory);
    first->view();
    auto* header = qobject_cast<QTableView*>(first->tableView()->widget())->horizontalHeader();
    header->resizeSection(0, 420);
    header->moveSection(2, 0);

    auto second = std::make_shared<SearchResultViewController>(browser->rootDirectory);
    second->view();
    auto* restored = qobject_cast<QTableView*>(second->tableView()->widget())->horizontalHeader();
    EXPECT_EQ(restored->sectionSize(0), 420);
    EXPECT_EQ(restored->logicalIndex(0), 2);
}
