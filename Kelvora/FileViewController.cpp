#include "Kelvora/FileViewController.h"

#include "Kelvora/ByteCountFormatter.h"
#include "Kelvora/DateFormatter.h"
#include "Kelvora/PreviewPaneLayout.h"
#include "Kelvora/SearchResultViewController.h"
#include "Kelvora/Strings.h"
#include "Platform/AppKit/Pasteboard.h"

#include "ui_FileView.h"

#include <QDateTime>
#include <QFontMetrics>
#include <QIcon>
#include <QLabel>
#include <QLocale>
#include <QBoxLayout>
#include <QPointer>
#include <QSplitter>
#include <QStyle>

namespace {
struct ColumnSpec {
    FileColumnIdentifier identifier;
    const char* titleKey;
    int width;
};
constexpr ColumnSpec fileColumns[] = {
    {FileColumnIdentifier::name, "FILE_COLUMN_NAME", 300},
    {FileColumnIdentifier::size, "FILE_COLUMN_SIZE", 90},
    {FileColumnIdentifier::kind, "FILE_COLUMN_KIND", 150},
    {FileColumnIdentifier::modificationTime, "FILE_COLUMN_MODIFICATION_TIME", 170},
};
} // namespace

const char* rawValue(FileColumnIdentifier column)
{
    switch (column) {
    case FileColumnIdentifier::name:
        return "name";
    case FileColumnIdentifier::size:
        return "size";
    case FileColumnIdentifier::kind:
        return "kind";
    case FileColumnIdentifier::modificationTime:
        return "modificationTime";
    }
    return "";
}

FileViewController::FileViewController() = default;

FileViewController::~FileViewController() = default;

std::shared_ptr<FileViewController> FileViewController::self()
{
    return std::static_pointer_cast<FileViewController>(shared_from_this());
}

std::weak_ptr<FileViewController> FileViewController::weakSelf()
{
    return self();
}

std::shared_ptr<TaskViewController> FileViewController::taskViewController()
{
    if (!taskViewController_)
        taskViewController_ = std::make_shared<TaskViewController>();
    return taskViewController_;
}

std::string FileViewController::sizeText(int64_t bytes)
{
    return byteCountString(bytes);
}

std::string FileViewController::dateText(const std::optional<ZODDate>& date)
{
    if (!date)
        return {};
    if (!dateFormatter_)
        dateFormatter_ = std::make_unique<DateFormatter>();
    const auto milliseconds = std::chrono::duration_cast<std::chrono::milliseconds>(date->time_since_epoch()).count();
    return dateFormatter_->stringFromDate(QDateTime::fromMSecsSinceEpoch(milliseconds)).toStdString();
}

void FileViewController::fitDateColumn()
{
    auto column = tableView->tableColumnWithIdentifier(rawValue(FileColumnIdentifier::modificationTime));
    if (!column)
        return;
    if (!dateFormatter_)
        dateFormatter_ = std::make_unique<DateFormatter>();
    // Wide enough for the longest month name and hour of the user's locale.
    const QFontMetrics metrics(tableView->widget()->font());
    int widest = 0;
    for (int month = 1; month <= 12; ++month)
        widest = std::max(widest, metrics.horizontalAdvance(dateFormatter_->stringFromDate(
                                      QDateTime(QDate(2026, month, 28), QTime(22, 58)))));
    const int padding = 2 * tableView->widget()->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 16;
    column->width = std::max(column->width, widest + padding);
    tableView->columnsDidChange();
}

