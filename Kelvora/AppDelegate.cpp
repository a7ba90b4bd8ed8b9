#include "Kelvora/AppDelegate.h"

#include "Kelvora/CommonWindowController.h"
#include "Kelvora/CrashReporting.h"
#include "Kelvora/PreferencesViewController.h"
#include "Kelvora/PreviewPaneLayout.h"
#include "Kelvora/Strings.h"
#include "Kelvora/TaskManager.h"
#include "Kelvora/ToolbarItemGroup.h"
#include "Kelvora/WindowOperations.h"
#include "Platform/AppKit/Alert.h"
#include "Platform/Dispatch/Dispatch.h"
#include "Platform/Foundation/Bundle.h"
#include "Platform/Foundation/LocalizedString.h"
#include "Platform/Foundation/FileManager.h"
#include "Platform/Foundation/ProcessInfo.h"
#include "Platform/Foundation/UserDefaults.h"
#include "Vantel/SharedSettings.h"

#include <QFileDialog>
#include <QMainWindow>
#include <QSplitter>

#include <iostream>

AppDelegate::AppDelegate()
{
    registerActions();
}

std::shared_ptr<AppDelegate> AppDelegate::shared()
{
    return std::dynamic_pointer_cast<AppDelegate>(AppKit::Application::shared().delegate());
}

void AppDelegate::registerActions()
{
    auto bind = [this](const char* action, void (AppDelegate::*method)()) {
        setActionHandler(action, [this, method](AppKit::Responder*) { (this->*method)(); });
    };
    bind("newDocument:", &AppDelegate::newDocument);
    bind("newTab:", &AppDelegate::newTab);
    bind("openDocument:", &AppDelegate::openDocument);
    bind("showPreferences:", &AppDelegate::showPreferences);
    setActionHandler("performClose:", [](AppKit::Responder*) {
        if (auto window = AppKit::Application::shared().keyWindow())
            window->performClose();
    }, [] { return static_cast<bool>(AppKit::Application::shared().keyWindow()); });
    setActionHandler("makeArchiveToolbarGroupItemChanged:",
                     [this](AppKit::Responder* sender) { makeArchiveToolbarGroupItemChanged(sender); });
    setActionHandler("terminate:", [](AppKit::Responder* sender) { AppKit::Application::shared().terminate(sender); });
    bind("orderFrontStandardAboutPanel:", &AppDelegate::showAboutPanel);
}

AppKit::MenuPtr AppDelegate::makeMainMenu()
{
    using AppKit::MenuItem;
    auto item = [](const char* key, const char* action, const char* keys = "") {
        return std::make_shared<MenuItem>(localizedString(key), action, keys);
    };
    auto menu = std::make_shared<AppKit::Menu>();
    auto file = menu->addSubmenu(localizedString("MENU_FILE"));
    file->addItem(item("MENU_NEW_WINDOW", "newDocument:", "Ctrl+N"));
    file->addItem(item("MENU_NEW_TAB", "newTab:", "Ctrl+T"));
    file->addItem(item("MENU_OPEN", "openDocument:", "Ctrl+O"));
    file->addItem(MenuItem::separator());
    file->addItem(item("MENU_CLOSE", "performClose:", "Ctrl+W"));
    file->addItem(MenuItem::separator());
    file->addItem(item("MENU_PREFERENCES", "showPreferences:", "Ctrl+,"));
    file->addItem(MenuItem::separator());
    file->addItem(item("MENU_QUIT", "terminate:", "Ctrl+Q"));

    auto edit = menu->addSubmenu(localizedString("MENU_EDIT"));
    edit->addItem(item("MENU_SELECT_ALL", "selectAll:", "Ctrl+A"));

    auto view = menu->addSubmenu(localizedString("MENU_VIEW"));
    auto toolbar = item("MENU_SHOW_TOOLBAR", "toggleToolbarShown:");
    auto preview = item("MENU_SHOW_PREVIEW", "togglePreviewPane:");
    view->addItem(toolbar);
    view->addItem(preview);
    view->setMenuNeedsUpdate([toolbar, preview](AppKit::Menu&) {
        auto window = AppKit::Application::shared().keyWindow();
        toolbar->setChecked(window && window->toolbar() && window->toolbar()->isVisible());
        auto browser = window ? std::dynamic_pointer_cast<FileViewController>(window->contentViewController()) : nullptr;
        auto* pane = browser ? PreviewPaneLayout::of(browser->splitView) : nullptr;
        preview->setChecked(pane && pane->isPaneVisible());
    });

    auto windows = menu->addSubmenu(localizedString("MENU_WINDOW"));
    windows->addItem(item("MENU_MINIMIZE", "performMiniaturize:", "Ctrl+M"));
    windows->addItem(MenuItem::separator());
    windows->addItem(item("MENU_SHOW_PREVIOUS_TAB", "selectPreviousTab:", "Ctrl+PgUp"));
    windows->addItem(item("MENU_SHOW_NEXT_TAB", "selectNextTab:", "Ctrl+PgDown"));
    windows->addItem(MenuItem::separator());
    // One item per open window or tab, remade each time the menu opens.
    auto listed = std::make_shared<std::vector<AppKit::MenuItemPtr>>();
    windows->setMenuNeedsUpdate([listed](AppKit::Menu& menu) {
        for (const auto& entry : *listed)
            menu.removeItem(entry);
        listed->clear();
        for (const auto& window : AppKit::Application::shared().orderedWindows()) {
            if (!window->carriesMenuBar() || !window->isVisible())
                continue;
            const QString shown = window->widget()->windowTitle().trimmed();
            auto entry = std::make_shared<MenuItem>(shown.isEmpty() ? window->title() : shown.toStdString(),
                                                    "makeKeyAndOrderFront:");
            entry->setTarget(window);
            entry->setChecked(window->isKeyWindow());
            menu.addItem(entry);
            listed->push_back(entry);
        }
    });

    auto help = menu->addSubmenu(localizedString("MENU_HELP"));
    help->addItem(item("MENU_ABOUT", "orderFrontStandardAboutPanel:"));
    return menu;
}

