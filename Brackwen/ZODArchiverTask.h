#pragma once
// One engine operation, prepared but not started. Nothing runs before
// resume(); the work runs on the task's work queue, its completion runs
// exactly once on the handler queue, also after cancel(). Cancelling the
// task or its progress ends it with ZODArchiverErrorCancelled.
// Tasks compare by identity.

#include "Platform/Foundation/Progress.h"

#include <memory>

class ZODArchiverTask : public std::enable_shared_from_this<ZODArchiverTask> {
public:
    virtual ~ZODArchiverTask() = default;

    // Starts the work; a second call does nothing.
    virtual void resume() = 0;
    // Ends the work with ZODArchiverErrorCancelled; a question pending on the
    // work queue is answered with its cancelling answer.
    virtual void cancel() = 0;
    virtual Foundation::ProgressPtr progress() const = 0;

    bool isEqual(const ZODArchiverTask& other) const { return this == &other; }
};

using ZODArchiverTaskPtr = std::shared_ptr<ZODArchiverTask>;
