#pragma once
// What an action's receiver adopts to decide whether a toolbar item that
// sends it is enabled (the UI layer has no such protocol of its own).

#include "Platform/AppKit/Toolbar.h"
#include "Platform/AppKit/Window.h"

class ToolbarItemValidation {
public:
    virtual ~ToolbarItemValidation() = default;
    virtual bool validateToolbarItem(AppKit::ToolbarItem& item) = 0;
};

// Validates every item of the window's toolbar that validates itself.
void validateVisibleToolbarItems(AppKit::Window& window);
