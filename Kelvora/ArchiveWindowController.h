#pragma once
// Owns one browser window: builds it around a FileViewController, gives it
// the browser toolbar, opens new empty tabs, and leaves the delegate's
// retained windows when it closes. Every toolbar action goes to the
// window's browser (the make-archive item to the delegate).

#include "Kelvora/CommonWindowController.h"
#include "Kelvora/FileViewController.h"
#include "Kelvora/ToolbarItemValidation.h"
#include "Platform/AppKit/Toolbar.h"
#include "Platform/AppKit/Window.h"

class ArchiveWindowController : public CommonWindowController,
                                public AppKit::WindowDelegate,
                                public AppKit::ToolbarDelegate,
                                public ToolbarItemValidation {
public:
    // The only way to make one: the window is complete when it returns.
    static std::shared_ptr<ArchiveWindowController> make();
    explicit ArchiveWindowController(AppKit::WindowPtr window);

    FileViewControllerPtr fileViewController();

    void extractClicked(AppKit::Responder* sender);
    void archiveClicked(AppKit::Responder* sender);
    void tasksClicked(AppKit::Responder* sender);
    void goBackOrForward(AppKit::Responder* sender);
    void executeSearch(AppKit::Responder* sender);
    void newWindowForTab(AppKit::Responder* sender);

    bool validateToolbarItem(AppKit::ToolbarItem& item) override;

    void windowWillClose(AppKit::Window& window) override;
    void windowDidBecomeKey(AppKit::Window& window) override;

    AppKit::ToolbarItemPtr toolbarItemForIdentifier(AppKit::Toolbar& toolbar, const std::string& identifier,
                                                    bool willBeInsertedIntoToolbar) override;
    std::vector<std::string> toolbarDefaultItemIdentifiers(AppKit::Toolbar& toolbar) override;
    std::vector<std::string> toolbarAllowedItemIdentifiers(AppKit::Toolbar& toolbar) override;

protected:
    void windowDidLoad() override;

private:
    void registerActions();
    // Ctrl+F puts the focus in the toolbar's search field.
    void installFindKey();
    void forward(const char* action, AppKit::Responder* sender);
};

using ArchiveWindowControllerPtr = std::shared_ptr<ArchiveWindowController>;
