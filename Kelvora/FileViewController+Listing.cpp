// Showing the installed archive: rows (folders first, each group sorted by
// the table's descriptors), cells, the description line, the path bar, the
// history, toolbar and context-menu enabling.

#include "Kelvora/BrowserToolbarIdentifiers.h"
#include "Kelvora/FileViewController.h"
#include "Kelvora/Strings.h"
#include "Kelvora/ToolbarItemValidation.h"
#include "Platform/AppKit/Controls.h"
#include "Platform/AppKit/Workspace.h"
#include "Platform/Foundation/LocalizedString.h"

#include <QFileInfo>
#include <QLabel>
#include <QShortcut>

#include <algorithm>
#include <numeric>
#include <variant>

namespace {

// One entry's value for one descriptor, read once per sort rather than per
// comparison.
using SortKey = std::variant<std::monostate, QString, int64_t>;

SortKey sortKey(const ZODArchiveModel& entry, const AppKit::SortDescriptor& descriptor)
{
    const ZODValue value = entry.valueForKey(descriptor.key());
    if (const auto* text = std::get_if<std::string>(&value))
        return QString::fromStdString(*text);
    if (const auto* number = std::get_if<int64_t>(&value))
        return *number;
    if (const auto* date = std::get_if<ZODDate>(&value))
        return static_cast<int64_t>(date->time_since_epoch().count());
    if (const auto* flag = std::get_if<bool>(&value))
        return static_cast<int64_t>(*flag);
    return std::monostate{};
}

int compareKeys(const SortKey& a, const SortKey& b, AppKit::SortComparison comparison)
{
    // An absent value sorts first.
    if (a.index() != b.index())
        return a.index() < b.index() ? -1 : 1;
    if (const auto* ta = std::get_if<QString>(&a)) {
        const auto& tb = std::get<QString>(b);
        const int r = comparison == AppKit::SortComparison::localizedStandardCompare
            ? AppKit::localizedStandardCompare(*ta, tb)
            : ta->compare(tb);
        return r < 0 ? -1 : r > 0 ? 1 : 0;
    }
    if (const auto* na = std::get_if<int64_t>(&a)) {
        const auto nb = std::get<int64_t>(b);
        return *na < nb ? -1 : *na > nb ? 1 : 0;
    }
    return 0;
}

template <typename Entry>
void appendSorted(std::vector<ZODArchiveModelPtr>& out, const std::vector<std::shared_ptr<Entry>>& entries,
                  const std::vector<AppKit::SortDescriptor>& descriptors)
{
    std::vector<size_t> order(entries.size());
    std::iota(order.begin(), order.end(), size_t{0});
    if (!descriptors.empty()) {
        std::vector<std::vector<SortKey>> keys(descriptors.size());
        for (size_t d = 0; d < descriptors.size(); ++d) {
            keys[d].reserve(entries.size());
            for (const auto& entry : entries)
                keys[d].push_back(sortKey(*entry, descriptors[d]));
        }
        std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
            for (size_t d = 0; d < descriptors.size(); ++d) {
                const int r = compareKeys(keys[d][a], keys[d][b], descriptors[d].comparison());
                if (r != 0)
                    return descriptors[d].ascending() ? r < 0 : r > 0;
            }
            return false;
        });
    }
    for (size_t index : order)
        out.push_back(entries[index]);
}

std::string extensionOf(const std::string& name)
{
    const auto dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

} // namespace

void FileViewController::reloadItems()
{
    if (!currentDirectory)
        return;
    const auto& descriptors = tableView->sortDescriptors();
    std::vector<ZODArchiveModelPtr> rows;
    rows.reserve(currentDirectory->directories().size() + currentDirectory->files().size());
    appendSorted(rows, currentDirectory->directories(), descriptors);
    appendSorted(rows, currentDirectory->files(), descriptors);
    items = std::move(rows);
}

