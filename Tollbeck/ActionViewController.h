#pragma once
// The make-archive action: shows the user's archive settings with Cancel
// and OK. OK copies the shared items (ActionFrame), compresses the copies
// with a copy of the current settings into a job folder of its own, asks
// where the archive goes, moves it there, reveals it and offers to delete
// the originals when the settings ask for it. Every road ends in
// finishRequest. Main-thread only; the compression runs on the global queue.

#include "ActionFrame/ActionFrame.h"
#include "Brackwen/ZODArchiverPreference.h"
#include "Platform/AppKit/Controls.h"
#include "Tiberly/ArchiveSettingViewController.h"
#include "Vantel/Archiver.h"

#include <QSize>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace Tollbeck {

class ActionViewController : public ActionFrame {
public:
    static constexpr QSize contentSize{400, 280};
    static constexpr int buttonSpacing = 12;

    ActionViewController();

    std::shared_ptr<Tiberly::ArchiveSettingViewController> settingsVC();
    std::shared_ptr<AppKit::Button> okButton();
    std::shared_ptr<AppKit::Button> cancelButton();

    virtual void ok();
    virtual void cancel();
    virtual void startArchiving(const Extension::ExtensionContextPtr& context);

    // The archive's base name for the item paths: one item's name (a file's
    // without its last extension), else the default name.
    static std::string baseName(const std::vector<std::string>& itemPaths);

protected:
    void loadView() override;
    void startStep(const Extension::ExtensionContextPtr& context) override { startArchiving(context); }

private:
    struct Job {
        std::string archiveName;
        std::optional<std::string> folder;
        Extension::ExtensionContextPtr context;
        std::string archivePath;
        ZODArchiverPreference preference;
        std::vector<std::string> originals;
    };
    void archivingFinished(const Job& job, const Vantel::OperationResult& result);
    void showSavePanel(const Job& job);
    void saveArchive(const Job& job, const std::string& destination);
    void confirmDeletingOriginals(const Job& job, const std::string& savedArchive);
    void showFailure(const char* messageKey, const std::string& description,
                     const Extension::ExtensionContextPtr& context);

    std::shared_ptr<Tiberly::ArchiveSettingViewController> settingsVC_;
    std::shared_ptr<AppKit::Button> okButton_;
    std::shared_ptr<AppKit::Button> cancelButton_;
};

} // namespace Tollbeck
