#pragma once
// State the window's files share: the tab groups and the list of shown
// windows. Internal to the layer.

#include "Platform/AppKit/Window.h"

#include <memory>
#include <vector>

namespace AppKit {

// The windows of one tab group, in tab order; one of them is shown.
class TabGroup {
public:
    std::vector<std::weak_ptr<Window>> windows;
    std::weak_ptr<Window> selected;

    std::vector<WindowPtr> live() const
    {
        std::vector<WindowPtr> out;
        for (const auto& w : windows)
            if (auto p = w.lock())
                out.push_back(p);
        return out;
    }
    void remove(const Window* window)
    {
        windows.erase(std::remove_if(windows.begin(), windows.end(),
                                     [&](const std::weak_ptr<Window>& w) {
                                         auto p = w.lock();
                                         return !p || p.get() == window;
                                     }),
                      windows.end());
    }
    void refresh()
    {
        for (const auto& w : live())
            w->updateTabBar();
    }
};

// Front to back; a shown window stays in this list (and alive) until closed.
std::vector<WindowPtr>& orderedWindowList();

} // namespace AppKit
