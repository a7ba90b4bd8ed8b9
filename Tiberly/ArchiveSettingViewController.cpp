#include "Tiberly/ArchiveSettingViewController.h"

#include "Brackwen/ZODArchiverPreference.h"
#include "Platform/AppKit/GridView.h"
#include "Platform/Dispatch/Dispatch.h"
#include "Platform/Foundation/UserDefaults.h"
#include "Tiberly/KitStrings.h"

#include <QVBoxLayout>

#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace Tiberly {

namespace {

constexpr int presetCount = 8;

const char* const presetKey = "TiberlyArchivePreset";
const char* const levelKey = "TiberlyArchiveCompressionLevel";
const char* const methodKey = "TiberlyArchiveEncryptionMethod";
const char* const encryptNamesKey = "TiberlyArchiveEncryptFileNames";
const char* const ignoreHiddenKey = "TiberlyArchiveIgnoreHiddenFiles";
const char* const revealKey = "TiberlyArchiveRevealAfterCreation";
const char* const deleteOriginalsKey = "TiberlyArchiveDeleteOriginals";

std::mutex passphraseMutex;
std::optional<std::string>& sessionPassphrase()
{
    static std::optional<std::string> passphrase;
    return passphrase;
}

int64_t storedInt(const char* key, int64_t fallback, int64_t low, int64_t high)
{
    bool ok = false;
    const auto value = Foundation::UserDefaults::standard()->objectForKey(key).toLongLong(&ok);
    return ok && value >= low && value <= high ? value : fallback;
}

bool storedBool(const char* key) { return Foundation::UserDefaults::standard()->boolForKey(key); }

bool canEncrypt(int64_t preset) { return preset == ZODArchiverPresetZip || preset == ZODArchiverPreset7z; }
bool canEncryptNames(int64_t preset) { return preset == ZODArchiverPreset7z; }
bool hasLevels(int64_t preset) { return preset != ZODArchiverPresetTarZ && preset != ZODArchiverPresetISO; }

} // namespace

} // namespace Tiberly

ZODArchiverPreference ZODArchiverPreference::current()
{
    using namespace Tiberly;
    const int64_t preset = storedInt(presetKey, ZODArchiverPresetZip, 0, presetCount - 1);
    std::optional<std::string> passphrase;
    if (canEncrypt(preset)) {
        std::lock_guard lock(passphraseMutex);
        passphrase = sessionPassphrase();
    }
    ZODArchiverPreference preference(preset, passphrase);
    if (hasLevels(preset))
        preference.setCompressionLevel(storedInt(levelKey, 0, 0, 5));
    if (passphrase)
        preference.setEncryptionMethod(storedInt(methodKey, ZODArchiverEncryptionMethodAES256, 1, 3));
    preference.setShouldEncryptHeader(passphrase && canEncryptNames(preset) && storedBool(encryptNamesKey));
    preference.setIgnoreHiddenUnixFiles(storedBool(ignoreHiddenKey));
    preference.setRevealInFinder(storedBool(revealKey));
    preference.setDeleteOriginal(storedBool(deleteOriginalsKey));
    return preference;
}

