#pragma once
// Stand-ins for the platform's grid view (rows of views in aligned columns)
// and visual-effect view (a backdrop that the window's colour fills).

#include "Platform/AppKit/View.h"

#include <memory>
#include <vector>

namespace AppKit {

class GridView : public View {
public:
    enum class Placement { inherited, leading, trailing, center, fill };
    // Each row lists its cells left to right; an empty pointer is an empty
    // cell, and a row may be shorter than the others.
    static std::shared_ptr<GridView> gridViewWithViews(const std::vector<std::vector<ViewPtr>>& rows);
    GridView();

    int numberOfRows() const { return static_cast<int>(rows_.size()); }
    ViewPtr cellAt(int column, int row) const;
    void setColumnXPlacement(int column, Placement placement);
    void setRowSpacing(int spacing);
    void setColumnSpacing(int spacing);

private:
    std::vector<std::vector<ViewPtr>> rows_;
};

class VisualEffectView : public View {
public:
    static std::shared_ptr<VisualEffectView> make();
    VisualEffectView();
};

} // namespace AppKit
