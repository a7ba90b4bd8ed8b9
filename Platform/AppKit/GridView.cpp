#include "Platform/AppKit/GridView.h"

#include <QGridLayout>
#include <QPalette>

#include <algorithm>

namespace AppKit {

GridView::GridView() : View(nullptr)
{
    auto* layout = new QGridLayout(widget());
    layout->setContentsMargins(0, 0, 0, 0);
}

std::shared_ptr<GridView> GridView::gridViewWithViews(const std::vector<std::vector<ViewPtr>>& rows)
{
    auto grid = std::make_shared<GridView>();
    auto* layout = static_cast<QGridLayout*>(grid->widget()->layout());
    grid->rows_ = rows;
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        for (int c = 0; c < static_cast<int>(rows[r].size()); ++c) {
            if (const auto& cell = rows[r][c]; cell && cell->widget())
                layout->addWidget(cell->widget(), r, c);
        }
        // An empty row still takes a row's height, as a spacer.
        if (rows[r].empty() || std::all_of(rows[r].begin(), rows[r].end(), [](const ViewPtr& v) { return !v; }))
            layout->setRowMinimumHeight(r, layout->spacing() > 0 ? layout->spacing() * 2 : 12);
    }
    return grid;
}

ViewPtr GridView::cellAt(int column, int row) const
{
    if (row < 0 || row >= numberOfRows() || column < 0 || column >= static_cast<int>(rows_[row].size()))
        return nullptr;
    return rows_[row][column];
}

void GridView::setColumnXPlacement(int column, Placement placement)
{
    auto* layout = static_cast<QGridLayout*>(widget()->layout());
    Qt::Alignment alignment;
    switch (placement) {
    case Placement::leading: alignment = Qt::AlignLeading | Qt::AlignVCenter; break;
    case Placement::trailing: alignment = Qt::AlignTrailing | Qt::AlignVCenter; break;
    case Placement::center: alignment = Qt::AlignHCenter | Qt::AlignVCenter; break;
    case Placement::inherited:
    case Placement::fill: alignment = {}; break;
    }
    for (const auto& row : rows_) {
        if (column < static_cast<int>(row.size()) && row[column] && row[column]->widget())
            layout->setAlignment(row[column]->widget(), alignment);
    }
}

void GridView::setRowSpacing(int spacing) { static_cast<QGridLayout*>(widget()->layout())->setVerticalSpacing(spacing); }

void GridView::setColumnSpacing(int spacing)
{
    static_cast<QGridLayout*>(widget()->layout())->setHorizontalSpacing(spacing);
}

VisualEffectView::VisualEffectView() : View(nullptr)
{
    widget()->setAutoFillBackground(true);
    widget()->setBackgroundRole(QPalette::Window);
}

std::shared_ptr<VisualEffectView> VisualEffectView::make() { return std::make_shared<VisualEffectView>(); }

} // namespace AppKit
