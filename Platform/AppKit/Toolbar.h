#pragma once
// Stand-in for the platform's toolbar: items with identifiers, labels,
// images, enabled state and target/action, given by a delegate for the
// identifiers the toolbar shows, over a QToolBar.

#include "Platform/AppKit/Responder.h"

#include <QPointer>

#include <memory>
#include <string>
#include <vector>

class QAction;
class QToolBar;
class QWidget;

namespace AppKit {

class Toolbar;
class View;

class ToolbarItem : public Responder, public std::enable_shared_from_this<ToolbarItem> {
public:
    explicit ToolbarItem(std::string identifier);
    ~ToolbarItem() override;

    const std::string& itemIdentifier() const { return identifier_; }
    std::string label() const { return label_; }
    void setLabel(std::string label);
    std::string toolTip() const { return toolTip_; }
    void setToolTip(std::string text);
    // A named image or symbol, shown as the theme icon it maps to.
    void setImageName(std::string name);
    const std::string& imageName() const { return imageName_; }
    // A custom view (a search field, a segmented control) instead of a button.
    void setView(std::shared_ptr<View> view);
    std::shared_ptr<View> view() const { return view_; }

    bool isEnabled() const { return enabled_; }
    void setEnabled(bool enabled);

    // Without a target, the action goes to the responder chain.
    void setTarget(std::weak_ptr<Responder> target) { target_ = std::move(target); }
    void setAction(Selector action) { action_ = std::move(action); }
    const Selector& action() const { return action_; }

    // As a click: sends the action when enabled.
    void performClick();
    QAction* qtAction() const { return action_ptr_; }

private:
    std::string identifier_;
    std::string label_;
    std::string toolTip_;
    std::string imageName_;
    std::shared_ptr<View> view_;
    bool enabled_ = true;
    std::weak_ptr<Responder> target_;
    Selector action_;
    QAction* action_ptr_ = nullptr;
};

using ToolbarItemPtr = std::shared_ptr<ToolbarItem>;

// Special identifiers.
inline constexpr const char* ToolbarFlexibleSpaceItemIdentifier = "NSToolbarFlexibleSpaceItem";
inline constexpr const char* ToolbarSpaceItemIdentifier = "NSToolbarSpaceItem";

class ToolbarDelegate {
public:
    virtual ~ToolbarDelegate() = default;
    virtual ToolbarItemPtr toolbarItemForIdentifier(Toolbar& toolbar, const std::string& identifier,
                                                    bool willBeInsertedIntoToolbar) = 0;
    virtual std::vector<std::string> toolbarDefaultItemIdentifiers(Toolbar& toolbar) = 0;
    virtual std::vector<std::string> toolbarAllowedItemIdentifiers(Toolbar& toolbar)
    {
        return toolbarDefaultItemIdentifiers(toolbar);
    }
};

class Toolbar : public std::enable_shared_from_this<Toolbar> {
public:
    explicit Toolbar(std::string identifier);
    ~Toolbar();

    const std::string& identifier() const { return identifier_; }
    std::shared_ptr<ToolbarDelegate> delegate() const { return delegate_.lock(); }
    // Builds the items of the delegate's default identifiers.
    void setDelegate(const std::shared_ptr<ToolbarDelegate>& delegate);

    const std::vector<ToolbarItemPtr>& items() const { return items_; }
    ToolbarItemPtr itemWithIdentifier(const std::string& identifier) const;

    bool isVisible() const { return visible_; }
    void setVisible(bool visible);

    QToolBar* qtToolBar();

private:
    void rebuild();
    void populate();

    std::string identifier_;
    std::weak_ptr<ToolbarDelegate> delegate_;
    std::vector<ToolbarItemPtr> items_;
    std::vector<std::string> layout_;
    bool visible_ = true;
    QPointer<QToolBar> bar_;
};

using ToolbarPtr = std::shared_ptr<Toolbar>;

} // namespace AppKit
