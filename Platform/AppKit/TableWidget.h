#pragma once
// Internals of TableView: the model that asks the table for cell values,
// the QTableView that turns clicks and drags into the table's callbacks,
// and the drag data that produces promised files on the drop. Internal.

#include "Platform/AppKit/TableView.h"

#include <QAbstractTableModel>
#include <QMimeData>
#include <QPointer>
#include <QMenu>
#include <QTableView>

namespace AppKit {

class TableModel : public QAbstractTableModel {
public:
    TableModel(TableView* owner, QObject* parent) : QAbstractTableModel(parent), owner_(owner) {}
    void detach() { owner_ = nullptr; }
    void beginReset() { beginResetModel(); }
    void endReset() { endResetModel(); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    std::optional<TableCellView> cell(const QModelIndex& index) const;
    TableView* owner_;
};

class TableWidget : public QTableView {
public:
    explicit TableWidget(TableView* owner) : owner_(owner) {}
    void detach();
    void setRowMenu(QMenu* menu);
    QMenu* rowMenu() const { return menu_; }
    void setTextMargin(int margin) { textMargin_ = margin; }
    using QTableView::rowViewportPosition;

protected:
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    DraggingInfo info(const QDropEvent* event, Pasteboard& pasteboard) const;
    // Runs the double action with the row as the clicked row, for its length.
    void sendDoubleAction(int row);
    // The row keys act on: the current row when selected, else the first
    // selected one; -1 without a selection.
    int keyboardRow() const;
    void openMenu(QContextMenuEvent& event, QPoint viewportPosition);
    void showMenu(int row, QPoint globalPosition);
    void showMenuForKeyboard();
    TableView* owner_;
    QPointer<QMenu> menu_;
    int textMargin_ = 0;
    int menuShowings_ = 0;
    int indicatorRow_ = -1;
    TableViewDropOperation indicatorOperation_ = TableViewDropOperation::above;
};

// Drag data of a promised-files drag: offers "text/uri-list"; when a drop
// target first asks for it, has the promise written into a fresh folder
// under the temporary items folder, and answers every request only once
// the files are there.
class PromisedFilesMimeData : public QMimeData {
public:
    using Promise = std::function<std::vector<std::string>(const std::string&, const IndexSet&, PromisedFilesWritten)>;
    PromisedFilesMimeData(const QMimeData* declared, IndexSet rows, Promise promise);

    QStringList formats() const override;
    bool hasFormat(const QString& mimeType) const override;
    // The folder the promise was asked to fill; empty before the drop.
    const QString& destinationFolder() const { return folder_; }

protected:
    QVariant retrieveData(const QString& mimeType, QMetaType type) const override;

private:
    struct Writing {
        bool finished = false;
        bool written = false;
    };
    void fulfil() const;
    IndexSet rows_;
    Promise promise_;
    mutable std::shared_ptr<Writing> writing_;
    mutable QString folder_;
    mutable QList<QUrl> urls_;
};

} // namespace AppKit
