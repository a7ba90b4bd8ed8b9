#pragma once
// Stand-in for the platform's split view over a QSplitter: arranged panes
// with dividers between them. Whether a pane may collapse (by dragging its
// divider to the edge, or by collapse()) is the delegate's answer, asked
// each time; without a delegate no pane collapses.

#include "Platform/AppKit/View.h"

#include <memory>
#include <vector>

class QSplitter;

namespace AppKit {

class SplitView;

class SplitViewDelegate {
public:
    virtual ~SplitViewDelegate() = default;
    virtual bool splitViewCanCollapseSubview(SplitView& splitView, const View& subview) = 0;
};

class SplitView : public View {
public:
    static std::shared_ptr<SplitView> make();
    SplitView();

    // Vertical dividers (panes side by side) when true, the default.
    bool isVertical() const { return vertical_; }
    void setVertical(bool vertical);

    void addArrangedSubview(const ViewPtr& view);
    const std::vector<ViewPtr>& arrangedSubviews() const { return panes_; }

    std::shared_ptr<SplitViewDelegate> delegate() const { return delegate_.lock(); }
    void setDelegate(const std::shared_ptr<SplitViewDelegate>& delegate);
    bool canCollapse(const View& pane);

    bool isSubviewCollapsed(const View& pane) const;
    // Collapses the pane when the delegate allows; false otherwise.
    bool collapse(const View& pane);
    // Gives a collapsed pane back the size it had.
    void expand(const View& pane);
    // Moves the divider after the pane at the index to the position.
    void setPositionOfDivider(int position, int index);

private:
    QSplitter* splitter() const;
    int indexOf(const View& pane) const;
    void refreshCollapsible();

    std::vector<ViewPtr> panes_;
    std::vector<int> sizesBeforeCollapse_;
    std::weak_ptr<SplitViewDelegate> delegate_;
    bool vertical_ = true;
};

using SplitViewPtr = std::shared_ptr<SplitView>;

} // namespace AppKit
