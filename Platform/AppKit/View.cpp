#include "Platform/AppKit/View.h"

#include "Platform/AppKit/Window.h"
#include "Platform/Dispatch/Dispatch.h"

#include <QGridLayout>
#include <QHash>

#include <algorithm>

namespace AppKit {

namespace {
QHash<QWidget*, View*>& registry()
{
    static QHash<QWidget*, View*> views;
    return views;
}

// The layouts built by addSubview: one cell in a 3x3 grid, so that edge
// placements get the stretch cells around them.
constexpr int kCentre = 1;
} // namespace

std::shared_ptr<View> View::make()
{
    return std::make_shared<View>();
}

View::View(QWidget* widget)
    : widget_(widget ? widget : new QWidget)
{
    Dispatch::assertMainThread("View");
    registry().insert(widget_, this);
}

View::~View()
{
    if (!widget_)
        return;
    registry().remove(widget_);
    if (!widget_->parent())
        delete widget_.data();
}

void View::adoptWidget(QWidget* widget)
{
    if (widget_) {
        registry().remove(widget_);
        if (!widget_->parent())
            delete widget_.data();
    }
    widget_ = widget;
    registry().insert(widget_, this);
}

std::shared_ptr<View> View::forWidget(QWidget* widget)
{
    for (QWidget* w = widget; w; w = w->parentWidget()) {
        if (View* view = registry().value(w))
            return view->shared_from_this();
    }
    return nullptr;
}

bool View::isHidden() const
{
    return widget_ && widget_->isHidden();
}

void View::setHidden(bool hidden)
{
    if (widget_)
        widget_->setHidden(hidden);
}

QGridLayout* View::gridLayout()
{
    if (auto* grid = qobject_cast<QGridLayout*>(widget_->layout()))
        return grid;
    auto* grid = new QGridLayout(widget_);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(0);
    return grid;
}

void View::addSubview(const std::shared_ptr<View>& view, Placement placement)
{
    if (!view || !widget_ || !view->widget_)
        return;
    view->removeFromSuperview();
    subviews_.push_back(view);
    view->superview_ = weak_from_this();
    QWidget* child = view->widget_;
    if (placement.kind == Placement::Kind::free) {
        child->setParent(widget_);
        child->show();
        return;
    }
    // A margin is a wrapper's contents margins, so that each subview keeps its own.
    QWidget* item = child;
    if (!placement.margins.isNull()) {
        item = new QWidget(widget_);
        auto* box = new QGridLayout(item);
        box->setContentsMargins(placement.margins);
        box->addWidget(child, 0, 0);
        item->setProperty("kelvoraMarginWrapper", true);
    }
    QGridLayout* grid = gridLayout();
    using K = Placement::Kind;
    switch (placement.kind) {
    case K::fill:
        grid->addWidget(item, 0, 0, 3, 3);
        break;
    case K::centre:
        grid->addWidget(item, 0, 0, 3, 3, Qt::AlignCenter);
        break;
    case K::top:
        grid->addWidget(item, 0, 0, 1, 3, Qt::AlignTop);
        break;
    case K::bottom:
        grid->addWidget(item, 2, 0, 1, 3, Qt::AlignBottom);
        break;
    case K::leading:
        grid->addWidget(item, 0, 0, 3, 1, Qt::AlignLeft);
        break;
    case K::trailing:
        grid->addWidget(item, 0, 2, 3, 1, Qt::AlignRight);
        break;
    case K::free:
        break;
    }
    grid->setRowStretch(kCentre, 1);
    grid->setColumnStretch(kCentre, 1);
    child->show();
}

void View::removeFromSuperview()
{
    auto super = superview_.lock();
    superview_.reset();
    if (!super)
        return;
    auto self = shared_from_this();
    auto& list = super->subviews_;
    list.erase(std::remove(list.begin(), list.end(), self), list.end());
    if (!widget_)
        return;
    QWidget* parent = widget_->parentWidget();
    widget_->hide();
    widget_->setParent(nullptr);
    if (parent && parent->property("kelvoraMarginWrapper").toBool())
        delete parent;
}

std::shared_ptr<Window> View::window() const
{
    if (!widget_)
        return nullptr;
    return Window::forWidget(widget_->window());
}

QRect View::frame() const
{
    return widget_ ? widget_->geometry() : QRect();
}

void View::setFrame(const QRect& frame)
{
    if (widget_)
        widget_->setGeometry(frame);
}

QSize View::fittingSize() const
{
    return widget_ ? widget_->sizeHint() : QSize();
}

void View::setFixedSize(QSize size)
{
    if (widget_)
        widget_->setFixedSize(size);
}

void View::setMinimumSize(QSize size)
{
    if (widget_)
        widget_->setMinimumSize(size);
}

std::string View::toolTip() const
{
    return widget_ ? widget_->toolTip().toStdString() : std::string();
}

void View::setToolTip(const std::string& text)
{
    if (widget_)
        widget_->setToolTip(QString::fromStdString(text));
}

} // namespace AppKit
