#include "Kelvora/Popover.h"

#include <QApplication>
#include <QMouseEvent>
#include <QVBoxLayout>
#include <QWidget>

Popover::Popover() = default;

Popover::~Popover()
{
    performClose();
    delete window_;
}

void Popover::show(const AppKit::ViewControllerPtr& content, QWidget* anchor)
{
    if (!window_) {
        window_ = new QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint);
        auto* layout = new QVBoxLayout(window_);
        layout->setContentsMargins(6, 6, 6, 6);
    }
    if (content_ != content) {
        content_ = content;
        auto* widget = content->view()->widget();
        window_->layout()->addWidget(widget);
        const QSize size = content->preferredContentSize();
        window_->resize(size.isValid() && !size.isEmpty() ? size + QSize(12, 12) : QSize(360, 240));
    }
    const QPoint below = anchor ? anchor->mapToGlobal(QPoint(0, anchor->height())) : QPoint();
    window_->move(below);
    content->notifyWillAppear();
    window_->show();
    content->notifyDidAppear();
    qApp->installEventFilter(this);
}

void Popover::performClose()
{
    if (!isShown())
        return;
    qApp->removeEventFilter(this);
    content_->notifyWillDisappear();
    window_->hide();
    content_->notifyDidDisappear();
}

bool Popover::isShown() const
{
    return window_ && window_->isVisible();
}

bool Popover::eventFilter(QObject* watched, QEvent* event)
{
    // Transient: a press anywhere outside the popover closes it.
    if (event->type() == QEvent::MouseButtonPress && isShown()) {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget && widget->window() != window_)
            performClose();
    }
    return QObject::eventFilter(watched, event);
}
