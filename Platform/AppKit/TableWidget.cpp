#include "Platform/AppKit/TableWidget.h"

#include "Platform/Dispatch/Dispatch.h"
#include "Platform/Foundation/FileManager.h"
#include "Platform/Foundation/Uuid.h"

#include <QCoreApplication>
#include <QEventLoop>

#include <QContextMenuEvent>
#include <QDir>
#include <QDrag>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QUrl>

#include <mutex>

namespace AppKit {

int TableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() || !owner_ ? 0 : owner_->numberOfRowsShown();
}

int TableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() || !owner_ ? 0 : int(owner_->columns_.size());
}

std::optional<TableCellView> TableModel::cell(const QModelIndex& index) const
{
    if (!owner_ || index.column() >= int(owner_->columns_.size()) || owner_->rowView)
        return std::nullopt;
    const TableColumn& column = *owner_->columns_[index.column()];
    if (const auto& content = owner_->content_) {
        const auto& objects = content->arrangedObjects();
        if (index.row() >= int(objects.size()) || column.valueKeyPath.empty() || !objects[index.row()])
            return std::nullopt;
        const QVariant value = valueForKeyPath(*objects[index.row()], column.valueKeyPath);
        TableCellView cell;
        cell.text = column.formatter ? column.formatter(value) : value.toString().toStdString();
        // A binding may also give the cell its image.
        if (owner_->viewForRow)
            if (auto extra = owner_->viewForRow(column, index.row()))
                cell.image = extra->image;
        return cell;
    }
    if (!owner_->viewForRow)
        return std::nullopt;
    return owner_->viewForRow(column, index.row());
}

QVariant TableModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole && role != Qt::DecorationRole && role != Qt::ToolTipRole)
        return {};
    const auto c = cell(index);
    if (!c)
        return {};
    if (role == Qt::DecorationRole)
        return c->image.isNull() ? QVariant() : QVariant(c->image);
    if (role == Qt::ToolTipRole && owner_->toolTipForRow)
        return QString::fromStdString(owner_->toolTipForRow(index.row()));
    return QString::fromStdString(c->text);
}

QVariant TableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (!owner_ || orientation != Qt::Horizontal || role != Qt::DisplayRole || section >= int(owner_->columns_.size()))
        return {};
    return QString::fromStdString(owner_->columns_[section]->title);
}

Qt::ItemFlags TableModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (owner_ && owner_->writeRows && index.isValid())
        f |= Qt::ItemIsDragEnabled;
    return f;
}

void TableWidget::detach()
{
    owner_ = nullptr;
    if (auto* m = dynamic_cast<TableModel*>(model()))
        m->detach();
}

void TableWidget::setRowMenu(QMenu* menu)
{
    if (menu_)
        QObject::disconnect(menu_, nullptr, this, nullptr);
    menu_ = menu;
    if (!menu_)
        return;
    // An item's action runs right after the menu hides: the clicked row is
    // cleared once it has, or soon after a menu closed without one.
    QObject::connect(menu_, &QMenu::triggered, this, [this] {
        if (owner_)
            owner_->setClickedRow(-1);
    });
    QObject::connect(menu_, &QMenu::aboutToHide, this, [this] {
        const int shown = menuShowings_;
        QMetaObject::invokeMethod(
            this,
            [this, shown] {
                if (owner_ && shown == menuShowings_)
                    owner_->setClickedRow(-1);
            },
            Qt::QueuedConnection);
    });
}

void TableWidget::showEvent(QShowEvent* event)
{
    QTableView::showEvent(event);
    if (owner_)
        owner_->autoresizeColumns();
}

void TableWidget::mousePressEvent(QMouseEvent* event)
{
    // As on the platform, a right-click leaves the selection alone: the
    // context menu then acts on the selection and the row under the pointer.
    if (event->button() == Qt::RightButton) {
        setFocus(Qt::MouseFocusReason);
        event->accept();
        return;
    }
    QTableView::mousePressEvent(event);
}

void TableWidget::mouseDoubleClickEvent(QMouseEvent* event)
{
    QTableView::mouseDoubleClickEvent(event);
    if (!owner_ || event->button() != Qt::LeftButton)
        return;
    sendDoubleAction(rowAt(event->position().toPoint().y()));
}

void TableWidget::sendDoubleAction(int row)
{
    if (!owner_ || !owner_->doubleAction)
        return;
    owner_->setClickedRow(row);
    owner_->doubleAction();
    if (owner_)
        owner_->setClickedRow(-1);
}

int TableWidget::keyboardRow() const
{
    if (!owner_)
        return -1;
    const int current = currentIndex().isValid() ? currentIndex().row() : -1;
    const IndexSet selected = owner_->selectedRowIndexes();
    if (selected.contains(current))
        return current;
    return selected.empty() ? -1 : *selected.begin();
}