void AppDelegate::showAboutPanel()
{
    const auto& bundle = Foundation::Bundle::main();
    auto alert = AppKit::Alert::make();
    alert->alertStyle = AppKit::AlertStyle::informational;
    alert->messageText = bundle.objectForInfoDictionaryKey("CFBundleDisplayName").toString().toStdString();
    alert->informativeText = Foundation::format(
        localizedString("ABOUT_VERSION"), {bundle.objectForInfoDictionaryKey("CFBundleShortVersionString").toString().toStdString()});
    alert->addButton(localizedString("COMMON_OK"));
    alert->beginSheetModal(nullptr, [alert](AppKit::ModalResponse) {});
}

void AppDelegate::applicationDidFinishLaunching()
{
    startUp();
}

void AppDelegate::startUp()
{
    Dispatch::assertMainThread("AppDelegate::startUp");
    Foundation::UserDefaults::standard()->registerDefaults({{"NSApplicationCrashOnExceptions", true}});
    Vantel::shared()->registerDefaults({{Vantel::kDoNotAskForReorderKey, false},
                                        {Vantel::kDoNotDisplayMultiVolumeAlertKey, false}});
    if (auto error = startCrashReporting())
        std::cerr << "kelvora: crash reporting is off: " << error->localizedDescription() << '\n';
    if (visibleArchiveWindows().empty())
        openArchives({});
}

std::vector<std::pair<AppKit::WindowPtr, FileViewControllerPtr>> AppDelegate::visibleArchiveWindows() const
{
    std::vector<std::pair<AppKit::WindowPtr, FileViewControllerPtr>> result;
    for (const auto& window : AppKit::Application::shared().orderedWindows()) {
        if (!window->isVisible())
            continue;
        if (auto browser = std::dynamic_pointer_cast<FileViewController>(window->contentViewController()))
            result.emplace_back(window, browser);
    }
    return result;
}

void AppDelegate::openArchives(const std::vector<std::string>& paths)
{
    Dispatch::assertMainThread("AppDelegate::openArchives");
    const auto visible = visibleArchiveWindows();
    if (!paths.empty()) {
        for (const auto& [window, browser] : visible) {
            if (browser->isViewLoaded() && !browser->currentDirectory) {
                window->makeKeyAndOrderFront();
                browser->loadArchive(paths, true);
                return;
            }
        }
    }
    auto controller = ArchiveWindowController::make();
    auto window = controller->window();
    auto browser = controller->fileViewController();
    if (!window || !browser)
        return;
    if (!visible.empty())
        window->setFrame(QRect(visible.front().first->cascadeTopLeftFromPoint({}), window->frame().size()));
    window->makeKeyAndOrderFront();
    if (!paths.empty())
        browser->loadArchive(paths, true);
    retainedWindows.insert(controller);
}

