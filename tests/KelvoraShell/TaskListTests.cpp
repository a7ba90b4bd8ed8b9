#include "ShellFixture.h"

#include "Kelvora/Strings.h"
#include "Kelvora/TaskCell.h"
#include "Kelvora/TaskManager.h"
#include "Kelvora/TaskViewController.h"
#include "Platform/Foundation/UserDefaults.h"
#include "tests/support/EventLoop.h"

#include <QLabel>
#include <QMainWindow>
#include <QGuiApplication>
#include <QProgressBar>
#include <QScreen>
#include <QToolButton>

namespace {

class TaskListTest : public ShellTest {};

TEST_F(TaskListTest, VisibleTasksShowTheTaskWindowAndTheLastRemovalClosesIt)
{
    auto manager = TaskManager::shared();
    auto first = std::make_shared<FakeTask>();
    auto second = std::make_shared<FakeTask>();
    auto silent = std::make_shared<FakeTask>();

    manager->add(silent, true);
    EXPECT_FALSE(delegate->taskWindowController()->window()->isVisible());

    manager->add(first, false);
    auto window = delegate->taskWindowController()->window();
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->title(), localizedString("TASK_VIEW_WINDOW_TITLE"));
    EXPECT_EQ(window->frameAutosaveName(), "TaskWindow");
    EXPECT_FALSE(window->isStandardButtonEnabled(AppKit::WindowButton::close));
    EXPECT_FALSE(window->isStandardButtonEnabled(AppKit::WindowButton::zoom));

    manager->add(second, false);
    EXPECT_EQ(manager->numberOfTasks(), 2);
    EXPECT_EQ(manager->totalTaskCount(), 3);
    EXPECT_EQ(manager->taskAt(1), second);
    EXPECT_FALSE(manager->taskAt(2));
    EXPECT_FALSE(manager->taskAt(-1));

    manager->remove(first);
    EXPECT_TRUE(window->isVisible());
    manager->remove(second);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(manager->totalTaskCount(), 1);

    manager->remove(std::make_shared<FakeTask>());
    manager->remove(silent);
    EXPECT_EQ(manager->totalTaskCount(), 0);
}

TEST_F(TaskListTest, ATaskAddedTwiceIsRemovedOneOccurrenceAtATime)
{
    auto manager = TaskManager::shared();
    auto task = std::make_shared<FakeTask>();
    manager->add(task, true);
    manager->add(task, true);
    manager->remove(task);
    EXPECT_EQ(manager->totalTaskCount(), 1);
    manager->remove(task);
    EXPECT_EQ(manager->totalTaskCount(), 0);
}

TEST_F(TaskListTest, HintShowsOnlyForAnEmptyList)
{
    auto controller = delegate->taskViewController();
    controller->view();
    EXPECT_FALSE(controller->noTaskView()->isHidden());
    EXPECT_EQ(controller->noTaskLabel()->text().toStdString(), localizedString("TASK_VIEW_NO_TASKS_HINT"));
    EXPECT_TRUE(controller->noTaskLabel()->font().bold());

    auto task = std::make_shared<FakeTask>();
    TaskManager::shared()->add(task, false);
    EXPECT_EQ(controller->numberOfRows(), 1);
    EXPECT_TRUE(controller->noTaskView()->isHidden());
    TaskManager::shared()->remove(task);
    EXPECT_EQ(controller->numberOfRows(), 0);
    EXPECT_FALSE(controller->noTaskView()->isHidden());
}

TEST_F(TaskListTest, CellShowsTheProgressAndDropsNotificationsOfAProgressItLeft)
{
    auto cell = TaskCell::make({0, 0, 250, 60});
    auto first = Foundation::Progress::make(100);
    auto second = Foundation::Progress::make(-1);
    first->setLocalizedAdditionalDescription("12 of 100 bytes");
    first->setCompletedUnitCount(50);
    cell->configure(first);
    ASSERT_TRUE(TestSupport::waitUntil([&] { return cell->progressIndicater()->value() == 500; }));
    EXPECT_EQ(cell->infoLabel()->text().toStdString(), "12 of 100 bytes");

    second->setLocalizedAdditionalDescription("reading");
    cell->configure(second);
    first->setCompletedUnitCount(90);
    ASSERT_TRUE(TestSupport::waitUntil([&] { return cell->progressIndicater()->maximum() == 0; }));
    TestSupport::drainEvents();
    EXPECT_EQ(cell->infoLabel()->text().toStdString(), "reading");
    EXPECT_EQ(cell->progressIndicater()->maximum(), 0);
}

