#pragma once
// Stand-in for the platform's table view over a QTableView and one model:
// cells are painted from values (text, image), never a widget per row, so
// 100,000 rows stay fast. The few tables whose rows hold real controls
// give a row view instead, placed with setIndexWidget.
//
// Rows come from a data source (numberOfRows + cell for row and column) or
// from an array controller's arranged objects with "objectValue.<key>"
// value bindings per column.

#include "Platform/AppKit/ArrayController.h"
#include "Platform/AppKit/Menu.h"
#include "Platform/AppKit/Pasteboard.h"
#include "Platform/AppKit/TableSortDescriptor.h"
#include "Platform/AppKit/View.h"

#include <QIcon>
#include <QPoint>
#include <QVariant>

#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace AppKit {

class TableWidget;
class TableModel;

using IndexSet = std::set<int>;

enum class DragOperation : unsigned { none = 0, copy = 1, link = 2, generic = 4, move = 16 };

// The Qt drop action that carries out a drag operation.
Qt::DropAction qtDropAction(DragOperation operation);
enum class TableViewDropOperation { on = 0, above = 1 };

class TableColumn {
public:
    explicit TableColumn(std::string identifier) : identifier_(std::move(identifier)) {}
    const std::string& identifier() const { return identifier_; }

    std::string title;
    int width = 100;
    int minWidth = 20;
    int maxWidth = 100000;
    std::optional<SortDescriptor> sortDescriptorPrototype;
    // The value binding of the column's text ("objectValue.name"), used when
    // the table's content is bound to an array controller.
    std::string valueKeyPath;
    // Turns the bound value into its text (a size formatter …); none: its text.
    std::function<std::string(const QVariant&)> formatter;

private:
    std::string identifier_;
};

using TableColumnPtr = std::shared_ptr<TableColumn>;

// What a cell shows.
struct TableCellView {
    std::string text;
    QIcon image;
};

// Tells a promised-files drag whether its files are all written. Called at
// most once, from any thread; copies share the report, and when the last
// copy goes without a call the files count as not written. A default one
// reports to no one.
class PromisedFilesWritten {
public:
    PromisedFilesWritten() = default;
    explicit PromisedFilesWritten(std::function<void(bool written)> report);
    void operator()(bool written) const;

private:
    struct State;
    std::shared_ptr<State> state_;
};

// A drop in progress over the table.
struct DraggingInfo {
    const Pasteboard* pasteboard;
    DragOperation sourceOperationMask;
    bool fromThisTable;
};

// Which columns take up a change of the table's width (within their
// minimum and maximum widths).
enum class ColumnAutoresizingStyle { none, uniform, lastColumnOnly, firstColumnOnly };

class TableView : public View {
public:
    static std::shared_ptr<TableView> make();
    TableView();
    ~TableView() override;

    // Columns, in display order.
    void addTableColumn(const TableColumnPtr& column);
    void removeTableColumn(const TableColumnPtr& column);
    const std::vector<TableColumnPtr>& tableColumns() const { return columns_; }
    TableColumnPtr tableColumnWithIdentifier(const std::string& identifier) const;
    // Applies changed widths, titles and prototypes of the columns.
    void columnsDidChange();
    void setColumnAutoresizingStyle(ColumnAutoresizingStyle style);

    // Data source and delegate, as callbacks.
    std::function<int()> numberOfRows;
    std::function<std::optional<TableCellView>(const TableColumn&, int row)> viewForRow;
    // Rows made of real controls: a view per row spanning every column.
    std::function<ViewPtr(int row)> rowView;
    std::function<void(const std::vector<SortDescriptor>& old)> sortDescriptorsDidChange;
    std::function<void()> selectionDidChange;
    // A row's tool tip; without one a cell's tip is its text.
    std::function<std::string(int row)> toolTipForRow;
    // Sent by a double-click on a row and by Return on the selection.
    std::function<void()> doubleAction;

    // Content bound to an array controller ("arrangedObjects"); rows then
    // come from it and cells from the columns' value bindings.
    void bindContent(const ArrayControllerPtr& controller);
    const ArrayControllerPtr& content() const { return content_; }

    void reloadData();
    int numberOfRowsShown() const;

