#include "Kelvora/ToolbarItemGroup.h"

#include <QHBoxLayout>
#include <QWidget>

ToolbarItemGroup::ToolbarItemGroup(std::string identifier)
    : AppKit::ToolbarItem(std::move(identifier))
{
}

std::shared_ptr<ToolbarItemGroup> ToolbarItemGroup::groupWithItemIdentifier(
    const std::string& identifier, const std::vector<std::string>& titles, ToolbarItemGroupSelectionMode,
    const std::vector<std::string>& labels, std::weak_ptr<AppKit::Responder> target, AppKit::Selector action)
{
    auto group = std::make_shared<ToolbarItemGroup>(identifier);
    std::weak_ptr<ToolbarItemGroup> weakGroup = group;
    group->control_ = AppKit::SegmentedControl::segmentedControlWithLabels(titles, [weakGroup] {
        if (auto self = weakGroup.lock())
            self->performClick();
    });
    if (!labels.empty())
        group->setLabel(labels.front());
    group->setTarget(std::move(target));
    group->setAction(std::move(action));

    // Stretches on both sides keep the segments in the middle of the bar.
    auto holder = AppKit::View::make();
    holder->widget()->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    auto* layout = new QHBoxLayout(holder->widget());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addStretch();
    layout->addWidget(group->control_->widget());
    layout->addStretch();
    group->setView(holder);
    return group;
}
