#include "Platform/AppKit/Menu.h"

#include "Platform/AppKit/Application.h"
#include "Platform/AppKit/Window.h"
#include "Platform/Dispatch/Dispatch.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

#include <algorithm>

namespace AppKit {

MenuItem::MenuItem(std::string title, Selector action, std::string keyEquivalent)
    : title_(std::move(title))
    , action_(std::move(action))
    , action_ptr_(new QAction(QString::fromStdString(title_)))
{
    if (!keyEquivalent.empty())
        action_ptr_->setShortcut(QKeySequence(QString::fromStdString(keyEquivalent)));
    QObject::connect(action_ptr_, &QAction::triggered, action_ptr_, [this] { performClick(); });
}

std::shared_ptr<MenuItem> MenuItem::separator()
{
    auto item = std::make_shared<MenuItem>(std::string());
    item->separator_ = true;
    item->action_ptr_->setSeparator(true);
    return item;
}

MenuItem::~MenuItem()
{
    delete action_ptr_;
}

void MenuItem::setTitle(std::string title)
{
    title_ = std::move(title);
    action_ptr_->setText(QString::fromStdString(title_));
}

void MenuItem::setSubmenu(std::shared_ptr<Menu> menu)
{
    submenu_ = std::move(menu);
    action_ptr_->setMenu(submenu_ ? submenu_->qtMenu() : nullptr);
}

bool MenuItem::isEnabled() const
{
    if (!enabled_)
        return false;
    if (submenu_ || separator_ || action_.empty())
        return submenu_ != nullptr;
    auto target = target_.lock();
    Responder* responder = Application::shared().targetForAction(action_, target.get(), nullptr);
    return responder && responder->validate(action_);
}

void MenuItem::setEnabled(bool enabled)
{
    enabled_ = enabled;
    action_ptr_->setEnabled(isEnabled());
}

bool MenuItem::isChecked() const
{
    return action_ptr_->isChecked();
}

void MenuItem::setChecked(bool checked)
{
    action_ptr_->setCheckable(true);
    action_ptr_->setChecked(checked);
}

void MenuItem::performClick()
{
    Dispatch::assertMainThread("MenuItem::performClick");
    if (!isEnabled())
        return;
    auto keep = shared_from_this();
    auto target = target_.lock();
    Application::shared().sendAction(action_, target.get(), this);
}

Menu::Menu(std::string title)
    : title_(std::move(title))
    , menu_(new QMenu(QString::fromStdString(title_)))
{
    QObject::connect(menu_, &QMenu::aboutToShow, menu_, [this] {
        if (needsUpdate_)
            needsUpdate_(*this);
        update();
    });
}

Menu::~Menu()
{
    // The items' actions go with the items; the menu must not outlive them in a bar.
    for (const auto& item : items_)
        menu_->removeAction(item->qtAction());
    delete menu_;
}

void Menu::addItem(const MenuItemPtr& item)
{
    items_.push_back(item);
    menu_->addAction(item->qtAction());
}

void Menu::removeItem(const MenuItemPtr& item)
{
    auto it = std::find(items_.begin(), items_.end(), item);
    if (it == items_.end())
        return;
    menu_->removeAction(item->qtAction());
    items_.erase(it);
}

std::shared_ptr<Menu> Menu::addSubmenu(const std::string& title)
{
    auto submenu = std::make_shared<Menu>(title);
    auto item = std::make_shared<MenuItem>(title);
    item->setSubmenu(submenu);
    addItem(item);
    return submenu;
}

MenuItemPtr Menu::itemWithTitle(const std::string& title) const
{
    for (const auto& item : items_)
        if (item->title() == title)
            return item;
    return nullptr;
}

MenuItemPtr Menu::itemWithAction(const Selector& action) const
{
    for (const auto& item : items_) {
        if (!item->action().empty() && item->action() == action)
            return item;
        if (auto sub = item->submenu())
            if (auto found = sub->itemWithAction(action))
                return found;
    }
    return nullptr;
}

void Menu::update()
{
    for (const auto& item : items_)
        if (!item->isSeparator())
            item->qtAction()->setEnabled(item->isEnabled());
}

void Menu::installMenuBar(Window& window)
{
    auto menu = Application::shared().mainMenu();
    QMainWindow* widget = window.widget();
    if (!widget)
        return;
    if (!window.carriesMenuBar()) {
        widget->setMenuWidget(nullptr);
        return;
    }
    QMenuBar* bar = widget->menuBar();
    bar->clear();
    if (!menu)
        return;
    for (const auto& item : menu->items())
        if (auto sub = item->submenu())
            bar->addMenu(sub->qtMenu());
}

} // namespace AppKit