std::optional<AppKit::TableCellView> FileViewController::cellFor(const AppKit::TableColumn& column, int row)
{
    if (row < 0 || row >= static_cast<int>(items.size()))
        return std::nullopt;
    const auto& entry = *items[static_cast<size_t>(row)];
    const std::string& identifier = column.identifier();
    AppKit::TableCellView cell;
    if (identifier == rawValue(FileColumnIdentifier::name)) {
        cell.text = entry.name();
        cell.image = entry.isDirectory() ? AppKit::Workspace::shared().folderIcon() : iconForExtension(extensionOf(entry.name()));
    } else if (identifier == rawValue(FileColumnIdentifier::size)) {
        cell.text = entry.isDirectory() && entry.size() < 1 ? std::string("--") : sizeText(entry.size());
    } else if (identifier == rawValue(FileColumnIdentifier::kind)) {
        cell.text = entry.typeDescription();
    } else if (identifier == rawValue(FileColumnIdentifier::modificationTime)) {
        cell.text = dateText(entry.modificationTime());
    } else {
        return std::nullopt;
    }
    return cell;
}

QIcon FileViewController::iconForExtension(const std::string& extension)
{
    auto it = iconCache_.find(extension);
    if (it == iconCache_.end())
        it = iconCache_.emplace(extension, AppKit::Workspace::shared().iconForFileType(extension)).first;
    return it->second;
}

void FileViewController::updateDescription(const AppKit::IndexSet& rows)
{
    std::vector<int> counted(rows.begin(), rows.end());
    if (rows.empty()) {
        counted.resize(items.size());
        std::iota(counted.begin(), counted.end(), 0);
    }
    int64_t total = 0;
    for (const auto& entry : entriesAtRows(counted))
        total += entry->size();
    const std::string count = Foundation::localizedStringWithCount("FILE_LIST_ITEM_COUNT_TEMPLATE", static_cast<int64_t>(counted.size()), "Plurals");
    const std::string size = sizeText(total);
    const char* templateKey = rows.empty() ? "FILE_LIST_DETAIL" : "FILE_LIST_SELECTION_DETAIL";
    descriptionLabel->setText(QString::fromStdString(Foundation::format(localizedString(templateKey), {count, size})));
    validateToolbar();
}

void FileViewController::showDirectory(const ZODArchiveDirectoryPtr& directory)
{
    coverView->setHidden(true);
    resultContainerView->setHidden(false);
    currentDirectory = directory;
    stopPreview();
    // Row numbers of the folder left behind mean nothing here.
    tableView->deselectAll();
    reloadItems();
    updateDescription({});
    tableView->reloadData();
}

void FileViewController::updatePathControl(const ZODArchiveDirectoryPtr& directory)
{
    stack.clear();
    for (auto entry = directory; entry; entry = entry->parent())
        stack.insert(stack.begin(), entry);
    std::vector<AppKit::PathControlItemPtr> pathItems;
    for (size_t i = 0; i < stack.size(); ++i) {
        if (i == 0) {
            const std::string title = fileName.value_or(stack[i]->name());
            pathItems.push_back(std::make_shared<AppKit::PathControlItem>(AppKit::PathControlItem{
                title, iconForExtension(QFileInfo(QString::fromStdString(title)).suffix().toStdString())}));
        } else {
            pathItems.push_back(std::make_shared<AppKit::PathControlItem>(
                AppKit::PathControlItem{stack[i]->name(), AppKit::Workspace::shared().folderIcon()}));
        }
    }
    pathControl->setPathItems(std::move(pathItems));
    // Lay out now so that the end of the path can be scrolled into view.
    pathControlContainer->layoutSubtreeIfNeeded();
    const int overflow = pathControl->frame().width() - pathControlContainer->contentSize().width();
    pathControlContainer->scrollToPoint({std::max(0, overflow), 0});
}

void FileViewController::pathControlSingleClick(AppKit::PathControl& control)
{
    const auto clicked = control.clickedPathItem();
    if (!clicked)
        return;
    const auto& pathItems = control.pathItems();
    const auto found = std::find(pathItems.begin(), pathItems.end(), clicked);
    const auto index = static_cast<size_t>(found - pathItems.begin());
    if (found == pathItems.end() || index >= stack.size())
        return;
    const auto directory = stack[index];
    updatePathControl(directory);
    pushHistory(directory);
    showDirectory(directory);
}

void FileViewController::pushHistory(const ZODArchiveDirectoryPtr& directory)
{
    if (pathHistoryIndex + 1 < static_cast<long>(pathHistory.size()))
        pathHistory.resize(static_cast<size_t>(pathHistoryIndex + 1));
    pathHistory.push_back(directory);
    pathHistoryIndex += 1;
    validateToolbar();
}

