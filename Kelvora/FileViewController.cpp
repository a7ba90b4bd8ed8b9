#include "Kelvora/FileViewController.h"

#include "Kelvora/BrowserToolbarIdentifiers.h"
#include "Kelvora/Strings.h"
#include "Platform/AppKit/Image.h"

#include "ui_FileView.h"

#include <QIcon>
#include <QLabel>
#include <QScrollArea>
#include <QSplitter>
#include <QStyle>

namespace {
struct ColumnSpec {
    const char* identifier;
    const char* titleKey;
    int width;
};
constexpr ColumnSpec fileColumns[] = {
    {"name", "FILE_COLUMN_NAME", 300},
    {"size", "FILE_COLUMN_SIZE", 90},
    {"kind", "FILE_COLUMN_KIND", 150},
    {"modificationTime", "FILE_COLUMN_MODIFICATION_TIME", 170},
};
} // namespace

FileViewController::FileViewController() = default;
FileViewController::~FileViewController() = default;

std::shared_ptr<TaskViewController> FileViewController::taskViewController()
{
    if (!taskViewController_)
        taskViewController_ = std::make_shared<TaskViewController>();
    return taskViewController_;
}

void FileViewController::loadView()
{
    auto* root = new QWidget;
    form_ = std::make_unique<Ui::FileView>();
    form_->setupUi(root);

    descriptionLabel = form_->descriptionLabel;
    coverView = form_->coverView;
    dragDropView = form_->dragDropView;
    pathControl = form_->pathControl;
    pathControlContainer = form_->pathControlContainer;
    resultContainerView = form_->resultContainerView;
    splitView = form_->splitView;
    previewContainerView = form_->previewContainerView;

    tableView = AppKit::TableView::make();
    for (const auto& spec : fileColumns) {
        auto column = std::make_shared<AppKit::TableColumn>(spec.identifier);
        column->title = localizedString(spec.titleKey);
        column->width = spec.width;
        tableView->addTableColumn(column);
    }
    tableView->setAllowsMultipleSelection(true);
    tableView->setUsesAlternatingRowBackgroundColors(true);
    form_->resultContainerLayout->replaceWidget(form_->tableView, tableView->widget());
    delete form_->tableView;
    form_->tableView = nullptr;

    const int iconSize = root->style()->pixelMetric(QStyle::PM_LargeIconSize) * 2;
    form_->coverImage->setPixmap(QIcon(QStringLiteral(":/icons/kelvora-128.png")).pixmap(iconSize, iconSize));
    form_->coverHint->setText(QString::fromStdString(localizedString("FILE_VIEW_COVER_HINT")));
    form_->coverHint->setEnabled(false);
    dragDropView->setAttribute(Qt::WA_TransparentForMouseEvents);
    pathControlContainer->viewport()->setAutoFillBackground(false);
    pathControl->setAutoFillBackground(false);

    setView(std::make_shared<AppKit::View>(root));
}

void FileViewController::viewDidLoad()
{
    AppKit::ViewController::viewDidLoad();
    // Only the preview pane may collapse.
    splitView->setCollapsible(0, false);
    splitView->setCollapsible(1, true);
    splitView->setStretchFactor(0, 1);
    splitView->setSizes({1, 0});

    taskViewController()->dataSource =
        std::static_pointer_cast<FileViewController>(shared_from_this());

    std::weak_ptr<FileViewController> weakSelf = std::static_pointer_cast<FileViewController>(shared_from_this());
    tableView->numberOfRows = [weakSelf] {
        auto self = weakSelf.lock();
        return self ? static_cast<int>(self->items.size()) : 0;
    };
    resultContainerView->setHidden(true);
}

void FileViewController::viewDidDisappear()
{
    AppKit::ViewController::viewDidDisappear();
    if (previewSempahore)
        previewSempahore->signal();
}

bool FileViewController::isShowingSearchResults() const
{
    return searchResultViewController && searchResultViewController->parentViewController();
}

bool FileViewController::validateToolbarItem(AppKit::ToolbarItem& item)
{
    const std::string& identifier = item.itemIdentifier();
    if (identifier == BrowserToolbar::navigation)
        return currentDirectory && !isShowingSearchResults();
    if (identifier == BrowserToolbar::unarchive) {
        const bool selected = tableView && !tableView->selectedRowIndexes().empty();
        item.setToolTip(localizedString(selected ? "ACTION_UNARCHIVE_SELECTED" : "ACTION_UNARCHIVE_ALL"));
        return !isShowingSearchResults() && currentDirectory;
    }
    if (identifier == BrowserToolbar::search)
        return static_cast<bool>(rootDirectory);
    return true;
}

void FileViewController::showDirectory(const ZODArchiveDirectoryPtr& directory)
{
    coverView->setHidden(true);
    resultContainerView->setHidden(false);
    currentDirectory = directory;
    tableView->reloadData();
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
