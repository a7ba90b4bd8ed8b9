#pragma once
// Stand-in for the platform's window controller: owns one window, loaded on
// first use (windowWillLoad, loadWindow, windowDidLoad), shows and closes it.

#include "Platform/AppKit/Responder.h"
#include "Platform/AppKit/Window.h"

#include <memory>
#include <string>

namespace AppKit {

class WindowController : public Responder, public std::enable_shared_from_this<WindowController> {
public:
    WindowController() = default;
    // With a window made by the caller.
    explicit WindowController(WindowPtr window);
    // With the name of the window's form ("nib"); subclasses build that
    // window in loadWindow().
    explicit WindowController(std::string windowNibName);
    ~WindowController() override;

    WindowPtr window();
    void setWindow(WindowPtr window);
    bool isWindowLoaded() const { return static_cast<bool>(window_); }
    const std::string& windowNibName() const { return nibName_; }

    std::shared_ptr<ViewController> contentViewController();
    void setContentViewController(const std::shared_ptr<ViewController>& controller);

    // Shows the window in front, as key.
    void showWindow(Responder* sender = nullptr);
    void close();

    // Applies the name to the window when it loads (now when loaded).
    void setWindowFrameAutosaveName(std::string name);
    const std::string& windowFrameAutosaveName() const { return autosaveName_; }

protected:
    virtual void windowWillLoad() {}
    // Builds the window; the default makes a plain titled window.
    virtual void loadWindow();
    virtual void windowDidLoad() {}

private:
    WindowPtr window_;
    std::string nibName_;
    std::string autosaveName_;
    bool loading_ = false;
};

using WindowControllerPtr = std::shared_ptr<WindowController>;

} // namespace AppKit
