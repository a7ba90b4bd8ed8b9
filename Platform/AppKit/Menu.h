#pragma once
// Stand-in for the platform's menus, built in code. Every main window (not
// an alert, prompt or sheet) shows the application's main menu as its menu
// bar; an item without a target sends
// its action through the responder chain and is enabled when some
// responder there handles (and validates) the action.

#include "Platform/AppKit/Responder.h"

#include <QPointer>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QMenu;

namespace AppKit {

class Menu;
class Window;

class MenuItem : public Responder, public std::enable_shared_from_this<MenuItem> {
public:
    // keyEquivalent: a Qt key sequence text ("Ctrl+O").
    MenuItem(std::string title, Selector action = {}, std::string keyEquivalent = {});
    static std::shared_ptr<MenuItem> separator();
    ~MenuItem() override;

    const std::string& title() const { return title_; }
    void setTitle(std::string title);
    const Selector& action() const { return action_; }
    void setAction(Selector action) { action_ = std::move(action); }
    void setTarget(std::weak_ptr<Responder> target) { target_ = std::move(target); }
    long tag() const { return tag_; }
    void setTag(long tag) { tag_ = tag; }
    bool isSeparator() const { return separator_; }

    std::shared_ptr<Menu> submenu() const { return submenu_; }
    void setSubmenu(std::shared_ptr<Menu> menu);

    // An item with a target is enabled by this flag; one without follows
    // the responder chain (and this flag).
    bool isEnabled() const;
    void setEnabled(bool enabled);
    // The item's on state, shown as a check mark.
    bool isChecked() const;
    void setChecked(bool checked);

    // Sends the action, as choosing the item does.
    void performClick();
    QAction* qtAction() const { return action_ptr_; }

private:
    std::string title_;
    Selector action_;
    std::weak_ptr<Responder> target_;
    long tag_ = 0;
    bool separator_ = false;
    bool enabled_ = true;
    std::shared_ptr<Menu> submenu_;
    QAction* action_ptr_;
};

using MenuItemPtr = std::shared_ptr<MenuItem>;

class Menu : public std::enable_shared_from_this<Menu> {
public:
    explicit Menu(std::string title = {});
    ~Menu();

    const std::string& title() const { return title_; }
    void addItem(const MenuItemPtr& item);
    void removeItem(const MenuItemPtr& item);
    // Adds an item with a submenu of this title and returns the submenu.
    std::shared_ptr<Menu> addSubmenu(const std::string& title);
    const std::vector<MenuItemPtr>& items() const { return items_; }
    MenuItemPtr itemWithTitle(const std::string& title) const;
    // Searches submenus too.
    MenuItemPtr itemWithAction(const Selector& action) const;

    // Enables each item as its target or the responder chain allows.
    void update();
    // Runs each time the menu is about to open, before the items are
    // enabled: for menus whose items follow the application's state.
    void setMenuNeedsUpdate(std::function<void(Menu&)> handler) { needsUpdate_ = std::move(handler); }

    QMenu* qtMenu() const { return menu_; }
    // Gives the window a menu bar with the application's main menu when it
    // carries one, and takes it away when it does not.
    static void installMenuBar(Window& window);

private:
    std::string title_;
    std::vector<MenuItemPtr> items_;
    std::function<void(Menu&)> needsUpdate_;
    QMenu* menu_;
};

using MenuPtr = std::shared_ptr<Menu>;

} // namespace AppKit
