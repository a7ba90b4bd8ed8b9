#include "Kelvora/TaskCell.h"

#include "Kelvora/Strings.h"
#include "Platform/AppKit/Image.h"
#include "Platform/Dispatch/Dispatch.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
constexpr int cellInset = 10;
constexpr int stopButtonGap = 6;
} // namespace

std::shared_ptr<TaskCell> TaskCell::make(QRect frame)
{
    auto cell = std::make_shared<TaskCell>();
    cell->setFrame(frame);
    return cell;
}

TaskCell::TaskCell()
{
    setupViews();
}

TaskCell::~TaskCell()
{
    currentKVOObservation_.reset();
}

QProgressBar* TaskCell::progressIndicater()
{
    if (!progressIndicater_) {
        progressIndicater_ = new QProgressBar;
        progressIndicater_->setRange(0, 1000);
        progressIndicater_->setValue(0);
        progressIndicater_->setTextVisible(false);
        progressIndicater_->setMaximumHeight(8);
    }
    return progressIndicater_;
}

QLabel* TaskCell::infoLabel()
{
    if (!infoLabel_) {
        infoLabel_ = new QLabel;
        infoLabel_->setWordWrap(false);
        infoLabel_->setTextFormat(Qt::PlainText);
        infoLabel_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    }
    return infoLabel_;
}

QToolButton* TaskCell::stopButton()
{
    if (!stopButton_) {
        stopButton_ = new QToolButton;
        stopButton_->setAutoRaise(true);
        stopButton_->setToolButtonStyle(Qt::ToolButtonIconOnly);
        stopButton_->setIcon(AppKit::Image::named("NSStopProgressFreestandingTemplate"));
        // An image alone names nothing: the pointer and assistive tools get words.
        const QString name = QString::fromStdString(localizedString("TASK_STOP"));
        stopButton_->setToolTip(name);
        stopButton_->setAccessibleName(name);
        stopButton_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        QObject::connect(stopButton_, &QToolButton::clicked, stopButton_, [this] { stop(); });
    }
    return stopButton_;
}

void TaskCell::setupViews()
{
    auto* row = new QHBoxLayout(widget());
    row->setContentsMargins(cellInset, 0, cellInset, 0);
    row->setSpacing(stopButtonGap);
    auto* column = new QVBoxLayout;
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(2);
    column->addStretch();
    column->addWidget(progressIndicater());
    column->addWidget(infoLabel());
    column->addStretch();
    row->addLayout(column, 1);
    row->addWidget(stopButton(), 0, Qt::AlignVCenter);
}

void TaskCell::configure(const Foundation::ProgressPtr& progress)
{
    Dispatch::assertMainThread("TaskCell::configure");
    if (currentProgress_ && currentProgress_ == progress)
        return;
    currentKVOObservation_.reset();
    currentProgress_ = progress;
    if (!progress)
        return;
    std::weak_ptr<TaskCell> weakCell = std::static_pointer_cast<TaskCell>(shared_from_this());
    std::weak_ptr<Foundation::Progress> weakProgress = progress;
    auto post = [weakCell, weakProgress] {
        Dispatch::mainQueue()->async([weakCell, weakProgress] {
            auto cell = weakCell.lock();
            auto observed = weakProgress.lock();
            if (cell && observed)
                cell->refresh(observed);
        });
    };
    currentKVOObservation_ = progress->observe([post](const Foundation::Progress&, Foundation::Progress::Key key) {
        if (key == Foundation::Progress::Key::fractionCompleted
            || key == Foundation::Progress::Key::localizedAdditionalDescription
            || key == Foundation::Progress::Key::isIndeterminate)
            post();
    });
    post();
}

void TaskCell::refresh(const Foundation::ProgressPtr& observed)
{
    if (currentProgress_ != observed)
        return;
    infoLabel()->setText(QString::fromStdString(observed->localizedAdditionalDescription()));
    if (observed->isIndeterminate()) {
        progressIndicater()->setRange(0, 0);
        return;
    }
    progressIndicater()->setRange(0, 1000);
    progressIndicater()->setValue(static_cast<int>(observed->fractionCompleted() * 1000.0 + 0.5));
}

void TaskCell::stop()
{
    if (currentProgress_)
        currentProgress_->cancel();
}
