#include "Kelvora/ArchiveWindowController.h"

#include "Kelvora/AppDelegate.h"
#include "Kelvora/BrowserToolbarIdentifiers.h"
#include "Kelvora/CutomValidatableToolbarItem.h"
#include "Kelvora/Strings.h"
#include "Kelvora/WindowOperations.h"
#include "Platform/AppKit/Controls.h"
#include "Platform/AppKit/Image.h"
#include "Platform/AppKit/SearchField.h"
#include "Platform/Dispatch/Dispatch.h"

#include <QLineEdit>
#include <QMainWindow>
#include <QShortcut>
#include <QToolBar>

namespace {
// The "FileView" scene of the main interface.
FileViewControllerPtr instantiateFileView()
{
    return std::make_shared<FileViewController>();
}
} // namespace

std::shared_ptr<ArchiveWindowController> ArchiveWindowController::make()
{
    Dispatch::assertMainThread("ArchiveWindowController::make");
    auto browser = instantiateFileView();
    auto window = AppKit::Window::withContentViewController(browser);
    setAppWindowTitle(*window);
    window->setContentSize({760, 480});
    window->center();
    auto controller = CommonWindowController::make<ArchiveWindowController>(window);

    auto toolbar = std::make_shared<AppKit::Toolbar>(BrowserToolbar::toolbarIdentifier);
    toolbar->setDelegate(controller);
    toolbar->qtToolBar()->setToolButtonStyle(Qt::ToolButtonIconOnly);
    window->setToolbar(toolbar);
    window->setDelegate(controller);
    controller->registerActions();
    controller->installFindKey();
    validateVisibleToolbarItems(*window);
    return controller;
}

ArchiveWindowController::ArchiveWindowController(AppKit::WindowPtr window)
    : CommonWindowController(std::move(window))
{
}

void ArchiveWindowController::windowDidLoad()
{
    CommonWindowController::windowDidLoad();
    setWindowFrameAutosaveName("ArchiveBrowserWindow");
    if (auto w = window())
        w->setDelegate(std::dynamic_pointer_cast<AppKit::WindowDelegate>(shared_from_this()));
}

void ArchiveWindowController::registerActions()
{
    std::weak_ptr<ArchiveWindowController> weakSelf =
        std::static_pointer_cast<ArchiveWindowController>(shared_from_this());
    auto bind = [&](const char* action, void (ArchiveWindowController::*method)(AppKit::Responder*)) {
        setActionHandler(action, [weakSelf, method](AppKit::Responder* sender) {
            if (auto self = weakSelf.lock())
                ((*self).*method)(sender);
        });
    };
    bind("extractClicked:", &ArchiveWindowController::extractClicked);
    bind("archiveClicked:", &ArchiveWindowController::archiveClicked);
    bind("tasksClicked:", &ArchiveWindowController::tasksClicked);
    bind("goBackOrForward:", &ArchiveWindowController::goBackOrForward);
    bind("executeSearch:", &ArchiveWindowController::executeSearch);
    bind("newWindowForTab:", &ArchiveWindowController::newWindowForTab);
}

void ArchiveWindowController::installFindKey()
{
    auto* shortcut = new QShortcut(QKeySequence(QKeySequence::Find), window()->widget());
    std::weak_ptr<ArchiveWindowController> weakSelf =
        std::static_pointer_cast<ArchiveWindowController>(shared_from_this());
    QObject::connect(shortcut, &QShortcut::activated, shortcut, [weakSelf] {
        auto self = weakSelf.lock();
        auto toolbar = self && self->window() ? self->window()->toolbar() : nullptr;
        auto item = toolbar ? toolbar->itemWithIdentifier(BrowserToolbar::search) : nullptr;
        auto* field = item ? dynamic_cast<AppKit::SearchField*>(item->view().get()) : nullptr;
        if (!field || !field->lineEdit()->isEnabled())
            return;
        field->lineEdit()->setFocus(Qt::ShortcutFocusReason);
        field->lineEdit()->selectAll();
    });
}

FileViewControllerPtr ArchiveWindowController::fileViewController()
{
    if (!isWindowLoaded())
        return nullptr;
    return std::dynamic_pointer_cast<FileViewController>(window()->contentViewController());
}

void ArchiveWindowController::forward(const char* action, AppKit::Responder* sender)
{
    if (auto browser = fileViewController())
        browser->tryToPerform(action, sender);
}

void ArchiveWindowController::extractClicked(AppKit::Responder* sender)
{
    forward("unarchiveCurrentSelection", sender);
}

void ArchiveWindowController::archiveClicked(AppKit::Responder*)
{
    if (auto delegate = AppDelegate::shared())
        delegate->ddWindowController()->window()->makeKeyAndOrderFront();
}

void ArchiveWindowController::tasksClicked(AppKit::Responder* sender)
{
    forward("showTaskPopover:", sender);
}

