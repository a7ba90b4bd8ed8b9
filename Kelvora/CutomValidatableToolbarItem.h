#pragma once
// A toolbar item whose control is enabled by the object that would receive
// its action.

#include "Kelvora/ToolbarItemValidation.h"
#include "Platform/AppKit/Toolbar.h"

#include <memory>

class CutomValidatableToolbarItem : public AppKit::ToolbarItem {
public:
    explicit CutomValidatableToolbarItem(std::string identifier);

    // Also remembered for validation (the base keeps its target to itself).
    void setTarget(std::weak_ptr<AppKit::Responder> target);

    void validate();

private:
    std::weak_ptr<AppKit::Responder> validationTarget_;
};
