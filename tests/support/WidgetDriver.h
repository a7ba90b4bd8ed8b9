#pragma once
// Drives the layer's widgets the way a user does, through Qt events on the
// real widgets: double-clicking a table row, dropping files on a view,
// clicking a path item, closing a popover from outside.

#include "Platform/AppKit/PathControl.h"
#include "Platform/AppKit/Popover.h"
#include "Platform/AppKit/TableView.h"

#include <QPoint>

#include <optional>

#include <string>
#include <vector>

namespace TestSupport {

// Presses and double-clicks the middle of the row; false when the table has
// no such row.
bool doubleClickRow(AppKit::TableView& table, int row);
// Drags the files over the view (its centre when no point is given) and
// drops them; true when the widget under the point accepted the drop.
bool dropFiles(AppKit::View& view, const std::vector<std::string>& paths, std::optional<QPoint> at = {});
// Clicks the button of the path item; false when there is no such item.
bool clickPathItem(AppKit::PathControl& control, int index);
// A mouse press just outside the shown popover, as a click elsewhere.
bool clickOutside(AppKit::Popover& popover);
// The Escape key on the shown popover.
bool pressEscape(AppKit::Popover& popover);

} // namespace TestSupport
