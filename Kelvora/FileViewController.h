#pragma once
// The archive browser: content of every browser window, made from the
// "FileView" form, holding at most one analysed archive.

#include "Brackwen/ZODArchiveModel.h"
#include "Brackwen/ZODArchiverTask.h"
#include "Kelvora/TaskViewController.h"
#include "Kelvora/TaskViewControllerDataSource.h"
#include "Platform/AppKit/TableView.h"
#include "Platform/AppKit/Toolbar.h"
#include "Platform/AppKit/ViewController.h"
#include "Platform/AppKit/WindowController.h"
#include "Platform/Dispatch/Dispatch.h"
#include "Platform/Foundation/StringEncoding.h"

#include <QPointer>

#include <memory>
#include <optional>
#include <string>
#include <vector>

class QLabel;
class QScrollArea;
class QSplitter;
class QWidget;

namespace Ui {
class FileView;
}

class FileViewController : public AppKit::ViewController, public TaskViewControllerDataSource {
public:
    FileViewController();
    ~FileViewController() override;

    // Outlets of the form.
    QPointer<QLabel> descriptionLabel;
    QPointer<QWidget> coverView;
    QPointer<QWidget> dragDropView;
    QPointer<QWidget> pathControl;
    QPointer<QScrollArea> pathControlContainer;

    std::vector<ZODArchiverTaskPtr> tasks;
    std::shared_ptr<Dispatch::Semaphore> previewSempahore;
    std::optional<std::string> lastPassword;
    uint64_t lastFileEncoding = Foundation::Encoding::UTF8;
    ZODArchiveDirectoryPtr rootDirectory;
    ZODArchiveDirectoryPtr currentDirectory;
    AppKit::ViewControllerPtr searchResultViewController;
    std::vector<ZODArchiveDirectoryPtr> stack;
    std::vector<ZODArchiveDirectoryPtr> pathHistory;
    long pathHistoryIndex = -1;
    std::vector<ZODArchiveModelPtr> items;
    std::optional<std::vector<std::string>> filePaths;
    std::optional<std::string> fileName;

    // Outlets of the form.
    std::shared_ptr<AppKit::TableView> tableView;
    QPointer<QWidget> resultContainerView;
    QPointer<QSplitter> splitView;
    QPointer<QWidget> previewContainerView;

    std::shared_ptr<TaskViewController> taskViewController();
    AppKit::WindowControllerPtr retainedWindowController;
    ZODArchiverTaskPtr currentPreviewTask;

    bool isShowingSearchResults() const;
    // Enabling of the window's toolbar items, by identifier.
    bool validateToolbarItem(AppKit::ToolbarItem& item);

    // The opening road (FileViewOpening.cpp).
    void loadArchive(const std::vector<std::string>& paths, bool addToRecents);

    // Task list data source: this browser's own tasks.
    int numberOfTasks() const override;
    ZODArchiverTaskPtr taskAt(int index) const override;

protected:
    void loadView() override;
    void viewDidLoad() override;
    void viewDidDisappear() override;

private:
    void showDirectory(const ZODArchiveDirectoryPtr& directory);

    std::unique_ptr<Ui::FileView> form_;
    std::shared_ptr<TaskViewController> taskViewController_;
};

using FileViewControllerPtr = std::shared_ptr<FileViewController>;
