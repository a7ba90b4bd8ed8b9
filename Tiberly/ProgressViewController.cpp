#include "Tiberly/ProgressViewController.h"

#include "Platform/Dispatch/Dispatch.h"
#include "Tiberly/KitStrings.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace Tiberly {

ProgressViewController::ProgressViewController(std::function<void()> cancelHandler)
    : cancelHandler_(std::move(cancelHandler))
{
}

ProgressViewController::~ProgressViewController() = default;

std::shared_ptr<AppKit::ProgressIndicator> ProgressViewController::progressIndicator()
{
    view();
    return bar_;
}

std::shared_ptr<AppKit::TextField> ProgressViewController::descriptionLabel()
{
    view();
    return label_;
}

std::shared_ptr<AppKit::Button> ProgressViewController::cancelButton()
{
    view();
    return cancel_;
}

void ProgressViewController::loadView()
{
    auto container = AppKit::View::make();
    container->setFixedSize(Constants::fixedSize);
    bar_ = AppKit::ProgressIndicator::make(AppKit::ProgressIndicator::Style::bar);
    bar_->setMinValue(0);
    bar_->setMaxValue(1);
    bar_->setIndeterminate(true);
    label_ = AppKit::TextField::labelWithString({});
    cancel_ = AppKit::Button::buttonWithTitle(kitString("KIT_CANCEL"));
    std::weak_ptr<ProgressViewController> weak = std::static_pointer_cast<ProgressViewController>(shared_from_this());
    cancel_->setAction([weak] {
        if (auto self = weak.lock())
            self->cancelPressed();
    });

    auto* column = new QVBoxLayout(container->widget());
    column->setContentsMargins(Constants::horizontalMargin, Constants::verticalMargin, Constants::horizontalMargin,
                               Constants::verticalMargin);
    column->addWidget(bar_->widget());
    column->addWidget(label_->widget());
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(cancel_->widget());
    column->addLayout(row);
    setView(container);
    refresh();
}

void ProgressViewController::setProgress(Foundation::ProgressPtr progress)
{
    Dispatch::assertMainThread("ProgressViewController::setProgress");
    if (progress == progress_)
        return;
    observation_.reset();
    progress_ = std::move(progress);
    if (progress_) {
        std::weak_ptr<ProgressViewController> weak =
            std::static_pointer_cast<ProgressViewController>(shared_from_this());
        std::weak_ptr<Foundation::Progress> observed = progress_;
        observation_ = progress_->observe([weak, observed](const Foundation::Progress&, Foundation::Progress::Key) {
            Dispatch::mainQueue()->async([weak, observed] {
                auto self = weak.lock();
                if (!self || !self->progress_ || self->progress_ != observed.lock())
                    return;
                self->refresh();
            });
        });
    }
    refresh();
}

void ProgressViewController::refresh()
{
    if (!bar_)
        return;
    if (!progress_) {
        bar_->setIndeterminate(true);
        label_->setStringValue({});
        return;
    }
    label_->setStringValue(progress_->localizedAdditionalDescription());
    if (progress_->isIndeterminate()) {
        bar_->setIndeterminate(true);
        bar_->startAnimation();
    } else {
        bar_->setIndeterminate(false);
        bar_->setDoubleValue(progress_->fractionCompleted());
    }
}

void ProgressViewController::cancelPressed()
{
    Dispatch::assertMainThread("ProgressViewController::cancelPressed");
    auto handler = std::move(cancelHandler_);
    cancelHandler_ = nullptr;
    if (cancel_)
        cancel_->setEnabled(false);
    if (handler)
        handler();
}

} // namespace Tiberly
