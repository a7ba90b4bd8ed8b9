#pragma once
// Content of the make-archive window: the drop zone (tab 0) and the archive
// settings (tab 1), one shown at a time. Both views stay in place once
// shown, so switching keeps the drop zone's jobs and the settings' state.

#include "Kelvora/KVUDragDropViewController.h"
#include "Platform/AppKit/ViewController.h"
#include "Tiberly/ArchiveSettingViewController.h"

#include <memory>

class MakeArchiveViewController : public AppKit::ViewController {
public:
    MakeArchiveViewController() = default;

    std::shared_ptr<KVUDragDropViewController> ddVC();
    std::shared_ptr<Tiberly::ArchiveSettingViewController> optionsVC();
    AppKit::ViewControllerPtr currentVC() const { return currentVC_; }

    // 1 shows the settings; any other index the drop zone.
    void selectTab(int index);

protected:
    void loadView() override;
    void viewDidLoad() override;

private:
    std::shared_ptr<KVUDragDropViewController> ddVC_;
    std::shared_ptr<Tiberly::ArchiveSettingViewController> optionsVC_;
    AppKit::ViewControllerPtr currentVC_;
};
