// Getting an archive into the browser: the open panel, the refusal while a
// task runs, the multi-volume gate, the analysis with its questions, and
// the completion that installs the archive or reports the failure.

#include "Kelvora/AppDelegate.h"
#include "Kelvora/FileViewController.h"
#include "Kelvora/MultiVolumeArchiveReorderViewController.h"
#include "Kelvora/SearchResultViewController.h"
#include "Kelvora/Strings.h"
#include "Kelvora/TaskManager.h"
#include "Kelvora/ToolbarItemValidation.h"
#include "Platform/AppKit/Alert.h"
#include "Platform/AppKit/Panels.h"
#include "Platform/AppKit/RecentDocuments.h"
#include "Platform/AppKit/Window.h"
#include "Tiberly/EncodingSelectionController.h"
#include "Tiberly/Panels.h"
#include "Tiberly/SheetPresentation.h"
#include "Vantel/SharedSettings.h"

#include <QFileInfo>

#include <algorithm>

void FileViewController::openDocument()
{
    auto panel = AppKit::OpenPanel::openPanel();
    panel->setCanChooseDirectories(false);
    panel->setAllowsMultipleSelection(true);
    auto weak = weakSelf();
    Tiberly::openItems(panel, this, nullptr, [weak](std::vector<std::string> paths) {
        if (auto self = weak.lock())
            self->loadArchive(std::move(paths), true);
    });
}

void FileViewController::showAlert(const char* messageKey, std::optional<std::string> informativeText)
{
    auto alert = AppKit::Alert::make();
    alert->alertStyle = AppKit::AlertStyle::critical;
    alert->messageText = localizedString(messageKey);
    if (informativeText)
        alert->informativeText = *informativeText;
    alert->addButton(localizedString("COMMON_OK"));
    Tiberly::showModalSheet(*this, alert, [](AppKit::ModalResponse) {});
}

void FileViewController::loadArchive(std::vector<std::string> paths, bool addToRecents)
{
    Dispatch::assertMainThread("FileViewController::loadArchive");
    if (paths.empty())
        return;
    if (!tasks.empty()) {
        showAlert("ALERT_MESSAGE_TASK_RUNNING_TITLE", localizedString("ALERT_MESSAGE_TASK_RUNNING_DETAIL"));
        return;
    }
    std::stable_sort(paths.begin(), paths.end(), [](const std::string& a, const std::string& b) {
        return QString::compare(QString::fromStdString(a), QString::fromStdString(b), Qt::CaseInsensitive) < 0;
    });
    if (paths.size() == 1) {
        analyzeArchive(paths, addToRecents);
        return;
    }
    Vantel::SharedSettings settings;
    if (settings.doNotAskForReorder()) {
        analyzeArchive(paths, addToRecents);
        return;
    }
    if (settings.doNotDisplayedMultiVolumeAlert()) {
        presentReorderSheet(paths, addToRecents);
        return;
    }
    auto alert = AppKit::Alert::make();
    alert->alertStyle = AppKit::AlertStyle::informational;
    alert->messageText = localizedString("ARCHIVE_OPEN_MULTI_VOLUME_ARCHIVE_ALERT_TITLE");
    alert->informativeText = localizedString("ARCHIVE_OPEN_MULTI_VOLUME_ARCHIVE_ALERT_MESSAGE");
    alert->addButton(localizedString("COMMON_OK"));
    alert->addButton(localizedString("COMMON_DO_NOT_SHOW_THIS_AGAIN"));
    auto weak = weakSelf();
    Tiberly::showModalSheet(*this, alert, [weak, paths, addToRecents](AppKit::ModalResponse response) {
        auto self = weak.lock();
        if (!self)
            return;
        if (response == AppKit::AlertFirstButtonReturn + 1)
            Vantel::SharedSettings().setDoNotDisplayedMultiVolumeAlert(true);
        // The notice's sheet is still ending; the reorder sheet follows it.
        Dispatch::mainQueue()->async([weak, paths, addToRecents] {
            if (auto self = weak.lock())
                self->presentReorderSheet(paths, addToRecents);
        });
    });
}

