#include "Platform/AppKit/PathControl.h"

#include "Platform/AppKit/Application.h"
#include "Platform/Dispatch/Dispatch.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>

namespace AppKit {

std::shared_ptr<PathControl> PathControl::make()
{
    return std::make_shared<PathControl>();
}

PathControl::PathControl()
{
    row_ = new QHBoxLayout(widget());
    row_->setContentsMargins(2, 0, 2, 0);
    row_->setSpacing(0);
    widget()->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void PathControl::setPathItems(std::vector<PathControlItemPtr> items)
{
    Dispatch::assertMainThread("PathControl::setPathItems");
    items_ = std::move(items);
    rebuild();
}

void PathControl::rebuild()
{
    // Later, not now: the click being handled may be one of these buttons.
    while (QLayoutItem* item = row_->takeAt(0)) {
        item->widget()->hide();
        item->widget()->deleteLater();
        delete item;
    }
    buttons_.clear();
    for (size_t i = 0; i < items_.size(); ++i) {
        if (i > 0) {
            auto* chevron = new QLabel(QStringLiteral("›"));
            chevron->setContentsMargins(2, 0, 2, 0);
            row_->addWidget(chevron);
            chevron->show();
        }
        auto* button = new QToolButton;
        button->setAutoRaise(true);
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        button->setText(QString::fromStdString(items_[i]->title));
        button->setIcon(items_[i]->image);
        button->setIconSize({16, 16});
        const int index = static_cast<int>(i);
        QObject::connect(button, &QToolButton::clicked, button, [weak = weak_from_this(), index] {
            if (auto self = std::static_pointer_cast<PathControl>(weak.lock()))
                self->clickItem(index);
        });
        row_->addWidget(button);
        // Shown now rather than when the layout gets round to it, so that
        // the control's size counts them at once.
        button->show();
        buttons_.push_back(button);
    }
    widget()->adjustSize();
}

bool PathControl::clickItem(int index)
{
    Dispatch::assertMainThread("PathControl::clickItem");
    if (index < 0 || index >= static_cast<int>(items_.size()))
        return false;
    clicked_ = items_[index];
    // The handler may replace the items (and so the button being clicked).
    auto keep = shared_from_this();
    if (!action_.empty())
        Application::shared().sendAction(action_, target_.lock().get(), this);
    return true;
}

QWidget* PathControl::itemWidget(int index) const
{
    return index >= 0 && index < static_cast<int>(buttons_.size()) ? buttons_[index] : nullptr;
}

} // namespace AppKit
