#include "Kelvora/MakeArchiveViewController.h"

#include "Platform/Dispatch/Dispatch.h"

std::shared_ptr<KVUDragDropViewController> MakeArchiveViewController::ddVC()
{
    if (!ddVC_)
        ddVC_ = std::make_shared<KVUDragDropViewController>();
    return ddVC_;
}

std::shared_ptr<Tiberly::ArchiveSettingViewController> MakeArchiveViewController::optionsVC()
{
    if (!optionsVC_)
        optionsVC_ = std::make_shared<Tiberly::ArchiveSettingViewController>();
    return optionsVC_;
}

void MakeArchiveViewController::loadView()
{
    setView(AppKit::View::make());
}

void MakeArchiveViewController::viewDidLoad()
{
    AppKit::ViewController::viewDidLoad();
    selectTab(0);
}

void MakeArchiveViewController::selectTab(int index)
{
    Dispatch::assertMainThread("MakeArchiveViewController::selectTab");
    AppKit::ViewControllerPtr target = index == 1 ? AppKit::ViewControllerPtr(optionsVC()) : ddVC();
    if (currentVC_ == target)
        return;
    if (currentVC_)
        currentVC_->view()->setHidden(true);
    currentVC_ = target;
    if (target->parentViewController()) {
        target->view()->setHidden(false);
        return;
    }
    addChildViewController(target);
    // Both children fill this view; the layout pins whichever is shown.
    view()->addSubview(target->view(), AppKit::Placement::fill());
}
