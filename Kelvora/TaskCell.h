#pragma once
// One row of a task list: the progress bar, the progress's description and
// a stop button that cancels the task through its progress.

#include "Platform/AppKit/View.h"
#include "Platform/Foundation/Progress.h"

#include <QPointer>

#include <optional>

class QLabel;
class QProgressBar;
class QToolButton;

class TaskCell : public AppKit::View {
public:
    static std::shared_ptr<TaskCell> make(QRect frame);
    TaskCell();
    ~TaskCell() override;

    QProgressBar* progressIndicater();
    QLabel* infoLabel();
    QToolButton* stopButton();

    // Shows the progress; the same progress again keeps the observation.
    void configure(const Foundation::ProgressPtr& progress);
    void stop();

    const Foundation::ProgressPtr& currentProgress() const { return currentProgress_; }
    const std::string& identifier() const { return identifier_; }
    void setIdentifier(std::string identifier) { identifier_ = std::move(identifier); }

private:
    void setupViews();
    // Main thread: shows the progress's state when it is still the one shown.
    void refresh(const Foundation::ProgressPtr& observed);

    QPointer<QProgressBar> progressIndicater_;
    QPointer<QLabel> infoLabel_;
    QPointer<QToolButton> stopButton_;
    Foundation::ProgressPtr currentProgress_;
    std::optional<Foundation::Progress::Observation> currentKVOObservation_;
    std::string identifier_;
};

using TaskCellPtr = std::shared_ptr<TaskCell>;