void FileViewController::validateToolbar()
{
    if (auto window = this->window())
        validateVisibleToolbarItems(*window);
}

void FileViewController::sortDescriptorsDidChange()
{
    // The selection stays with its entries, wherever the sort puts them.
    std::vector<int> selectedRows;
    for (int row : tableView->selectedRowIndexes())
        selectedRows.push_back(row);
    const auto selected = entriesAtRows(selectedRows);
    reloadItems();
    tableView->reloadData();
    AppKit::IndexSet rows;
    for (const auto& entry : selected)
        if (const auto found = std::find(items.begin(), items.end(), entry); found != items.end())
            rows.insert(static_cast<int>(found - items.begin()));
    tableView->selectRowIndexes(rows, false);
}

void FileViewController::goBack()
{
    if (pathHistoryIndex < 1)
        return;
    pathHistoryIndex -= 1;
    const auto directory = pathHistory[static_cast<size_t>(pathHistoryIndex)];
    updatePathControl(directory);
    showDirectory(directory);
}

void FileViewController::goForward()
{
    if (pathHistoryIndex >= static_cast<long>(pathHistory.size()) - 1)
        return;
    pathHistoryIndex += 1;
    const auto directory = pathHistory[static_cast<size_t>(pathHistoryIndex)];
    updatePathControl(directory);
    showDirectory(directory);
}

void FileViewController::installNavigationKeys()
{
    // Anywhere in the browser; a text field keeps Backspace for itself.
    const auto weak = weakSelf();
    const auto bind = [&](QKeySequence keys, void (FileViewController::*move)()) {
        auto* shortcut = new QShortcut(keys, view()->widget(), nullptr, nullptr, Qt::WidgetWithChildrenShortcut);
        QObject::connect(shortcut, &QShortcut::activated, shortcut, [weak, move] {
            // As the toolbar's navigation, which the search list disables.
            if (auto self = weak.lock(); self && !self->isShowingSearchResults())
                ((*self).*move)();
        });
    };
    bind(QKeySequence(Qt::Key_Backspace), &FileViewController::goBack);
    bind(QKeySequence(Qt::AltModifier | Qt::Key_Left), &FileViewController::goBack);
    bind(QKeySequence(Qt::AltModifier | Qt::Key_Right), &FileViewController::goForward);
}

void FileViewController::resetNavigation()
{
    pathControl->setPathItems({});
    stack.clear();
    pathHistory.clear();
    pathHistoryIndex = -1;
    validateToolbar();
}

std::vector<ZODArchiveModelPtr> FileViewController::entriesAtRows(const std::vector<int>& rows) const
{
    std::vector<ZODArchiveModelPtr> entries;
    entries.reserve(rows.size());
    for (int row : rows)
        if (row >= 0 && row < static_cast<int>(items.size()))
            entries.push_back(items[static_cast<size_t>(row)]);
    return entries;
}

bool FileViewController::validateToolbarItem(AppKit::ToolbarItem& item)
{
    const std::string& identifier = item.itemIdentifier();
    if (identifier == BrowserToolbar::navigation) {
        auto* control = dynamic_cast<AppKit::SegmentedControl*>(item.view().get());
        const long count = static_cast<long>(pathHistory.size());
        if (control) {
            control->setEnabledForSegment(currentDirectory && pathHistoryIndex > 0, 0);
            control->setEnabledForSegment(currentDirectory && pathHistoryIndex < count - 1, 1);
        }
        return currentDirectory && !isShowingSearchResults();
    }
    if (identifier == BrowserToolbar::unarchive) {
        const bool selected = tableView && !tableView->selectedRowIndexes().empty();
        item.setToolTip(localizedString(selected ? "ACTION_UNARCHIVE_SELECTED" : "ACTION_UNARCHIVE_ALL"));
        return !isShowingSearchResults() && currentDirectory;
    }
    if (identifier == BrowserToolbar::search)
        return static_cast<bool>(rootDirectory);
    return true;
}

void FileViewController::menuWillOpen(AppKit::Menu& menu)
{
    const bool onRow = tableView->clickedRow() >= 0;
    const auto& menuItems = menu.items();
    if (menuItems.size() >= 2) {
        menuItems[0]->setEnabled(onRow);
        menuItems[1]->setEnabled(onRow || !tableView->selectedRowIndexes().empty());
    }
}
