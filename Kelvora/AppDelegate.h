#pragma once
// The application's delegate: start-up, reopen, open-file, menu and quit
// events; opens browser windows and keeps their controllers; builds the
// task and preferences windows on first use. Main thread only.

#include "Kelvora/ArchiveWindowController.h"
#include "Kelvora/TaskViewController.h"
#include "Platform/AppKit/Application.h"
#include "Platform/AppKit/Menu.h"
#include "Platform/AppKit/WindowController.h"

#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

class PreferencesViewController;

class AppDelegate : public AppKit::ApplicationDelegate, public std::enable_shared_from_this<AppDelegate> {
public:
    AppDelegate();
    // The shared application's delegate, when it is one.
    static std::shared_ptr<AppDelegate> shared();

    std::set<ArchiveWindowControllerPtr> retainedWindows;

    AppKit::WindowControllerPtr taskWindowController();
    std::shared_ptr<TaskViewController> taskViewController();
    AppKit::WindowControllerPtr preferencesWindowController() const { return preferencesWindowController_; }

    void startUp();
    void openArchives(const std::vector<std::string>& paths);

    void newDocument();
    void newTab();
    void openDocument();
    void showPreferences();

    void applicationDidFinishLaunching() override;
    bool applicationShouldHandleReopen(bool hasVisibleWindows) override;
    bool applicationOpenFile(const std::string& path) override;
    void applicationOpenFiles(const std::vector<std::string>& paths) override;
    AppKit::TerminateReply applicationShouldTerminate() override;

    // The menu bar, sending the delegate's actions and the standard ones.
    AppKit::MenuPtr makeMainMenu();

private:
    std::vector<std::pair<AppKit::WindowPtr, FileViewControllerPtr>> visibleArchiveWindows() const;
    void registerActions();

    AppKit::WindowControllerPtr taskWindowController_;
    std::shared_ptr<TaskViewController> taskViewController_;
    AppKit::WindowControllerPtr preferencesWindowController_;
    std::shared_ptr<PreferencesViewController> preferencesViewController_;
};
