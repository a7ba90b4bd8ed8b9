#pragma once
// What both action programs share: one run gathers the file attachments of
// the request, copies them one after another into a folder of its own
// under the job temporary folder (<temp>/<uuid>/<name>), runs one engine
// operation on the copies (the subclass's start step) and ends, whatever
// happened, in finishRequest: the copies are removed and the request is
// completed with no items. Nothing of the loading is ever shown: an
// attachment that cannot be loaded or copied is left out.
//
// Main-thread only, except the copying, which runs on the item provider's
// thread and reaches the lists only through hops to the main queue.

#include "Brackwen/ZODArchiverTask.h"
#include "Platform/Extension/ExtensionViewController.h"
#include "Platform/Extension/ItemProvider.h"
#include "Platform/Foundation/Path.h"
#include "Tiberly/ProgressViewController.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class ActionFrame : public Extension::ExtensionViewController {
public:
    // The index of the attachment being loaded.
    int64_t currentLoadingIndex() const { return currentLoadingIndex_; }
    // Every attachment of every input item, in item order.
    const std::vector<Extension::ItemProviderPtr>& currentLoadedAttachments() const { return currentLoadedAttachments_; }
    // Names this run's folder under the job temporary folder.
    const std::string& uuid() const { return uuid_; }
    // The copies, in the order they were made, and for each the URL that
    // was handed over for its attachment.
    const std::vector<Foundation::URL>& urlsToLoad() const { return urlsToLoad_; }
    const std::vector<Foundation::URL>& originalURLs() const { return originalURLs_; }

    // Cancelling it cancels the current task; before there is one it does nothing.
    std::shared_ptr<Tiberly::ProgressViewController> progressVC();
    // The last task started; never cleared.
    ZODArchiverTaskPtr currentTask() const { return currentTask_; }

    // Loads the next attachment, or runs the start step once every one has been tried.
    virtual void loadNextAttachment(const Extension::ExtensionContextPtr& context);
    // Removes the copies (a failure leaves the others to go); the run's folder stays.
    virtual void cleanUpTemporaryFiles();
    // The one way a run ends.
    virtual void finishRequest(const Extension::ExtensionContextPtr& context);

protected:
    // The attachments are loaded as this type ("public.data", "public.item").
    explicit ActionFrame(std::string attachmentType);

    // Reads the request and loads its attachments; with no extension context
    // nothing happens and the request stays open.
    void gatherAttachments();
    virtual void startStep(const Extension::ExtensionContextPtr& context) = 0;
    // Shows the task's progress, keeps it as the current task and resumes it.
    void runTask(const ZODArchiverTaskPtr& task);

private:
    static void copyAttachmentToTemporaryFolder(const std::weak_ptr<ActionFrame>& weak, const std::string& uuid,
                                                const Foundation::URL& url,
                                                const Extension::ExtensionContextPtr& context);
    static void advance(const std::weak_ptr<ActionFrame>& weak, const Extension::ExtensionContextPtr& context);
    std::weak_ptr<ActionFrame> weakFrame();

    const std::string attachmentType_;
    int64_t currentLoadingIndex_ = 0;
    std::vector<Extension::ItemProviderPtr> currentLoadedAttachments_;
    const std::string uuid_;
    std::vector<Foundation::URL> urlsToLoad_;
    std::vector<Foundation::URL> originalURLs_;
    std::shared_ptr<Tiberly::ProgressViewController> progressVC_;
    ZODArchiverTaskPtr currentTask_;
};
