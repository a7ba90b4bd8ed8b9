#pragma once
// Stand-in for the platform's application object: the delegate and its
// launch, reopen, open-file and terminate events, the windows front to
// back, the responder chain and the menu bar. run() hands control to the
// Qt event loop.

#include "Platform/AppKit/Responder.h"
#include "Platform/AppKit/Window.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace AppKit {

class Menu;
class SingleInstance;

enum class TerminateReply { terminateCancel, terminateNow, terminateLater };

class ApplicationDelegate : public Responder {
public:
    virtual void applicationWillFinishLaunching() {}
    virtual void applicationDidFinishLaunching() {}
    // A second launch, or the desktop activating the program again.
    virtual bool applicationShouldHandleReopen(bool hasVisibleWindows)
    {
        (void)hasVisibleWindows;
        return true;
    }
    // Files handed to the program: on its command line, by the desktop, or
    // by a second launch. The default opens each with applicationOpenFile.
    virtual void applicationOpenFiles(const std::vector<std::string>& paths);
    virtual bool applicationOpenFile(const std::string& path)
    {
        (void)path;
        return false;
    }
    virtual TerminateReply applicationShouldTerminate() { return TerminateReply::terminateNow; }
    virtual void applicationWillTerminate() {}
    virtual bool applicationShouldTerminateAfterLastWindowClosed() { return false; }
};

class Application : public Responder {
public:
    // The process's application (needs the QApplication to exist).
    static Application& shared();

    std::shared_ptr<ApplicationDelegate> delegate() const { return delegate_; }
    void setDelegate(std::shared_ptr<ApplicationDelegate> delegate) { delegate_ = std::move(delegate); }

    // Finishes launching (delegate, then the files given before or with the
    // launch), then runs the event loop until terminate. Returns the exit code.
    int run(const std::vector<std::string>& openPaths = {});
    bool isRunning() const { return launched_; }

    // Visible windows front to back.
    std::vector<WindowPtr> orderedWindows() const { return Window::orderedWindows(); }
    std::vector<WindowPtr> windows() const { return Window::orderedWindows(); }
    WindowPtr keyWindow() const { return Window::keyWindow(); }
    WindowPtr mainWindow() const;

    // The responder that handles the action: the explicit target when it
    // does, else the first in the chain from the key window's focused view
    // (each view, then the controller whose view it is), the window, its
    // window controller, this application and its delegate.
    Responder* targetForAction(const Selector& action, Responder* to = nullptr, Responder* from = nullptr) const;
    bool sendAction(const Selector& action, Responder* to, Responder* from);

    void setMainMenu(std::shared_ptr<Menu> menu);
    std::shared_ptr<Menu> mainMenu() const { return mainMenu_; }

    // Delivers files as the desktop does (delegate's open-file events); the
    // ones given before launching finished wait for it.
    void openFiles(const std::vector<std::string>& paths);
    // A reopen event: asks the delegate with whether any window is visible.
    void reopen();

    // Asks the delegate, then ends the event loop (or waits for
    // replyToApplicationShouldTerminate after terminateLater).
    void terminate(Responder* sender = nullptr);
    void replyToApplicationShouldTerminate(bool shouldTerminate);
    bool isTerminating() const { return awaitingTerminateReply_; }

    // Brings the front window forward.
    void activate();

private:
    Application();
    void finishTermination();

    std::shared_ptr<ApplicationDelegate> delegate_;
    std::shared_ptr<Menu> mainMenu_;
    std::vector<std::string> pendingPaths_;
    bool launched_ = false;
    bool awaitingTerminateReply_ = false;
    bool terminated_ = false;
};

} // namespace AppKit
