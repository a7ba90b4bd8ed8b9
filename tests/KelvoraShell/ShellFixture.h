#pragma once
// Shared set-up of the shell tests: the application's delegate, fixture
// files, and a task that runs only when the test says so.

#include "Brackwen/ZODArchiverTask.h"
#include "Kelvora/AppDelegate.h"

#include <gtest/gtest.h>

#include "Platform/AppKit/Alert.h"

#include <functional>
#include <string>
#include <vector>

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The shared application with a fresh AppDelegate as its delegate.
    std::shared_ptr<AppDelegate> delegate;

    // The visible browser windows, front to back.
    static std::vector<AppKit::WindowPtr> browserWindows();
    static std::string writeFile(const std::string& name, const std::string& contents = "data");
    // A zip made by Info-ZIP holding one file.
    static std::string makeZip(const std::string& name);
};

// A task that only records what is done to it; cancelling its progress or
// the task calls the completion, as the engine's do.
class FakeTask : public ZODArchiverTask {
public:
    FakeTask();
    void resume() override { resumed = true; }
    void cancel() override;
    Foundation::ProgressPtr progress() const override { return progress_; }

    bool resumed = false;
    bool cancelled = false;
    std::function<void()> onCancel;

private:
    Foundation::ProgressPtr progress_;
};

class QWidget;

// The alert the application shows now (modal or sheet), or null: the
// widget that holds its texts and buttons.
QWidget* shownAlert();
AppKit::AlertStyle alertStyle(QWidget* alert);
std::string messageText(QWidget* alert);
std::string informativeText(QWidget* alert);
// Titles in the order the buttons were added.
std::vector<std::string> buttonTitles(QWidget* alert);
// Presses the button with the title.
void pressButton(QWidget* alert, const std::string& title);
