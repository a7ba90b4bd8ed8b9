// The preview pane's side of the browser: the selected file is extracted
// quietly (no task registration, no volume check) into a job folder of its
// own, remembered as the entry's cachedURL, and shown beside the list. The
// pane asks for a passphrase in its own row instead of a sheet.

#include "Kelvora/FileViewController.h"
#include "Platform/Foundation/FileManager.h"
#include "Platform/Foundation/Uuid.h"
#include "Vantel/URLFolders.h"

void FileViewController::updatePreview()
{
    Dispatch::assertMainThread("FileViewController::updatePreview");
    const auto rows = tableView->selectedRowIndexes();
    if (previewSempahore)
        previewSempahore->signal();
    if (currentPreviewTask) {
        currentPreviewTask->cancel();
        currentPreviewTask.reset();
    }
    PreviewView& pane = *previewContainerView;
    const bool on = pane.previewCheckbox()->state() == AppKit::ControlStateValueOn;
    const auto entries = on && rows.size() == 1 && filePaths ? entriesAtRows({*rows.begin()})
                                                             : std::vector<ZODArchiveModelPtr>();
    const auto file = entries.empty() ? nullptr : std::dynamic_pointer_cast<ZODArchiveFile>(entries.front());
    if (!file) {
        pane.setPreviewURL(std::nullopt);
        return;
    }
    if (const auto cached = Vantel::cachedURL(*file);
        cached && Foundation::FileManager::fileExists(cached->toLocalFile().toStdString())) {
        pane.setPreviewURL(cached);
        return;
    }
    if (!currentDirectory)
        return;
    const auto folder = Vantel::temp(std::nullopt);
    if (!folder.isSuccess()) {
        pane.setErrorString(folder.error()->localizedDescription());
        pane.updateErrorState();
        return;
    }
    const auto jobFolder = folder.value().appendingPathComponent(Foundation::uuidString(), true);
    // A failure here is left to the extraction to report.
    Foundation::FileManager::createDirectory(jobFolder.path(), true);

    auto weak = weakSelf();
    // Filled once extract() returns, before the engine's question can reach
    // the main thread: tells the question which preview it belongs to.
    auto question = std::make_shared<std::weak_ptr<ZODArchiverTask>>();
    ZODArchiveModelPtr entry = file;
    currentPreviewTask = extract(
        *filePaths, jobFolder.path(), {entry}, currentDirectory, false,
        [weak, question] { return previewPasswordHandler(weak, question); },
        [weak, jobFolder, entry](Vantel::OperationResult result, ZODArchiverTaskPtr task) {
            if (auto self = weak.lock())
                self->previewExtractionCompleted(result, task, jobFolder, entry);
        });
    *question = currentPreviewTask;
    pane.showLoading();
}

void FileViewController::stopPreview()
{
    Dispatch::assertMainThread("FileViewController::stopPreview");
    if (previewSempahore)
        previewSempahore->signal();
    if (currentPreviewTask) {
        currentPreviewTask->cancel();
        currentPreviewTask.reset();
    }
    previewContainerView->setPreviewURL(std::nullopt);
}

void FileViewController::previewViewDidChangePreviewState(PreviewView&, bool on)
{
    if (on)
        updatePreview();
    else
        stopPreview();
}

void FileViewController::previewViewDidEnterPassword(PreviewView& view, const std::string& password)
{
    Dispatch::assertMainThread("FileViewController::previewViewDidEnterPassword");
    lastPassword = password;
    if (previewSempahore)
        previewSempahore->signal();
    view.passwordInputContainer()->setHidden(true);
    view.passwordTextField()->setStringValue({});
    view.showLoading();
}

std::optional<std::string> FileViewController::previewPasswordHandler(
    const std::weak_ptr<FileViewController>& weak, const std::shared_ptr<std::weak_ptr<ZODArchiverTask>>& question)
{
    // The browser's fields are touched only in main-queue hops, and the
    // browser is locked only there, so this thread never drops its last
    // reference.
    auto semaphore = std::make_shared<Dispatch::Semaphore>(0);
    Dispatch::mainQueue()->sync([&weak, &question, &semaphore] {
        auto self = weak.lock();
        const auto task = question->lock();
        // A question of a preview already superseded or cancelled (the engine
        // asked just before it noticed) shows no row and waits for nothing.
        if (!self || !task || self->currentPreviewTask != task) {
            semaphore->signal();
            return;
        }
        self->previewSempahore = semaphore;
        self->previewContainerView->showPasswordInput();
    });
    semaphore->wait();
    std::optional<std::string> answer;
    Dispatch::mainQueue()->sync([&weak, &semaphore, &answer] {
        auto self = weak.lock();
        if (!self)
            return;
        // A newer question's semaphore stays: clearing it would leave that
        // question waiting for ever.
        if (self->previewSempahore == semaphore)
            self->previewSempahore.reset();
        answer = self->lastPassword;
    });
    return answer;
}

void FileViewController::previewExtractionCompleted(const Vantel::OperationResult& result,
                                                    const ZODArchiverTaskPtr& task, const Foundation::URL& jobFolder,
                                                    const ZODArchiveModelPtr& entry)
{
    Dispatch::assertMainThread("FileViewController::previewExtractionCompleted");
    PreviewView& pane = *previewContainerView;
    if (pane.previewCheckbox()->state() != AppKit::ControlStateValueOn)
        return;
    // A superseded or cancelled preview ends without a trace.
    if (!currentPreviewTask || currentPreviewTask != task)
        return;
    currentPreviewTask.reset();
    if (!result.isSuccess()) {
        if (result.error().code() == ZODArchiverError::Code::cancelled) {
            pane.loadingIndicator()->stopAnimation();
            pane.loadingIndicator()->setHidden(true);
            return;
        }
        pane.setErrorString(result.error().localizedDescription());
        pane.updateErrorState();
        return;
    }
    const auto url = QUrl::fromLocalFile(QString::fromStdString(jobFolder.appendingPathComponent(entry->name()).path()));
    Vantel::setCachedURL(*entry, url);
    pane.setPreviewURL(url);
}
