#pragma once
// The application's registry of running engine tasks. Visible tasks are the
// task window's rows and open it; silent ones (the browsers') only count for
// the quit question. Whoever starts a task registers it before resume() and
// removes it in its completion. Main thread only.

#include "Kelvora/TaskViewControllerDataSource.h"

#include <memory>
#include <vector>

class TaskManager : public TaskViewControllerDataSource {
public:
    static std::shared_ptr<TaskManager> shared();

    int totalTaskCount() const;
    void add(const ZODArchiverTaskPtr& task, bool silent);
    // One occurrence, visible tasks first; an unknown task is ignored.
    void remove(const ZODArchiverTaskPtr& task);

    int numberOfTasks() const override;
    ZODArchiverTaskPtr taskAt(int index) const override;

    const std::vector<ZODArchiverTaskPtr>& tasks() const { return tasks_; }
    const std::vector<ZODArchiverTaskPtr>& silentTasks() const { return silentTasks_; }

private:
    void reloadTaskList();

    std::vector<ZODArchiverTaskPtr> tasks_;
    std::vector<ZODArchiverTaskPtr> silentTasks_;
};
