#include "Platform/AppKit/PathControl.h"
#include "Platform/AppKit/Popover.h"
#include "Platform/AppKit/ScrollView.h"
#include "Platform/AppKit/SearchField.h"
#include "Platform/AppKit/SplitView.h"
#include "Platform/AppKit/TableView.h"
#include "Platform/AppKit/ViewController.h"
#include "Platform/AppKit/Window.h"
#include "tests/support/EventLoop.h"
#include "tests/support/WidgetDriver.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QSplitter>
#include <QKeyEvent>

using namespace AppKit;

namespace {

struct Recorder : Responder {
    std::vector<Responder*> senders;
    explicit Recorder(const Selector& action)
    {
        setActionHandler(action, [this](Responder* sender) {
            senders.push_back(sender);
            if (onAction)
                onAction();
        });
    }
    std::function<void()> onAction;
};

std::vector<PathControlItemPtr> items(std::initializer_list<const char*> titles)
{
    std::vector<PathControlItemPtr> out;
    for (const char* t : titles)
        out.push_back(std::make_shared<PathControlItem>(PathControlItem{t, {}}));
    return out;
}

} // namespace

TEST(PathControl, ClickSetsClickedItemAndSurvivesItemsReplacedByTheAction)
{
    auto control = PathControl::make();
    auto target = std::make_shared<Recorder>("pathControlSingleClick:");
    control->setTarget(target);
    control->setAction("pathControlSingleClick:");
    const auto first = items({"archive.zip", "docs", "deep"});
    control->setPathItems(first);
    control->widget()->show();

    std::vector<PathControlItemPtr> seen;
    // The browser rebuilds the bar from inside its action, as it does when
    // the user goes up the path.
    target->onAction = [&] {
        seen.push_back(control->clickedPathItem());
        control->setPathItems({first[0]});
    };
    ASSERT_TRUE(TestSupport::clickPathItem(*control, 1));
    TestSupport::drainEvents();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0], first[1]);
    EXPECT_EQ(target->senders[0], control.get());
    EXPECT_EQ(control->pathItems().size(), 1u);

    EXPECT_FALSE(TestSupport::clickPathItem(*control, 1));
    EXPECT_FALSE(control->clickItem(-1));
    EXPECT_EQ(seen.size(), 1u);
}

TEST(PathControl, LongPathScrolledToItsEndInsideAScrollView)
{
    auto container = ScrollView::make();
    container->setHasHorizontalScroller(true);
    container->setHasVerticalScroller(false);
    auto control = PathControl::make();
    container->setDocumentView(control);
    container->widget()->resize(120, 40);
    container->widget()->show();
    control->setPathItems(items({"a-rather-long-archive-name.tar.gz", "first folder", "second folder", "last"}));

    container->layoutSubtreeIfNeeded();
    const int pathWidth = control->frame().width();
    const int visible = container->contentSize().width();
    ASSERT_GT(pathWidth, visible);
    container->scrollToPoint({std::max(0, pathWidth - visible), 0});
    EXPECT_EQ(container->documentVisibleOrigin().x(), pathWidth - visible);
}

namespace {

struct PreviewOnly : SplitViewDelegate {
    const View* collapsible = nullptr;
    bool splitViewCanCollapseSubview(SplitView&, const View& subview) override { return &subview == collapsible; }
};

struct SplitFixture : ::testing::Test {
    void SetUp() override
    {
        split->addArrangedSubview(table);
        split->addArrangedSubview(preview);
        split->widget()->resize(600, 300);
        split->widget()->show();
        delegate->collapsible = preview.get();
    }
    SplitViewPtr split = SplitView::make();
    ViewPtr table = View::make();
    ViewPtr preview = View::make();
    std::shared_ptr<PreviewOnly> delegate = std::make_shared<PreviewOnly>();
};

} // namespace