bool AppDelegate::applicationShouldHandleReopen(bool hasVisibleWindows)
{
    if (!hasVisibleWindows)
        openArchives({});
    return true;
}

bool AppDelegate::applicationOpenFile(const std::string& path)
{
    openArchives({path});
    return true;
}

void AppDelegate::applicationOpenFiles(const std::vector<std::string>& paths)
{
    // A path that does not exist is named in an alert; the others open as usual.
    std::vector<std::string> present, missing;
    for (const auto& path : paths)
        (Foundation::FileManager::fileExists(path) ? present : missing).push_back(path);
    // Posted, so that the alert comes after the launch's own window and sits on it.
    if (!missing.empty())
        Dispatch::mainQueue()->async([weak = weak_from_this(), missing] {
            if (auto self = weak.lock())
                self->alertMissingPaths(missing);
        });
    if (present.empty())
        return;
    for (const auto& path : present) {
        bool isDirectory = false;
        if (!Foundation::FileManager::fileExists(path, &isDirectory) || isDirectory)
            return;
    }
    openArchives(present);
}

void AppDelegate::alertMissingPaths(const std::vector<std::string>& paths)
{
    auto alert = AppKit::Alert::make();
    alert->messageText = localizedString("ALERT_MESSAGE_ANAYLYZING_FAILED");
    for (const auto& path : paths)
        alert->informativeText += (alert->informativeText.empty() ? "" : "\n") + path;
    const auto visible = visibleArchiveWindows();
    if (visible.empty()) {
        alert->runModal();
        return;
    }
    // The completion holds the alert while it is shown.
    alert->beginSheetModal(visible.front().first, [alert](AppKit::ModalResponse) {});
}

void AppDelegate::newDocument()
{
    openArchives({});
}

void AppDelegate::newTab()
{
    const auto visible = visibleArchiveWindows();
    if (visible.empty()) {
        openArchives({});
        return;
    }
    auto controller = ArchiveWindowController::make();
    auto window = controller->window();
    if (!window)
        return;
    visible.front().first->addTabbedWindow(window, AppKit::WindowOrderingMode::above);
    window->makeKeyAndOrderFront();
    retainedWindows.insert(controller);
}

void AppDelegate::openDocument()
{
    const auto visible = visibleArchiveWindows();
    if (!visible.empty()) {
        visible.front().second->tryToPerform("openDocument", this);
        return;
    }
    auto* panel = new QFileDialog;
    panel->setOption(QFileDialog::DontUseNativeDialog);
    panel->setFileMode(QFileDialog::ExistingFiles);
    panel->setAttribute(Qt::WA_DeleteOnClose);
    std::weak_ptr<AppDelegate> weakSelf = shared_from_this();
    QObject::connect(panel, &QFileDialog::filesSelected, panel, [weakSelf](const QStringList& files) {
        auto self = weakSelf.lock();
        if (!self)
            return;
        std::vector<std::string> paths;
        for (const auto& file : files)
            paths.push_back(file.toStdString());
        self->openArchives(paths);
    });
    panel->open();
}

void AppDelegate::showPreferences()
{
    if (!preferencesWindowController_) {
        preferencesViewController_ = std::make_shared<PreferencesViewController>();
        auto window = AppKit::Window::withContentViewController(preferencesViewController_);
        window->setStyleMask(window->styleMask() & ~AppKit::StyleMask::resizable);
        window->setTitle(localizedString(Foundation::isOperatingSystemAtLeastVersion({13, 0, 0})
                                             ? "PREFERENCES_WINDOW_TITLE"
                                             : "PREFERENCES_WINDOW_TITLE_OLD"));
        window->setContentSize(preferencesViewController_->view()->fittingSize());
        preferencesWindowController_ = std::make_shared<AppKit::WindowController>(window);
        preferencesWindowController_->setWindowFrameAutosaveName("PreferenceWindow");
    }
    preferencesWindowController_->window()->makeKeyAndOrderFront();
}