void FileViewController::presentReorderSheet(const std::vector<std::string>& paths, bool addToRecents)
{
    auto weak = weakSelf();
    auto sheet = std::make_shared<MultiVolumeArchiveReorderViewController>(
        paths, [weak, addToRecents](std::optional<std::vector<std::string>> ordered) {
            if (!ordered)
                return;
            if (auto self = weak.lock())
                self->analyzeArchive(*ordered, addToRecents);
        });
    presentAsSheet(sheet);
}

void FileViewController::analyzeArchive(const std::vector<std::string>& paths, bool addToRecents)
{
    Dispatch::assertMainThread("FileViewController::analyzeArchive");
    auto passwordCell = std::make_shared<std::optional<std::string>>();
    auto encodingCell = std::make_shared<std::optional<uint64_t>>();
    auto weak = weakSelf();

    // Each question waits on the work thread for its own answer cell.
    auto passwordHandler = [weak, passwordCell]() -> std::optional<std::string> {
        auto answer = std::make_shared<std::optional<std::string>>();
        auto semaphore = std::make_shared<Dispatch::Semaphore>(0);
        Dispatch::mainQueue()->sync([weak, answer, semaphore] {
            auto self = weak.lock();
            if (!self) {
                semaphore->signal();
                return;
            }
            self->showAnalysisPasswordPrompt([answer, semaphore](std::optional<std::string> text) {
                *answer = std::move(text);
                semaphore->signal();
            });
        });
        semaphore->wait();
        *passwordCell = *answer;
        return *answer;
    };
    auto encodingHandler = [weak, encodingCell](const char* rawName) -> uint64_t {
        // expired(), not lock(): the work thread must never hold the last
        // reference to the browser.
        if (weak.expired())
            return Foundation::Encoding::UTF8;
        const uint64_t fallback = Vantel::SharedSettings().fallbackEncodingDefaultUTF8();
        if (fallback != Foundation::Encoding::UTF8) {
            *encodingCell = fallback;
            return fallback;
        }
        auto semaphore = std::make_shared<Dispatch::Semaphore>(0);
        Dispatch::mainQueue()->async([weak, name = std::string(rawName ? rawName : ""), encodingCell, semaphore] {
            auto self = weak.lock();
            if (!self) {
                semaphore->signal();
                return;
            }
            self->showEncodingSheet(name, encodingCell, semaphore);
        });
        semaphore->wait();
        return encodingCell->value_or(Foundation::Encoding::UTF8);
    };
    auto task = Vantel::analyze(
        paths, passwordHandler, encodingHandler,
        [weak, paths, passwordCell, encodingCell, addToRecents](Vantel::AnalysisResult result,
                                                                ZODArchiverTaskPtr finished) {
            if (auto self = weak.lock())
                self->analysisCompleted(std::move(result), finished, paths, passwordCell, encodingCell, addToRecents);
            else
                TaskManager::shared()->remove(finished); // else it would count for the quit question forever
        },
        Dispatch::globalQueue(), Dispatch::mainQueue());
    addTask(task);
    task->resume();
}

void FileViewController::showEncodingSheet(const std::string& rawName,
                                           const std::shared_ptr<std::optional<uint64_t>>& encodingCell,
                                           const std::shared_ptr<Dispatch::Semaphore>& semaphore)
{
    auto sheet = std::make_shared<Tiberly::EncodingSelectionController>("EncodingSelection");
    sheet->setSampleBytes(rawName);
    retainedWindowController = sheet;
    std::weak_ptr<Tiberly::EncodingSelectionController> weakSheet = sheet;
    Tiberly::showModalSheet(*this, sheet->window(), [weakSheet, encodingCell, semaphore](AppKit::ModalResponse response) {
        // encodingSelectionResponse: only OK answers.
        if (response == AppKit::ModalResponseOK)
            if (auto controller = weakSheet.lock())
                if (auto chosen = controller->selectedEncoding())
                    *encodingCell = *chosen;
        semaphore->signal();
    });
}

