// The browser's own tasks (its list, the registry's silent list, the close
// button, the popover) and the main-thread halves of the engine's questions.

#include "Kelvora/BrowserToolbarIdentifiers.h"
#include "Kelvora/FileViewController.h"
#include "Kelvora/Strings.h"
#include "Kelvora/TaskManager.h"
#include "Platform/AppKit/Alert.h"
#include "Platform/AppKit/Controls.h"
#include "Platform/AppKit/Toolbar.h"
#include "Platform/AppKit/Window.h"
#include "Platform/Foundation/LocalizedString.h"
#include "Tiberly/SheetPresentation.h"

#include <algorithm>

AppKit::ViewPtr FileViewController::tasksButton() const
{
    auto window = this->window();
    auto toolbar = window ? window->toolbar() : nullptr;
    auto item = toolbar ? toolbar->itemWithIdentifier(BrowserToolbar::tasks) : nullptr;
    if (!item || !std::dynamic_pointer_cast<AppKit::Button>(item->view()))
        return nullptr;
    return item->view();
}

void FileViewController::addTask(const ZODArchiverTaskPtr& task)
{
    Dispatch::assertMainThread("FileViewController::addTask");
    tasks.push_back(task);
    TaskManager::shared()->add(task, true);
    auto window = this->window();
    if (window)
        window->setStyleMask(window->styleMask() & ~AppKit::StyleMask::closable);
    if (window && window->toolbar() && window->toolbar()->isVisible() && !isTaskPopoverShown())
        if (auto button = tasksButton())
            presentTaskPopover(button);
    taskViewController()->tableView()->reloadData();
    validateToolbar();
}

void FileViewController::removeTask(const ZODArchiverTaskPtr& task)
{
    Dispatch::assertMainThread("FileViewController::removeTask");
    std::erase(tasks, task);
    TaskManager::shared()->remove(task);
    if (tasks.empty()) {
        if (auto window = this->window())
            window->setStyleMask(window->styleMask() | AppKit::StyleMask::closable);
        if (isTaskPopoverShown())
            dismissViewController(taskViewController());
    }
    taskViewController()->tableView()->reloadData();
    validateToolbar();
}

bool FileViewController::isTaskPopoverShown() const
{
    return taskViewController_ && taskViewController_->presentingViewController();
}

void FileViewController::showTaskPopover(AppKit::Responder* sender)
{
    if (isTaskPopoverShown())
        return;
    AppKit::ViewPtr anchor;
    if (auto* view = dynamic_cast<AppKit::View*>(sender))
        anchor = view->shared_from_this();
    else if (auto* item = dynamic_cast<AppKit::ToolbarItem*>(sender))
        anchor = item->view();
    presentTaskPopover(anchor);
}

void FileViewController::presentTaskPopover(const AppKit::ViewPtr& anchor)
{
    if (!anchor || isTaskPopoverShown())
        return;
    present(taskViewController(), {}, anchor, AppKit::RectEdge::maxY, AppKit::PopoverBehavior::transient);
}

void FileViewController::showAnalysisPasswordPrompt(std::function<void(std::optional<std::string>)> storePasswordAnswer)
{
    showPasswordPrompt(std::move(storePasswordAnswer));
}

void FileViewController::showPasswordPrompt(std::function<void(std::optional<std::string>)> storePasswordAnswer)
{
    Tiberly::showTextInput(*this, localizedString("ALERT_MESSAGE_ENTER_PASSPHRASE_HINT"),
                           localizedString("ARCHIVE_PASSPHRASE_ITEM"), localizedString("COMMON_OK"),
                           localizedString("COMMON_CANCEL"), true, std::move(storePasswordAnswer));
}

ArchiverConflictResolving conflictResponseHandler(AppKit::ModalResponse response)
{
    switch (response - AppKit::AlertFirstButtonReturn) {
    case 0:
        return ArchiverConflictResolving::skip;
    case 1:
        return ArchiverConflictResolving::skipAll;
    case 2:
        return ArchiverConflictResolving::replace;
    case 3:
        return ArchiverConflictResolving::replaceAll;
    default:
        return ArchiverConflictResolving::cancel;
    }
}

void FileViewController::showConflictAlert(const std::string& fileName,
                                           const std::shared_ptr<ArchiverConflictResolving>& cell,
                                           const std::shared_ptr<Dispatch::Semaphore>& semaphore)
{
    auto alert = AppKit::Alert::make();
    alert->alertStyle = AppKit::AlertStyle::critical;
    alert->messageText = Foundation::format(localizedString("UNARCHIVING_ALERT_FILE_CONFLICT_EXITS"), {fileName});
    for (const char* key : {"UNARCHIVING_ALERT_FILE_CONFLICT_METHOD_SKIP", "UNARCHIVING_ALERT_FILE_CONFLICT_METHOD_SKIP_ALL",
                            "UNARCHIVING_ALERT_FILE_CONFLICT_METHOD_REPLACE",
                            "UNARCHIVING_ALERT_FILE_CONFLICT_METHOD_REPLACE_ALL", "COMMON_CANCEL"})
        alert->addButton(localizedString(key));
    Tiberly::showModalSheet(*this, alert, [cell, semaphore](AppKit::ModalResponse response) {
        *cell = conflictResponseHandler(response);
        semaphore->signal();
    });
}
