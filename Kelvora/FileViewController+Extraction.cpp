// Extracting entries of the open archive: the unarchive command, the volume
// check, the one extract operation every extraction runs through, its two
// blocking questions and the failure report.

#include "Kelvora/FileViewController.h"
#include "Kelvora/Strings.h"
#include "Platform/AppKit/Panels.h"
#include "Tiberly/Panels.h"
#include "Vantel/FileUtils.h"

#include <QFileInfo>

#include <algorithm>

void FileViewController::unarchiveCurrentSelection()
{
    if (!filePaths || !currentDirectory)
        return;
    const auto selected = tableView->selectedRowIndexes();
    std::vector<int> rows(selected.begin(), selected.end());
    const int clicked = tableView->clickedRow();
    if (clicked >= 0 && !selected.contains(clicked))
        rows.push_back(clicked);
    const auto entries = rows.empty() ? items : entriesAtRows(rows);

    auto panel = AppKit::OpenPanel::openPanel();
    panel->setCanChooseDirectories(true);
    panel->setCanChooseFiles(false);
    panel->setAllowsMultipleSelection(false);
    panel->setDirectoryURL(Vantel::FileUtils::getFolderPath(*filePaths));
    auto weak = weakSelf();
    Tiberly::openItems(panel, this, nullptr, [weak, entries, directory = currentDirectory](std::vector<std::string> paths) {
        auto self = weak.lock();
        if (!self)
            return;
        self->extractItems(entries, paths.front(), directory, [weak](Vantel::OperationResult result) {
            if (auto self = weak.lock())
                self->extractionFailedAlert(result);
        });
    });
}

void FileViewController::extractItems(const std::vector<ZODArchiveModelPtr>& entries, const std::string& destination,
                                      const ZODArchiveDirectoryPtr& archiveDirectory, ExtractionCompletion completion)
{
    Dispatch::assertMainThread("FileViewController::extractItems");
    const bool volumesExist = filePaths && std::all_of(filePaths->begin(), filePaths->end(), [](const std::string& path) {
                                  return QFileInfo::exists(QString::fromStdString(path));
                              });
    if (!volumesExist) {
        showAlert("ALERT_MESSAGE_NO_FILE_TITLE", localizedString("ALERT_MESSAGE_NO_FILE_DETAIL"));
        return;
    }
    extract(*filePaths, destination, entries, archiveDirectory, true, nullptr,
            [completion = std::move(completion)](Vantel::OperationResult result, ZODArchiverTaskPtr) {
                if (completion)
                    completion(std::move(result));
            });
}

ZODArchiverTaskPtr FileViewController::extract(const std::vector<std::string>& archivePaths,
                                               const std::string& destination,
                                               const std::vector<ZODArchiveModelPtr>& entries,
                                               const ZODArchiveDirectoryPtr& archiveDirectory, bool registerTask,
                                               PasswordQuestion passwordQuestion, TaskCompletion completion)
{
    Dispatch::assertMainThread("FileViewController::extract");
    int64_t byteCount = 0;
    int64_t itemCount = static_cast<int64_t>(entries.size());
    std::vector<std::string> names;
    names.reserve(entries.size());
    for (const auto& entry : entries) {
        byteCount += entry->size();
        if (auto directory = std::dynamic_pointer_cast<ZODArchiveDirectory>(entry))
            itemCount += directory->itemCount();
        names.push_back(entry->name());
    }
    auto weak = weakSelf();
    // The work thread only tests the weak reference (expired()), so it never
    // ends up holding the browser's last reference.
    Vantel::PasswordHandler passwordHandler = passwordQuestion ? std::move(passwordQuestion)
                                                               : Vantel::PasswordHandler([weak] {
                                                                     return weak.expired() ? std::nullopt
                                                                                           : askPassword(weak);
                                                                 });
    Vantel::ConflictHandler conflictHandler = [weak](const std::string& name) {
        return weak.expired() ? ArchiverConflictResolving::cancel : askConflict(weak, name);
    };
    auto task = Vantel::decompress(
        archivePaths, destination, archiveDirectory, std::move(names), byteCount, itemCount, lastPassword,
        lastFileEncoding, nullptr, std::move(passwordHandler), std::move(conflictHandler),
        [weak, completion = std::move(completion)](Vantel::OperationResult result, ZODArchiverTaskPtr finished) {
            Dispatch::assertMainThread("FileViewController extraction completion");
            if (auto self = weak.lock())
                self->removeTask(finished);
            if (completion)
                completion(std::move(result), finished);
        },
        Dispatch::globalQueue(), Dispatch::mainQueue());
    if (registerTask)
        addTask(task);
    task->resume();
    return task;
}

std::optional<std::string> FileViewController::askPasswordBlocking()
{
    return askPassword(weakSelf());
}

ArchiverConflictResolving FileViewController::askConflictBlocking(const std::string& name)
{
    return askConflict(weakSelf(), name);
}

std::optional<std::string> FileViewController::askPassword(const std::weak_ptr<FileViewController>& weak)
{
    auto cell = std::make_shared<std::optional<std::string>>();
    auto semaphore = std::make_shared<Dispatch::Semaphore>(0);
    Dispatch::mainQueue()->sync([weak, cell, semaphore] {
        auto self = weak.lock();
        if (!self) {
            semaphore->signal();
            return;
        }
        self->showPasswordPrompt([weak, cell, semaphore](std::optional<std::string> text) {
            *cell = std::move(text);
            // lastPassword belongs to the main thread: it is set here, before
            // the work thread is released, never from the work thread.
            if (auto self = weak.lock())
                self->lastPassword = *cell;
            semaphore->signal();
        });
    });
    semaphore->wait();
    return *cell;
}

ArchiverConflictResolving FileViewController::askConflict(const std::weak_ptr<FileViewController>& weak,
                                                          const std::string& name)
{
    auto cell = std::make_shared<ArchiverConflictResolving>(ArchiverConflictResolving::cancel);
    auto semaphore = std::make_shared<Dispatch::Semaphore>(0);
    Dispatch::mainQueue()->sync([weak, name, cell, semaphore] {
        auto self = weak.lock();
        if (!self) {
            semaphore->signal();
            return;
        }
        self->showConflictAlert(name, cell, semaphore);
    });
    semaphore->wait();
    return *cell;
}

void FileViewController::extractionFailedAlert(const Vantel::OperationResult& result)
{
    Dispatch::assertMainThread("FileViewController::extractionFailedAlert");
    if (result.isSuccess() || result.error().code() == ZODArchiverError::Code::cancelled)
        return;
    showAlert("ALERT_MESSAGE_UNARCHIVING_FAILED", result.error().localizedDescription());
}
