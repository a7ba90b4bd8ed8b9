#pragma once
// The archive browser: content of every browser window, made from the
// "FileView" form, holding at most one analysed archive. Its concerns live
// in FileViewController+Opening.cpp, +Tasks.cpp, +Listing.cpp,
// +Extraction.cpp and +Preview.cpp. Main thread only, except the question halves that the
// engine calls on its work thread.

#include "Brackwen/ZODArchiveModel.h"
#include "Brackwen/ZODArchiverTask.h"
#include "Kelvora/PreviewView.h"
#include "Kelvora/SearchResultViewController.h"
#include "Kelvora/TaskViewController.h"
#include "Kelvora/TaskViewControllerDataSource.h"
#include "Platform/AppKit/Menu.h"
#include "Platform/AppKit/PathControl.h"
#include "Platform/AppKit/ScrollView.h"
#include "Platform/AppKit/TableView.h"
#include "Platform/AppKit/Toolbar.h"
#include "Platform/AppKit/ViewController.h"
#include "Platform/AppKit/WindowController.h"
#include "Platform/Dispatch/Dispatch.h"
#include "Platform/Foundation/Path.h"
#include "Platform/Foundation/StringEncoding.h"
#include "Tiberly/KVUDragDropView.h"
#include "Vantel/Archiver.h"

#include <QIcon>
#include <QPointer>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

class QLabel;
class DateFormatter;
class QSplitter;
class QWidget;

namespace Ui {
class FileView;
}

enum class FileColumnIdentifier { name, size, kind, modificationTime };
const char* rawValue(FileColumnIdentifier column);

