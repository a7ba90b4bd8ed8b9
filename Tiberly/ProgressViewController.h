#pragma once
// Shows one task's progress: a bar for the fraction (a busy bar while
// indeterminate), a line for the additional description and a cancel
// button. Progress changes may come from any thread; each hops to the main
// thread and is dropped when the controller has moved on to another
// progress or is gone.

#include "Platform/AppKit/Controls.h"
#include "Platform/AppKit/ViewController.h"
#include "Platform/Foundation/Progress.h"

#include <QSize>

#include <functional>
#include <memory>

namespace Tiberly {

class ProgressViewController : public AppKit::ViewController {
public:
    struct Constants {
        static constexpr QSize fixedSize{360, 96};
        static constexpr int verticalMargin = 16;
        static constexpr int horizontalMargin = 20;
    };

    // The handler runs once, on the main thread, when the user cancels.
    explicit ProgressViewController(std::function<void()> cancelHandler);
    ~ProgressViewController() override;

    Foundation::ProgressPtr progress() const { return progress_; }
    void setProgress(Foundation::ProgressPtr progress);

    std::shared_ptr<AppKit::ProgressIndicator> progressIndicator();
    std::shared_ptr<AppKit::TextField> descriptionLabel();
    std::shared_ptr<AppKit::Button> cancelButton();

protected:
    void loadView() override;

private:
    void refresh();
    void cancelPressed();

    std::function<void()> cancelHandler_;
    Foundation::ProgressPtr progress_;
    Foundation::Progress::Observation observation_;
    std::shared_ptr<AppKit::ProgressIndicator> bar_;
    std::shared_ptr<AppKit::TextField> label_;
    std::shared_ptr<AppKit::Button> cancel_;
};

} // namespace Tiberly
