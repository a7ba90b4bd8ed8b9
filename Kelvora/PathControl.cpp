#include "Kelvora/PathControl.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>

PathControl::PathControl(QWidget* parent) : QWidget(parent), layout_(new QHBoxLayout(this))
{
    layout_->setContentsMargins(4, 0, 4, 0);
    layout_->setSpacing(2);
    layout_->addStretch(1);
}

void PathControl::setPathItems(std::vector<Item> items)
{
    while (layout_->count() > 1) {
        auto* entry = layout_->takeAt(0);
        delete entry->widget();
        delete entry;
    }
    buttons_.clear();
    items_ = std::move(items);
    for (size_t i = 0; i < items_.size(); ++i) {
        if (i > 0)
            layout_->insertWidget(layout_->count() - 1, new QLabel(QStringLiteral("›"), this));
        auto* button = new QToolButton(this);
        button->setAutoRaise(true);
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        button->setText(QString::fromStdString(items_[i].title));
        button->setIcon(items_[i].image);
        const int index = static_cast<int>(i);
        connect(button, &QToolButton::clicked, this, [this, index] { clickItem(index); });
        layout_->insertWidget(layout_->count() - 1, button);
        buttons_.push_back(button);
    }
    adjustSize();
}

void PathControl::clickItem(int index)
{
    clicked_ = index;
    if (action)
        action(*this);
    clicked_ = -1;
}

QToolButton* PathControl::button(int index) const
{
    return index >= 0 && index < static_cast<int>(buttons_.size()) ? buttons_[static_cast<size_t>(index)] : nullptr;
}
