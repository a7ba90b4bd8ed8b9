#include "Platform/AppKit/Window.h"

#include "Platform/AppKit/Toolbar.h"
#include "Platform/AppKit/WindowWidget.h"

#include <algorithm>

namespace AppKit {

void Window::registerStandardActions()
{
    // The window owns these handlers, so it outlives every call of them.
    setActionHandler(
        "performMiniaturize:", [this](Responder*) { widget_->showMinimized(); },
        [this] { return isStandardButtonEnabled(WindowButton::miniaturize); });
    setActionHandler(
        "toggleToolbarShown:", [this](Responder*) { toolbar_->setVisible(!toolbar_->isVisible()); },
        [this] { return toolbar_ != nullptr; });
    setActionHandler("makeKeyAndOrderFront:", [this](Responder*) {
        if (tabGroup_)
            selectTab();
        else
            makeKeyAndOrderFront();
    });
    auto stepTab = [this](int step) {
        const auto tabs = tabbedWindows();
        const auto it = std::find(tabs.begin(), tabs.end(), shared_from_this());
        if (tabs.size() < 2 || it == tabs.end())
            return;
        const auto count = static_cast<long>(tabs.size());
        tabs[static_cast<size_t>(((it - tabs.begin()) + step + count) % count)]->selectTab();
    };
    auto hasTabs = [this] { return tabbedWindows().size() > 1; };
    setActionHandler("selectNextTab:", [stepTab](Responder*) { stepTab(1); }, hasTabs);
    setActionHandler("selectPreviousTab:", [stepTab](Responder*) { stepTab(-1); }, hasTabs);
}

} // namespace AppKit
