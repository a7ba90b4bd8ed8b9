#include "Tiberly/Panels.h"

#include "Platform/AppKit/Window.h"

namespace Tiberly {

namespace {

void run(const AppKit::SavePanelPtr& panel, AppKit::ViewController* controller,
         std::function<void(AppKit::ModalResponse)> completion)
{
    auto window = controller ? controller->window() : nullptr;
    if (window)
        panel->beginSheetModal(window, std::move(completion));
    else
        panel->begin(std::move(completion));
}

} // namespace

void openItems(const AppKit::OpenPanelPtr& panel, AppKit::ViewController* controller, std::function<void()> cancelled,
               std::function<void(std::vector<std::string>)> handler)
{
    if (!panel)
        return;
    std::weak_ptr<AppKit::OpenPanel> weakPanel = panel;
    run(panel, controller,
        [weakPanel, cancelled = std::move(cancelled), handler = std::move(handler)](AppKit::ModalResponse response) {
            auto panel = weakPanel.lock();
            if (response == AppKit::ModalResponseOK && panel && !panel->urls().empty()) {
                if (handler)
                    handler(panel->urls());
            } else if (cancelled) {
                cancelled();
            }
        });
}

void saveFile(const AppKit::SavePanelPtr& panel, AppKit::ViewController* controller, std::function<void()> cancelled,
              std::function<void(std::string)> handler)
{
    if (!panel)
        return;
    std::weak_ptr<AppKit::SavePanel> weakPanel = panel;
    run(panel, controller,
        [weakPanel, cancelled = std::move(cancelled), handler = std::move(handler)](AppKit::ModalResponse response) {
            auto panel = weakPanel.lock();
            auto url = panel ? panel->url() : std::nullopt;
            if (response == AppKit::ModalResponseOK && url) {
                if (handler)
                    handler(*url);
            } else if (cancelled) {
                cancelled();
            }
        });
}

} // namespace Tiberly
