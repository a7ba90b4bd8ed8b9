#include "Platform/AppKit/WindowController.h"

#include "Platform/AppKit/ViewController.h"
#include "Platform/Dispatch/Dispatch.h"

namespace AppKit {

WindowController::WindowController(WindowPtr window)
{
    window_ = std::move(window);
}

WindowController::WindowController(std::string windowNibName)
    : nibName_(std::move(windowNibName))
{
}

WindowController::~WindowController() = default;

WindowPtr WindowController::window()
{
    Dispatch::assertMainThread("WindowController::window");
    if (!window_ && !loading_) {
        loading_ = true;
        windowWillLoad();
        loadWindow();
        if (!window_)
            window_ = Window::make();
        window_->windowController_ = weak_from_this();
        if (!autosaveName_.empty())
            window_->setFrameAutosaveName(autosaveName_);
        loading_ = false;
        windowDidLoad();
    } else if (window_ && window_->windowController_.expired()) {
        window_->windowController_ = weak_from_this();
    }
    return window_;
}

void WindowController::setWindow(WindowPtr window)
{
    window_ = std::move(window);
    if (window_) {
        window_->windowController_ = weak_from_this();
        if (!autosaveName_.empty())
            window_->setFrameAutosaveName(autosaveName_);
    }
}

void WindowController::loadWindow()
{
    window_ = Window::make();
}

std::shared_ptr<ViewController> WindowController::contentViewController()
{
    return window()->contentViewController();
}

void WindowController::setContentViewController(const std::shared_ptr<ViewController>& controller)
{
    window()->setContentViewController(controller);
}

void WindowController::showWindow(Responder*)
{
    window()->makeKeyAndOrderFront();
}

void WindowController::close()
{
    if (window_)
        window_->close();
}

void WindowController::setWindowFrameAutosaveName(std::string name)
{
    autosaveName_ = std::move(name);
    if (window_)
        window_->setFrameAutosaveName(autosaveName_);
}

} // namespace AppKit
