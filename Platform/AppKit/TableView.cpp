#include "Platform/AppKit/TableView.h"

#include <QVBoxLayout>

#include "Platform/AppKit/TableWidget.h"
#include "Platform/Foundation/UserDefaults.h"

#include <QDir>
#include <QDrag>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMenu>

namespace AppKit {

std::shared_ptr<TableView> TableView::make() { return std::make_shared<TableView>(); }

TableView::TableView() : View(new TableWidget(this))
{
    table_ = static_cast<TableWidget*>(widget());
    model_ = new TableModel(this, table_);
    table_->setModel(model_);
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table_->verticalHeader()->setMinimumSectionSize(1);
    table_->verticalHeader()->setDefaultSectionSize(rowHeight_);
    table_->horizontalHeader()->setSectionsClickable(true);
    table_->horizontalHeader()->setSectionsMovable(true);
    table_->horizontalHeader()->setHighlightSections(false);
    table_->horizontalHeader()->setStretchLastSection(false);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table_->setShowGrid(false);
    table_->setWordWrap(false);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setDragDropMode(QAbstractItemView::DragDrop);
    table_->setDragEnabled(true);
    table_->setAcceptDrops(false);
    table_->setContextMenuPolicy(Qt::DefaultContextMenu);

    auto* header = table_->horizontalHeader();
    QObject::connect(header, &QHeaderView::sectionClicked, table_, [this](int s) { headerClicked(s); });
    QObject::connect(header, &QHeaderView::sectionResized, table_, [this](int section, int, int size) {
        // A column is never dragged past its own limits.
        if (!restoring_ && section >= 0 && section < int(columns_.size())) {
            const int allowed = std::clamp(size, columns_[section]->minWidth, columns_[section]->maxWidth);
            if (allowed != size) {
                table_->horizontalHeader()->resizeSection(section, allowed);
                return;
            }
        }
        saveColumns();
    });
    QObject::connect(header, &QHeaderView::sectionMoved, table_, [this] { saveColumns(); });
    QObject::connect(table_->selectionModel(), &QItemSelectionModel::selectionChanged, table_, [this] {
        if (selectionDidChange)
            selectionDidChange();
    });
}

TableView::~TableView()
{
    // Row views outlive the table; they must not go down with its containers.
    detachRowViews();
    if (content_)
        content_->removeObserver(contentObserver_);
    if (table_)
        table_->detach();
}

void TableView::addTableColumn(const TableColumnPtr& column)
{
    detachRowViews();
    model_->beginReset();
    columns_.push_back(column);
    model_->endReset();
    columnsDidChange();
    placeRowViews();
}

void TableView::removeTableColumn(const TableColumnPtr& column)
{
    detachRowViews();
    model_->beginReset();
    std::erase(columns_, column);
    model_->endReset();
    columnsDidChange();
    placeRowViews();
}

TableColumnPtr TableView::tableColumnWithIdentifier(const std::string& identifier) const
{
    for (const auto& c : columns_)
        if (c->identifier() == identifier)
            return c;
    return nullptr;
}

void TableView::columnsDidChange()
{
    restoring_ = true;
    for (std::size_t i = 0; i < columns_.size(); ++i)
        table_->horizontalHeader()->resizeSection(int(i), std::clamp(columns_[i]->width, columns_[i]->minWidth,
                                                                     columns_[i]->maxWidth));
    restoring_ = false;
    emit model_->headerDataChanged(Qt::Horizontal, 0, std::max<int>(0, int(columns_.size()) - 1));
    applyHeaderIndicator();
    autoresizeColumns();
}

void TableView::setColumnAutoresizingStyle(ColumnAutoresizingStyle style)
{
    autoresizing_ = style;
    autoresizeColumns();
}

void TableView::autoresizeColumns()
{
    auto* header = table_->horizontalHeader();
    // A hidden table's width means nothing yet; it fits its columns when shown.
    if (autoresizing_ == ColumnAutoresizingStyle::none || columns_.empty() || header->count() != int(columns_.size())
        || !table_->isVisible())
        return;
    std::vector<int> order;
    int total = 0;
    for (int visual = 0; visual < header->count(); ++visual) {
        const int logical = header->logicalIndex(visual);
        if (header->isSectionHidden(logical))
            continue;
        order.push_back(logical);
        total += header->sectionSize(logical);
    }
    if (order.empty())
        return;
    int remaining = table_->viewport()->width() - total;
    std::vector<int> movable;
    switch (autoresizing_) {
    case ColumnAutoresizingStyle::firstColumnOnly: movable = {order.front()}; break;
    case ColumnAutoresizingStyle::lastColumnOnly: movable = {order.back()}; break;
    default: movable = order; break;
    }
    restoring_ = true;
    // Even shares, again and again, among the columns not yet at a limit.
    while (remaining != 0 && !movable.empty()) {
        const int count = int(movable.size());
        const int share = remaining / count != 0 ? remaining / count : (remaining > 0 ? 1 : -1);
        std::vector<int> still;
        for (int logical : movable) {
            if (remaining == 0)
                break;
            const int want = std::abs(share) > std::abs(remaining) ? remaining : share;
            const int current = header->sectionSize(logical);
            const auto& column = *columns_[logical];
            const int next = std::clamp(current + want, column.minWidth, std::max(column.minWidth, column.maxWidth));
            remaining -= next - current;
            header->resizeSection(logical, next);
            if (next == current + want)
                still.push_back(logical);
        }
        movable = std::move(still);
    }
    restoring_ = false;
}

void TableView::bindContent(const ArrayControllerPtr& controller)
{
    if (content_)
        content_->removeObserver(contentObserver_);
    content_ = controller;
    if (content_)
        contentObserver_ = content_->addObserver([this] { reloadData(); });
    reloadData();
}

int TableView::numberOfRowsShown() const
{
    if (content_)
        return int(content_->arrangedObjects().size());
    return numberOfRows ? std::max(0, numberOfRows()) : 0;
}

void TableView::reloadData()
{
    const IndexSet selected = selectedRowIndexes();
    detachRowViews();
    model_->beginReset();
    model_->endReset();
    // The platform keeps the selected indexes across a reload (while rows exist).
    IndexSet kept;
    const int count = numberOfRowsShown();
    for (int r : selected)
        if (r < count)
            kept.insert(r);
    const QSignalBlocker block(table_->selectionModel());
    selectRowIndexes(kept, false);
    placeRowViews();
}

// Qt deletes (later) every index widget when the model resets or a widget
// is replaced, but row views are reused across reloads. So each row view
// sits in a throwaway container that Qt may delete, and is taken out of it
// before that can happen.
void TableView::detachRowViews()
{
    for (const auto& v : rowViews_) {
        if (QWidget* w = v ? v->widget() : nullptr) {
            w->hide();
            w->setParent(nullptr);
        }
    }
}

void TableView::placeRowViews()
{
    detachRowViews();
    rowViews_.clear();
    table_->clearSpans();
    if (!rowView || columns_.empty())
        return;
    const int count = numberOfRowsShown();
    for (int r = 0; r < count; ++r) {
        ViewPtr v = rowView(r);
        if (!v || !v->widget())
            continue;
        rowViews_.push_back(v);
        if (columns_.size() > 1)
            table_->setSpan(r, 0, 1, int(columns_.size()));
        auto* container = new QWidget;
        auto* layout = new QVBoxLayout(container);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(v->widget());
        v->widget()->show();
        table_->setIndexWidget(model_->index(r, 0), container);
    }
}

void TableView::setRowHeight(int height)
{
    rowHeight_ = std::max(1, height);
    table_->verticalHeader()->setDefaultSectionSize(rowHeight_);
}

void TableView::setIntercellSpacing(QSize spacing)
{
    // Qt tables have no spacing between cells; the horizontal part becomes
    // the cell's text margin.
    table_->setTextMargin(spacing.width());
}

void TableView::setUsesAlternatingRowBackgroundColors(bool on) { table_->setAlternatingRowColors(on); }

void TableView::setHeaderHidden(bool hidden) { table_->horizontalHeader()->setVisible(!hidden); }

void TableView::setAllowsMultipleSelection(bool on)
{
    table_->setSelectionMode(on ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
}

void TableView::setSelectionHighlightNone(bool none)
{
    table_->setSelectionMode(none ? QAbstractItemView::NoSelection : QAbstractItemView::ExtendedSelection);
}

void TableView::setSortDescriptors(std::vector<SortDescriptor> descriptors)
{
    if (descriptors == sortDescriptors_)
        return;
    std::vector<SortDescriptor> old = std::move(sortDescriptors_);
    sortDescriptors_ = std::move(descriptors);
    applyHeaderIndicator();
    if (sortDescriptorsDidChange)
        sortDescriptorsDidChange(old);
}

void TableView::headerClicked(int section)
{
    if (section < 0 || section >= int(columns_.size()))
        return;
    const auto& prototype = columns_[section]->sortDescriptorPrototype;
    if (!prototype)
        return;
    // As the platform does: a click on the primary column reverses it; a
    // click elsewhere puts that column's prototype first.
    std::vector<SortDescriptor> next;
    if (!sortDescriptors_.empty() && sortDescriptors_.front().key() == prototype->key()) {
        next = sortDescriptors_;
        next.front() = next.front().reversed();
    } else {
        next.push_back(*prototype);
        for (const auto& d : sortDescriptors_)
            if (d.key() != prototype->key())
                next.push_back(d);
    }
    setSortDescriptors(std::move(next));
}

void TableView::applyHeaderIndicator()
{
    auto* header = table_->horizontalHeader();
    if (sortDescriptors_.empty()) {
        header->setSortIndicatorShown(false);
        return;
    }
    const auto& first = sortDescriptors_.front();
    for (std::size_t i = 0; i < columns_.size(); ++i) {
        const auto& p = columns_[i]->sortDescriptorPrototype;
        if (p && p->key() == first.key()) {
            header->setSortIndicatorShown(true);
            header->setSortIndicator(int(i), first.ascending() ? Qt::AscendingOrder : Qt::DescendingOrder);
            return;
        }
    }
    header->setSortIndicatorShown(false);
}

IndexSet TableView::selectedRowIndexes() const
{
    IndexSet rows;
    for (const QModelIndex& i : table_->selectionModel()->selectedRows())
        rows.insert(i.row());
    return rows;
}

int TableView::selectedRow() const
{
    const auto rows = selectedRowIndexes();
    return rows.empty() ? -1 : *rows.begin();
}

void TableView::selectRowIndexes(const IndexSet& rows, bool byExtendingSelection)
{
    QItemSelection selection;
    const int count = numberOfRowsShown();
    const int last = std::max(0, int(columns_.size()) - 1);
    for (int r : rows)
        if (r >= 0 && r < count)
            selection.select(model_->index(r, 0), model_->index(r, last));
    auto flags = QItemSelectionModel::Select | QItemSelectionModel::Rows;
    if (!byExtendingSelection)
        flags |= QItemSelectionModel::Clear;
    table_->selectionModel()->select(selection, flags);
}

void TableView::deselectAll() { table_->selectionModel()->clearSelection(); }

void TableView::scrollRowToVisible(int row)
{
    if (row >= 0 && row < numberOfRowsShown() && !columns_.empty())
        table_->scrollTo(model_->index(row, 0), QAbstractItemView::EnsureVisible);
}

void TableView::setMenu(const MenuPtr& menu)
{
    menu_ = menu;
    table_->setRowMenu(menu ? menu->qtMenu() : nullptr);
}

void TableView::setAutosaveName(const std::string& name) { autosaveName_ = name; }

void TableView::setAutosaveTableColumns(bool on)
{
    autosaveColumns_ = on;
    if (on)
        restoreColumns();
}

namespace {
std::string columnsKey(const std::string& name) { return "NSTableView Columns " + name; }
} // namespace

void TableView::saveColumns()
{
    if (restoring_ || !autosaveColumns_ || autosaveName_.empty())
        return;
    auto* header = table_->horizontalHeader();
    QVariantList list;
    for (int visual = 0; visual < header->count(); ++visual) {
        const int logical = header->logicalIndex(visual);
        if (logical < 0 || logical >= int(columns_.size()))
            continue;
        columns_[logical]->width = header->sectionSize(logical);
        list << QString::fromStdString(columns_[logical]->identifier()) << header->sectionSize(logical);
    }
    Foundation::UserDefaults::standard()->setValue(list, columnsKey(autosaveName_));
}

void TableView::restoreColumns()
{
    if (autosaveName_.empty())
        return;
    const QVariantList list = Foundation::UserDefaults::standard()->objectForKey(columnsKey(autosaveName_)).toList();
    auto* header = table_->horizontalHeader();
    restoring_ = true;
    int visual = 0;
    for (int i = 0; i + 1 < list.size(); i += 2) {
        const auto column = tableColumnWithIdentifier(list[i].toString().toStdString());
        if (!column)
            continue;
        const int logical = int(std::find(columns_.begin(), columns_.end(), column) - columns_.begin());
        column->width = std::clamp(list[i + 1].toInt(), column->minWidth, column->maxWidth);
        header->resizeSection(logical, column->width);
        header->moveSection(header->visualIndex(logical), visual++);
    }
    restoring_ = false;
    autoresizeColumns();
}

void TableView::registerForDraggedTypes(std::vector<std::string> types)
{
    draggedTypes_ = std::move(types);
    table_->setAcceptDrops(!draggedTypes_.empty());
    table_->viewport()->setAcceptDrops(!draggedTypes_.empty());
}

bool TableView::acceptsTypesOf(const QMimeData* data) const
{
    if (!data)
        return false;
    // "public.item" takes anything, as every type conforms to it.
    for (const auto& t : draggedTypes_)
        if (t == "public.item" || data->hasFormat(QString::fromStdString(t)))
            return true;
    return false;
}

std::pair<int, TableViewDropOperation> TableView::dropTarget(QPoint position) const
{
    const int count = numberOfRowsShown();
    const int row = table_->rowAt(position.y());
    if (row < 0)
        return {position.y() < 0 ? 0 : count, TableViewDropOperation::above};
    const QRect r = rectOfRow(row);
    const int band = std::max(1, r.height() / 4);
    if (position.y() < r.top() + band)
        return {row, TableViewDropOperation::above};
    if (position.y() > r.bottom() - band)
        return {row + 1, TableViewDropOperation::above};
    return {row, TableViewDropOperation::on};
}

QMimeData* TableView::mimeDataForRows(const IndexSet& rows)
{
    Pasteboard pasteboard;
    if (rows.empty() || !writeRows || !writeRows(rows, pasteboard))
        return nullptr;
    if (pasteboard.hasType(PasteboardTypeFilesPromise) && namesOfPromisedFilesDroppedAtDestination) {
        auto* promise = new PromisedFilesMimeData(pasteboard.mimeData(), rows, namesOfPromisedFilesDroppedAtDestination);
        return promise;
    }
    return pasteboard.takeMimeData();
}

QWidget* TableView::rowsViewport() const { return table_->viewport(); }

QRect TableView::rectOfRow(int row) const
{
    return QRect(0, table_->rowViewportPosition(row), table_->viewport()->width(), table_->rowHeight(row));
}

} // namespace AppKit