void TableWidget::keyPressEvent(QKeyEvent* event)
{
    const auto modifiers = event->modifiers() & ~Qt::KeypadModifier;
    const bool opens = (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && modifiers == Qt::NoModifier;
    if (opens && owner_ && owner_->doubleAction) {
        if (const int row = keyboardRow(); row >= 0)
            sendDoubleAction(row);
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_F10 && modifiers == Qt::ShiftModifier && menu_) {
        showMenuForKeyboard();
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

bool TableWidget::viewportEvent(QEvent* event)
{
    // The menu of a click on the rows comes in the viewport's coordinates.
    if (event->type() == QEvent::ContextMenu) {
        auto* menuEvent = static_cast<QContextMenuEvent*>(event);
        openMenu(*menuEvent, menuEvent->pos());
        return true;
    }
    const bool handled = QTableView::viewportEvent(event);
    if (event->type() == QEvent::Resize && owner_)
        owner_->autoresizeColumns();
    return handled;
}

void TableWidget::contextMenuEvent(QContextMenuEvent* event)
{
    openMenu(*event, viewport()->mapFrom(this, event->pos()));
}

void TableWidget::openMenu(QContextMenuEvent& event, QPoint viewportPosition)
{
    if (!owner_ || !menu_)
        return;
    event.accept();
    if (event.reason() == QContextMenuEvent::Keyboard)
        showMenuForKeyboard();
    else
        showMenu(rowAt(viewportPosition.y()), event.globalPos());
}

void TableWidget::showMenuForKeyboard()
{
    const int row = keyboardRow();
    const QPoint at = row >= 0 ? owner_->rectOfRow(row).bottomLeft() : QPoint(0, 0);
    showMenu(row, viewport()->mapToGlobal(at));
}

void TableWidget::showMenu(int row, QPoint globalPosition)
{
    ++menuShowings_;
    owner_->setClickedRow(row);
    if (owner_->menuWillOpen && owner_->menu_)
        owner_->menuWillOpen(*owner_->menu_);
    // Not exec(): the clicked row must stay readable by the item's action,
    // which runs after the menu closed.
    menu_->popup(globalPosition);
}

void TableWidget::startDrag(Qt::DropActions)
{
    if (!owner_)
        return;
    QMimeData* data = owner_->mimeDataForRows(owner_->selectedRowIndexes());
    if (!data)
        return;
    auto* drag = new QDrag(this);
    drag->setMimeData(data);
    Qt::DropActions actions;
    const unsigned mask = unsigned(owner_->draggingSourceOperationMaskNonLocal);
    if (mask & unsigned(DragOperation::copy))
        actions |= Qt::CopyAction;
    if (mask & unsigned(DragOperation::link))
        actions |= Qt::LinkAction;
    if (mask & unsigned(DragOperation::move) || owner_->acceptDrop)
        actions |= Qt::MoveAction;
    drag->exec(actions, Qt::CopyAction);
}

DraggingInfo TableWidget::info(const QDropEvent* event, Pasteboard& pasteboard) const
{
    unsigned mask = 0;
    if (event->possibleActions() & Qt::CopyAction)
        mask |= unsigned(DragOperation::copy);
    if (event->possibleActions() & Qt::LinkAction)
        mask |= unsigned(DragOperation::link);
    if (event->possibleActions() & Qt::MoveAction)
        mask |= unsigned(DragOperation::move);
    return {&pasteboard, DragOperation(mask), event->source() == this};
}

Qt::DropAction qtDropAction(DragOperation operation)
{
    switch (operation) {
    case DragOperation::copy: return Qt::CopyAction;
    case DragOperation::link: return Qt::LinkAction;
    case DragOperation::move: return Qt::MoveAction;
    case DragOperation::generic: return Qt::CopyAction;
    case DragOperation::none: break;
    }
    return Qt::IgnoreAction;
}

void TableWidget::dragEnterEvent(QDragEnterEvent* event)
{
    if (owner_ && owner_->acceptsTypesOf(event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void TableWidget::dragMoveEvent(QDragMoveEvent* event)
{
    indicatorRow_ = -1;
    if (!owner_ || !owner_->acceptsTypesOf(event->mimeData()) || !owner_->validateDrop) {
        event->ignore();
        viewport()->update();
        return;
    }
    Pasteboard pasteboard(event->mimeData());
    const auto [row, op] = owner_->dropTarget(event->position().toPoint());
    const DragOperation answer = owner_->validateDrop(info(event, pasteboard), row, op);
    if (answer == DragOperation::none) {
        event->ignore();
    } else {
        event->setDropAction(qtDropAction(answer));
        event->accept();
        indicatorRow_ = row;
        indicatorOperation_ = op;
    }
    viewport()->update();
}

void TableWidget::dragLeaveEvent(QDragLeaveEvent* event)
{
    indicatorRow_ = -1;
    viewport()->update();
    event->accept();
}

void TableWidget::dropEvent(QDropEvent* event)
{
    indicatorRow_ = -1;
    viewport()->update();
    if (!owner_ || !owner_->acceptsTypesOf(event->mimeData()) || !owner_->validateDrop || !owner_->acceptDrop) {
        event->ignore();
        return;
    }
    Pasteboard pasteboard(event->mimeData());
    const auto [row, op] = owner_->dropTarget(event->position().toPoint());
    const DraggingInfo drag = info(event, pasteboard);
    const DragOperation answer = owner_->validateDrop(drag, row, op);
    if (answer == DragOperation::none || !owner_->acceptDrop(drag, row, op)) {
        event->ignore();
        return;
    }
    event->setDropAction(qtDropAction(answer));
    event->accept();
}

void TableWidget::paintEvent(QPaintEvent* event)
{
    QTableView::paintEvent(event);
    if (indicatorRow_ < 0 || !owner_)
        return;
    QPainter p(viewport());
    p.setPen(QPen(palette().highlight().color(), 2));
    if (indicatorOperation_ == TableViewDropOperation::on) {
        p.drawRect(owner_->rectOfRow(indicatorRow_).adjusted(1, 1, -1, -1));
    } else {
        const int rows = owner_->numberOfRowsShown();
        const int y = indicatorRow_ < rows ? rowViewportPosition(indicatorRow_)
                                           : (rows ? rowViewportPosition(rows - 1) + rowHeight(rows - 1) : 0);
        p.drawLine(0, y, viewport()->width(), y);
    }
}

PromisedFilesMimeData::PromisedFilesMimeData(const QMimeData* declared, IndexSet rows, Promise promise)
    : rows_(std::move(rows)), promise_(std::move(promise))
{
    for (const QString& f : declared->formats())
        setData(f, declared->data(f));
}

QStringList PromisedFilesMimeData::formats() const
{
    QStringList f = QMimeData::formats();
    if (!f.contains("text/uri-list"))
        f << "text/uri-list";
    return f;
}

bool PromisedFilesMimeData::hasFormat(const QString& mimeType) const
{
    return mimeType == "text/uri-list" || QMimeData::hasFormat(mimeType);
}

QVariant PromisedFilesMimeData::retrieveData(const QString& mimeType, QMetaType type) const
{
    if (mimeType != "text/uri-list")
        return QMimeData::retrieveData(mimeType, type);
    fulfil();
    // A target copies what it is handed at once, so it gets the URLs only
    // when the files exist. Nested requests (a target asking again while
    // the first one waits) each wait on the same flag. The wait serves
    // every event, so it keeps what it needs should the drag data go.
    const auto writing = writing_;
    const QList<QUrl> promised = urls_;
    while (!writing->finished)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const QList<QUrl> urls = writing->written ? promised : QList<QUrl>();
    if (type.id() == QMetaType::QByteArray) {
        QByteArray bytes;
        for (const QUrl& u : urls)
            bytes += u.toEncoded() + "\r\n";
        return bytes;
    }
    QVariantList list;
    for (const QUrl& u : urls)
        list << u;
    return list;
}

void PromisedFilesMimeData::fulfil() const
{
    // Asked once per drag, however often the target reads the list.
    if (writing_)
        return;
    Dispatch::assertMainThread("promised files");
    writing_ = std::make_shared<Writing>();
    auto folder = Foundation::FileManager::urlForDirectory(Foundation::FileManager::SearchPathDirectory::itemReplacementDirectory);
    const std::string base = folder.isSuccess() ? folder.value().path() : Foundation::FileManager::temporaryDirectory();
    const std::string path = base + "/" + Foundation::uuidString();
    if (Foundation::FileManager::createDirectory(path, true)) {
        writing_->finished = true;
        return;
    }
    // The files are still to be written; the folder must outlive the drag.
    folder_ = QString::fromStdString(path);
    std::weak_ptr<Writing> writing = writing_;
    PromisedFilesWritten written([writing](bool ok) {
        Dispatch::mainQueue()->async([writing, ok] {
            if (auto state = writing.lock()) {
                state->written = ok;
                state->finished = true;
            }
        });
    });
    for (const auto& name : promise_(path, rows_, written))
        urls_ << QUrl::fromLocalFile(folder_ + "/" + QString::fromStdString(name));
}

struct PromisedFilesWritten::State {
    std::mutex mutex;
    std::function<void(bool)> report;
    ~State()
    {
        if (report)
            report(false);
    }
};

PromisedFilesWritten::PromisedFilesWritten(std::function<void(bool written)> report)
    : state_(std::make_shared<State>())
{
    state_->report = std::move(report);
}

void PromisedFilesWritten::operator()(bool written) const
{
    if (!state_)
        return;
    std::function<void(bool)> report;
    {
        std::lock_guard lock(state_->mutex);
        report = std::move(state_->report);
        state_->report = nullptr;
    }
    if (report)
        report(written);
}

} // namespace AppKit
