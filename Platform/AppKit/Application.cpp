#include "Platform/AppKit/Application.h"

#include "Platform/AppKit/Image.h"
#include "Platform/AppKit/Menu.h"
#include "Platform/AppKit/View.h"
#include "Platform/AppKit/ViewController.h"
#include "Platform/AppKit/WindowController.h"
#include "Platform/Dispatch/Dispatch.h"

#include <QApplication>

namespace AppKit {

void ApplicationDelegate::applicationOpenFiles(const std::vector<std::string>& paths)
{
    for (const auto& path : paths)
        applicationOpenFile(path);
}

Application& Application::shared()
{
    Dispatch::assertMainThread("Application::shared");
    static Application* application = new Application;
    return *application;
}

Application::Application()
{
    Image::chooseIconTheme();
}

int Application::run(const std::vector<std::string>& openPaths)
{
    Dispatch::assertMainThread("Application::run");
    pendingPaths_.insert(pendingPaths_.end(), openPaths.begin(), openPaths.end());
    if (delegate_)
        delegate_->applicationWillFinishLaunching();
    launched_ = true;
    if (!pendingPaths_.empty() && delegate_) {
        auto paths = std::move(pendingPaths_);
        pendingPaths_.clear();
        delegate_->applicationOpenFiles(paths);
    }
    if (delegate_)
        delegate_->applicationDidFinishLaunching();
    QApplication::setQuitOnLastWindowClosed(false);
    return QApplication::exec();
}

WindowPtr Application::mainWindow() const
{
    for (const auto& window : Window::orderedWindows())
        if (!window->isSheet() && window->isVisible())
            return window;
    return nullptr;
}

Responder* Application::targetForAction(const Selector& action, Responder* to, Responder*) const
{
    if (to)
        return to->respondsTo(action) ? to : nullptr;
    if (auto window = keyWindow()) {
        for (auto view = window->firstResponderView(); view; view = view->superview()) {
            if (view->respondsTo(action))
                return view.get();
            if (auto controller = view->viewController()) {
                for (auto c = controller; c; c = c->parentViewController())
                    if (c->respondsTo(action))
                        return c.get();
            }
        }
        if (auto controller = window->contentViewController(); controller && controller->respondsTo(action))
            return controller.get();
        if (window->respondsTo(action))
            return window.get();
        if (auto controller = window->windowController(); controller && controller->respondsTo(action))
            return controller.get();
        if (auto parent = window->sheetParent()) {
            if (parent->respondsTo(action))
                return parent.get();
            if (auto controller = parent->windowController(); controller && controller->respondsTo(action))
                return controller.get();
        }
    }
    auto* self = const_cast<Application*>(this);
    if (self->respondsTo(action))
        return self;
    if (delegate_ && delegate_->respondsTo(action))
        return delegate_.get();
    return nullptr;
}

bool Application::sendAction(const Selector& action, Responder* to, Responder* from)
{
    Responder* target = targetForAction(action, to, from);
    if (!target || !target->validate(action))
        return false;
    return target->tryToPerform(action, from);
}

void Application::setMainMenu(std::shared_ptr<Menu> menu)
{
    mainMenu_ = std::move(menu);
    for (const auto& window : Window::orderedWindows())
        Menu::installMenuBar(*window);
}

void Application::openFiles(const std::vector<std::string>& paths)
{
    Dispatch::assertMainThread("Application::openFiles");
    if (paths.empty())
        return;
    if (!launched_ || !delegate_) {
        pendingPaths_.insert(pendingPaths_.end(), paths.begin(), paths.end());
        return;
    }
    delegate_->applicationOpenFiles(paths);
}

void Application::reopen()
{
    if (!delegate_)
        return;
    bool visible = false;
    for (const auto& window : Window::orderedWindows())
        visible = visible || window->isVisible();
    delegate_->applicationShouldHandleReopen(visible);
}

void Application::terminate(Responder*)
{
    Dispatch::assertMainThread("Application::terminate");
    if (awaitingTerminateReply_ || terminated_)
        return;
    const TerminateReply reply = delegate_ ? delegate_->applicationShouldTerminate() : TerminateReply::terminateNow;
    switch (reply) {
    case TerminateReply::terminateCancel:
        return;
    case TerminateReply::terminateLater:
        awaitingTerminateReply_ = true;
        return;
    case TerminateReply::terminateNow:
        finishTermination();
        return;
    }
}

void Application::replyToApplicationShouldTerminate(bool shouldTerminate)
{
    if (!awaitingTerminateReply_)
        return;
    awaitingTerminateReply_ = false;
    if (shouldTerminate)
        finishTermination();
}

void Application::finishTermination()
{
    terminated_ = true;
    if (delegate_)
        delegate_->applicationWillTerminate();
    QCoreApplication::exit(0);
}

void Application::activate()
{
    if (auto window = mainWindow())
        window->makeKeyAndOrderFront();
}

} // namespace AppKit