AppKit::TerminateReply AppDelegate::applicationShouldTerminate()
{
    if (TaskManager::shared()->totalTaskCount() == 0)
        return AppKit::TerminateReply::terminateNow;
    auto alert = AppKit::Alert::make();
    alert->messageText = localizedString("ALERT_MESSAGE_QUIT_WITH_TASK_RUNNING");
    alert->alertStyle = AppKit::AlertStyle::critical;
    alert->addButton(localizedString("ALERT_MESSAGE_QUIT_WITH_TASK_RUNNING_CONFIRM"));
    alert->addButton(localizedString("COMMON_CANCEL"));
    return alert->runModal() == AppKit::AlertFirstButtonReturn ? AppKit::TerminateReply::terminateNow
                                                               : AppKit::TerminateReply::terminateCancel;
}

std::shared_ptr<TaskViewController> AppDelegate::taskViewController()
{
    if (!taskViewController_) {
        taskViewController_ = std::make_shared<TaskViewController>();
        taskViewController_->dataSource = TaskManager::shared();
    }
    return taskViewController_;
}

AppKit::WindowControllerPtr AppDelegate::taskWindowController()
{
    if (!taskWindowController_) {
        auto window = AppKit::Window::withContentViewController(taskViewController());
        setAppWindowTitle(*window);
        disableZoomButton(*window);
        window->setStandardButtonEnabled(AppKit::WindowButton::close, false);
        window->setTitle(localizedString("TASK_VIEW_WINDOW_TITLE"));
        taskWindowController_ = std::make_shared<AppKit::WindowController>(window);
        setFrameAutosaveNameOnScreen(*taskWindowController_, "TaskWindow");
    }
    return taskWindowController_;
}

std::shared_ptr<MakeArchiveViewController> AppDelegate::makeArchiveViewController()
{
    if (!makeArchiveViewController_)
        makeArchiveViewController_ = std::make_shared<MakeArchiveViewController>();
    return makeArchiveViewController_;
}

AppKit::WindowControllerPtr AppDelegate::ddWindowController()
{
    if (!ddWindowController_) {
        auto window = AppKit::Window::withContentViewController(makeArchiveViewController());
        auto toolbar = std::make_shared<AppKit::Toolbar>(MakeArchiveToolbarIdentifier);
        toolbar->setDelegate(shared_from_this());
        window->setToolbar(toolbar);
        addVisualEffectBackground(*window);
        setAppWindowTitle(*window);
        // The title bar is the only place here that names the window: it
        // shows what the window is for instead of being hidden.
        window->setTitle(localizedString("MAKE_ARCHIVE_WINDOW_TITLE"));
        disableZoomButton(*window);
        const QSize size(400, 400);
        window->setContentMaxSize(size);
        window->setContentMinSize(size);
        window->setContentSize(size);
        ddWindowController_ = std::make_shared<AppKit::WindowController>(window);
        setFrameAutosaveNameOnScreen(*ddWindowController_, "ArchiverWindow");
    }
    return ddWindowController_;
}

void AppDelegate::makeArchive(const std::vector<std::string>& paths)
{
    Dispatch::assertMainThread("AppDelegate::makeArchive");
    makeArchiveViewController()->ddVC()->createArchive(paths);
}

void AppDelegate::makeArchiveToolbarGroupItemChanged(AppKit::Responder* sender)
{
    if (auto* group = dynamic_cast<ToolbarItemGroup*>(sender))
        makeArchiveViewController()->selectTab(group->selectedIndex());
}

std::vector<std::string> AppDelegate::toolbarDefaultItemIdentifiers(AppKit::Toolbar&)
{
    return {MakeArchiveGroup};
}

std::vector<std::string> AppDelegate::toolbarAllowedItemIdentifiers(AppKit::Toolbar& toolbar)
{
    return toolbarDefaultItemIdentifiers(toolbar);
}

AppKit::ToolbarItemPtr AppDelegate::toolbarItemForIdentifier(AppKit::Toolbar&, const std::string& identifier, bool)
{
    if (identifier != MakeArchiveGroup)
        return nullptr;
    auto group = ToolbarItemGroup::groupWithItemIdentifier(
        identifier, {localizedString("ARCHIVE_DRAG_DROP_TAB"), localizedString("ARCHIVE_OPTIONS_TAB")},
        ToolbarItemGroupSelectionMode::selectOne, {},
        std::static_pointer_cast<AppKit::Responder>(shared_from_this()), "makeArchiveToolbarGroupItemChanged:");
    group->setSelectedIndex(0);
    return group;
}
