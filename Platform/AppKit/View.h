#pragma once
// Stand-in for the platform's view, over a QWidget.
//
// Ownership model of this layer:
// - Views, view controllers, windows and window controllers are
//   std::shared_ptr objects (made with std::make_shared or a make()).
//   A superview holds its subviews strongly, a window its content view
//   controller, a window controller its window; back links (superview,
//   window, controller, parent) are weak.
// - Widgets belong to Qt: a view creates its widget without a parent and
//   deletes it only while the widget still has none; once the widget sits in
//   another widget, Qt's parent owns it. The wrapper keeps a QPointer, so a
//   widget deleted by Qt leaves an empty view rather than a dangling one.
// - Everything here is main-thread only.
//
// Layout uses Qt layouts, not constraints: addSubview() places a subview in
// the view's layout according to a Placement (fill with margins, centre,
// top/bottom/leading/trailing edge), and Stack views line subviews up.

#include "Platform/AppKit/Responder.h"

#include <QMargins>
#include <QPointer>
#include <QSize>
#include <QWidget>

#include <memory>
#include <vector>

class QGridLayout;

namespace AppKit {

class Window;
class ViewController;

struct Placement {
    enum class Kind { fill, centre, top, bottom, leading, trailing, free };
    Kind kind = Kind::fill;
    QMargins margins;

    static Placement fill(QMargins m = {}) { return {Kind::fill, m}; }
    static Placement fill(int margin) { return {Kind::fill, {margin, margin, margin, margin}}; }
    static Placement centre() { return {Kind::centre, {}}; }
    // Pinned to one edge and across the other axis, with margins.
    static Placement top(QMargins m = {}) { return {Kind::top, m}; }
    static Placement bottom(QMargins m = {}) { return {Kind::bottom, m}; }
    static Placement leading(QMargins m = {}) { return {Kind::leading, m}; }
    static Placement trailing(QMargins m = {}) { return {Kind::trailing, m}; }
    // Outside any layout: the caller sets the frame.
    static Placement free() { return {Kind::free, {}}; }
};

class View : public Responder, public std::enable_shared_from_this<View> {
public:
    static std::shared_ptr<View> make();
    // Takes ownership of a widget that has no parent; a plain QWidget when none.
    explicit View(QWidget* widget = nullptr);
    ~View() override;

    QWidget* widget() const { return widget_; }
    // The view wrapping the widget, or the nearest one above it.
    static std::shared_ptr<View> forWidget(QWidget* widget);

    bool isHidden() const;
    void setHidden(bool hidden);

    void addSubview(const std::shared_ptr<View>& view, Placement placement = Placement::fill());
    void removeFromSuperview();
    const std::vector<std::shared_ptr<View>>& subviews() const { return subviews_; }
    std::shared_ptr<View> superview() const { return superview_.lock(); }

    // The window showing the view, or none.
    std::shared_ptr<Window> window() const;

    QRect frame() const;
    void setFrame(const QRect& frame);
    QSize fittingSize() const;
    void setFixedSize(QSize size);
    void setMinimumSize(QSize size);

    std::string toolTip() const;
    void setToolTip(const std::string& text);

    // The controller whose view this is (set by ViewController).
    std::shared_ptr<ViewController> viewController() const { return controller_.lock(); }

protected:
    // Replaces the widget before it was shown or placed (for subclasses that
    // build theirs after construction).
    void adoptWidget(QWidget* widget);

private:
    friend class ViewController;
    QGridLayout* gridLayout();

    QPointer<QWidget> widget_;
    std::weak_ptr<View> superview_;
    std::weak_ptr<ViewController> controller_;
    std::vector<std::shared_ptr<View>> subviews_;
};

using ViewPtr = std::shared_ptr<View>;

} // namespace AppKit