void ArchiveWindowController::goBackOrForward(AppKit::Responder* sender)
{
    auto browser = fileViewController();
    auto* control = dynamic_cast<AppKit::SegmentedControl*>(sender);
    if (!browser || !control)
        return;
    const int segment = control->selectedSegment();
    // The segments act like buttons: none stays selected.
    control->setSelectedSegment(-1);
    if (segment == 0)
        browser->tryToPerform("goBack", sender);
    else if (segment == 1)
        browser->tryToPerform("goForward", sender);
}

void ArchiveWindowController::executeSearch(AppKit::Responder* sender)
{
    forward("searchFieldChanged:", sender);
}

void ArchiveWindowController::newWindowForTab(AppKit::Responder*)
{
    auto delegate = AppDelegate::shared();
    if (!delegate)
        return;
    auto controller = ArchiveWindowController::make();
    auto newWindow = controller->window();
    auto thisWindow = window();
    if (!newWindow || !thisWindow)
        return;
    thisWindow->addTabbedWindow(newWindow, AppKit::WindowOrderingMode::above);
    newWindow->makeKeyAndOrderFront();
    delegate->retainedWindows.insert(controller);
}

bool ArchiveWindowController::validateToolbarItem(AppKit::ToolbarItem& item)
{
    auto browser = fileViewController();
    return browser ? browser->validateToolbarItem(item) : true;
}

void ArchiveWindowController::windowWillClose(AppKit::Window&)
{
    if (auto delegate = AppDelegate::shared())
        delegate->retainedWindows.erase(std::static_pointer_cast<ArchiveWindowController>(shared_from_this()));
}

void ArchiveWindowController::windowDidBecomeKey(AppKit::Window& window)
{
    validateVisibleToolbarItems(window);
}

std::vector<std::string> ArchiveWindowController::toolbarDefaultItemIdentifiers(AppKit::Toolbar&)
{
    return {BrowserToolbar::navigation, AppKit::ToolbarFlexibleSpaceItemIdentifier, BrowserToolbar::archive,
            BrowserToolbar::unarchive, BrowserToolbar::tasks, BrowserToolbar::search};
}

std::vector<std::string> ArchiveWindowController::toolbarAllowedItemIdentifiers(AppKit::Toolbar& toolbar)
{
    return toolbarDefaultItemIdentifiers(toolbar);
}

AppKit::ToolbarItemPtr ArchiveWindowController::toolbarItemForIdentifier(AppKit::Toolbar&,
                                                                         const std::string& identifier, bool)
{
    std::weak_ptr<AppKit::Responder> target =
        std::static_pointer_cast<ArchiveWindowController>(shared_from_this());
    std::weak_ptr<ArchiveWindowController> weakSelf =
        std::static_pointer_cast<ArchiveWindowController>(shared_from_this());

    if (identifier == AppKit::ToolbarFlexibleSpaceItemIdentifier)
        return std::make_shared<AppKit::ToolbarItem>(identifier);

    auto item = std::make_shared<CutomValidatableToolbarItem>(identifier);
    item->setTarget(target);
    auto labelled = [&](const char* key, const char* image, const char* action) {
        item->setLabel(localizedString(key));
        item->setToolTip(item->label());
        item->setImageName(image);
        item->setAction(action);
        return item;
    };
    if (identifier == BrowserToolbar::navigation) {
        auto control = AppKit::SegmentedControl::segmentedControlWithLabels({"", ""});
        control->setImage(AppKit::Image::named("NSGoBackTemplate"), 0);
        control->setImage(AppKit::Image::named("NSGoForwardTemplate"), 1);
        std::weak_ptr<AppKit::SegmentedControl> weakControl = control;
        control->setAction([weakSelf, weakControl] {
            auto self = weakSelf.lock();
            if (auto sender = weakControl.lock(); self && sender)
                self->goBackOrForward(sender.get());
        });
        item->setView(control);
        item->setAction("goBackOrForward:");
        return item;
    }
    // Named images: the theme has no stand-in for the platform's symbols.
    if (identifier == BrowserToolbar::archive)
        return labelled("TOOLBAR_LABEL_CREATE_ARCHIVE", "kelvora-toolbar-archive", "archiveClicked:");
    if (identifier == BrowserToolbar::unarchive)
        return labelled("TOOLBAR_LABEL_UNARCHIVE", "kelvora-toolbar-unarchive", "extractClicked:");
    if (identifier == BrowserToolbar::tasks) {
        // A button of its own: the task popover hangs from it.
        labelled("TOOLBAR_LABEL_TASKS", "kelvora-toolbar-tasks", "tasksClicked:");
        auto button = AppKit::Button::buttonWithImage(AppKit::Image::named("kelvora-toolbar-tasks"));
        std::weak_ptr<AppKit::Button> weakButton = button;
        button->setAction([weakSelf, weakButton] {
            auto self = weakSelf.lock();
            if (auto sender = weakButton.lock(); self && sender)
                self->tasksClicked(sender.get());
        });
        button->setToolTip(item->toolTip());
        item->setView(button);
        return item;
    }
    if (identifier == BrowserToolbar::search) {
        auto field = AppKit::SearchField::make();
        field->setAction("executeSearch:");
        field->setTarget(target);
        item->setView(field);
        item->setAction("executeSearch:");
        return item;
    }
    return nullptr;
}