void FileViewController::analysisCompleted(Vantel::AnalysisResult result, const ZODArchiverTaskPtr& task,
                                           const std::vector<std::string>& paths,
                                           const std::shared_ptr<std::optional<std::string>>& passwordCell,
                                           const std::shared_ptr<std::optional<uint64_t>>& encodingCell,
                                           bool addToRecents)
{
    Dispatch::assertMainThread("FileViewController::analysisCompleted");
    // Unregistered whether or not there is a window to show the result in.
    removeTask(task);
    auto window = this->window();
    if (!window)
        return;
    if (!result.isSuccess()) {
        const auto& error = result.error();
        switch (error.code()) {
        case ZODArchiverError::Code::cancelled:
            return;
        case ZODArchiverError::Code::unknown:
            showAlert("ALERT_MESSAGE_ANALYZING_FAILED_SEND_TO_DEVELOPER", std::nullopt);
            return;
        case ZODArchiverError::Code::unexpectedEnd:
            showAlert("ALERT_MESSAGE_ANAYLYZING_FAILED", localizedString("ALERT_MESSAGE_POSSIBLE_MULTIVOLUME_DESCRIPTION"));
            return;
        default:
            showAlert("ALERT_MESSAGE_ANAYLYZING_FAILED", error.localizedDescription());
            return;
        }
    }
    const auto root = result.value();
    const std::string name = QFileInfo(QString::fromStdString(paths.front())).fileName().toStdString();
    rootDirectory = root;
    // A list still on screen searches the archive being replaced: take it
    // down with its text, or it would cover the new listing for good.
    if (isShowingSearchResults()) {
        if (auto field = searchResultViewController->lastSearchField())
            field->setStringValue({});
        hideSearchResults();
    }
    searchResultViewController = std::make_shared<SearchResultViewController>(root);
    searchResultViewController->delegate = self();
    lastPassword = *passwordCell;
    lastFileEncoding = encodingCell->value_or(Foundation::Encoding::UTF8);
    filePaths = paths;
    fileName = name;
    showDirectory(root);
    validateVisibleToolbarItems(*window);
    resetNavigation();
    updatePathControl(root);
    pushHistory(root);
    window->setRepresentedFilename(paths.front());
    window->setTitle(name);
    if (addToRecents)
        AppKit::RecentDocuments::noteNewRecentDocument(paths.front());
}

int FileViewController::numberOfTasks() const
{
    return static_cast<int>(tasks.size());
}

ZODArchiverTaskPtr FileViewController::taskAt(int index) const
{
    if (index < 0 || index >= numberOfTasks())
        return nullptr;
    return tasks[static_cast<size_t>(index)];
}

Tiberly::DragOperation FileViewController::dragOperationForFiles(Tiberly::KVUDragDropView&,
                                                                 const std::vector<std::string>&)
{
    return Tiberly::DragOperation::copy;
}

void FileViewController::makeArchiveWith(const std::vector<std::string>& paths)
{
    auto delegate = AppDelegate::shared();
    if (!delegate)
        return;
    if (auto window = delegate->ddWindowController()->window())
        window->makeKeyAndOrderFront();
    delegate->makeArchive(paths);
}

void FileViewController::didReceiveDroppedFiles(Tiberly::KVUDragDropView&, const std::vector<std::string>& paths)
{
    Dispatch::assertMainThread("FileViewController::didReceiveDroppedFiles");
    const auto plainFiles = std::count_if(paths.begin(), paths.end(), [](const std::string& path) {
        const QFileInfo info(QString::fromStdString(path));
        return info.exists() && !info.isDir();
    });
    if (static_cast<size_t>(plainFiles) != paths.size()) {
        makeArchiveWith(paths);
        return;
    }
    if (paths.size() == 1) {
        loadArchive(paths, true);
        return;
    }
    auto alert = AppKit::Alert::make();
    alert->alertStyle = AppKit::AlertStyle::warning;
    alert->messageText = localizedString("DISAMBIGUATE_ALERT_TITLE");
    alert->addButton(localizedString("DISAMBIGUATE_ALERT_OPTION_OPEN_ARCHIVE"));
    alert->addButton(localizedString("DISAMBIGUATE_ALERT_OPTION_MAKE_ARCHIVE"));
    alert->addButton(localizedString("COMMON_CANCEL"));
    auto weak = weakSelf();
    Tiberly::showModalSheet(*this, alert, [weak, paths](AppKit::ModalResponse response) {
        if (response == AppKit::AlertFirstButtonReturn) {
            // The question's sheet is still ending; a sheet of the opening
            // road (notice, running-task alert) follows it.
            Dispatch::mainQueue()->async([weak, paths] {
                if (auto self = weak.lock())
                    self->loadArchive(paths, true);
            });
        } else if (response == AppKit::AlertFirstButtonReturn + 1) {
            makeArchiveWith(paths);
        }
    });
}