namespace Tiberly {

#define TIBERLY_CONTROL(type, name, member) \
    std::shared_ptr<AppKit::type> ArchiveSettingViewController::name() \
    { \
        view(); \
        return member; \
    }
TIBERLY_CONTROL(PopUpButton, formatPopUp, format_)
TIBERLY_CONTROL(PopUpButton, levelPopUp, level_)
TIBERLY_CONTROL(TextField, passphraseField, passphrase_)
TIBERLY_CONTROL(TextField, confirmationField, confirmation_)
TIBERLY_CONTROL(PopUpButton, encryptionMethodPopUp, method_)
TIBERLY_CONTROL(Button, encryptNamesCheckbox, encryptNames_)
TIBERLY_CONTROL(Button, ignoreHiddenFilesCheckbox, ignoreHidden_)
TIBERLY_CONTROL(Button, revealCheckbox, reveal_)
TIBERLY_CONTROL(Button, deleteOriginalsCheckbox, deleteOriginals_)
TIBERLY_CONTROL(TextField, hintLabel, hint_)
#undef TIBERLY_CONTROL

void ArchiveSettingViewController::loadView()
{
    std::weak_ptr<ArchiveSettingViewController> weak =
        std::static_pointer_cast<ArchiveSettingViewController>(shared_from_this());
    auto changed = [weak] {
        if (auto self = weak.lock())
            self->store();
    };

    format_ = AppKit::PopUpButton::make(changed);
    for (int64_t preset = 0; preset < presetCount; ++preset)
        format_->addItemWithTitle(ZODArchiverPreference::presetFileExtension(preset));
    format_->selectItemAtIndex(static_cast<int>(storedInt(presetKey, ZODArchiverPresetZip, 0, presetCount - 1)));

    level_ = AppKit::PopUpButton::make(changed);
    for (const char* key :
         {"KIT_LEVEL_DEFAULT", "KIT_LEVEL_LOWEST", "KIT_LEVEL_LOW", "KIT_LEVEL_MEDIUM", "KIT_LEVEL_HIGH",
          "KIT_LEVEL_HIGHEST"})
        level_->addItemWithTitle(kitString(key));
    level_->selectItemAtIndex(static_cast<int>(storedInt(levelKey, 0, 0, 5)));

    passphrase_ = AppKit::TextField::secureTextField();
    confirmation_ = AppKit::TextField::secureTextField();
    {
        std::lock_guard lock(passphraseMutex);
        passphrase_->setStringValue(sessionPassphrase().value_or(std::string()));
        confirmation_->setStringValue(sessionPassphrase().value_or(std::string()));
    }
    passphrase_->setTextDidChange(changed);
    confirmation_->setTextDidChange(changed);

    method_ = AppKit::PopUpButton::make(changed);
    method_->addItemsWithTitles({"ZipCrypto", "AES-128", "AES-256"});
    method_->selectItemAtIndex(static_cast<int>(storedInt(methodKey, ZODArchiverEncryptionMethodAES256, 1, 3) - 1));

    encryptNames_ = AppKit::Button::checkboxWithTitle(kitString("KIT_ENCRYPT_FILE_NAMES"), changed);
    ignoreHidden_ = AppKit::Button::checkboxWithTitle(kitString("KIT_IGNORE_HIDDEN_FILES"), changed);
    reveal_ = AppKit::Button::checkboxWithTitle(kitString("KIT_REVEAL_AFTER_CREATION"), changed);
    deleteOriginals_ = AppKit::Button::checkboxWithTitle(kitString("KIT_DELETE_ORIGINALS"), changed);
    encryptNames_->setState(storedBool(encryptNamesKey) ? AppKit::ControlStateValueOn : AppKit::ControlStateValueOff);
    ignoreHidden_->setState(storedBool(ignoreHiddenKey) ? AppKit::ControlStateValueOn : AppKit::ControlStateValueOff);
    reveal_->setState(storedBool(revealKey) ? AppKit::ControlStateValueOn : AppKit::ControlStateValueOff);
    deleteOriginals_->setState(storedBool(deleteOriginalsKey) ? AppKit::ControlStateValueOn
                                                              : AppKit::ControlStateValueOff);
    hint_ = AppKit::TextField::wrappingLabelWithString({});

    auto label = [](const char* key) -> AppKit::ViewPtr { return AppKit::TextField::labelWithString(kitString(key)); };
    auto grid = AppKit::GridView::gridViewWithViews({
        {label("KIT_ARCHIVE_FORMAT"), format_},
        {label("KIT_COMPRESSION_LEVEL"), level_},
        {label("KIT_PASSPHRASE"), passphrase_},
        {label("KIT_PASSPHRASE_CONFIRM"), confirmation_},
        {label("KIT_ENCRYPTION_METHOD"), method_},
        {nullptr, encryptNames_},
        {nullptr, ignoreHidden_},
        {nullptr, reveal_},
        {nullptr, deleteOriginals_},
        {nullptr, hint_},
    });
    grid->setColumnXPlacement(0, AppKit::GridView::Placement::trailing);
    auto container = AppKit::View::make();
    container->addSubview(grid, AppKit::Placement::fill(20));
    setView(container);
    updateAvailability();
}

void ArchiveSettingViewController::setEditable(bool editable)
{
    editable_ = editable;
    if (isViewLoaded())
        updateAvailability();
}

void ArchiveSettingViewController::store()
{
    Dispatch::assertMainThread("ArchiveSettingViewController::store");
    const auto defaults = Foundation::UserDefaults::standard();
    defaults->setValue(format_->indexOfSelectedItem(), presetKey);
    defaults->setValue(level_->indexOfSelectedItem(), levelKey);
    defaults->setValue(method_->indexOfSelectedItem() + 1, methodKey);
    defaults->setValue(encryptNames_->state() == AppKit::ControlStateValueOn, encryptNamesKey);
    defaults->setValue(ignoreHidden_->state() == AppKit::ControlStateValueOn, ignoreHiddenKey);
    defaults->setValue(reveal_->state() == AppKit::ControlStateValueOn, revealKey);
    defaults->setValue(deleteOriginals_->state() == AppKit::ControlStateValueOn, deleteOriginalsKey);
    // A passphrase counts only once both fields agree: a typo must not
    // lock the user out of the archive.
    const auto typed = passphrase_->stringValue();
    {
        std::lock_guard lock(passphraseMutex);
        if (!typed.empty() && typed == confirmation_->stringValue())
            sessionPassphrase() = typed;
        else
            sessionPassphrase().reset();
    }
    updateAvailability();
}

void ArchiveSettingViewController::updateAvailability()
{
    const int64_t preset = format_->indexOfSelectedItem();
    const bool encryption = canEncrypt(preset);
    format_->setEnabled(editable_);
    level_->setEnabled(editable_ && hasLevels(preset));
    passphrase_->setEnabled(editable_ && encryption);
    confirmation_->setEnabled(editable_ && encryption);
    method_->setEnabled(editable_ && encryption);
    encryptNames_->setEnabled(editable_ && canEncryptNames(preset));
    ignoreHidden_->setEnabled(editable_);
    reveal_->setEnabled(editable_);
    deleteOriginals_->setEnabled(editable_);

    std::vector<std::string> hints;
    if (!encryption)
        hints.push_back(kitString("KIT_HINT_NO_ENCRYPTION"));
    else if (!canEncryptNames(preset))
        hints.push_back(kitString("KIT_HINT_NO_NAME_ENCRYPTION"));
    if (!hasLevels(preset))
        hints.push_back(kitString("KIT_HINT_NO_LEVEL"));
    const auto typed = passphrase_->stringValue();
    if (encryption && !typed.empty() && typed != confirmation_->stringValue())
        hints.push_back(kitString("KIT_PASSPHRASE_MISMATCH"));
    std::string text;
    for (const auto& hint : hints)
        text += (text.empty() ? "" : "\n") + hint;
    hint_->setStringValue(text);
}

} // namespace Tiberly