void FileViewController::loadView()
{
    auto* root = new QWidget;
    form_ = std::make_unique<Ui::FileView>();
    form_->setupUi(root);

    descriptionLabel = form_->descriptionLabel;
    coverView = form_->coverView;
    resultContainerView = form_->resultContainerView;
    splitView = form_->splitView;
    previewContainerView = PreviewView::make();
    splitView->replaceWidget(splitView->indexOf(form_->previewContainerView), previewContainerView->widget());
    delete form_->previewContainerView;
    form_->previewContainerView = nullptr;

    tableView = AppKit::TableView::make();
    for (const auto& definition : fileColumns) {
        auto column = std::make_shared<AppKit::TableColumn>(rawValue(definition.identifier));
        column->title = localizedString(definition.titleKey);
        column->width = definition.width;
        tableView->addTableColumn(column);
    }
    fitDateColumn();
    // A wider window widens the names.
    tableView->setColumnAutoresizingStyle(AppKit::ColumnAutoresizingStyle::firstColumnOnly);
    tableView->setAllowsMultipleSelection(true);
    tableView->setUsesAlternatingRowBackgroundColors(true);
    form_->resultContainerLayout->replaceWidget(form_->tableView, tableView->widget());
    delete form_->tableView;
    form_->tableView = nullptr;

    pathControl = AppKit::PathControl::make();
    pathControlContainer = AppKit::ScrollView::make();
    pathControlContainer->setHasHorizontalScroller(false);
    pathControlContainer->setHasVerticalScroller(false);
    pathControlContainer->setBorderType(0);
    pathControlContainer->setDrawsBackground(false);
    pathControlContainer->setDocumentView(pathControl);
    pathControlContainer->widget()->setFixedHeight(form_->pathControlContainer->maximumHeight());
    root->layout()->replaceWidget(form_->pathControlContainer, pathControlContainer->widget());
    delete form_->pathControlContainer;
    form_->pathControlContainer = nullptr;

    // The drop zone holds the whole table area, so a drop anywhere on it
    // (the cover, or the table, which hands its drops on) reaches the zone.
    dragDropView = Tiberly::KVUDragDropView::make();
    auto* zoneLayout = new QVBoxLayout(dragDropView->widget());
    zoneLayout->setContentsMargins(0, 0, 0, 0);
    splitView->replaceWidget(splitView->indexOf(form_->contentArea), dragDropView->widget());
    zoneLayout->addWidget(form_->contentArea);
    form_->contentArea->show();

    const int iconSize = root->style()->pixelMetric(QStyle::PM_LargeIconSize) * 2;
    form_->coverImage->setPixmap(QIcon(QStringLiteral(":/icons/kelvora-128.png")).pixmap(iconSize, iconSize));
    form_->coverHint->setText(QString::fromStdString(localizedString("FILE_VIEW_COVER_HINT")));
    form_->coverHint->setEnabled(false);

    setView(std::make_shared<AppKit::View>(root));
}

void FileViewController::viewDidLoad()
{
    AppKit::ViewController::viewDidLoad();
    // Only the preview pane may collapse.
    splitView->setCollapsible(0, canCollapseSubview(splitView->widget(0)));
    splitView->setCollapsible(1, canCollapseSubview(splitView->widget(1)));
    splitView->setStretchFactor(0, 1);
    splitView->setStretchFactor(1, 0);
    QPointer<PreviewPaneLayout> pane = PreviewPaneLayout::attach(splitView);
    setActionHandler(
        "togglePreviewPane:",
        [pane](AppKit::Responder*) {
            if (pane)
                pane->setPaneVisible(!pane->isPaneVisible());
        },
        [pane] { return !pane.isNull(); });

    taskViewController()->dataSource = self();
    previewContainerView->delegate = self();

    auto weak = weakSelf();
    pathControl->setAction("pathControlSingleClick:");
    pathControl->setTarget(weak);

    tableView->numberOfRows = [weak] {
        auto self = weak.lock();
        return self ? static_cast<int>(self->items.size()) : 0;
    };
    tableView->viewForRow = [weak](const AppKit::TableColumn& column, int row) -> std::optional<AppKit::TableCellView> {
        auto self = weak.lock();
        return self ? self->cellFor(column, row) : std::nullopt;
    };
    tableView->sortDescriptorsDidChange = [weak](const std::vector<AppKit::SortDescriptor>&) {
        if (auto self = weak.lock())
            self->sortDescriptorsDidChange();
    };
    tableView->selectionDidChange = [weak] {
        if (auto self = weak.lock()) {
            self->updateDescription(self->tableView->selectedRowIndexes());
            self->updatePreview();
        }
    };
    tableView->doubleAction = [weak] {
        if (auto self = weak.lock())
            self->tableViewDoubleClick();
    };
    tableView->registerForDraggedTypes({"public.item"});
    tableView->draggingSourceOperationMaskNonLocal = AppKit::DragOperation::copy;
    setUpDragOut();
    // Files dropped on the listing are dropped on the browser; the table's
    // own rows dragged back onto it are not.
    tableView->validateDrop = [weak](const AppKit::DraggingInfo& info, int, AppKit::TableViewDropOperation) {
        auto self = weak.lock();
        if (!self || info.fromThisTable || !info.pasteboard || info.pasteboard->filePaths().empty())
            return AppKit::DragOperation::none;
        return self->dragOperationForFiles(*self->dragDropView, info.pasteboard->filePaths());
    };
    tableView->acceptDrop = [weak](const AppKit::DraggingInfo& info, int, AppKit::TableViewDropOperation) {
        auto self = weak.lock();
        if (!self || !info.pasteboard)
            return false;
        self->didReceiveDroppedFiles(*self->dragDropView, info.pasteboard->filePaths());
        return true;
    };

    setSortDescriptorPrototype(FileColumnIdentifier::name, "name", AppKit::SortComparison::localizedStandardCompare);
    setSortDescriptorPrototype(FileColumnIdentifier::size, "size", std::nullopt);
    setSortDescriptorPrototype(FileColumnIdentifier::kind, "typeDescription",
                               AppKit::SortComparison::localizedStandardCompare);
    setSortDescriptorPrototype(FileColumnIdentifier::modificationTime, "modificationTime", std::nullopt);
    if (tableView->sortDescriptors().empty())
        if (auto column = tableView->tableColumnWithIdentifier(rawValue(FileColumnIdentifier::name)))
            tableView->setSortDescriptors({*column->sortDescriptorPrototype});

    makeContextMenu();
    installNavigationKeys();
    dragDropView->setDelegate(std::dynamic_pointer_cast<Tiberly::KVUDragDropViewDelegate>(self()));
    registerActions();
    resultContainerView->setHidden(true);
}

