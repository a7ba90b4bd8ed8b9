// Opening an entry of the listed folder (a folder is entered, a file is
// extracted into a job folder of its own and opened) and dragging entries
// out of the table as promised files.

#include "Kelvora/AppDelegate.h"
#include "Kelvora/DocumentTypes.h"
#include "Kelvora/FileViewController.h"
#include "Kelvora/Strings.h"
#include "Platform/AppKit/Workspace.h"
#include "Platform/Foundation/FileManager.h"
#include "Platform/Foundation/Uuid.h"
#include "Platform/StoreKit/StoreReviewController.h"
#include "Vantel/URLFolders.h"

#include <algorithm>

namespace {

// The text after the last ".", or the whole name without one.
std::string entryExtension(const std::string& name)
{
    const auto dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(dot + 1);
}

} // namespace

void FileViewController::tableViewDoubleClick()
{
    Dispatch::assertMainThread("FileViewController::tableViewDoubleClick");
    const int row = tableView->clickedRow();
    if (row < 0 || !currentDirectory || row >= static_cast<int>(items.size()))
        return;
    const auto entry = items[static_cast<size_t>(row)];
    if (auto directory = std::dynamic_pointer_cast<ZODArchiveDirectory>(entry)) {
        updatePathControl(directory);
        pushHistory(directory);
        showDirectory(directory);
        return;
    }
    if (!std::dynamic_pointer_cast<ZODArchiveFile>(entry))
        return;
    auto folder = Vantel::temp(std::nullopt);
    if (!folder.isSuccess()) {
        showAlert("ALERT_MESSAGE_UNARCHIVING_FAILED", folder.error()->localizedDescription());
        return;
    }
    // Every opening gets a folder of its own, so an earlier copy (perhaps
    // still open in an application) is never overwritten.
    const auto jobFolder = folder.value().appendingPathComponent(Foundation::uuidString(), true);
    // A folder that cannot be made is left for the engine to report.
    Foundation::FileManager::createDirectory(jobFolder.path(), true);
    auto weak = weakSelf();
    extractItems({entry}, jobFolder.path(), currentDirectory,
                 [weak, jobFolder, entry](Vantel::OperationResult result) {
                     if (auto self = weak.lock())
                         self->openExtractedItem(result, jobFolder, entry);
                 });
}

void FileViewController::openExtractedItem(const Vantel::OperationResult& result, const Foundation::URL& jobFolder,
                                           const ZODArchiveModelPtr& entry)
{
    Dispatch::assertMainThread("FileViewController::openExtractedItem");
    if (!result.isSuccess()) {
        if (result.error().code() != ZODArchiverError::Code::cancelled)
            showAlert("ALERT_MESSAGE_UNARCHIVING_FAILED", result.error().localizedDescription());
        return;
    }
    const auto file = jobFolder.appendingPathComponent(entry->name());
    const auto extensions = documentTypeExtensions();
    if (std::find(extensions.begin(), extensions.end(), entryExtension(entry->name())) != extensions.end()) {
        if (auto delegate = AppDelegate::shared())
            delegate->openArchives({file.path()});
        return;
    }
    if (AppKit::Workspace::shared().openFile(file.path())) {
        StoreKit::SKStoreReviewController::requestReview();
        return;
    }
    showAlert("ALERT_MESSAGE_UNABLE_TO_OPEN_FILE_TITLE", localizedString("ALERT_MESSAGE_UNABLE_TO_OPEN_FILE_DETAIL"));
}

bool FileViewController::writeRowsWith(const AppKit::IndexSet&, AppKit::Pasteboard& pasteboard)
{
    pasteboard.declareTypes({AppKit::PasteboardTypeFilesPromise});
    pasteboard.setPropertyList({""}, AppKit::PasteboardTypeFilesPromise);
    return true;
}

std::vector<std::string> FileViewController::namesOfPromisedFilesDroppedAtDestination(
    const std::string& destination, const AppKit::IndexSet& rows, AppKit::PromisedFilesWritten written)
{
    Dispatch::assertMainThread("FileViewController::namesOfPromisedFilesDroppedAtDestination");
    if (!currentDirectory)
        return {};
    // An index set is ascending already.
    const std::vector<int> ascending(rows.begin(), rows.end());
    const auto entries = entriesAtRows(ascending);
    std::vector<std::string> names;
    for (const auto& entry : entries)
        if (std::dynamic_pointer_cast<ZODArchiveDirectory>(entry) || std::dynamic_pointer_cast<ZODArchiveFile>(entry))
            names.push_back(entry->name());
    auto weak = weakSelf();
    // When no extraction starts (a missing volume), the report goes unused
    // and the table learns that nothing will arrive.
    extractItems(entries, destination, currentDirectory, [weak, written](Vantel::OperationResult result) {
        if (auto self = weak.lock())
            self->extractionFailedAlert(result);
        written(result.isSuccess());
    });
    return names;
}

void FileViewController::setUpDragOut()
{
    auto weak = weakSelf();
    tableView->writeRows = [weak](const AppKit::IndexSet& rows, AppKit::Pasteboard& pasteboard) {
        auto self = weak.lock();
        return self && self->writeRowsWith(rows, pasteboard);
    };
    tableView->namesOfPromisedFilesDroppedAtDestination =
        [weak](const std::string& destination, const AppKit::IndexSet& rows, AppKit::PromisedFilesWritten written) {
            auto self = weak.lock();
            return self ? self->namesOfPromisedFilesDroppedAtDestination(destination, rows, std::move(written))
                        : std::vector<std::string>{};
        };
}
