#include "Platform/AppKit/Toolbar.h"

#include "Platform/AppKit/Application.h"
#include "Platform/AppKit/Image.h"
#include "Platform/AppKit/View.h"
#include "Platform/Dispatch/Dispatch.h"

#include <QAction>
#include <QSizePolicy>
#include <QToolBar>
#include <QWidget>

namespace AppKit {

ToolbarItem::ToolbarItem(std::string identifier)
    : identifier_(std::move(identifier))
    , action_ptr_(new QAction)
{
    QObject::connect(action_ptr_, &QAction::triggered, action_ptr_, [this] { performClick(); });
    action_ptr_->setObjectName(QString::fromStdString(identifier_));
}

ToolbarItem::~ToolbarItem()
{
    delete action_ptr_;
}

void ToolbarItem::setLabel(std::string label)
{
    label_ = std::move(label);
    action_ptr_->setText(QString::fromStdString(label_));
    if (toolTip_.empty())
        action_ptr_->setToolTip(QString::fromStdString(label_));
}

void ToolbarItem::setToolTip(std::string text)
{
    toolTip_ = std::move(text);
    action_ptr_->setToolTip(QString::fromStdString(toolTip_));
}

void ToolbarItem::setImageName(std::string name)
{
    imageName_ = std::move(name);
    action_ptr_->setIcon(Image::named(imageName_));
}

void ToolbarItem::setView(std::shared_ptr<View> view)
{
    view_ = std::move(view);
}

void ToolbarItem::setEnabled(bool enabled)
{
    enabled_ = enabled;
    action_ptr_->setEnabled(enabled);
    if (view_ && view_->widget())
        view_->widget()->setEnabled(enabled);
}

void ToolbarItem::performClick()
{
    Dispatch::assertMainThread("ToolbarItem::performClick");
    if (!enabled_ || action_.empty())
        return;
    auto keep = shared_from_this();
    auto target = target_.lock();
    Application::shared().sendAction(action_, target.get(), this);
}

Toolbar::Toolbar(std::string identifier)
    : identifier_(std::move(identifier))
{
}

Toolbar::~Toolbar()
{
    if (bar_ && !bar_->parent())
        delete bar_.data();
}

void Toolbar::setDelegate(const std::shared_ptr<ToolbarDelegate>& delegate)
{
    delegate_ = delegate;
    rebuild();
}

ToolbarItemPtr Toolbar::itemWithIdentifier(const std::string& identifier) const
{
    for (const auto& item : items_)
        if (item->itemIdentifier() == identifier)
            return item;
    return nullptr;
}

void Toolbar::setVisible(bool visible)
{
    visible_ = visible;
    if (bar_)
        bar_->setVisible(visible);
}

QToolBar* Toolbar::qtToolBar()
{
    if (!bar_) {
        bar_ = new QToolBar;
        bar_->setObjectName(QString::fromStdString(identifier_));
        bar_->setMovable(false);
        bar_->setFloatable(false);
        bar_->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        bar_->toggleViewAction()->setVisible(false);
        populate();
    }
    return bar_;
}

void Toolbar::rebuild()
{
    auto delegate = delegate_.lock();
    items_.clear();
    layout_.clear();
    if (delegate) {
        for (const auto& identifier : delegate->toolbarDefaultItemIdentifiers(*this)) {
            if (identifier == ToolbarFlexibleSpaceItemIdentifier || identifier == ToolbarSpaceItemIdentifier) {
                layout_.push_back(identifier);
                continue;
            }
            if (auto item = delegate->toolbarItemForIdentifier(*this, identifier, true)) {
                items_.push_back(item);
                layout_.push_back(identifier);
            }
        }
    }
    populate();
}

void Toolbar::populate()
{
    if (!bar_)
        return;
    bar_->clear();
    for (const auto& identifier : layout_) {
        if (identifier == ToolbarFlexibleSpaceItemIdentifier || identifier == ToolbarSpaceItemIdentifier) {
            auto* spacer = new QWidget;
            if (identifier == ToolbarFlexibleSpaceItemIdentifier)
                spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
            else
                spacer->setFixedWidth(16);
            bar_->addWidget(spacer);
            continue;
        }
        auto item = itemWithIdentifier(identifier);
        if (auto view = item->view(); view && view->widget())
            bar_->addWidget(view->widget());
        else
            bar_->addAction(item->qtAction());
    }
}

} // namespace AppKit
