#pragma once
// A toolbar item made of titled segments, one selected at a time (the UI
// layer's toolbar has no item groups). Choosing a segment sends the item's
// action with the item as sender; the group centres itself in the bar.

#include "Platform/AppKit/Controls.h"
#include "Platform/AppKit/Toolbar.h"

#include <memory>
#include <string>
#include <vector>

enum class ToolbarItemGroupSelectionMode { selectOne = 0 };

class ToolbarItemGroup : public AppKit::ToolbarItem {
public:
    static std::shared_ptr<ToolbarItemGroup> groupWithItemIdentifier(const std::string& identifier,
                                                                     const std::vector<std::string>& titles,
                                                                     ToolbarItemGroupSelectionMode selectionMode,
                                                                     const std::vector<std::string>& labels,
                                                                     std::weak_ptr<AppKit::Responder> target,
                                                                     AppKit::Selector action);
    explicit ToolbarItemGroup(std::string identifier);

    int selectedIndex() const { return control_->selectedSegment(); }
    void setSelectedIndex(int index) { control_->setSelectedSegment(index); }
    const std::shared_ptr<AppKit::SegmentedControl>& control() const { return control_; }

private:
    std::shared_ptr<AppKit::SegmentedControl> control_;
};