void FileViewController::registerActions()
{
    auto weak = weakSelf();
    auto bind = [this, weak](const char* action, void (FileViewController::*method)()) {
        setActionHandler(action, [weak, method](AppKit::Responder*) {
            if (auto self = weak.lock())
                ((*self).*method)();
        });
    };
    bind("openDocument", &FileViewController::openDocument);
    bind("unarchiveCurrentSelection", &FileViewController::unarchiveCurrentSelection);
    bind("tableViewDoubleClick:", &FileViewController::tableViewDoubleClick);
    bind("goBack", &FileViewController::goBack);
    bind("goForward", &FileViewController::goForward);
    setActionHandler("pathControlSingleClick:", [weak](AppKit::Responder* sender) {
        auto self = weak.lock();
        if (auto* control = dynamic_cast<AppKit::PathControl*>(sender); self && control)
            self->pathControlSingleClick(*control);
    });
    setActionHandler("showTaskPopover:", [weak](AppKit::Responder* sender) {
        if (auto self = weak.lock())
            self->showTaskPopover(sender);
    });
    setActionHandler("searchFieldChanged:", [weak](AppKit::Responder* sender) {
        if (auto self = weak.lock())
            self->searchFieldChanged(sender);
    });
    auto rowCount = [weak] {
        auto self = weak.lock();
        return self && !self->isShowingSearchResults() && self->tableView->numberOfRows
            ? self->tableView->numberOfRows()
            : 0;
    };
    setActionHandler(
        "selectAll:",
        [weak, rowCount](AppKit::Responder*) {
            AppKit::IndexSet rows;
            for (int row = 0, count = rowCount(); row < count; ++row)
                rows.insert(row);
            if (auto self = weak.lock(); self && !rows.empty())
                self->tableView->selectRowIndexes(rows, false);
        },
        [rowCount] { return rowCount() > 0; });
}

void FileViewController::makeContextMenu()
{
    auto menu = std::make_shared<AppKit::Menu>();
    auto open = std::make_shared<AppKit::MenuItem>(localizedString("ARCHIVE_FILE_LIST_ACTION_OPEN"),
                                                   "tableViewDoubleClick:");
    auto unarchive =
        std::make_shared<AppKit::MenuItem>(localizedString("ACTION_UNARCHIVE"), "unarchiveCurrentSelection");
    // A target makes each item follow its own enabled flag, which
    // menuWillOpen sets: no automatic enabling.
    open->setTarget(weak_from_this());
    unarchive->setTarget(weak_from_this());
    menu->addItem(open);
    menu->addItem(unarchive);
    auto weak = weakSelf();
    tableView->menuWillOpen = [weak](AppKit::Menu& shown) {
        if (auto self = weak.lock())
            self->menuWillOpen(shown);
    };
    tableView->setMenu(menu);
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

void FileViewController::setSortDescriptorPrototype(FileColumnIdentifier identifier, std::optional<std::string> key,
                                                    std::optional<AppKit::SortComparison> comparison)
{
    auto column = tableView->tableColumnWithIdentifier(rawValue(identifier));
    if (!column)
        return;
    column->sortDescriptorPrototype = AppKit::SortDescriptor(key.value_or(rawValue(identifier)), true,
                                                             comparison.value_or(AppKit::SortComparison::compare));
    tableView->columnsDidChange();
}

bool FileViewController::canCollapseSubview(QWidget* subview) const
{
    return previewContainerView && subview && subview == previewContainerView->widget();
}