class FileViewController : public AppKit::ViewController,
                           public TaskViewControllerDataSource,
                           public SearchResultViewControllerDelegate,
                           public Tiberly::KVUDragDropViewDelegate,
                           public PreviewViewDelegate {
public:
    using ExtractionCompletion = std::function<void(Vantel::OperationResult)>;
    using TaskCompletion = std::function<void(Vantel::OperationResult, ZODArchiverTaskPtr)>;
    using PasswordQuestion = std::function<std::optional<std::string>()>;

    FileViewController();
    ~FileViewController() override;

    // Fields, in order. Outlets are views of the form.
    QPointer<QLabel> descriptionLabel;
    QPointer<QWidget> coverView;
    std::shared_ptr<Tiberly::KVUDragDropView> dragDropView;
    AppKit::PathControlPtr pathControl;
    AppKit::ScrollViewPtr pathControlContainer;
    std::vector<ZODArchiverTaskPtr> tasks;
    std::string sizeText(int64_t bytes);
    std::string dateText(const std::optional<ZODDate>& date);
    std::shared_ptr<Dispatch::Semaphore> previewSempahore;
    std::optional<std::string> lastPassword;
    uint64_t lastFileEncoding = Foundation::Encoding::UTF8;
    ZODArchiveDirectoryPtr rootDirectory;
    ZODArchiveDirectoryPtr currentDirectory;
    std::shared_ptr<SearchResultViewController> searchResultViewController;
    std::vector<ZODArchiveDirectoryPtr> stack;
    std::vector<ZODArchiveDirectoryPtr> pathHistory;
    long pathHistoryIndex = -1;
    std::vector<ZODArchiveModelPtr> items;
    std::optional<std::vector<std::string>> filePaths;
    std::optional<std::string> fileName;
    std::shared_ptr<AppKit::TableView> tableView;
    QPointer<QWidget> resultContainerView;
    QPointer<QSplitter> splitView;
    std::shared_ptr<PreviewView> previewContainerView;
    std::shared_ptr<TaskViewController> taskViewController();
    AppKit::WindowControllerPtr retainedWindowController;
    ZODArchiverTaskPtr currentPreviewTask;

    bool isShowingSearchResults() const;
    // Search: the toolbar field's action, and the results list in place of
    // the file list while the field holds text.
    void searchFieldChanged(AppKit::Responder* sender);
    void showSearchResults();
    void hideSearchResults();
    void searchResultViewControllerDidSelect(SearchResultViewController& controller, const ZODArchiveModelPtr& entry,
                                             const AppKit::SearchFieldPtr& searchField) override;
    void setSortDescriptorPrototype(FileColumnIdentifier column, std::optional<std::string> key,
                                    std::optional<AppKit::SortComparison> comparison);

    // Opening and analysis.
    void openDocument();
    void loadArchive(std::vector<std::string> paths, bool addToRecents);
    void analyzeArchive(const std::vector<std::string>& paths, bool addToRecents);

    // Drops on the browser: plain files open as the archive, anything with a
    // folder (or a vanished path) goes to the make-archive window.
    Tiberly::DragOperation dragOperationForFiles(Tiberly::KVUDragDropView& view,
                                                 const std::vector<std::string>& paths) override;
    void didReceiveDroppedFiles(Tiberly::KVUDragDropView& view, const std::vector<std::string>& paths) override;

    int numberOfTasks() const override;
    ZODArchiverTaskPtr taskAt(int index) const override;

    // Tasks and questions.
    void addTask(const ZODArchiverTaskPtr& task);
    void removeTask(const ZODArchiverTaskPtr& task);
    void showTaskPopover(AppKit::Responder* sender);
    bool isTaskPopoverShown() const;
    // Engine-thread halves of the extraction questions.
    std::optional<std::string> askPasswordBlocking();
    ArchiverConflictResolving askConflictBlocking(const std::string& fileName);

    // Listing, sorting and navigation.
    void showDirectory(const ZODArchiveDirectoryPtr& directory);
    void updatePathControl(const ZODArchiveDirectoryPtr& directory);
    void pushHistory(const ZODArchiveDirectoryPtr& directory);
    void resetNavigation();
    void goBack();
    void goForward();
    void reloadItems();
    // The table's new order: rows again, the selection kept on its entries.
    void sortDescriptorsDidChange();
    void updateDescription(const AppKit::IndexSet& rows);
    void pathControlSingleClick(AppKit::PathControl& control);
    bool validateToolbarItem(AppKit::ToolbarItem& item);
    void menuWillOpen(AppKit::Menu& menu);
    bool canCollapseSubview(QWidget* subview) const;
    std::vector<ZODArchiveModelPtr> entriesAtRows(const std::vector<int>& rows) const;
    std::optional<AppKit::TableCellView> cellFor(const AppKit::TableColumn& column, int row);
    // Opening an entry: a folder is entered, a file is extracted and opened.
    void tableViewDoubleClick();

    // Extraction.
    void unarchiveCurrentSelection();
    void extractItems(const std::vector<ZODArchiveModelPtr>& entries, const std::string& destination,
                      const ZODArchiveDirectoryPtr& archiveDirectory, ExtractionCompletion completion);
    ZODArchiverTaskPtr extract(const std::vector<std::string>& archivePaths, const std::string& destination,
                               const std::vector<ZODArchiveModelPtr>& entries,
                               const ZODArchiveDirectoryPtr& archiveDirectory, bool registerTask,
                               PasswordQuestion passwordQuestion, TaskCompletion completion);
    void extractionFailedAlert(const Vantel::OperationResult& result);

    // Opening entries and dragging out.
    void openExtractedItem(const Vantel::OperationResult& result, const Foundation::URL& jobFolder,
                           const ZODArchiveModelPtr& entry);
    bool writeRowsWith(const AppKit::IndexSet& rows, AppKit::Pasteboard& pasteboard);
    // Starts extracting the entries at the rows into the folder and answers
    // their names at once; `written` learns how the extraction ended.
    std::vector<std::string> namesOfPromisedFilesDroppedAtDestination(const std::string& destination,
                                                                      const AppKit::IndexSet& rows,
                                                                      AppKit::PromisedFilesWritten written = {});

    // The preview pane.
    void updatePreview();
    void previewViewDidEnterPassword(PreviewView& view, const std::string& password) override;
    void previewViewDidChangePreviewState(PreviewView& view, bool on) override;

protected:
    void loadView() override;
    void viewDidLoad() override;
    void viewDidDisappear() override;

private:
    std::shared_ptr<FileViewController> self();
    std::weak_ptr<FileViewController> weakSelf();

    static std::optional<std::string> askPassword(const std::weak_ptr<FileViewController>& weak);
    static ArchiverConflictResolving askConflict(const std::weak_ptr<FileViewController>& weak,
                                                 const std::string& name);
    static std::optional<std::string> previewPasswordHandler(const std::weak_ptr<FileViewController>& weak,
                                                             const std::shared_ptr<std::weak_ptr<ZODArchiverTask>>& task);
    void previewExtractionCompleted(const Vantel::OperationResult& result, const ZODArchiverTaskPtr& task,
                                    const Foundation::URL& jobFolder, const ZODArchiveModelPtr& entry);
    // Releases a waiting passphrase question, cancels the running preview
    // and empties the pane.
    void stopPreview();
    void presentReorderSheet(const std::vector<std::string>& paths, bool addToRecents);
    void analysisCompleted(Vantel::AnalysisResult result, const ZODArchiverTaskPtr& task,
                           const std::vector<std::string>& paths,
                           const std::shared_ptr<std::optional<std::string>>& passwordCell,
                           const std::shared_ptr<std::optional<uint64_t>>& encodingCell, bool addToRecents);
    uint64_t analysisEncodingHandler(const char* rawName, const std::shared_ptr<std::optional<uint64_t>>& encodingCell);
    void showEncodingSheet(const std::string& rawName, const std::shared_ptr<std::optional<uint64_t>>& encodingCell,
                           const std::shared_ptr<Dispatch::Semaphore>& semaphore);
    void showAnalysisPasswordPrompt(std::function<void(std::optional<std::string>)> storePasswordAnswer);
    void showPasswordPrompt(std::function<void(std::optional<std::string>)> storePasswordAnswer);
    void showConflictAlert(const std::string& fileName, const std::shared_ptr<ArchiverConflictResolving>& cell,
                           const std::shared_ptr<Dispatch::Semaphore>& semaphore);
    void showAlert(const char* messageKey, std::optional<std::string> informativeText);
    void registerActions();
    void fitDateColumn();
    // Toolbar items follow the selection, history, tasks and listing.
    void validateToolbar();
    // Backspace and Alt+Left go back, Alt+Right forward.
    void installNavigationKeys();
    void makeContextMenu();
    AppKit::ViewPtr tasksButton() const;
    QIcon iconForExtension(const std::string& extension);
    void presentTaskPopover(const AppKit::ViewPtr& anchor);
    void setUpDragOut();
    static void makeArchiveWith(const std::vector<std::string>& paths);

    std::unique_ptr<Ui::FileView> form_;
    std::unique_ptr<DateFormatter> dateFormatter_;
    std::unordered_map<std::string, QIcon> iconCache_;
    std::shared_ptr<TaskViewController> taskViewController_;
    AppKit::ViewControllerPtr reorderSheet_;
};

using FileViewControllerPtr = std::shared_ptr<FileViewController>;

// The conflict alert's response as the engine's answer.
ArchiverConflictResolving conflictResponseHandler(AppKit::ModalResponse response);
