#pragma once
// Stand-in for the platform's path control: a row of items (title and
// image) separated by chevrons. A click on an item makes it the clicked item
// and sends the action, to the target or, without one, along the responder
// chain. The control is as wide as its items; put it in a ScrollView to
// keep a long path's end in sight.

#include "Platform/AppKit/View.h"

#include <QIcon>

#include <memory>
#include <string>
#include <vector>

class QHBoxLayout;

namespace AppKit {

struct PathControlItem {
    std::string title;
    QIcon image;
};

using PathControlItemPtr = std::shared_ptr<PathControlItem>;

class PathControl : public View {
public:
    static std::shared_ptr<PathControl> make();
    PathControl();

    // Items are told apart by identity, as the platform's objects are.
    const std::vector<PathControlItemPtr>& pathItems() const { return items_; }
    void setPathItems(std::vector<PathControlItemPtr> items);
    // The item of the click being handled (or the last one); none before any.
    PathControlItemPtr clickedPathItem() const { return clicked_; }

    void setTarget(std::weak_ptr<Responder> target) { target_ = std::move(target); }
    void setAction(Selector action) { action_ = std::move(action); }
    const Selector& action() const { return action_; }

    // As a click on the item at the index (the test driver); false when
    // there is no such item.
    bool clickItem(int index);
    // The button showing the item at the index.
    QWidget* itemWidget(int index) const;

private:
    void rebuild();

    std::vector<PathControlItemPtr> items_;
    std::vector<QWidget*> buttons_;
    PathControlItemPtr clicked_;
    std::weak_ptr<Responder> target_;
    Selector action_;
    QHBoxLayout* row_ = nullptr;
};

using PathControlPtr = std::shared_ptr<PathControl>;

} // namespace AppKit