TEST_F(TaskListTest, StopCancelsThroughTheProgressAndTheRowStaysUntilRemoved)
{
    auto task = std::make_shared<FakeTask>();
    TaskManager::shared()->add(task, false);
    auto controller = delegate->taskViewController();
    auto row = controller->tableView()->rowView(0);
    auto cell = std::dynamic_pointer_cast<TaskCell>(row);
    ASSERT_TRUE(cell);
    EXPECT_EQ(cell->currentProgress(), task->progress());
    cell->stopButton()->click();
    EXPECT_TRUE(task->progress()->isCancelled());
    EXPECT_TRUE(task->cancelled);
    EXPECT_EQ(controller->numberOfRows(), 1);
    TaskManager::shared()->remove(task);
}

TEST_F(TaskListTest, TaskWindowOpensWhollyOnScreenWhateverFrameWasKept)
{
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    struct Case {
        const char* name;
        std::optional<QRect> kept; // the frame stored by an earlier run
        bool stays;                // whether the window opens with it
    };
    const Case cases[] = {
        {"first run", std::nullopt, false},
        {"kept on screen", QRect(area.left() + 40, area.top() + 30, 260, 240), true},
        {"kept past the bottom edge", QRect(area.left() + 40, area.bottom() - 100, 250, 250), false},
        {"kept taller than the screen", QRect(area.left(), area.top(), 250, area.height() + 400), false},
    };
    const std::string key = "NSWindow Frame TaskWindow";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.kept) {
            Foundation::UserDefaults::standard()->setValue(QStringLiteral("%1 %2 %3 %4")
                                                               .arg(c.kept->x())
                                                               .arg(c.kept->y())
                                                               .arg(c.kept->width())
                                                               .arg(c.kept->height()),
                                                           key);
        } else {
            Foundation::UserDefaults::standard()->removeObjectForKey(key);
        }
        auto owner = std::make_shared<AppDelegate>();
        auto window = owner->taskWindowController()->window();
        window->makeKeyAndOrderFront();
        TestSupport::drainEvents();
        const QRect frame = window->widget()->frameGeometry();
        EXPECT_TRUE(area.contains(frame)) << frame.x() << "," << frame.y() << " " << frame.width() << "x"
                                          << frame.height();
        if (c.stays) {
            EXPECT_EQ(window->frame(), *c.kept);
        } else {
            // Centred up to the window frame's own width.
            EXPECT_LE((frame.center() - area.center()).manhattanLength(), 8);
        }
        window->close();
        owner.reset();
        TestSupport::drainEvents();
    }
    Foundation::UserDefaults::standard()->removeObjectForKey(key);
}

TEST_F(TaskListTest, StopButtonsAreNamedInTheTaskWindowAndTheBrowsersPopover)
{
    auto task = std::make_shared<FakeTask>();
    TaskManager::shared()->add(task, false);

    // The browser's task popover lists its own tasks with the same cells.
    auto popoverList = std::make_shared<TaskViewController>();
    popoverList->dataSource = TaskManager::shared();
    popoverList->view();
    for (const auto& list : {delegate->taskViewController(), popoverList}) {
        list->tableView()->reloadData();
        auto cell = std::dynamic_pointer_cast<TaskCell>(list->tableView()->rowView(0));
        ASSERT_TRUE(cell);
        EXPECT_EQ(cell->stopButton()->toolTip().toStdString(), localizedString("TASK_STOP"));
        EXPECT_EQ(cell->stopButton()->accessibleName().toStdString(), localizedString("TASK_STOP"));
    }
    EXPECT_EQ(localizedString("TASK_STOP"), "Stop");
    TaskManager::shared()->remove(task);
}

TEST_F(TaskListTest, ReleasedCellStopsObserving)
{
    auto progress = Foundation::Progress::make(10);
    std::weak_ptr<TaskCell> weakCell;
    {
        auto cell = TaskCell::make({0, 0, 250, 60});
        cell->configure(progress);
        weakCell = cell;
    }
    TestSupport::drainEvents();
    EXPECT_TRUE(weakCell.expired());
    progress->setCompletedUnitCount(5);
    TestSupport::drainEvents();
}

} // namespace
