// The file table as a user meets it: clicks, right-clicks, header clicks and
// keys delivered where Qt delivers them, and the entries that Extract then
// writes.

#include "BrowserFixture.h"

#include "Kelvora/BrowserToolbarIdentifiers.h"
#include "Kelvora/Strings.h"
#include "Platform/AppKit/Controls.h"
#include "Platform/AppKit/SearchField.h"
#include "Platform/AppKit/Toolbar.h"
#include "tests/support/EventLoop.h"
#include "tests/support/UiDriver.h"
#include "tests/support/WidgetDriver.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QSplitter>
#include <QTableView>
#include <QTest>
#include <QToolBar>

#include <functional>
#include <set>

namespace {
using Names = std::set<std::string>;
const Names everything{"docs", "a.txt", "b.txt", "c.txt", "d.txt"};
} // namespace

class TableInputTest : public BrowserTest {
protected:
    void SetUp() override
    {
        BrowserTest::SetUp();
        archive = makeArchive("table.zip", {{"docs/x.txt", 1}, {"docs/y.txt", 2}, {"a.txt", 40}, {"b.txt", 10},
                                            {"c.txt", 30}, {"d.txt", 20}});
        open({archive});
        ASSERT_EQ(listedNames(), (std::vector<std::string>{"docs", "a.txt", "b.txt", "c.txt", "d.txt"}));
    }

    void TearDown() override
    {
        if (QMenu* menu = rowMenu(); menu && menu->isVisible())
            menu->hide();
        BrowserTest::TearDown();
    }

    // A zip written by Python's zipfile: each file of the given size.
    std::string makeArchive(const std::string& name, const std::vector<std::pair<std::string, int>>& files)
    {
        static int archives = 0;
        const auto folder = scratch("table-" + std::to_string(++archives));
        std::string script = "import zipfile\nwith zipfile.ZipFile('" + name + "', 'w') as z:\n";
        for (const auto& [path, size] : files)
            script += "    z.writestr('" + path + "', b'x' * " + std::to_string(size) + ")\n";
        run(folder, {"python3", "-c", script});
        return folder + "/" + name;
    }

    QWidget* viewport() const { return browser->tableView->rowsViewport(); }
    QPoint centreOf(int row) const { return browser->tableView->rectOfRow(row).center(); }
    QMenu* rowMenu() const { return browser->tableView->menu() ? browser->tableView->menu()->qtMenu() : nullptr; }

    int rowOf(const std::string& name) const
    {
        const auto names = listedNames();
        const auto it = std::find(names.begin(), names.end(), name);
        return it == names.end() ? -1 : static_cast<int>(it - names.begin());
    }

    void click(int row, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::mouseClick(viewport(), Qt::LeftButton, modifiers, centreOf(row));
    }

    void doubleClick(int row)
    {
        QTest::mouseClick(viewport(), Qt::LeftButton, {}, centreOf(row));
        QTest::mouseDClick(viewport(), Qt::LeftButton, {}, centreOf(row));
    }

