#pragma once
// A list of running tasks, one TaskCell per row, fed by a weak data source;
// a hint takes the place of an empty list.

#include "Kelvora/TaskCell.h"
#include "Kelvora/TaskViewControllerDataSource.h"
#include "Platform/AppKit/TableView.h"
#include "Platform/AppKit/ViewController.h"

#include <memory>
#include <vector>

class QLabel;

class TaskViewController : public AppKit::ViewController {
public:
    TaskViewController() = default;

    std::shared_ptr<AppKit::TableView> tableView();
    AppKit::ViewPtr noTaskView();
    QLabel* noTaskLabel();

    std::weak_ptr<TaskViewControllerDataSource> dataSource;
    const std::string cellIdentifier = "Cell";

    int numberOfRows();
    static constexpr int rowHeight = 50;

protected:
    void loadView() override;
    void viewDidLoad() override;

private:
    AppKit::ViewPtr viewForRow(int row);

    std::shared_ptr<AppKit::TableView> tableView_;
    AppKit::ViewPtr noTaskView_;
    // Row views kept for reuse, by row.
    std::vector<TaskCellPtr> cells_;
};
