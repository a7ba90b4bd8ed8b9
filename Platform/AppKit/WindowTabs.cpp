#include "Platform/AppKit/Window.h"

#include "Platform/AppKit/WindowInternal.h"
#include "Platform/AppKit/WindowWidget.h"

#include <QTabBar>

#include <algorithm>

namespace AppKit {

void Window::addTabbedWindow(const WindowPtr& window, WindowOrderingMode ordered)
{
    if (!window || window.get() == this || ordered == WindowOrderingMode::out)
        return;
    if (window->tabGroup_) {
        window->tabGroup_->remove(window.get());
        window->tabGroup_->refresh();
    }
    if (!tabGroup_) {
        tabGroup_ = std::make_shared<TabGroup>();
        tabGroup_->windows.push_back(weak_from_this());
        tabGroup_->selected = weak_from_this();
    }
    auto& list = tabGroup_->windows;
    auto it = std::find_if(list.begin(), list.end(), [&](const std::weak_ptr<Window>& w) { return w.lock().get() == this; });
    if (ordered == WindowOrderingMode::above)
        ++it;
    list.insert(it, window);
    window->tabGroup_ = tabGroup_;
    window->setFrame(frame());
    if (ordered == WindowOrderingMode::above && isVisible())
        window->makeKeyAndOrderFront();
    else
        window->widget_->hide();
    tabGroup_->refresh();
}

std::vector<WindowPtr> Window::tabbedWindows() const
{
    if (!tabGroup_)
        return {};
    return tabGroup_->live();
}

bool Window::isSelectedTab() const
{
    return !tabGroup_ || tabGroup_->selected.lock().get() == this;
}

void Window::selectTab()
{
    if (!tabGroup_) {
        makeKeyAndOrderFront();
        return;
    }
    auto previous = tabGroup_->selected.lock();
    tabGroup_->selected = weak_from_this();
    if (previous && previous.get() != this && previous->widget_) {
        setFrame(previous->frame());
        previous->widget_->hide();
    }
    auto self = shared_from_this();
    auto& list = orderedWindowList();
    list.erase(std::remove(list.begin(), list.end(), self), list.end());
    list.insert(list.begin(), self);
    closed_ = false;
    const bool wasShown = appeared_;
    widget_->show();
    widget_->raise();
    widget_->activateWindow();
    didActivate();
    if (!wasShown)
        didShow();
    tabGroup_->refresh();
}

std::vector<std::string> Window::tabTitles() const
{
    std::vector<std::string> titles;
    for (const auto& w : tabbedWindows())
        titles.push_back(w->widget_->windowTitle().trimmed().isEmpty() ? w->title_
                                                                       : w->widget_->windowTitle().toStdString());
    return titles;
}

void Window::updateTabBar()
{
    if (!tabBar_)
        return;
    const auto windows = tabbedWindows();
    QSignalBlocker block(tabBar_);
    while (tabBar_->count() > 0)
        tabBar_->removeTab(0);
    for (size_t i = 0; i < windows.size(); ++i) {
        const auto& w = windows[i];
        tabBar_->addTab(QString::fromStdString(w->title_.empty() ? w->widget_->windowTitle().toStdString() : w->title_));
        if (w.get() == this)
            tabBar_->setCurrentIndex(static_cast<int>(i));
    }
    tabBar_->setVisible(windows.size() > 1);
}

} // namespace AppKit
