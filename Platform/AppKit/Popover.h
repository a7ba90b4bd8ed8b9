#pragma once
// Stand-in for the platform's popover: a content view controller shown in a
// small frameless window next to a rectangle of a view.
//
// Transient and semitransient popovers are Qt popups: a click outside them
// or Escape closes them. Application-defined ones stay until close().
// A shown popover keeps itself alive until it closes.

#include "Platform/AppKit/Responder.h"
#include "Platform/AppKit/ViewController.h"

#include <QPointer>
#include <QRect>
#include <QSize>

#include <functional>
#include <memory>

class QWidget;

namespace AppKit {

class PopoverFrame;

class Popover : public Responder, public std::enable_shared_from_this<Popover> {
public:
    static std::shared_ptr<Popover> make();
    ~Popover() override;

    std::shared_ptr<ViewController> contentViewController() const { return content_; }
    void setContentViewController(const std::shared_ptr<ViewController>& controller);
    PopoverBehavior behavior() const { return behavior_; }
    void setBehavior(PopoverBehavior behavior) { behavior_ = behavior; }
    // The content's size; none: the controller's preferred size, else the
    // view's fitting size.
    QSize contentSize() const { return contentSize_; }
    void setContentSize(QSize size) { contentSize_ = size; }

    // Shows the content next to the rectangle of the view (an empty
    // rectangle: the view's bounds) on the preferred edge, or the opposite
    // one when the screen has no room there. Nothing when the view is in no
    // widget or the popover is already shown.
    void show(QRect relativeToRect, const ViewPtr& ofView, RectEdge preferredEdge);
    bool isShown() const;
    // Closes the popover; didClose runs once per showing.
    void close();
    void performClose() { close(); }
    std::function<void()> didClose;

    // The popup window while shown (for the test driver).
    QWidget* widget() const;

private:
    friend class PopoverFrame;
    Popover() = default;
    void frameClosed();

    std::shared_ptr<ViewController> content_;
    PopoverBehavior behavior_ = PopoverBehavior::applicationDefined;
    QSize contentSize_;
    QPointer<PopoverFrame> frame_;
    std::shared_ptr<Popover> selfWhileShown_;
};

using PopoverPtr = std::shared_ptr<Popover>;

} // namespace AppKit