    // A right press, the context menu Qt sends with it, the release.
    void rightClick(int row)
    {
        const QPoint at = centreOf(row);
        const QPoint global = viewport()->mapToGlobal(at);
        QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::RightButton, Qt::RightButton, {});
        QApplication::sendEvent(viewport(), &press);
        QContextMenuEvent menu(QContextMenuEvent::Mouse, at, global);
        QApplication::sendEvent(viewport(), &menu);
        QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::RightButton, Qt::NoButton, {});
        QApplication::sendEvent(viewport(), &release);
    }

    bool menuShown()
    {
        return TestSupport::waitUntil([&] { return rowMenu() && rowMenu()->isVisible(); }, std::chrono::seconds(2));
    }

    bool menuItemEnabled(int index) { return rowMenu()->actions().at(index)->isEnabled(); }

    void chooseMenuItem(int index)
    {
        ASSERT_TRUE(menuShown());
        QMenu* menu = rowMenu();
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(menu->actions().at(index)).center());
    }

    QWidget* toolbarButton(const std::string& identifier)
    {
        auto item = window->toolbar()->itemWithIdentifier(identifier);
        if (!item)
            return nullptr;
        if (item->view())
            return item->view()->widget();
        return window->toolbar()->qtToolBar()->widgetForAction(item->qtAction());
    }

    void pressExtract()
    {
        QWidget* button = toolbarButton(BrowserToolbar::unarchive);
        ASSERT_NE(button, nullptr);
        ASSERT_TRUE(button->isEnabled());
        QTest::mouseClick(button, Qt::LeftButton);
    }

    AppKit::SegmentedControl* navigation()
    {
        auto item = window->toolbar()->itemWithIdentifier(BrowserToolbar::navigation);
        return item ? dynamic_cast<AppKit::SegmentedControl*>(item->view().get()) : nullptr;
    }

    void clickSegment(int segment)
    {
        const auto buttons = navigation()->widget()->findChildren<QAbstractButton*>();
        ASSERT_GT(buttons.size(), segment);
        QTest::mouseClick(buttons.at(segment), Qt::LeftButton);
    }

    // What the extraction the input starts writes at the top of a fresh folder.
    Names extracted(const std::function<void()>& input)
    {
        static int extractions = 0;
        const auto destination = scratch("table-out-" + std::to_string(++extractions));
        input();
        if (!choosePanelPath(destination)) {
            ADD_FAILURE() << "no destination panel";
            return {};
        }
        waitForNoTasks();
        Names names;
        for (const QString& name : QDir(QString::fromStdString(destination)).entryList(QDir::NoDotAndDotDot | QDir::AllEntries))
            names.insert(name.toStdString());
        return names;
    }

    Names selectedNames() const
    {
        Names names;
        for (int row : browser->tableView->selectedRowIndexes())
            names.insert(browser->items.at(static_cast<size_t>(row))->name());
        return names;
    }

    QWidget* focused() const { return QApplication::focusWidget(); }

    void focusTable()
    {
        browser->tableView->widget()->setFocus();
        ASSERT_TRUE(TestSupport::waitUntil([&] { return focused() == browser->tableView->widget(); }));
    }

    std::string archive;
};

// The entries Extract names after each way of choosing rows; a click's row
// counts only for the action that click sent.
TEST_F(TableInputTest, ExtractNamesTheEntriesTheUserChose)
{
    struct Case {
        const char* name;
        std::function<void()> choose;
        bool fromMenu;
        Names expected;
    };
    const std::vector<Case> cases = {
        {"nothing chosen", [] {}, false, everything},
        {"click", [this] { click(2); }, false, {"b.txt"}},
        {"click then ctrl-click it off",
         [this] {
             click(2);
             click(2, Qt::ControlModifier);
         },
         false, everything},
        {"ctrl-click adds",
         [this] {
             click(1);
             click(4, Qt::ControlModifier);
         },
         false, {"a.txt", "d.txt"}},
        {"shift-click spans",
         [this] {
             click(1);
             click(3, Qt::ShiftModifier);
         },
         false, {"a.txt", "b.txt", "c.txt"}},
        {"right-click on the first row", [this] { rightClick(0); }, true, {"docs"}},
        {"right-click on a later row", [this] { rightClick(3); }, true, {"c.txt"}},
        {"right-click beside a selection",
         [this] {
             click(1);
             click(4, Qt::ControlModifier);
             rightClick(2);
         },
         true, {"a.txt", "d.txt", "b.txt"}},
        {"toolbar after a right-click's menu was dismissed",
         [this] {
             rightClick(3);
             ASSERT_TRUE(menuShown());
             QTest::keyClick(rowMenu(), Qt::Key_Escape);
             TestSupport::drainEvents();
         },
         false, everything},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        browser->tableView->deselectAll();
        const Names names = extracted([&] {
            c.choose();
            if (c.fromMenu)
                chooseMenuItem(1);
            else
                pressExtract();
        });
        EXPECT_EQ(names, c.expected);
        EXPECT_EQ(browser->tableView->clickedRow(), -1) << "no click outlives its action";
    }
}