    int rowHeight() const { return rowHeight_; }
    void setRowHeight(int height);
    void setIntercellSpacing(QSize spacing);
    void setUsesAlternatingRowBackgroundColors(bool on);
    void setHeaderHidden(bool hidden);
    void setAllowsMultipleSelection(bool on);
    void setSelectionHighlightNone(bool none);

    const std::vector<SortDescriptor>& sortDescriptors() const { return sortDescriptors_; }
    // Calls sortDescriptorsDidChange when the list changes.
    void setSortDescriptors(std::vector<SortDescriptor> descriptors);

    IndexSet selectedRowIndexes() const;
    int selectedRow() const;
    void selectRowIndexes(const IndexSet& rows, bool byExtendingSelection);
    void deselectAll();
    void scrollRowToVisible(int row);
    // The row of the double-click, Return or context menu whose action is
    // running (the selected row for keys); -1 on no row and outside them.
    int clickedRow() const { return clickedRow_; }

    // The table's context menu; menuWillOpen runs before each showing with
    // the clicked row set.
    void setMenu(const MenuPtr& menu);
    const MenuPtr& menu() const { return menu_; }
    std::function<void(Menu&)> menuWillOpen;

    // Column widths and order kept in the standard defaults under the name.
    void setAutosaveName(const std::string& name);
    void setAutosaveTableColumns(bool on);

    // Drag source: fills the pasteboard for rows; false refuses the drag.
    std::function<bool(const IndexSet& rows, Pasteboard& pasteboard)> writeRows;
    DragOperation draggingSourceOperationMaskNonLocal = DragOperation::copy;
    // Promised files (a drag that declared PasteboardTypeFilesPromise). A
    // drop target on the desktop takes file URLs, not promises, and copies
    // at once: so when it first asks for the drag's "text/uri-list", the
    // table has the files written into a fresh folder under the temporary
    // items folder, waits for them (serving the event loop) and hands over
    // their URLs, or no URL when writing them failed. The callback answers
    // the names it writes there and reports through `written` when done.
    std::function<std::vector<std::string>(const std::string& destinationFolder, const IndexSet& rows,
                                           PromisedFilesWritten written)>
        namesOfPromisedFilesDroppedAtDestination;

    // Drag destination.
    void registerForDraggedTypes(std::vector<std::string> types);
    std::function<DragOperation(const DraggingInfo&, int row, TableViewDropOperation)> validateDrop;
    std::function<bool(const DraggingInfo&, int row, TableViewDropOperation)> acceptDrop;

    // Where a drop at a point of the rows' area lands: between rows (above
    // the row, the row count below the last) or on a row.
    std::pair<int, TableViewDropOperation> dropTarget(QPoint viewportPosition) const;
    // The data a drag of the rows carries (what a drag start hands to Qt).
    QMimeData* mimeDataForRows(const IndexSet& rows);

    QWidget* rowsViewport() const;
    QRect rectOfRow(int row) const;

private:
    friend class TableWidget;
    friend class TableModel;

    void headerClicked(int section);
    void applyHeaderIndicator();
    void restoreColumns();
    void saveColumns();
    void placeRowViews();
    // Hands the difference between the rows' width and the columns' to the
    // columns the autoresizing style names.
    void autoresizeColumns();
    void setClickedRow(int row) { clickedRow_ = row; }
    bool acceptsTypesOf(const QMimeData* data) const;

    QPointer<TableWidget> table_;
    void detachRowViews();
    std::vector<ViewPtr> rowViews_;
    bool restoring_ = false;
    TableModel* model_;
    std::vector<TableColumnPtr> columns_;
    std::vector<SortDescriptor> sortDescriptors_;
    ArrayControllerPtr content_;
    int contentObserver_ = 0;
    int rowHeight_ = 17;
    int clickedRow_ = -1;
    std::vector<std::string> draggedTypes_;
    MenuPtr menu_;
    std::string autosaveName_;
    bool autosaveColumns_ = false;
    ColumnAutoresizingStyle autoresizing_ = ColumnAutoresizingStyle::lastColumnOnly;
};

using TableViewPtr = std::shared_ptr<TableView>;

} // namespace AppKit
