#include "Platform/AppKit/ViewController.h"

#include "Platform/AppKit/Window.h"
#include "Platform/Dispatch/Dispatch.h"

#include <algorithm>

namespace AppKit {

ViewController::~ViewController() = default;

ViewPtr ViewController::view()
{
    Dispatch::assertMainThread("ViewController::view");
    if (!view_ && !loading_) {
        loading_ = true;
        loadView();
        if (!view_)
            setView(View::make());
        loading_ = false;
        viewDidLoad();
    }
    return view_;
}

void ViewController::setView(ViewPtr view)
{
    if (view_)
        view_->controller_.reset();
    view_ = std::move(view);
    if (view_)
        view_->controller_ = weak_from_this();
}

void ViewController::loadView()
{
    setView(View::make());
}

std::shared_ptr<Window> ViewController::window() const
{
    return view_ ? view_->window() : nullptr;
}

void ViewController::addChildViewController(const std::shared_ptr<ViewController>& child)
{
    if (!child || child.get() == this)
        return;
    child->removeFromParentViewController();
    children_.push_back(child);
    child->parent_ = weak_from_this();
}

void ViewController::removeFromParentViewController()
{
    auto parent = parent_.lock();
    parent_.reset();
    if (!parent)
        return;
    auto self = shared_from_this();
    auto& list = parent->children_;
    list.erase(std::remove(list.begin(), list.end(), self), list.end());
}

void ViewController::presentAsSheet(const std::shared_ptr<ViewController>& controller)
{
    Dispatch::assertMainThread("ViewController::presentAsSheet");
    auto host = window();
    if (!controller || !host)
        return;
    auto sheet = Window::withContentViewController(controller);
    sheet->setStyleMask(StyleMask::titled);
    controller->sheetWindow_ = sheet;
    std::weak_ptr<ViewController> weakController = controller;
    addPresented(controller, [weakHost = std::weak_ptr<Window>(host), sheet] {
        if (auto h = weakHost.lock())
            h->endSheet(sheet, ModalResponseStop);
    });
    std::weak_ptr<ViewController> weakSelf = weak_from_this();
    host->beginSheet(sheet, [weakSelf, weakController](ModalResponse) {
        auto presented = weakController.lock();
        if (!presented)
            return;
        presented->sheetWindow_.reset();
        if (auto self = weakSelf.lock())
            self->removePresented(presented);
    });
}

void ViewController::addPresented(const std::shared_ptr<ViewController>& controller, std::function<void()> end)
{
    presented_.push_back(controller);
    presentedEnds_.push_back(std::move(end));
    controller->presenting_ = weak_from_this();
}

void ViewController::removePresented(const std::shared_ptr<ViewController>& controller)
{
    auto it = std::find(presented_.begin(), presented_.end(), controller);
    if (it == presented_.end())
        return;
    const auto index = it - presented_.begin();
    presented_.erase(it);
    presentedEnds_.erase(presentedEnds_.begin() + index);
    controller->presenting_.reset();
}

void ViewController::dismissViewController(const std::shared_ptr<ViewController>& controller)
{
    auto it = std::find(presented_.begin(), presented_.end(), controller);
    if (it == presented_.end())
        return;
    auto keep = controller;
    auto end = presentedEnds_[it - presented_.begin()];
    removePresented(controller);
    if (end)
        end();
}

void ViewController::dismiss()
{
    if (auto presenter = presenting_.lock())
        presenter->dismissViewController(shared_from_this());
}

void ViewController::notifyWillAppear()
{
    viewWillAppear();
    for (const auto& child : std::vector(children_))
        if (child->isViewLoaded())
            child->notifyWillAppear();
}

void ViewController::notifyDidAppear()
{
    appeared_ = true;
    viewDidAppear();
    for (const auto& child : std::vector(children_))
        if (child->isViewLoaded())
            child->notifyDidAppear();
}

void ViewController::notifyWillDisappear()
{
    viewWillDisappear();
    for (const auto& child : std::vector(children_))
        if (child->isViewLoaded())
            child->notifyWillDisappear();
}

void ViewController::notifyDidDisappear()
{
    appeared_ = false;
    viewDidDisappear();
    for (const auto& child : std::vector(children_))
        if (child->isViewLoaded())
            child->notifyDidDisappear();
}

} // namespace AppKit