TEST_F(TableInputTest, ContextMenuEnablesItsItemsForTheRowUnderThePointer)
{
    struct Case {
        const char* name;
        std::function<void()> open;
        bool openEnabled;
        bool extractEnabled;
    };
    const std::vector<Case> cases = {
        {"first row", [this] { rightClick(0); }, true, true},
        {"last row", [this] { rightClick(4); }, true, true},
        {"below the rows, nothing selected",
         [this] {
             const QPoint at(5, viewport()->height() - 3);
             QContextMenuEvent event(QContextMenuEvent::Mouse, at, viewport()->mapToGlobal(at));
             QApplication::sendEvent(viewport(), &event);
         },
         false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        browser->tableView->deselectAll();
        c.open();
        ASSERT_TRUE(menuShown());
        EXPECT_EQ(menuItemEnabled(0), c.openEnabled);
        EXPECT_EQ(menuItemEnabled(1), c.extractEnabled);
        QTest::keyClick(rowMenu(), Qt::Key_Escape);
        ASSERT_TRUE(TestSupport::waitUntil([&] { return !rowMenu()->isVisible(); }));
    }

    // "Open" from the menu enters the folder under the pointer.
    rightClick(rowOf("docs"));
    chooseMenuItem(0);
    EXPECT_EQ(listedNames(), (std::vector<std::string>{"x.txt", "y.txt"}));
}

TEST_F(TableInputTest, ContextMenuShowsWithThePreviewPaneOpen)
{
    browser->splitView->setSizes({400, 400});
    auto checkbox = browser->previewContainerView->previewCheckbox();
    QTest::mouseClick(checkbox->widget(), Qt::LeftButton);
    ASSERT_EQ(checkbox->state(), AppKit::ControlStateValueOn);

    rightClick(rowOf("b.txt"));
    ASSERT_TRUE(menuShown());
    EXPECT_TRUE(menuItemEnabled(0));
    EXPECT_EQ(extracted([&] { chooseMenuItem(1); }), Names{"b.txt"});
    QTest::mouseClick(checkbox->widget(), Qt::LeftButton);
    EXPECT_TRUE(TestSupport::waitUntil([&] { return !browser->previewSempahore; }));
}

// Entering a folder, going back or forward, the path bar and a new archive
// each list rows that nobody chose yet.
TEST_F(TableInputTest, ANewListingStartsWithNothingSelected)
{
    struct Case {
        const char* name;
        std::function<void()> list;
        Names listed;
    };
    const std::vector<Case> cases = {
        {"double-click a folder", [this] { doubleClick(rowOf("docs")); }, {"x.txt", "y.txt"}},
        {"back", [this] { clickSegment(0); }, everything},
        {"forward", [this] { clickSegment(1); }, {"x.txt", "y.txt"}},
        {"path bar", [this] { ASSERT_TRUE(TestSupport::clickPathItem(*browser->pathControl, 0)); },
         everything},
        {"another archive",
         [this] {
             open({makeArchive("other.zip", {{"p.txt", 1}, {"q.txt", 2}, {"r.txt", 3}})});
         },
         {"p.txt", "q.txt", "r.txt"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        click(0);
        ASSERT_FALSE(selectedNames().empty());
        c.list();
        const auto names = listedNames();
        const Names listed(names.begin(), names.end());
        EXPECT_EQ(listed, c.listed);
        EXPECT_TRUE(selectedNames().empty());
        EXPECT_EQ(browser->descriptionLabel->text().toStdString().find("selected"), std::string::npos)
            << browser->descriptionLabel->text().toStdString();
    }
    EXPECT_EQ(extracted([&] { pressExtract(); }), (Names{"p.txt", "q.txt", "r.txt"}));
}

TEST_F(TableInputTest, SelectionFollowsItsEntriesThroughASort)
{
    auto* header = static_cast<QTableView*>(browser->tableView->widget())->horizontalHeader();
    const auto clickHeader = [&](const char* identifier) {
        const auto& columns = browser->tableView->tableColumns();
        const auto it = std::find_if(columns.begin(), columns.end(),
                                     [&](const auto& column) { return column->identifier() == identifier; });
        const int section = static_cast<int>(it - columns.begin());
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(section) + header->sectionSize(section) / 2,
                                 header->height() / 2));
    };
    click(rowOf("b.txt"));
    click(rowOf("c.txt"), Qt::ControlModifier);
    const std::string description = browser->descriptionLabel->text().toStdString();
    for (const char* column : {"size", "size", "name", "name"}) {
        SCOPED_TRACE(column);
        const auto before = listedNames();
        clickHeader(column);
        ASSERT_NE(listedNames(), before) << "the sort changed the order";
        EXPECT_EQ(selectedNames(), (Names{"b.txt", "c.txt"}));
        EXPECT_EQ(browser->descriptionLabel->text().toStdString(), description);
    }
    EXPECT_EQ(extracted([&] { pressExtract(); }), (Names{"b.txt", "c.txt"}));
}

// The toolbar follows the history, the selection and the listing by itself.
TEST_F(TableInputTest, ToolbarFollowsHistorySelectionAndANewArchive)
{
    auto* control = navigation();
    ASSERT_NE(control, nullptr);
    const auto segments = [&] { return std::make_pair(control->isEnabledForSegment(0), control->isEnabledForSegment(1)); };
    EXPECT_EQ(segments(), std::make_pair(false, false));
    doubleClick(rowOf("docs"));
    EXPECT_EQ(segments(), std::make_pair(true, false));
    clickSegment(0);
    EXPECT_EQ(listedNames().size(), everything.size());
    EXPECT_EQ(segments(), std::make_pair(false, true));

    auto unarchive = window->toolbar()->itemWithIdentifier(BrowserToolbar::unarchive);
    click(rowOf("a.txt"));
    EXPECT_EQ(unarchive->toolTip(), localizedString("ACTION_UNARCHIVE_SELECTED"));
    click(rowOf("a.txt"), Qt::ControlModifier);
    EXPECT_EQ(unarchive->toolTip(), localizedString("ACTION_UNARCHIVE_ALL"));

    open({makeArchive("second.zip", {{"s.txt", 1}})});
    EXPECT_EQ(segments(), std::make_pair(false, false));
    EXPECT_TRUE(navigation()->widget()->isEnabled());
}

TEST_F(TableInputTest, KeysOpenGoBackAndForwardAndFindTheSearchField)
{
    focusTable();
    click(rowOf("docs"));
    QTest::keyClick(focused(), Qt::Key_Return);
    EXPECT_EQ(listedNames(), (std::vector<std::string>{"x.txt", "y.txt"}));

    struct Case {
        const char* name;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        size_t listed;
    };
    const Case cases[] = {
        {"backspace", Qt::Key_Backspace, {}, everything.size()},
        {"alt+right", Qt::Key_Right, Qt::AltModifier, 2},
        {"alt+left", Qt::Key_Left, Qt::AltModifier, everything.size()},
        {"alt+right again", Qt::Key_Right, Qt::AltModifier, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTest::keyClick(focused(), c.key, c.modifiers);
        EXPECT_EQ(listedNames().size(), c.listed);
    }

    // Enter on the keypad opens as well; with nothing selected it does nothing.
    QTest::keyClick(focused(), Qt::Key_Backspace);
    QTest::keyClick(focused(), Qt::Key_Enter);
    EXPECT_EQ(listedNames().size(), everything.size());
    click(rowOf("docs"));
    QTest::keyClick(focused(), Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(listedNames().size(), 2u);

    auto item = window->toolbar()->itemWithIdentifier(BrowserToolbar::search);
    auto* field = dynamic_cast<AppKit::SearchField*>(item->view().get());
    ASSERT_NE(field, nullptr);
    QTest::keyClick(focused(), Qt::Key_F, Qt::ControlModifier);
    EXPECT_TRUE(TestSupport::waitUntil([&] { return focused() == field->lineEdit(); }));
    // Backspace in the field edits the text and goes nowhere.
    QTest::keyClicks(focused(), "xy");
    QTest::keyClick(focused(), Qt::Key_Backspace);
    EXPECT_EQ(field->stringValue(), "x");
    QTest::keyClick(focused(), Qt::Key_Backspace);
    EXPECT_EQ(browser->pathHistoryIndex, 1);
}

// The Menu key (as the platform delivers it) and Shift+F10 open the menu
// for the selected row.
TEST_F(TableInputTest, KeyboardOpensTheContextMenuForTheSelectedRow)
{
    focusTable();
    struct Case {
        const char* name;
        std::function<void()> press;
    };
    const std::vector<Case> cases = {
        {"menu key",
         [this] {
             QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(5, 5), focused()->mapToGlobal(QPoint(5, 5)));
             QApplication::sendEvent(focused(), &event);
         }},
        {"shift+f10", [this] { QTest::keyClick(focused(), Qt::Key_F10, Qt::ShiftModifier); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        click(rowOf("c.txt"));
        c.press();
        ASSERT_TRUE(menuShown());
        EXPECT_TRUE(menuItemEnabled(0));
        EXPECT_EQ(extracted([&] { chooseMenuItem(1); }), Names{"c.txt"});
        focusTable();
    }
}

// The date reads without weekday and fits its column; a wider window
// widens the names, not the dates.
TEST_F(TableInputTest, DatesFitTheirColumnAndTheNamesTakeTheRoom)
{
    auto* table = static_cast<QTableView*>(browser->tableView->widget());
    const auto& columns = browser->tableView->tableColumns();
    const auto sectionOf = [&](const char* identifier) {
        const auto it = std::find_if(columns.begin(), columns.end(),
                                     [&](const auto& column) { return column->identifier() == identifier; });
        return static_cast<int>(it - columns.begin());
    };
    const int name = sectionOf("name");
    const int date = sectionOf("modificationTime");
    const QString text = table->model()->data(table->model()->index(rowOf("a.txt"), date)).toString();
    const QLocale locale;
    for (int day = 1; day <= 7; ++day)
        EXPECT_FALSE(text.contains(locale.dayName(day, QLocale::LongFormat))) << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral(" at "))) << text.toStdString();
    EXPECT_GE(table->horizontalHeader()->sectionSize(date), table->fontMetrics().horizontalAdvance(text));

    const int nameWidth = table->horizontalHeader()->sectionSize(name);
    const int dateWidth = table->horizontalHeader()->sectionSize(date);
    window->widget()->resize(window->widget()->width() + 300, window->widget()->height());
    ASSERT_TRUE(TestSupport::waitUntil([&] { return table->horizontalHeader()->sectionSize(name) >= nameWidth + 250; }))
        << table->horizontalHeader()->sectionSize(name) << " from " << nameWidth;
    EXPECT_EQ(table->horizontalHeader()->sectionSize(date), dateWidth);
    int total = 0;
    for (int section = 0; section < table->horizontalHeader()->count(); ++section)
        total += table->horizontalHeader()->sectionSize(section);
    EXPECT_LE(total, table->viewport()->width()) << "no column hangs past the rows";
}

// Every search column keeps to its limits however wide the window, and a
// result's tip names its folder.
TEST_F(TableInputTest, SearchResultsKeepTheirColumnWidthsAndShowTheirFolders)
{
    auto item = window->toolbar()->itemWithIdentifier(BrowserToolbar::search);
    auto* field = dynamic_cast<AppKit::SearchField*>(item->view().get());
    ASSERT_NE(field, nullptr);
    QTest::keyClicks(field->lineEdit(), "y.txt");
    const auto& list = browser->searchResultViewController;
    ASSERT_TRUE(TestSupport::waitUntil([&] { return list->rawSearchResults().size() == 1; }));
    auto* table = static_cast<QTableView*>(list->tableView()->widget());
    const auto tip = table->model()->data(table->model()->index(0, 0), Qt::ToolTipRole).toString();
    EXPECT_EQ(tip.toStdString(), "docs");

    QTest::keyClick(field->lineEdit(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(field->lineEdit(), "b.txt");
    ASSERT_TRUE(TestSupport::waitUntil(
        [&] { return list->rawSearchResults().size() == 1 && list->rawSearchResults()[0]->name() == "b.txt"; }));
    EXPECT_EQ(table->model()->data(table->model()->index(0, 0), Qt::ToolTipRole).toString().toStdString(), "/");

    for (int width : {700, 1000, 2400}) {
        SCOPED_TRACE(width);
        window->widget()->resize(width, window->widget()->height());
        TestSupport::drainEvents();
        const auto& columns = list->tableView()->tableColumns();
        for (size_t section = 0; section < columns.size(); ++section) {
            const int size = table->horizontalHeader()->sectionSize(static_cast<int>(section));
            EXPECT_GE(size, columns[section]->minWidth) << columns[section]->identifier();
            EXPECT_LE(size, columns[section]->maxWidth) << columns[section]->identifier();
        }
        EXPECT_LE(table->horizontalHeader()->sectionSize(2), 160);
    }
}
