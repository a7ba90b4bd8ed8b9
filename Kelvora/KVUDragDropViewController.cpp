#include "Kelvora/KVUDragDropViewController.h"

#include "Kelvora/Strings.h"
#include "Kelvora/TaskManager.h"
#include "Platform/AppKit/Alert.h"
#include "Platform/AppKit/Panels.h"
#include "Platform/AppKit/Window.h"
#include "Platform/AppKit/Workspace.h"
#include "Platform/Dispatch/Dispatch.h"
#include "Platform/Foundation/FileManager.h"
#include "Platform/Foundation/Path.h"
#include "Platform/Foundation/Uuid.h"
#include "Tiberly/ArchiveSettingViewController.h"
#include "Tiberly/Panels.h"
#include "Tiberly/SheetPresentation.h"
#include "Vantel/Archiver.h"
#include "Vantel/FileUtils.h"
#include "Vantel/URLFolders.h"

#include <QLabel>

#include <cerrno>
#include <cstdio>

namespace {
constexpr int hintMargin = 16;
constexpr int hintPointSize = 24;
} // namespace

// What one compression carries from its start to the save.
struct KVUDragDropViewController::Job {
    std::string fileName;
    std::optional<std::string> folder;
    std::string archivePath;
    ZODArchiverPreference preference;
    std::vector<std::string> paths;
};

std::shared_ptr<Tiberly::KVUDragDropView> KVUDragDropViewController::dragDropView()
{
    if (!dragDropView_)
        dragDropView_ = Tiberly::KVUDragDropView::make();
    return dragDropView_;
}

std::shared_ptr<AppKit::TextField> KVUDragDropViewController::dragDropHintTextField()
{
    if (!dragDropHintTextField_) {
        dragDropHintTextField_ = AppKit::TextField::wrappingLabelWithString(localizedString("ARCHIVE_DRAG_DROP_HINT"));
        QFont font = dragDropHintTextField_->widget()->font();
        font.setBold(true);
        font.setPointSize(hintPointSize);
        dragDropHintTextField_->widget()->setFont(font);
        if (auto* label = qobject_cast<QLabel*>(dragDropHintTextField_->widget()))
            label->setAlignment(Qt::AlignCenter);
    }
    return dragDropHintTextField_;
}

void KVUDragDropViewController::loadView()
{
    auto container = AppKit::View::make();
    // The hint first: the drop view lies above it and lets it show through.
    container->addSubview(dragDropHintTextField(), AppKit::Placement::fill(QMargins(hintMargin, 0, hintMargin, 0)));
    container->addSubview(dragDropView());
    setView(container);
}

void KVUDragDropViewController::viewDidLoad()
{
    AppKit::ViewController::viewDidLoad();
    dragDropView()->setDelegate(std::dynamic_pointer_cast<KVUDragDropViewController>(shared_from_this()));
}

Tiberly::DragOperation KVUDragDropViewController::dragOperationForFiles(Tiberly::KVUDragDropView& view,
                                                                        const std::vector<std::string>&)
{
    // The drop is still taken, so that it can say why it makes nothing.
    view.setRefusalReason(Tiberly::archiveSettingsProblem());
    return Tiberly::DragOperation::copy;
}

void KVUDragDropViewController::didReceiveDroppedFiles(Tiberly::KVUDragDropView&,
                                                       const std::vector<std::string>& paths)
{
    if (!paths.empty())
        createArchive(paths);
}

std::string KVUDragDropViewController::archiveFileName(const std::vector<std::string>& paths,
                                                       const std::optional<std::string>& folder, int64_t preset)
{
    std::string baseName;
    if (paths.size() == 1) {
        baseName = Foundation::lastPathComponent(paths.front());
        bool isDirectory = false;
        if (!(Foundation::FileManager::fileExists(paths.front(), &isDirectory) && isDirectory))
            baseName = Foundation::deletingPathExtension(baseName);
    } else if (folder) {
        baseName = Foundation::lastPathComponent(*folder);
    }
    // The root folder's name is "/", which is no file name.
    if (baseName.empty() || baseName == "/")
        baseName = localizedString("ARCHIVE_DEFAULT_FILE_NAME");
    return baseName + ZODArchiverPreference::presetFileExtension(preset);
}

