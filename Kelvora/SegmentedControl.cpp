#include "Kelvora/SegmentedControl.h"

#include "Platform/AppKit/Image.h"

#include <QHBoxLayout>
#include <QToolButton>

SegmentedControl::SegmentedControl(const std::vector<std::string>& imageNames)
{
    auto* layout = new QHBoxLayout(widget());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (const auto& name : imageNames) {
        auto* button = new QToolButton;
        button->setIcon(AppKit::Image::named(name));
        button->setAutoRaise(true);
        const int segment = static_cast<int>(buttons_.size());
        QObject::connect(button, &QToolButton::clicked, button, [this, segment] {
            selectedSegment_ = segment;
            if (action)
                action(*this);
        });
        layout->addWidget(button);
        buttons_.emplace_back(button);
    }
}

QToolButton* SegmentedControl::button(int segment) const
{
    if (segment < 0 || segment >= segmentCount())
        return nullptr;
    return buttons_[static_cast<size_t>(segment)];
}

bool SegmentedControl::isEnabled(int segment) const
{
    auto* b = button(segment);
    return b && b->isEnabled();
}

void SegmentedControl::setEnabled(bool enabled, int segment)
{
    if (auto* b = button(segment))
        b->setEnabled(enabled);
}
