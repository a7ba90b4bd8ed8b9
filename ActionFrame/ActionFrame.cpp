#include "ActionFrame/ActionFrame.h"

#include "Platform/Dispatch/Dispatch.h"
#include "Platform/Extension/ExtensionItem.h"
#include "Platform/Foundation/FileCoordinator.h"
#include "Platform/Foundation/FileManager.h"
#include "Platform/Foundation/Uuid.h"
#include "Vantel/URLFolders.h"

ActionFrame::ActionFrame(std::string attachmentType)
    : attachmentType_(std::move(attachmentType)), uuid_(Foundation::uuidString())
{
}

std::weak_ptr<ActionFrame> ActionFrame::weakFrame()
{
    return std::static_pointer_cast<ActionFrame>(shared_from_this());
}

std::shared_ptr<Tiberly::ProgressViewController> ActionFrame::progressVC()
{
    if (!progressVC_) {
        auto weak = weakFrame();
        progressVC_ = std::make_shared<Tiberly::ProgressViewController>([weak] {
            auto self = weak.lock();
            if (self && self->currentTask_)
                self->currentTask_->cancel();
        });
    }
    return progressVC_;
}

void ActionFrame::gatherAttachments()
{
    Dispatch::assertMainThread("ActionFrame::gatherAttachments");
    auto context = extensionContext();
    if (!context)
        return;
    // A request with any item of another kind is taken as one without items.
    std::vector<Extension::ExtensionItemPtr> items;
    for (const auto& input : context->inputItems()) {
        const auto* item = std::any_cast<Extension::ExtensionItemPtr>(&input);
        if (!item || !*item) {
            items.clear();
            break;
        }
        items.push_back(*item);
    }
    currentLoadedAttachments_.clear();
    for (const auto& item : items)
        currentLoadedAttachments_.insert(currentLoadedAttachments_.end(), item->attachments().begin(),
                                         item->attachments().end());
    loadNextAttachment(context);
}

void ActionFrame::loadNextAttachment(const Extension::ExtensionContextPtr& context)
{
    Dispatch::assertMainThread("ActionFrame::loadNextAttachment");
    if (currentLoadingIndex_ >= static_cast<int64_t>(currentLoadedAttachments_.size())) {
        startStep(context);
        return;
    }
    const auto& provider = currentLoadedAttachments_[static_cast<size_t>(currentLoadingIndex_)];
    auto weak = weakFrame();
    provider->loadInPlaceFileRepresentation(
        attachmentType_,
        [weak, uuid = uuid_, context](std::optional<Foundation::URL> url, bool, Foundation::ErrorPtr) {
            // expired(), not lock(): this thread must never hold the last reference.
            if (weak.expired())
                return;
            if (!url) {
                advance(weak, context);
                return;
            }
            Foundation::FileCoordinator coordinator;
            auto failure = coordinator.coordinateReadingItemAtURL(
                *url, Foundation::FileCoordinator::readingWithoutChanges,
                [&](const Foundation::URL& coordinated) {
                    copyAttachmentToTemporaryFolder(weak, uuid, coordinated, context);
                });
            if (failure)
                advance(weak, context);
        });
}

void ActionFrame::copyAttachmentToTemporaryFolder(const std::weak_ptr<ActionFrame>& weak, const std::string& uuid,
                                                  const Foundation::URL& url,
                                                  const Extension::ExtensionContextPtr& context)
{
    auto base = Vantel::temp(std::nullopt);
    if (base.isSuccess()) {
        const auto dir = base.value().appendingPathComponent(uuid, true);
        if (!Foundation::FileManager::createDirectory(dir.path(), true)) {
            const auto destination = dir.appendingPathComponent(url.lastPathComponent());
            if (!Foundation::FileManager::copyItem(url.path(), destination.path())) {
                Dispatch::mainQueue()->async([weak, destination, url] {
                    if (auto self = weak.lock()) {
                        self->urlsToLoad_.push_back(destination);
                        self->originalURLs_.push_back(url);
                    }
                });
            }
        }
    }
    advance(weak, context);
}

void ActionFrame::advance(const std::weak_ptr<ActionFrame>& weak, const Extension::ExtensionContextPtr& context)
{
    Dispatch::mainQueue()->async([weak, context] {
        if (auto self = weak.lock()) {
            ++self->currentLoadingIndex_;
            self->loadNextAttachment(context);
        }
    });
}

void ActionFrame::runTask(const ZODArchiverTaskPtr& task)
{
    Dispatch::assertMainThread("ActionFrame::runTask");
    progressVC()->setProgress(task->progress());
    currentTask_ = task;
    task->resume();
}

void ActionFrame::cleanUpTemporaryFiles()
{
    Dispatch::assertMainThread("ActionFrame::cleanUpTemporaryFiles");
    for (const auto& copy : urlsToLoad_)
        Foundation::FileManager::removeItem(copy.path());
}

void ActionFrame::finishRequest(const Extension::ExtensionContextPtr& context)
{
    Dispatch::assertMainThread("ActionFrame::finishRequest");
    cleanUpTemporaryFiles();
    context->completeRequestReturningItems({}, nullptr);
}
