#include "Sellwick/ActionViewController.h"

#include "Platform/AppKit/Alert.h"
#include "Platform/AppKit/Panels.h"
#include "Platform/Foundation/LocalizedString.h"
#include "Platform/Foundation/StringEncoding.h"
#include "Sellwick/ArchiveSets.h"
#include "Tiberly/EncodingSelectionController.h"
#include "Tiberly/Panels.h"
#include "Tiberly/SheetPresentation.h"
#include "Vantel/FileUtils.h"
#include "Vantel/SharedSettings.h"

#include <fstream>
#include <string_view>

namespace Sellwick {

using Foundation::localizedString;

ActionViewController::ActionViewController() : ActionFrame("public.data") {}

std::weak_ptr<ActionViewController> ActionViewController::weakSelf()
{
    return std::static_pointer_cast<ActionViewController>(shared_from_this());
}

void ActionViewController::loadView()
{
    auto root = AppKit::View::make();
    root->setFixedSize(Tiberly::ProgressViewController::Constants::fixedSize);
    addChildViewController(progressVC());
    root->addSubview(progressVC()->view(), AppKit::Placement::fill());
    setView(root);
}

void ActionViewController::viewDidAppear()
{
    ActionFrame::viewDidAppear();
    if (!firstAppearance_)
        return;
    firstAppearance_ = false;
    gatherAttachments();
}

void ActionViewController::startAnalysis(const Extension::ExtensionContextPtr& context)
{
    Dispatch::assertMainThread("Sellwick::startAnalysis");
    std::vector<std::string> paths;
    for (const auto& copy : urlsToLoad())
        paths.push_back(copy.path());
    const auto archives = archiveSets(paths);
    pendingArchives_.assign(archives.begin(), archives.end());
    // With nothing copied the engine still gets its (empty) list and answers.
    if (pendingArchives_.empty())
        pendingArchives_.emplace_back();
    continueWithNextArchive(context);
}

void ActionViewController::continueWithNextArchive(const Extension::ExtensionContextPtr& context)
{
    if (pendingArchives_.empty()) {
        finishRequest(context);
        return;
    }
    auto paths = std::move(pendingArchives_.front());
    pendingArchives_.pop_front();
    analyzeArchive(paths, context);
}

void ActionViewController::analyzeArchive(const std::vector<std::string>& paths,
                                          const Extension::ExtensionContextPtr& context)
{
    // A zip's first volume starts with a local header or, split, the spanning mark.
    char magic[4] = {};
    if (!paths.empty())
        std::ifstream(paths.front(), std::ios::binary).read(magic, sizeof magic);
    analysingZip_ = std::string_view(magic, 4) == std::string_view("PK\x03\x04", 4)
                    || std::string_view(magic, 4) == std::string_view("PK\x07\x08", 4);
    auto passphrase = std::make_shared<std::optional<std::string>>();
    auto encoding = std::make_shared<std::optional<uint64_t>>();
    auto weak = weakSelf();
    auto task = Vantel::analyze(
        paths,
        [weak, passphrase] {
            *passphrase = weak.expired() ? std::nullopt : askPassword(weak);
            return *passphrase;
        },
        [weak, encoding](const char* bytes) { return resolveEncoding(weak, bytes, encoding); },
        [weak, paths, passphrase, encoding, context](Vantel::AnalysisResult result, ZODArchiverTaskPtr) {
            Dispatch::assertMainThread("Sellwick analysis completion");
            if (auto self = weak.lock())
                self->analysisFinished(result, paths, passphrase, encoding, context);
        },
        Dispatch::globalQueue(), Dispatch::mainQueue());
    runTask(task);
}

uint64_t ActionViewController::resolveEncoding(const std::weak_ptr<ActionViewController>& weak, const char* bytes,
                                               const EncodingCell& cell)
{
    const uint64_t fallback = Vantel::SharedSettings().fallbackEncodingDefaultUTF8();
    if (fallback != Foundation::Encoding::UTF8) {
        *cell = fallback;
        return fallback;
    }
    auto semaphore = std::make_shared<Dispatch::Semaphore>(0);
    Dispatch::mainQueue()->async([weak, sample = std::string(bytes ? bytes : ""), cell, semaphore] {
        auto self = weak.lock();
        if (!self) {
            semaphore->signal();
            return;
        }
        self->showEncodingSelection(sample, cell, semaphore);
    });
    semaphore->wait();
    return cell->value_or(Foundation::Encoding::UTF8);
}

void ActionViewController::showEncodingSelection(std::string bytes, const EncodingCell& cell,
                                                 const std::shared_ptr<Dispatch::Semaphore>& semaphore)
{
    auto selection = std::make_shared<Tiberly::EncodingSelectionController>("EncodingSelection");
    selection->setSampleBytes(std::move(bytes));
    selection->setSampleFromZip(analysingZip_);
    retainedWindowController_ = selection;
    auto weak = weakSelf();
    Tiberly::showModalSheet(*this, selection->window(),
                            [weak, selection, cell, semaphore](AppKit::ModalResponse response) {
                                if (auto self = weak.lock())
                                    self->retainedWindowController_.reset();
                                if (response == AppKit::ModalResponseOK)
                                    if (auto chosen = selection->selectedEncoding())
                                        *cell = *chosen;
                                semaphore->signal();
                            });
}

std::optional<std::string> ActionViewController::askPassword(const std::weak_ptr<ActionViewController>& weak)
{
    auto cell = std::make_shared<std::optional<std::string>>();
    auto semaphore = std::make_shared<Dispatch::Semaphore>(0);
    Dispatch::mainQueue()->sync([weak, cell, semaphore] {
        auto self = weak.lock();
        if (!self) {
            semaphore->signal();
            return;
        }
        Tiberly::showTextInput(*self, localizedString("ALERT_MESSAGE_ENTER_PASSPHRASE_HINT"),
                               localizedString("ARCHIVE_PASSPHRASE_ITEM"), localizedString("COMMON_OK"),
                               localizedString("COMMON_CANCEL"), true,
                               [cell, semaphore](std::optional<std::string> text) {
                                   *cell = std::move(text);
                                   semaphore->signal();
                               });
    });
    semaphore->wait();
    return *cell;
}

void ActionViewController::analysisFinished(const Vantel::AnalysisResult& result,
                                            const std::vector<std::string>& paths, const PassphraseCell& passphrase,
                                            const EncodingCell& encoding, const Extension::ExtensionContextPtr& context)
{
    if (result.isFailure()) {
        if (result.error().code() == ZODArchiverError::Code::cancelled)
            finishRequest(context);
        else
            showFailure(result.error().localizedDescription(), context);
        return;
    }
    const auto& root = result.value();
    std::vector<std::string> names;
    for (const auto& directory : root->directories())
        names.push_back(directory->name());
    for (const auto& file : root->files())
        names.push_back(file->name());
    const uint64_t chosenEncoding = encoding->value_or(Foundation::Encoding::UTF8);
    if (destination_)
        startExtraction({*destination_}, paths, root, names, *passphrase, chosenEncoding, context);
    else
        chooseDestination(paths, root, names, *passphrase, chosenEncoding, context);
}

void ActionViewController::chooseDestination(const std::vector<std::string>& paths,
                                             const ZODArchiveDirectoryPtr& directory,
                                             const std::vector<std::string>& names,
                                             const std::optional<std::string>& passphrase, uint64_t encoding,
                                             const Extension::ExtensionContextPtr& context)
{
    Dispatch::assertMainThread("Sellwick::chooseDestination");
    auto panel = AppKit::OpenPanel::openPanel();
    panel->setCanChooseDirectories(true);
    panel->setCanChooseFiles(false);
    panel->setAllowsMultipleSelection(false);
    std::vector<std::string> originals;
    for (const auto& original : originalURLs())
        originals.push_back(original.path());
    if (auto folder = Vantel::FileUtils::getFolderPath(originals))
        panel->setDirectoryURL(*folder);
    auto weak = weakSelf();
    Tiberly::openItems(
        panel, this,
        [weak, context] {
            if (auto self = weak.lock())
                self->finishRequest(context);
        },
        [weak, paths, directory, names, passphrase, encoding, context](std::vector<std::string> urls) {
            if (auto self = weak.lock())
                self->startExtraction(urls, paths, directory, names, passphrase, encoding, context);
        });
}

void ActionViewController::startExtraction(const std::vector<std::string>& urls, const std::vector<std::string>& paths,
                                           const ZODArchiveDirectoryPtr& directory,
                                           const std::vector<std::string>& names,
                                           const std::optional<std::string>& passphrase, uint64_t encoding,
                                           const Extension::ExtensionContextPtr& context)
{
    destination_ = urls.front();
    auto weak = weakSelf();
    auto self = std::static_pointer_cast<ActionViewController>(shared_from_this());
    auto task = Vantel::decompress(
        paths, urls.front(), directory, names, directory->size(), directory->itemCount(), passphrase, encoding,
        nullptr, [weak] { return weak.expired() ? std::nullopt : askPassword(weak); },
        [weak](const std::string& fileName) {
            return weak.expired() ? ArchiverConflictResolving::cancel : askConflictResolution(weak, fileName);
        },
        [self, context](Vantel::OperationResult result, ZODArchiverTaskPtr) {
            Dispatch::assertMainThread("Sellwick extraction completion");
            self->extractionFinished(result, context);
        },
        Dispatch::globalQueue(), Dispatch::mainQueue());
    runTask(task);
}

ArchiverConflictResolving ActionViewController::askConflictResolution(const std::weak_ptr<ActionViewController>& weak,
                                                                      const std::string& fileName)
{
    auto cell = std::make_shared<ArchiverConflictResolving>(ArchiverConflictResolving::cancel);
    auto semaphore = std::make_shared<Dispatch::Semaphore>(0);
    Dispatch::mainQueue()->sync([weak, fileName, cell, semaphore] {
        auto self = weak.lock();
        if (!self) {
            semaphore->signal();
            return;
        }
        self->showConflictAlert(fileName, cell, semaphore);
    });
    semaphore->wait();
    return *cell;
}

void ActionViewController::showConflictAlert(const std::string& fileName,
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
        switch (response - AppKit::AlertFirstButtonReturn) {
        case 0:
            *cell = ArchiverConflictResolving::skip;
            break;
        case 1:
            *cell = ArchiverConflictResolving::skipAll;
            break;
        case 2:
            *cell = ArchiverConflictResolving::replace;
            break;
        case 3:
            *cell = ArchiverConflictResolving::replaceAll;
            break;
        default:
            *cell = ArchiverConflictResolving::cancel;
        }
        semaphore->signal();
    });
}

void ActionViewController::extractionFinished(const Vantel::OperationResult& result,
                                              const Extension::ExtensionContextPtr& context)
{
    if (result.isSuccess())
        continueWithNextArchive(context);
    else if (result.error().code() == ZODArchiverError::Code::cancelled)
        finishRequest(context);
    else
        showFailure(result.error().localizedDescription(), context);
}

void ActionViewController::showFailure(const std::string& description, const Extension::ExtensionContextPtr& context)
{
    auto alert = AppKit::Alert::make();
    alert->alertStyle = AppKit::AlertStyle::critical;
    alert->messageText = localizedString("ALERT_MESSAGE_ANAYLYZING_FAILED");
    alert->informativeText = description;
    alert->addButton(localizedString("COMMON_OK"));
    auto self = std::static_pointer_cast<ActionViewController>(shared_from_this());
    Tiberly::showModalSheet(*this, alert,
                            [self, context](AppKit::ModalResponse) { self->continueWithNextArchive(context); });
}

} // namespace Sellwick
