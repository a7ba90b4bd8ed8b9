#pragma once
// Window controllers that give their window the common look: the backdrop
// and the application's title; NoZoomWindowController also disables zoom.

#include "Platform/AppKit/WindowController.h"

#include <string>

class CommonWindowController : public AppKit::WindowController {
public:
    CommonWindowController() = default;
    explicit CommonWindowController(AppKit::WindowPtr window);

    // A controller of the class with a window: it is loaded at once
    // (windowWillLoad, then windowDidLoad of the class itself).
    template <class Controller>
    static std::shared_ptr<Controller> make(AppKit::WindowPtr window)
    {
        auto controller = std::make_shared<Controller>(std::move(window));
        static_cast<CommonWindowController&>(*controller).finishLoadingWindow();
        return controller;
    }

protected:
    void windowDidLoad() override;
    // A constructor cannot reach the overrides of a subclass, so loading
    // waits until the object is complete (and owned by a shared_ptr).
    void finishLoadingWindow();
};

// Gives the controller's window its frame autosave name. A frame kept from
// an earlier run stays where it was if all of it is on the screen's
// available area; otherwise the window is fitted into that area and
// centred, so that no part of it opens off screen or pushed into a corner.
void setFrameAutosaveNameOnScreen(AppKit::WindowController& controller, const std::string& name);

class NoZoomWindowController : public CommonWindowController {
public:
    using CommonWindowController::CommonWindowController;

protected:
    void windowDidLoad() override;
};
