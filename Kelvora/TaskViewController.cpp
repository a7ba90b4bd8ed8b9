#include "Kelvora/TaskViewController.h"

#include "Kelvora/Strings.h"
#include "Platform/Dispatch/Dispatch.h"

#include <QFont>
#include <QLabel>

std::shared_ptr<AppKit::TableView> TaskViewController::tableView()
{
    if (!tableView_)
        tableView_ = AppKit::TableView::make();
    return tableView_;
}

AppKit::ViewPtr TaskViewController::noTaskView()
{
    if (!noTaskView_) {
        auto* label = new QLabel(QString::fromStdString(localizedString("TASK_VIEW_NO_TASKS_HINT")));
        label->setWordWrap(true);
        label->setAlignment(Qt::AlignCenter);
        QFont font = label->font();
        font.setBold(true);
        font.setPointSize(20);
        label->setFont(font);
        noTaskView_ = std::make_shared<AppKit::View>(label);
    }
    return noTaskView_;
}

QLabel* TaskViewController::noTaskLabel()
{
    return qobject_cast<QLabel*>(noTaskView()->widget());
}

void TaskViewController::loadView()
{
    auto container = AppKit::View::make();
    container->addSubview(noTaskView(), AppKit::Placement::fill({14, 0, 14, 0}));
    auto table = tableView();
    auto column = std::make_shared<AppKit::TableColumn>("");
    table->addTableColumn(column);
    table->setHeaderHidden(true);
    table->setRowHeight(rowHeight);
    container->addSubview(table, AppKit::Placement::fill());
    table->widget()->setAttribute(Qt::WA_TranslucentBackground);
    table->widget()->setStyleSheet("background: transparent; border: none;");
    setView(container);
    setPreferredContentSize({250, 250});
}

void TaskViewController::viewDidLoad()
{
    std::weak_ptr<TaskViewController> weakSelf = std::static_pointer_cast<TaskViewController>(shared_from_this());
    auto table = tableView();
    table->numberOfRows = [weakSelf] {
        auto self = weakSelf.lock();
        return self ? self->numberOfRows() : 0;
    };
    table->rowView = [weakSelf](int row) -> AppKit::ViewPtr {
        auto self = weakSelf.lock();
        return self ? self->viewForRow(row) : nullptr;
    };
    table->setSelectionHighlightNone(true);
    table->reloadData();
}

int TaskViewController::numberOfRows()
{
    auto source = dataSource.lock();
    const int count = source ? source->numberOfTasks() : 0;
    noTaskView()->setHidden(count != 0);
    if (static_cast<int>(cells_.size()) > count)
        cells_.resize(static_cast<size_t>(count));
    return count;
}

AppKit::ViewPtr TaskViewController::viewForRow(int row)
{
    Dispatch::assertMainThread("TaskViewController::viewForRow");
    auto source = dataSource.lock();
    if (!source)
        return nullptr;
    auto task = source->taskAt(row);
    if (!task)
        return nullptr;
    if (static_cast<int>(cells_.size()) <= row)
        cells_.resize(static_cast<size_t>(row) + 1);
    auto& cell = cells_[static_cast<size_t>(row)];
    if (!cell) {
        cell = TaskCell::make({0, 0, tableView()->frame().width(), 60});
        cell->setIdentifier(cellIdentifier);
    }
    cell->configure(task->progress());
    return cell;
}