void KVUDragDropViewController::createArchive(const std::vector<std::string>& paths)
{
    Dispatch::assertMainThread("KVUDragDropViewController::createArchive");
    // The settings would quietly drop the encryption the user asked for.
    if (auto problem = Tiberly::archiveSettingsProblem()) {
        showFailure("ALERT_MESSAGE_ARCHIVING_FAILED", *problem);
        return;
    }
    // A copy: later changes to the settings leave this job alone.
    auto preference = ZODArchiverPreference::current().copy();
    auto folder = Vantel::FileUtils::getFolderPath(paths);
    const std::string fileName = archiveFileName(paths, folder, preference.preset());

    auto temp = Vantel::temp(std::nullopt);
    if (temp.isFailure()) {
        showFailure("ALERT_MESSAGE_ARCHIVING_FAILED", temp.error()->localizedDescription());
        return;
    }
    const auto jobFolder = temp.value().appendingPathComponent(Foundation::uuidString(), true);
    if (auto error = Foundation::FileManager::createDirectory(jobFolder.path(), true)) {
        showFailure("ALERT_MESSAGE_ARCHIVING_FAILED", error->localizedDescription());
        return;
    }
    Job job{fileName, std::move(folder), jobFolder.appendingPathComponent(fileName).path(), preference, paths};

    std::weak_ptr<KVUDragDropViewController> weakSelf =
        std::static_pointer_cast<KVUDragDropViewController>(shared_from_this());
    auto task = Vantel::compress(
        paths, job.archivePath, preference, nullptr,
        [weakSelf, job](Vantel::OperationResult result, ZODArchiverTaskPtr task) {
            std::optional<ZODArchiverError> error;
            if (result.isFailure())
                error = result.error();
            if (auto self = weakSelf.lock()) {
                self->compressionEnded(job, error, task);
                return;
            }
            // Nobody is left to show the result; the registry must not keep a finished task.
            TaskManager::shared()->remove(task);
        },
        Dispatch::globalQueue(), Dispatch::mainQueue());
    TaskManager::shared()->add(task, false);
    tasks_.push_back(task);
    task->resume();
    setWindowClosable(false);
}

void KVUDragDropViewController::compressionEnded(const Job& job, const std::optional<ZODArchiverError>& error,
                                                 const ZODArchiverTaskPtr& task)
{
    Dispatch::assertMainThread("KVUDragDropViewController::compressionEnded");
    // Unregistered whatever happens next: a task left in the registry would
    // keep the task window open and the quit question asking for ever.
    TaskManager::shared()->remove(task);
    std::erase(tasks_, task);
    if (!window())
        return;
    if (tasks_.empty())
        setWindowClosable(true);

    if (error) {
        if (error->code() != ZODArchiverError::Code::cancelled)
            showFailure("ALERT_MESSAGE_ARCHIVING_FAILED", error->localizedDescription());
        return;
    }
    auto panel = AppKit::SavePanel::savePanel();
    panel->setNameFieldStringValue(job.fileName);
    if (job.folder)
        panel->setDirectoryURL(*job.folder);
    auto self = std::static_pointer_cast<KVUDragDropViewController>(shared_from_this());
    Tiberly::saveFile(panel, this, nullptr, [self, job](std::string destination) { self->save(job, destination); });
}

void KVUDragDropViewController::save(const Job& job, const std::string& destination)
{
    Dispatch::assertMainThread("KVUDragDropViewController::save");
    Foundation::ErrorPtr error;
    if (Foundation::FileManager::fileExists(destination)) {
        // The archive goes next to the file it replaces first, so that a
        // failed move never costs the user the existing file; a rename then
        // swaps it in at once.
        const std::string staged = Foundation::appendingPathComponent(
            Foundation::deletingLastPathComponent(destination), "." + Foundation::uuidString() + "-" + job.fileName);
        error = Foundation::FileManager::moveItem(job.archivePath, staged);
        if (!error && std::rename(staged.c_str(), destination.c_str()) != 0) {
            error = Foundation::posixError(errno, destination);
            Foundation::FileManager::moveItem(staged, job.archivePath);
        }
    } else {
        error = Foundation::FileManager::moveItem(job.archivePath, destination);
    }
    if (error) {
        showFailure("ALERT_MESSAGE_FAILURE_TO_WRITE_FILES", error->localizedDescription());
        return;
    }
    if (job.preference.revealInFinder())
        AppKit::Workspace::shared().activateFileViewerSelectingURLs({destination});
    if (job.preference.deleteOriginal())
        confirmDeletingOriginals(job);
}

void KVUDragDropViewController::confirmDeletingOriginals(const Job& job)
{
    auto alert = AppKit::Alert::make();
    alert->alertStyle = AppKit::AlertStyle::critical;
    alert->messageText = localizedString("ALERT_MESSAGE_CONFIRM_DELETE_ORIGINAL_FILES");
    alert->addButton(localizedString("COMMON_OK"));
    alert->addButton(localizedString("COMMON_CANCEL"));
    const auto paths = job.paths;
    Tiberly::showModalSheet(*this, alert, [paths](AppKit::ModalResponse response) {
        if (response != AppKit::AlertFirstButtonReturn)
            return;
        // One source that cannot go does not keep the others.
        for (const auto& path : paths)
            Foundation::FileManager::removeItem(path);
    });
}

void KVUDragDropViewController::showFailure(const char* messageKey, const std::string& description)
{
    auto alert = AppKit::Alert::make();
    alert->alertStyle = AppKit::AlertStyle::critical;
    alert->messageText = localizedString(messageKey);
    alert->informativeText = description;
    alert->addButton(localizedString("COMMON_OK"));
    Tiberly::showModalSheet(*this, alert, [](AppKit::ModalResponse) {});
}

void KVUDragDropViewController::setWindowClosable(bool closable)
{
    auto shown = window();
    if (!shown)
        return;
    const unsigned mask = shown->styleMask();
    shown->setStyleMask(closable ? (mask | AppKit::StyleMask::closable) : (mask & ~AppKit::StyleMask::closable));
}
