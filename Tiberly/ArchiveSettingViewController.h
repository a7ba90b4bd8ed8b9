#pragma once
// Edits the user's archive settings: format, compression level, passphrase
// (typed twice), encryption method, encrypted file names, hidden files,
// revealing the archive and deleting the originals. Every change is stored
// at once in the application group's defaults suite, which the action
// programs read too, except the passphrase, which lives in memory for this
// process only; ZODArchiverPreference::current() reads the
// settings back. Options the chosen format cannot honour are disabled with a
// hint, and current() leaves them out.

#include "Platform/AppKit/Controls.h"
#include "Platform/AppKit/ViewController.h"

#include <memory>
#include <optional>
#include <string>

namespace Tiberly {

// Why the current settings cannot make the archive the user asked for (the
// passphrase and its confirmation differ, or a passphrase is given for a
// format that cannot be encrypted), or none. Callers refuse to start a job
// while there is a reason: current() would quietly leave the encryption out.
std::optional<std::string> archiveSettingsProblem();

class ArchiveSettingViewController : public AppKit::ViewController {
public:
    ArchiveSettingViewController() = default;

    bool isEditable() const { return editable_; }
    // Read-only keeps the view on screen with every control disabled.
    void setEditable(bool editable);

    // The controls, for the kit's tests and for callers that label them.
    std::shared_ptr<AppKit::PopUpButton> formatPopUp();
    std::shared_ptr<AppKit::PopUpButton> levelPopUp();
    std::shared_ptr<AppKit::TextField> passphraseField();
    std::shared_ptr<AppKit::TextField> confirmationField();
    std::shared_ptr<AppKit::PopUpButton> encryptionMethodPopUp();
    std::shared_ptr<AppKit::Button> encryptNamesCheckbox();
    std::shared_ptr<AppKit::Button> ignoreHiddenFilesCheckbox();
    std::shared_ptr<AppKit::Button> revealCheckbox();
    std::shared_ptr<AppKit::Button> deleteOriginalsCheckbox();
    std::shared_ptr<AppKit::TextField> hintLabel();

protected:
    void loadView() override;

private:
    void store();
    void updateAvailability();

    bool editable_ = true;
    // The stored choice, kept while the tick cannot be honoured.
    bool encryptNamesWanted_ = false;
    std::shared_ptr<AppKit::PopUpButton> format_;
    std::shared_ptr<AppKit::PopUpButton> level_;
    std::shared_ptr<AppKit::TextField> passphrase_;
    std::shared_ptr<AppKit::TextField> confirmation_;
    std::shared_ptr<AppKit::PopUpButton> method_;
    std::shared_ptr<AppKit::Button> encryptNames_;
    std::shared_ptr<AppKit::Button> ignoreHidden_;
    std::shared_ptr<AppKit::Button> reveal_;
    std::shared_ptr<AppKit::Button> deleteOriginals_;
    std::shared_ptr<AppKit::TextField> hint_;
};

} // namespace Tiberly
