#include "Kelvora/TaskManager.h"

#include "Kelvora/AppDelegate.h"
#include "Kelvora/TaskViewController.h"
#include "Platform/Dispatch/Dispatch.h"

#include <algorithm>

std::shared_ptr<TaskManager> TaskManager::shared()
{
    Dispatch::assertMainThread("TaskManager::shared");
    static auto* manager = new std::shared_ptr<TaskManager>(std::make_shared<TaskManager>());
    return *manager;
}

int TaskManager::totalTaskCount() const
{
    return static_cast<int>(tasks_.size() + silentTasks_.size());
}

void TaskManager::reloadTaskList()
{
    if (auto delegate = AppDelegate::shared())
        delegate->taskViewController()->tableView()->reloadData();
}

void TaskManager::add(const ZODArchiverTaskPtr& task, bool silent)
{
    Dispatch::assertMainThread("TaskManager::add");
    if (silent) {
        silentTasks_.push_back(task);
        return;
    }
    tasks_.push_back(task);
    reloadTaskList();
    auto delegate = AppDelegate::shared();
    if (!delegate)
        return;
    auto controller = delegate->taskWindowController();
    if (auto window = controller->window(); window && !window->isVisible())
        controller->showWindow();
}

void TaskManager::remove(const ZODArchiverTaskPtr& task)
{
    Dispatch::assertMainThread("TaskManager::remove");
    if (auto it = std::find(tasks_.begin(), tasks_.end(), task); it != tasks_.end()) {
        tasks_.erase(it);
        reloadTaskList();
        if (tasks_.empty())
            if (auto delegate = AppDelegate::shared())
                delegate->taskWindowController()->close();
        return;
    }
    if (auto it = std::find(silentTasks_.begin(), silentTasks_.end(), task); it != silentTasks_.end())
        silentTasks_.erase(it);
}

int TaskManager::numberOfTasks() const
{
    return static_cast<int>(tasks_.size());
}

ZODArchiverTaskPtr TaskManager::taskAt(int index) const
{
    if (index < 0 || index >= numberOfTasks())
        return nullptr;
    return tasks_[static_cast<size_t>(index)];
}
