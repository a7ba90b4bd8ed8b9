#include "Tollbeck/ActionViewController.h"

#include "Platform/AppKit/Alert.h"
#include "Platform/AppKit/Panels.h"
#include "Platform/AppKit/Workspace.h"
#include "Platform/Dispatch/Dispatch.h"
#include "Platform/Foundation/FileManager.h"
#include "Platform/Foundation/LocalizedString.h"
#include "Platform/Foundation/Uuid.h"
#include "Tiberly/Panels.h"
#include "Tiberly/SheetPresentation.h"
#include "Vantel/FileUtils.h"
#include "Vantel/URLFolders.h"

#include <QHBoxLayout>

#include <cerrno>
#include <cstdio>
#include <filesystem>

namespace Tollbeck {

using Foundation::localizedString;

namespace {

constexpr int minimumButtonWidth = 80;

// Whether removing the original would take the saved archive with it.
bool holds(const std::string& original, const std::string& savedArchive)
{
    std::error_code error;
    const auto outer = std::filesystem::weakly_canonical(original, error);
    const auto inner = std::filesystem::weakly_canonical(savedArchive, error);
    if (error)
        return false;
    auto [end, rest] = std::mismatch(outer.begin(), outer.end(), inner.begin(), inner.end());
    return end == outer.end();
}

} // namespace

ActionViewController::ActionViewController() : ActionFrame("public.item") {}

std::shared_ptr<Tiberly::ArchiveSettingViewController> ActionViewController::settingsVC()
{
    if (!settingsVC_)
        settingsVC_ = std::make_shared<Tiberly::ArchiveSettingViewController>();
    return settingsVC_;
}

std::shared_ptr<AppKit::Button> ActionViewController::okButton()
{
    if (!okButton_) {
        std::weak_ptr<ActionViewController> weak = std::static_pointer_cast<ActionViewController>(shared_from_this());
        okButton_ = AppKit::Button::buttonWithTitle(localizedString("COMMON_OK"), [weak] {
            if (auto self = weak.lock())
                self->ok();
        });
    }
    return okButton_;
}

std::shared_ptr<AppKit::Button> ActionViewController::cancelButton()
{
    if (!cancelButton_) {
        std::weak_ptr<ActionViewController> weak = std::static_pointer_cast<ActionViewController>(shared_from_this());
        cancelButton_ = AppKit::Button::buttonWithTitle(localizedString("COMMON_CANCEL"), [weak] {
            if (auto self = weak.lock())
                self->cancel();
        });
    }
    return cancelButton_;
}

void ActionViewController::loadView()
{
    auto root = AppKit::View::make();
    root->setMinimumSize(contentSize);
    addChildViewController(settingsVC());
    root->addSubview(settingsVC()->view(), AppKit::Placement::top());
    // The progress area and the buttons share the bottom; one shows at a time.
    root->addSubview(progressVC()->view(), AppKit::Placement::bottom());
    auto buttons = AppKit::View::make();
    auto* row = new QHBoxLayout(buttons->widget());
    using Constants = Tiberly::ProgressViewController::Constants;
    row->setContentsMargins(0, 0, Constants::horizontalMargin, Constants::verticalMargin);
    row->setSpacing(buttonSpacing);
    row->addStretch();
    for (const auto& button : {cancelButton(), okButton()}) {
        button->widget()->setMinimumWidth(minimumButtonWidth);
        row->addWidget(button->widget());
    }
    okButton()->setKeyEquivalent("\r");
    cancelButton()->setKeyEquivalent("\x1b");
    root->addSubview(buttons, AppKit::Placement::bottom());
    progressVC()->view()->setHidden(true);
    setView(root);
}

void ActionViewController::ok()
{
    Dispatch::assertMainThread("Tollbeck::ok");
    // Said before anything is copied: the settings would quietly drop the
    // encryption the user asked for. The form stays open to be corrected.
    if (auto problem = Tiberly::archiveSettingsProblem()) {
        auto alert = AppKit::Alert::make();
        alert->alertStyle = AppKit::AlertStyle::critical;
        alert->messageText = localizedString("ALERT_MESSAGE_ARCHIVING_FAILED");
        alert->informativeText = *problem;
        alert->addButton(localizedString("COMMON_OK"));
        Tiberly::showModalSheet(*this, alert, [](AppKit::ModalResponse) {});
        return;
    }
    cancelButton()->setHidden(true);
    okButton()->setHidden(true);
    progressVC()->view()->setHidden(false);
    settingsVC()->setEditable(false);
    gatherAttachments();
}

void ActionViewController::cancel()
{
    if (auto context = extensionContext())
        finishRequest(context);
}

std::string ActionViewController::baseName(const std::vector<std::string>& itemPaths)
{
    std::string name;
    if (itemPaths.size() == 1) {
        bool isDirectory = false;
        const bool exists = Foundation::FileManager::fileExists(itemPaths.front(), &isDirectory);
        name = Foundation::lastPathComponent(itemPaths.front());
        if (!(exists && isDirectory))
            name = Foundation::deletingPathExtension(name);
    }
    return name.empty() ? localizedString("ARCHIVE_DEFAULT_FILE_NAME") : name;
}

void ActionViewController::startArchiving(const Extension::ExtensionContextPtr& context)
{
    Dispatch::assertMainThread("Tollbeck::startArchiving");
    std::vector<std::string> items;
    for (const auto& copy : urlsToLoad())
        items.push_back(copy.path());
    std::vector<std::string> originals;
    for (const auto& original : originalURLs())
        originals.push_back(original.path());
    // Taken once, now: later changes to the settings leave this job alone.
    const auto preference = ZODArchiverPreference::current().copy();
    const std::string archiveName = baseName(items) + ZODArchiverPreference::presetFileExtension(preference.preset());
    auto folder = Vantel::FileUtils::getFolderPath(originals);

    auto temp = Vantel::temp(std::nullopt);
    if (temp.isFailure()) {
        showFailure("ALERT_MESSAGE_ARCHIVING_FAILED", temp.error()->localizedDescription(), context);
        return;
    }
    const auto jobFolder = temp.value().appendingPathComponent(Foundation::uuidString(), true);
    if (auto error = Foundation::FileManager::createDirectory(jobFolder.path(), true)) {
        showFailure("ALERT_MESSAGE_ARCHIVING_FAILED", error->localizedDescription(), context);
        return;
    }
    Job job{archiveName, std::move(folder), context, jobFolder.appendingPathComponent(archiveName).path(), preference,
            originals};
    std::weak_ptr<ActionViewController> weak = std::static_pointer_cast<ActionViewController>(shared_from_this());
    auto task = Vantel::compress(
        items, job.archivePath, preference, nullptr,
        [weak, job](Vantel::OperationResult result, ZODArchiverTaskPtr) {
            if (auto self = weak.lock())
                self->archivingFinished(job, result);
        },
        Dispatch::globalQueue(), Dispatch::mainQueue());
    runTask(task);
}

void ActionViewController::archivingFinished(const Job& job, const Vantel::OperationResult& result)
{
    Dispatch::assertMainThread("Tollbeck::archivingFinished");
    if (result.isFailure()) {
        if (result.error().code() == ZODArchiverError::Code::cancelled)
            finishRequest(job.context);
        else
            showFailure("ALERT_MESSAGE_ARCHIVING_FAILED", result.error().localizedDescription(), job.context);
        return;
    }
    showSavePanel(job);
}

void ActionViewController::showSavePanel(const Job& job)
{
    auto panel = AppKit::SavePanel::savePanel();
    panel->setNameFieldStringValue(job.archiveName);
    if (job.folder)
        panel->setDirectoryURL(*job.folder);
    auto self = std::static_pointer_cast<ActionViewController>(shared_from_this());
    Tiberly::saveFile(
        panel, this, [self, job] { self->finishRequest(job.context); },
        [self, job](std::string destination) { self->saveArchive(job, destination); });
}

void ActionViewController::saveArchive(const Job& job, const std::string& destination)
{
    Dispatch::assertMainThread("Tollbeck::saveArchive");
    Foundation::ErrorPtr error;
    bool isDirectory = false;
    if (Foundation::FileManager::fileExists(destination, &isDirectory)) {
        // The archive goes next to what it replaces first, and a rename swaps
        // it in: a move that fails never costs the user the existing file.
        const std::string staged = Foundation::appendingPathComponent(
            Foundation::deletingLastPathComponent(destination), "." + Foundation::uuidString() + "-" + job.archiveName);
        error = Foundation::FileManager::moveItem(job.archivePath, staged);
        if (!error && isDirectory)
            error = Foundation::FileManager::removeItem(destination);
        if (!error && std::rename(staged.c_str(), destination.c_str()) != 0)
            error = Foundation::posixError(errno, destination);
        if (error && Foundation::FileManager::fileExists(staged))
            Foundation::FileManager::moveItem(staged, job.archivePath);
    } else {
        error = Foundation::FileManager::moveItem(job.archivePath, destination);
    }
    if (error) {
        showFailure("ALERT_MESSAGE_FAILURE_TO_WRITE_FILES", error->localizedDescription(), job.context);
        return;
    }
    if (job.preference.revealInFinder())
        AppKit::Workspace::shared().activateFileViewerSelectingURLs({destination});
    if (job.preference.deleteOriginal())
        confirmDeletingOriginals(job, destination);
    else
        finishRequest(job.context);
}

void ActionViewController::confirmDeletingOriginals(const Job& job, const std::string& savedArchive)
{
    auto alert = AppKit::Alert::make();
    alert->alertStyle = AppKit::AlertStyle::critical;
    alert->messageText = localizedString("ALERT_MESSAGE_CONFIRM_DELETE_ORIGINAL_FILES");
    alert->addButton(localizedString("COMMON_OK"));
    alert->addButton(localizedString("COMMON_CANCEL"));
    auto self = std::static_pointer_cast<ActionViewController>(shared_from_this());
    Tiberly::showModalSheet(*this, alert, [self, job, savedArchive](AppKit::ModalResponse response) {
        if (response == AppKit::AlertFirstButtonReturn) {
            for (const auto& original : job.originals) {
                // The archive may have been saved over or inside an original.
                if (!holds(original, savedArchive))
                    Foundation::FileManager::removeItem(original);
            }
        }
        self->finishRequest(job.context);
    });
}

void ActionViewController::showFailure(const char* messageKey, const std::string& description,
                                       const Extension::ExtensionContextPtr& context)
{
    auto alert = AppKit::Alert::make();
    alert->alertStyle = AppKit::AlertStyle::critical;
    alert->messageText = localizedString(messageKey);
    alert->informativeText = description;
    alert->addButton(localizedString("COMMON_OK"));
    auto self = std::static_pointer_cast<ActionViewController>(shared_from_this());
    Tiberly::showModalSheet(*this, alert, [self, context](AppKit::ModalResponse) { self->finishRequest(context); });
}

} // namespace Tollbeck
