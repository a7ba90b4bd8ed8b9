#include "Kelvora/FileViewController.h"

#include "Kelvora/ByteCountFormatter.h"
#include "Kelvora/EncodingSheet.h"
#include "Kelvora/PathControl.h"
#include "Kelvora/Popover.h"
#include "Kelvora/SearchResultViewController.h"
#include "Kelvora/Strings.h"

#include "ui_FileView.h"

#include <QDateTime>
#include <QIcon>
#include <QLabel>
#include <QLocale>
#include <QScrollArea>
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
    if (!locale_)
        locale_ = std::make_unique<QLocale>();
    const auto milliseconds = std::chrono::duration_cast<std::chrono::milliseconds>(date->time_since_epoch()).count();
    const QDateTime time = QDateTime::fromMSecsSinceEpoch(milliseconds);
    return (locale_->toString(time.date(), QLocale::LongFormat) + QStringLiteral(" at ")
            + locale_->toString(time.time(), QLocale::ShortFormat))
        .toStdString();
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
    splitView->setCollapsible(0, canCollapseSubview(splitView->widget(0)));
    splitView->setCollapsible(1, canCollapseSubview(splitView->widget(1)));
    splitView->setStretchFactor(0, 1);
    splitView->setSizes({1, 0});

    taskViewController()->dataSource = self();
    previewContainerView->delegate = self();

    auto weak = weakSelf();
    pathControl->action = [weak](PathControl& control) {
        if (auto self = weak.lock())
            self->pathControlSingleClick(control.clickedPathItem());
    };

    tableView->numberOfRows = [weak] {
        auto self = weak.lock();
        return self ? static_cast<int>(self->items.size()) : 0;
    };
    tableView->viewForRow = [weak](const AppKit::TableColumn& column, int row) -> std::optional<AppKit::TableCellView> {
        auto self = weak.lock();
        return self ? self->cellFor(column, row) : std::nullopt;
    };
    tableView->sortDescriptorsDidChange = [weak](const std::vector<AppKit::SortDescriptor>&) {
        if (auto self = weak.lock()) {
            self->reloadItems();
            self->tableView->reloadData();
        }
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

    setSortDescriptorPrototype(FileColumnIdentifier::name, "name", AppKit::SortComparison::localizedStandardCompare);
    setSortDescriptorPrototype(FileColumnIdentifier::size, "size", std::nullopt);
    setSortDescriptorPrototype(FileColumnIdentifier::kind, "typeDescription",
                               AppKit::SortComparison::localizedStandardCompare);
    setSortDescriptorPrototype(FileColumnIdentifier::modificationTime, "modificationTime", std::nullopt);
    if (tableView->sortDescriptors().empty())
        if (auto column = tableView->tableColumnWithIdentifier(rawValue(FileColumnIdentifier::name)))
            tableView->setSortDescriptors({*column->sortDescriptorPrototype});

    makeContextMenu();
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
    setActionHandler("showTaskPopover:", [weak](AppKit::Responder* sender) {
        if (auto self = weak.lock())
            self->showTaskPopover(sender);
    });
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
