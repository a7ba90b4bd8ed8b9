#pragma once
// An open panel for a view controller's window: a window-modal,
// non-native file dialog recorded as the window's attached panel. The
// handler gets the chosen paths; cancelling calls nothing. (The kit's
// open-panel helper is not there yet.)

#include "Platform/AppKit/ViewController.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

struct OpenPanelOptions {
    bool canChooseFiles = true;
    bool canChooseDirectories = false;
    bool allowsMultipleSelection = false;
    std::optional<std::string> directory;
};

void openItems(AppKit::ViewController& controller, const OpenPanelOptions& options,
               std::function<void(std::vector<std::string> paths)> handler);
