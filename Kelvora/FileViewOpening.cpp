#include "Kelvora/FileViewController.h"

#include "Kelvora/TaskManager.h"
#include "Platform/Dispatch/Dispatch.h"
#include "Vantel/Archiver.h"

#include <QFileInfo>

#include <algorithm>

// The paths are analysed as the volumes of one archive, in the order given.
void FileViewController::loadArchive(const std::vector<std::string>& paths, bool addToRecents)
{
    Dispatch::assertMainThread("FileViewController::loadArchive");
    (void)addToRecents;
    if (paths.empty() || !tasks.empty())
        return;
    std::weak_ptr<FileViewController> weakSelf = std::static_pointer_cast<FileViewController>(shared_from_this());
    auto task = Vantel::analyze(
        paths, [] { return std::optional<std::string>(); }, [](const char*) { return Foundation::Encoding::UTF8; },
        [weakSelf, paths](Vantel::AnalysisResult result, ZODArchiverTaskPtr finished) {
            TaskManager::shared()->remove(finished);
            auto self = weakSelf.lock();
            if (!self)
                return;
            std::erase(self->tasks, finished);
            if (!result.isSuccess())
                return;
            self->rootDirectory = result.value();
            self->filePaths = paths;
            self->fileName = QFileInfo(QString::fromStdString(paths.front())).fileName().toStdString();
            self->lastPassword.reset();
            self->lastFileEncoding = Foundation::Encoding::UTF8;
            self->pathHistory = {self->rootDirectory};
            self->pathHistoryIndex = 0;
            self->stack = {self->rootDirectory};
            self->showDirectory(self->rootDirectory);
        },
        Dispatch::globalQueue(), Dispatch::mainQueue());
    TaskManager::shared()->add(task, true);
    tasks.push_back(task);
    task->resume();
}
