#pragma once
// What a task list asks its owner for: the rows to show.

#include "Brackwen/ZODArchiverTask.h"

class TaskViewControllerDataSource {
public:
    virtual ~TaskViewControllerDataSource() = default;
    virtual int numberOfTasks() const = 0;
    // None when the index is out of range.
    virtual ZODArchiverTaskPtr taskAt(int index) const = 0;
};
