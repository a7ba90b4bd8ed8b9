#pragma once
// The application's delegate: start-up, reopen, open-file, menu and quit
// events; opens browser windows and keeps their controllers; builds the
// make-archive, task and preferences windows on first use and is the
// make-archive window's toolbar delegate. Main thread only.

#include "Kelvora/ArchiveWindowController.h"
#include "Kelvora/MakeArchiveViewController.h"
#include "Kelvora/TaskViewController.h"
#include "Platform/AppKit/Application.h"
#include "Platform/AppKit/Menu.h"
#include "Platform/AppKit/Toolbar.h"
#include "Platform/AppKit/WindowController.h"

#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

class PreferencesViewController;

inline constexpr const char* MakeArchiveToolbarIdentifier = "MakeArchiveToolbar";
inline constexpr const char* MakeArchiveGroup = "MakeArchiveGroup";

class AppDelegate : public AppKit::ApplicationDelegate,
                    public AppKit::ToolbarDelegate,
                    public std::enable_shared_from_this<AppDelegate> {
public:
    AppDelegate();
    // The shared application's delegate, when it is one.
    static std::shared_ptr<AppDelegate> shared();

    std::set<ArchiveWindowControllerPtr> retainedWindows;

    std::shared_ptr<MakeArchiveViewController> makeArchiveViewController();
    AppKit::WindowControllerPtr ddWindowController();
    AppKit::WindowControllerPtr taskWindowController();
    std::shared_ptr<TaskViewController> taskViewController();
    AppKit::WindowControllerPtr preferencesWindowController() const { return preferencesWindowController_; }

    void startUp();
    void openArchives(const std::vector<std::string>& paths);
    // Compresses the paths in the drop zone; callers bring the make-archive
    // window to the front first, since a job needs its window to finish.
    void makeArchive(const std::vector<std::string>& paths);
    void makeArchiveToolbarGroupItemChanged(AppKit::Responder* sender);

    void newDocument();
    void newTab();
    void openDocument();
    void showPreferences();
    // The application's name and version, in an alert of its own.
    void showAboutPanel();

    void applicationDidFinishLaunching() override;
    bool applicationShouldHandleReopen(bool hasVisibleWindows) override;
    bool applicationOpenFile(const std::string& path) override;
    void applicationOpenFiles(const std::vector<std::string>& paths) override;
    AppKit::TerminateReply applicationShouldTerminate() override;

    AppKit::ToolbarItemPtr toolbarItemForIdentifier(AppKit::Toolbar& toolbar, const std::string& identifier,
                                                    bool willBeInsertedIntoToolbar) override;
    std::vector<std::string> toolbarDefaultItemIdentifiers(AppKit::Toolbar& toolbar) override;
    std::vector<std::string> toolbarAllowedItemIdentifiers(AppKit::Toolbar& toolbar) override;

    // The menu bar, sending the delegate's actions and the standard ones.
    AppKit::MenuPtr makeMainMenu();

private:
    std::vector<std::pair<AppKit::WindowPtr, FileViewControllerPtr>> visibleArchiveWindows() const;
    // "The archive could not be read", naming each path.
    void alertMissingPaths(const std::vector<std::string>& paths);
    void registerActions();

    std::shared_ptr<MakeArchiveViewController> makeArchiveViewController_;
    AppKit::WindowControllerPtr ddWindowController_;
    AppKit::WindowControllerPtr taskWindowController_;
    std::shared_ptr<TaskViewController> taskViewController_;
    AppKit::WindowControllerPtr preferencesWindowController_;
    std::shared_ptr<PreferencesViewController> preferencesViewController_;
};
