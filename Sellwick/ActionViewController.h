#pragma once
// The extract action: shows only a progress view. On its first appearance
// it copies the shared files (ActionFrame) and groups the copies into
// archives (the volumes of one archive together). It analyses the first
// archive, asks for a destination folder and extracts every top-level entry
// there, then analyses and extracts each further archive into the same
// folder, one after another. A failed archive is reported and the next one
// still extracted; a cancellation ends the run. Passphrase, text-encoding
// and conflict questions come from the engine's work thread; each waits on
// its own answer cell and semaphore while the main thread asks the user.
// Every ending, silent for a cancellation or after the last alert, goes
// through finishRequest, once.

#include "ActionFrame/ActionFrame.h"
#include "Platform/AppKit/WindowController.h"
#include "Platform/Dispatch/Dispatch.h"
#include "Vantel/Archiver.h"

#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace Sellwick {

class ActionViewController : public ActionFrame {
public:
    ActionViewController();

    bool firstAppearance() const { return firstAppearance_; }
    // The encoding sheet's controller while the sheet is up.
    AppKit::WindowControllerPtr retainedWindowController() const { return retainedWindowController_; }

    using PassphraseCell = std::shared_ptr<std::optional<std::string>>;
    using EncodingCell = std::shared_ptr<std::optional<uint64_t>>;

    virtual void startAnalysis(const Extension::ExtensionContextPtr& context);
    virtual void chooseDestination(const std::vector<std::string>& paths, const ZODArchiveDirectoryPtr& directory,
                                   const std::vector<std::string>& names, const std::optional<std::string>& passphrase,
                                   uint64_t encoding, const Extension::ExtensionContextPtr& context);

    // Engine work thread; block until answered. With the controller gone
    // the answer is none, cancel, or UTF-8 at once.
    static std::optional<std::string> askPassword(const std::weak_ptr<ActionViewController>& weak);
    static ArchiverConflictResolving askConflictResolution(const std::weak_ptr<ActionViewController>& weak,
                                                           const std::string& fileName);
    static uint64_t resolveEncoding(const std::weak_ptr<ActionViewController>& weak, const char* bytes,
                                    const EncodingCell& cell);

protected:
    void loadView() override;
    void viewDidAppear() override;
    void startStep(const Extension::ExtensionContextPtr& context) override { startAnalysis(context); }

private:
    std::weak_ptr<ActionViewController> weakSelf();
    void showEncodingSelection(std::string bytes, const EncodingCell& cell,
                               const std::shared_ptr<Dispatch::Semaphore>& semaphore);
    void showConflictAlert(const std::string& fileName, const std::shared_ptr<ArchiverConflictResolving>& cell,
                           const std::shared_ptr<Dispatch::Semaphore>& semaphore);
    void analysisFinished(const Vantel::AnalysisResult& result, const std::vector<std::string>& paths,
                          const PassphraseCell& passphrase, const EncodingCell& encoding,
                          const Extension::ExtensionContextPtr& context);
    void startExtraction(const std::vector<std::string>& urls, const std::vector<std::string>& paths,
                         const ZODArchiveDirectoryPtr& directory, const std::vector<std::string>& names,
                         const std::optional<std::string>& passphrase, uint64_t encoding,
                         const Extension::ExtensionContextPtr& context);
    void extractionFinished(const Vantel::OperationResult& result, const Extension::ExtensionContextPtr& context);
    void showFailure(const std::string& description, const Extension::ExtensionContextPtr& context);
    // The next archive's analysis, or the end of the run after the last.
    void continueWithNextArchive(const Extension::ExtensionContextPtr& context);
    void analyzeArchive(const std::vector<std::string>& paths, const Extension::ExtensionContextPtr& context);

    bool firstAppearance_ = true;
    AppKit::WindowControllerPtr retainedWindowController_;
    // The archives not yet analysed, each as its volumes' paths.
    std::deque<std::vector<std::string>> pendingArchives_;
    // The folder chosen for the first archive, taken for all the others.
    std::optional<std::string> destination_;
    // Whether the archive being analysed is a zip (its names then likely in
    // a DOS code page), for the encoding sheet.
    bool analysingZip_ = false;
};

} // namespace Sellwick
