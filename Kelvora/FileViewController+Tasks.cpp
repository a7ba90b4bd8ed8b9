// The browser's own tasks (its list, the registry's silent list, the close
// button, the popover) and the main-thread halves of the engine's questions.

#include "Kelvora/BrowserToolbarIdentifiers.h"
#include "Kelvora/FileViewController.h"
#include "Kelvora/Popover.h"
#include "Kelvora/Strings.h"
#include "Kelvora/TaskManager.h"
#include "Platform/AppKit/Alert.h"
#include "Platform/AppKit/Toolbar.h"
#include "Platform/AppKit/Window.h"
#include "Platform/Foundation/LocalizedString.h"
#include "Tiberly/SheetPresentation.h"

#include <QAbstractButton>
#include <QMainWindow>
#include <QToolBar>

#include <algorithm>

QWidget* FileViewController::tasksButton() const
{
    auto window = this->window();
    auto toolbar = window ? window->toolbar() : nullptr;
    if (!toolbar)
        return nullptr;
    auto item = toolbar->itemWithIdentifier(BrowserToolbar::tasks);
    if (!item)
        return nullptr;
    if (auto view = item->view())
        return qobject_cast<QAbstractButton*>(view->widget());
    return qobject_cast<QAbstractButton*>(toolbar->qtToolBar()->widgetForAction(item->qtAction()));
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
        if (auto* button = tasksButton())
            presentTaskPopover(button);
    taskViewController()->tableView()->reloadData();
}

void FileViewController::removeTask(const ZODArchiverTaskPtr& task)
{
    Dispatch::assertMainThread("FileViewController::removeTask");
    std::erase(tasks, task);
    TaskManager::shared()->remove(task);
    if (tasks.empty()) {
        if (auto window = this->window())
            window->setStyleMask(window->styleMask() | AppKit::StyleMask::closable);
        if (taskPopover_)
            taskPopover_->performClose();
    }
    taskViewController()->tableView()->reloadData();
}

bool FileViewController::isTaskPopoverShown() const
{
    return taskPopover_ && taskPopover_->isShown();
}

void FileViewController::showTaskPopover(AppKit::Responder* sender)
{
    if (isTaskPopoverShown())
        return;
    QWidget* anchor = nullptr;
    if (auto* view = dynamic_cast<AppKit::View*>(sender))
        anchor = view->widget();
    else if (dynamic_cast<AppKit::ToolbarItem*>(sender))
        anchor = tasksButton();
    presentTaskPopover(anchor);
}

void FileViewController::presentTaskPopover(QWidget* anchor)
{
    if (!anchor || isTaskPopoverShown())
        return;
    if (!taskPopover_)
        taskPopover_ = std::make_unique<Popover>();
    taskPopover_->show(taskViewController(), anchor);
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