TEST_F(SplitFixture, OnlyThePaneTheDelegateAllowsCollapses)
{
    EXPECT_FALSE(split->collapse(*preview)) << "no delegate: nothing collapses";
    split->setDelegate(delegate);
    EXPECT_FALSE(split->collapse(*table));
    EXPECT_FALSE(split->isSubviewCollapsed(*table));
    ASSERT_TRUE(split->collapse(*preview));
    EXPECT_TRUE(split->isSubviewCollapsed(*preview));
    EXPECT_FALSE(split->isSubviewCollapsed(*table));
    split->expand(*preview);
    EXPECT_FALSE(split->isSubviewCollapsed(*preview));

    // Moving the divider to either edge collapses only the preview.
    split->setPositionOfDivider(0, 0);
    EXPECT_FALSE(split->isSubviewCollapsed(*table));
    split->setPositionOfDivider(10000, 0);
    EXPECT_TRUE(split->isSubviewCollapsed(*preview));

    // Dragging a divider obeys the same rule.
    auto* splitter = static_cast<QSplitter*>(split->widget());
    EXPECT_FALSE(splitter->isCollapsible(0));
    EXPECT_TRUE(splitter->isCollapsible(1));
}

TEST_F(SplitFixture, DelegateIsAskedAgainWhenADividerIsGrabbed)
{
    split->setDelegate(delegate);
    auto* splitter = static_cast<QSplitter*>(split->widget());
    delegate->collapsible = table.get();
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(1, 1), splitter->handle(1)->mapToGlobal(QPointF(1, 1)),
                      Qt::LeftButton, Qt::LeftButton, {});
    QApplication::sendEvent(splitter->handle(1), &press);
    EXPECT_TRUE(splitter->isCollapsible(0));
    EXPECT_FALSE(splitter->isCollapsible(1));
}

TEST(SearchField, ActionOnEveryChangeAndOnEnterButNotOnSetter)
{
    auto field = SearchField::make();
    auto target = std::make_shared<Recorder>("executeSearch:");
    std::vector<std::string> texts;
    target->onAction = [&] { texts.push_back(field->stringValue()); };
    field->setTarget(target);
    field->setAction("executeSearch:");
    field->setPlaceholderString("Search");
    field->widget()->show();

    field->setStringValue("quiet");
    for (auto [key, text] : {std::pair{Qt::Key_A, "a"}, {Qt::Key_B, "b"}, {Qt::Key_Return, "\r"}}) {
        QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier, QString::fromLatin1(text));
        QApplication::sendEvent(field->lineEdit(), &event);
    }
    field->lineEdit()->clear();
    EXPECT_EQ(texts, (std::vector<std::string>{"quieta", "quietab", "quietab", ""}));
    EXPECT_EQ(target->senders.front(), field.get());
    EXPECT_EQ(field->placeholderString(), "Search");
}

namespace {

struct Counting : ViewController {
    int appeared = 0;
    int disappeared = 0;
    void viewDidAppear() override { ++appeared; }
    void viewDidDisappear() override { ++disappeared; }
};

struct PopoverFixture : ::testing::Test {
    void SetUp() override
    {
        window = Window::make({400, 300});
        window->setContentViewController(host);
        anchor = View::make();
        anchor->setFixedSize({80, 24});
        host->view()->addSubview(anchor, Placement::top());
        window->makeKeyAndOrderFront();
        ASSERT_TRUE(TestSupport::waitUntil([&] { return anchor->widget()->isVisible(); }));
        content->setPreferredContentSize({200, 120});
    }
    void TearDown() override { window->close(); }
    bool contentShown() const
    {
        QWidget* w = content->view()->widget();
        return w->isVisible() && w->window() != w;
    }
    WindowPtr window;
    std::shared_ptr<ViewController> host = std::make_shared<ViewController>();
    std::shared_ptr<Counting> content = std::make_shared<Counting>();
    ViewPtr anchor;
};

} // namespace

TEST_F(PopoverFixture, TransientPopoverClosesOnClickOutsideOrEscapeAndCanBeShownAgain)
{
    auto popover = Popover::make();
    popover->setContentViewController(content);
    popover->setBehavior(PopoverBehavior::transient);
    int closed = 0;
    popover->didClose = [&] { ++closed; };

    popover->show({}, anchor, RectEdge::maxY);
    ASSERT_TRUE(popover->isShown());
    EXPECT_EQ(content->appeared, 1);
    ASSERT_TRUE(TestSupport::clickOutside(*popover));
    ASSERT_TRUE(TestSupport::waitUntil([&] { return !popover->isShown(); }));
    EXPECT_EQ(closed, 1);
    EXPECT_EQ(content->disappeared, 1);
    ASSERT_NE(content->view()->widget(), nullptr) << "the content outlives the popup";

    popover->show({}, anchor, RectEdge::minY);
    ASSERT_TRUE(popover->isShown());
    ASSERT_TRUE(TestSupport::pressEscape(*popover));
    ASSERT_TRUE(TestSupport::waitUntil([&] { return !popover->isShown(); }));
    EXPECT_EQ(closed, 2);
    EXPECT_EQ(content->appeared, 2);
}

