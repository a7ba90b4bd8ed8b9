#pragma once
// The kit's panel helpers: run a configured panel as a sheet on the
// controller's window (on its own when the controller is in no window) and
// hand over the choice. Each callback runs on the main thread, at most once:
// the handler after OK (a save panel has asked about replacing by then),
// the cancel callback, when given, after Cancel.

#include "Platform/AppKit/Panels.h"
#include "Platform/AppKit/ViewController.h"

#include <functional>
#include <string>
#include <vector>

namespace Tiberly {

// The handler gets at least one path, in the panel's order.
void openItems(const AppKit::OpenPanelPtr& panel, AppKit::ViewController* controller, std::function<void()> cancelled,
               std::function<void(std::vector<std::string> urls)> handler);
void saveFile(const AppKit::SavePanelPtr& panel, AppKit::ViewController* controller, std::function<void()> cancelled,
              std::function<void(std::string url)> handler);

} // namespace Tiberly
