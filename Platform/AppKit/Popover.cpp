#include "Platform/AppKit/Popover.h"

#include "Platform/Dispatch/Dispatch.h"

#include <QCloseEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace AppKit {

class PopoverFrame : public QFrame {
public:
    PopoverFrame(Popover* owner, QWidget* parent, Qt::WindowFlags flags)
        : QFrame(parent, flags), owner_(owner)
    {
        setFrameShape(QFrame::StyledPanel);
        setAttribute(Qt::WA_DeleteOnClose);
        new QVBoxLayout(this);
        layout()->setContentsMargins(6, 6, 6, 6);
    }
    // Deleted with the anchor's window while shown: the popover still
    // hears of it, while the content's widget is still here to take back.
    ~PopoverFrame() override
    {
        if (Popover* owner = std::exchange(owner_, nullptr))
            owner->frameClosed();
    }
    // Detached before the popover goes, so a late close reaches nobody.
    void detach() { owner_ = nullptr; }

protected:
    void closeEvent(QCloseEvent* event) override
    {
        QFrame::closeEvent(event);
        if (event->isAccepted()) {
            if (Popover* owner = std::exchange(owner_, nullptr))
                owner->frameClosed();
        }
    }

private:
    Popover* owner_;
};

namespace {

// The top-left of a popup of the size next to the anchor (global
// coordinates) on the edge, flipped to the other side when it would leave
// the screen. The y axis points down here, so the maximum-Y edge is the top.
QPoint placement(QRect anchor, QSize size, RectEdge edge, QRect screen)
{
    auto at = [&](RectEdge e) {
        switch (e) {
        case RectEdge::maxY:
            return QPoint(anchor.center().x() - size.width() / 2, anchor.top() - size.height());
        case RectEdge::minY:
            return QPoint(anchor.center().x() - size.width() / 2, anchor.bottom() + 1);
        case RectEdge::minX:
            return QPoint(anchor.left() - size.width(), anchor.center().y() - size.height() / 2);
        case RectEdge::maxX:
            return QPoint(anchor.right() + 1, anchor.center().y() - size.height() / 2);
        }
        return anchor.topLeft();
    };
    auto opposite = [](RectEdge e) {
        switch (e) {
        case RectEdge::maxY: return RectEdge::minY;
        case RectEdge::minY: return RectEdge::maxY;
        case RectEdge::minX: return RectEdge::maxX;
        case RectEdge::maxX: return RectEdge::minX;
        }
        return e;
    };
    QPoint origin = at(edge);
    if (!screen.isEmpty() && !screen.contains(QRect(origin, size)))
        origin = at(opposite(edge));
    if (!screen.isEmpty()) {
        origin.setX(std::clamp(origin.x(), screen.left(), std::max(screen.left(), screen.right() - size.width())));
        origin.setY(std::clamp(origin.y(), screen.top(), std::max(screen.top(), screen.bottom() - size.height())));
    }
    return origin;
}

} // namespace

std::shared_ptr<Popover> Popover::make()
{
    return std::shared_ptr<Popover>(new Popover);
}

Popover::~Popover()
{
    if (frame_) {
        frame_->detach();
        if (content_ && content_->isViewLoaded() && content_->view()->widget())
            content_->view()->widget()->setParent(nullptr);
        delete frame_.data();
    }
}

void Popover::setContentViewController(const std::shared_ptr<ViewController>& controller)
{
    content_ = controller;
}

QWidget* Popover::widget() const
{
    return frame_;
}

bool Popover::isShown() const
{
    return frame_ && frame_->isVisible();
}

void Popover::show(QRect relativeToRect, const ViewPtr& ofView, RectEdge preferredEdge)
{
    Dispatch::assertMainThread("Popover::show");
    if (frame_ || !content_ || !ofView || !ofView->widget())
        return;
    QWidget* anchor = ofView->widget();
    const Qt::WindowFlags flags = behavior_ == PopoverBehavior::applicationDefined
        ? Qt::Tool | Qt::FramelessWindowHint
        : Qt::Popup | Qt::FramelessWindowHint;
    frame_ = new PopoverFrame(this, anchor->window(), flags);
    QWidget* contentWidget = content_->view()->widget();
    frame_->layout()->addWidget(contentWidget);
    contentWidget->show();

    QSize size = contentSize_;
    if (size.isEmpty())
        size = content_->preferredContentSize();
    if (size.isEmpty())
        size = content_->view()->fittingSize();
    if (!size.isEmpty())
        contentWidget->setFixedSize(size);
    frame_->adjustSize();

    const QRect local = relativeToRect.isEmpty() ? anchor->rect() : relativeToRect;
    const QRect global(anchor->mapToGlobal(local.topLeft()), local.size());
    QScreen* screen = anchor->screen() ? anchor->screen() : QGuiApplication::primaryScreen();
    frame_->move(placement(global, frame_->size(), preferredEdge, screen ? screen->availableGeometry() : QRect()));

    selfWhileShown_ = shared_from_this();
    content_->notifyWillAppear();
    frame_->show();
    content_->notifyDidAppear();
}

void Popover::close()
{
    if (frame_)
        frame_->close();
}

void Popover::frameClosed()
{
    // The content outlives this showing: take its widget back before Qt
    // deletes the frame.
    auto keep = selfWhileShown_;
    selfWhileShown_.reset();
    if (content_) {
        content_->notifyWillDisappear();
        if (content_->isViewLoaded() && content_->view()->widget()) {
            content_->view()->widget()->hide();
            content_->view()->widget()->setParent(nullptr);
        }
        content_->notifyDidDisappear();
    }
    frame_ = nullptr;
    if (auto callback = didClose)
        callback();
}

void ViewController::present(const std::shared_ptr<ViewController>& controller, QRect relativeToRect,
                             const ViewPtr& ofView, RectEdge preferredEdge, PopoverBehavior behavior)
{
    Dispatch::assertMainThread("ViewController::present");
    if (!controller || controller->presentingViewController())
        return;
    auto popover = Popover::make();
    popover->setContentViewController(controller);
    popover->setBehavior(behavior);
    std::weak_ptr<ViewController> weakSelf = weak_from_this();
    std::weak_ptr<ViewController> weakController = controller;
    popover->didClose = [weakSelf, weakController] {
        auto self = weakSelf.lock();
        auto presented = weakController.lock();
        if (self && presented)
            self->removePresented(presented);
    };
    addPresented(controller, [weakPopover = std::weak_ptr<Popover>(popover)] {
        if (auto p = weakPopover.lock())
            p->close();
    });
    popover->show(relativeToRect, ofView, preferredEdge);
    if (!popover->isShown())
        removePresented(controller);
}

} // namespace AppKit