TEST_F(PopoverFixture, ApplicationDefinedPopoverIgnoresClicksOutside)
{
    auto popover = Popover::make();
    popover->setContentViewController(content);
    popover->show({}, anchor, RectEdge::maxY);
    ASSERT_TRUE(popover->isShown());
    TestSupport::clickOutside(*popover);
    TestSupport::pressEscape(*popover);
    TestSupport::drainEvents();
    EXPECT_TRUE(popover->isShown());
    popover->close();
    EXPECT_FALSE(popover->isShown());
}

TEST_F(PopoverFixture, PresentedPopoverEndsByDismissOrByTheUser)
{
    host->present(content, {}, anchor, RectEdge::maxY, PopoverBehavior::transient);
    ASSERT_TRUE(contentShown());
    EXPECT_EQ(content->presentingViewController(), host);
    // Presenting what is already up does nothing (the tasks button pressed twice).
    host->present(content, {}, anchor, RectEdge::maxY, PopoverBehavior::transient);
    EXPECT_EQ(host->presentedViewControllers().size(), 1u);

    content->dismiss();
    ASSERT_TRUE(TestSupport::waitUntil([&] { return !contentShown(); }));
    EXPECT_TRUE(host->presentedViewControllers().empty());
    EXPECT_EQ(content->presentingViewController(), nullptr);

    host->present(content, {}, anchor, RectEdge::maxY, PopoverBehavior::transient);
    ASSERT_TRUE(contentShown());
    QWidget* popup = content->view()->widget()->window();
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(-5, -5), popup->mapToGlobal(QPointF(-5, -5)), Qt::LeftButton,
                      Qt::LeftButton, {});
    QApplication::sendEvent(popup, &press);
    ASSERT_TRUE(TestSupport::waitUntil([&] { return host->presentedViewControllers().empty(); }));
    EXPECT_EQ(content->disappeared, 2);
}

TEST(WidgetDriver, DropsFilesOnATableAndDoubleClicksItsRows)
{
    auto table = TableView::make();
    table->addTableColumn(std::make_shared<TableColumn>("name"));
    table->numberOfRows = [] { return 3; };
    table->viewForRow = [](const TableColumn&, int row) { return TableCellView{"row " + std::to_string(row), {}}; };
    table->registerForDraggedTypes({"public.item"});
    std::vector<std::string> dropped;
    table->validateDrop = [](const DraggingInfo&, int, TableViewDropOperation) { return DragOperation::copy; };
    table->acceptDrop = [&](const DraggingInfo& info, int, TableViewDropOperation) {
        dropped = info.pasteboard->filePaths();
        return true;
    };
    std::vector<int> doubleClicked;
    table->doubleAction = [&] { doubleClicked.push_back(table->clickedRow()); };
    table->widget()->resize(300, 200);
    table->widget()->show();
    table->reloadData();

    EXPECT_TRUE(TestSupport::dropFiles(*table, {"/tmp/one.zip", "/tmp/two words.rar"}));
    EXPECT_EQ(dropped, (std::vector<std::string>{"/tmp/one.zip", "/tmp/two words.rar"}));
    EXPECT_TRUE(TestSupport::doubleClickRow(*table, 2));
    EXPECT_FALSE(TestSupport::doubleClickRow(*table, 3));
    EXPECT_EQ(doubleClicked, std::vector<int>{2});
}

TEST(Popover, AnchorWindowDeletedWhileShownEndsItAndKeepsTheContent)
{
    auto content = std::make_shared<Counting>();
    auto popover = Popover::make();
    popover->setContentViewController(content);
    popover->setBehavior(PopoverBehavior::transient);
    int closed = 0;
    popover->didClose = [&] { ++closed; };
    {
        auto anchor = View::make();
        anchor->widget()->resize(100, 40);
        anchor->widget()->show();
        popover->show({}, anchor, RectEdge::maxX);
        ASSERT_TRUE(popover->isShown());
    }
    EXPECT_FALSE(popover->isShown());
    EXPECT_EQ(closed, 1);
    EXPECT_EQ(content->disappeared, 1);
    ASSERT_NE(content->view()->widget(), nullptr);
    EXPECT_EQ(content->view()->widget()->parent(), nullptr);
}
