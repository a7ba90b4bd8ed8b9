#pragma once
// Window controllers that give their window the common look: the backdrop
// and the application's title; NoZoomWindowController also disables zoom.

#include "Platform/AppKit/WindowController.h"

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

class NoZoomWindowController : public CommonWindowController {
public:
    using CommonWindowController::CommonWindowController;

protected:
    void windowDidLoad() override;
};
