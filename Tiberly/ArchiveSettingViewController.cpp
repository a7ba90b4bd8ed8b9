#include "Tiberly/ArchiveSettingViewController.h"

#include "Brackwen/ZODArchiverPreference.h"
#include "Platform/AppKit/GridView.h"
#include "Platform/Dispatch/Dispatch.h"
#include "Platform/Foundation/FileManager.h"
#include "Platform/Foundation/UserDefaults.h"
#include "Tiberly/KitStrings.h"

#include <QString>
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

// What the two passphrase fields hold, for this process only.
struct TypedPassphrase {
    std::string passphrase;
    std::string confirmation;
};
std::mutex passphraseMutex;
TypedPassphrase& sessionPassphrase()
{
    static TypedPassphrase typed;
    return typed;
}

// The passphrase counts only once both fields agree: a typo must not lock
// the user out of the archive.
std::optional<std::string> agreedPassphrase(const TypedPassphrase& typed)
{
    if (typed.passphrase.empty() || typed.passphrase != typed.confirmation)
        return std::nullopt;
    return typed.passphrase;
}

// The application and its action programs read the same settings: they
// live in the application group's suite, not in one program's defaults.
QVariant storedValue(const char* key)
{
    return Foundation::UserDefaults::suite(Foundation::kApplicationGroupIdentifier)->objectForKey(key);
}

void storeValue(const char* key, const QVariant& value)
{
    Foundation::UserDefaults::suite(Foundation::kApplicationGroupIdentifier)->setValue(value, key);
}

int64_t storedInt(const char* key, int64_t fallback, int64_t low, int64_t high)
{
    bool ok = false;
    const auto value = storedValue(key).toLongLong(&ok);
    return ok && value >= low && value <= high ? value : fallback;
}

bool storedBool(const char* key) { return storedValue(key).toBool(); }

bool canEncrypt(int64_t preset) { return preset == ZODArchiverPresetZip || preset == ZODArchiverPreset7z; }
bool canEncryptNames(int64_t preset) { return preset == ZODArchiverPreset7z; }
bool hasLevels(int64_t preset) { return preset != ZODArchiverPresetTarZ && preset != ZODArchiverPresetISO; }

std::optional<std::string> problemWith(const TypedPassphrase& typed, int64_t preset)
{
    if (typed.passphrase != typed.confirmation)
        return kitString("KIT_PASSPHRASE_MISMATCH");
    if (!typed.passphrase.empty() && !canEncrypt(preset)) {
        return QString::fromStdString(kitString("KIT_REFUSAL_NO_ENCRYPTION"))
            .arg(QString::fromStdString(ZODArchiverPreference::presetFileExtension(preset)))
            .toStdString();
    }
    return std::nullopt;
}

} // namespace

} // namespace Tiberly

ZODArchiverPreference ZODArchiverPreference::current()
{
    using namespace Tiberly;
    const int64_t preset = storedInt(presetKey, ZODArchiverPresetZip, 0, presetCount - 1);
    std::optional<std::string> passphrase;
    if (canEncrypt(preset)) {
        std::lock_guard lock(passphraseMutex);
        passphrase = agreedPassphrase(sessionPassphrase());
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

std::optional<std::string> archiveSettingsProblem()
{
    TypedPassphrase typed;
    {
        std::lock_guard lock(passphraseMutex);
        typed = sessionPassphrase();
    }
    return problemWith(typed, storedInt(presetKey, ZODArchiverPresetZip, 0, presetCount - 1));
}

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
        passphrase_->setStringValue(sessionPassphrase().passphrase);
        confirmation_->setStringValue(sessionPassphrase().confirmation);
    }
    passphrase_->setTextDidChange(changed);
    confirmation_->setTextDidChange(changed);

    method_ = AppKit::PopUpButton::make(changed);
    method_->addItemsWithTitles({"ZipCrypto", "AES-128", "AES-256"});
    method_->selectItemAtIndex(static_cast<int>(storedInt(methodKey, ZODArchiverEncryptionMethodAES256, 1, 3) - 1));

    encryptNames_ = AppKit::Button::checkboxWithTitle(kitString("KIT_ENCRYPT_FILE_NAMES"), [weak] {
        if (auto self = weak.lock()) {
            self->encryptNamesWanted_ = self->encryptNames_->state() == AppKit::ControlStateValueOn;
            self->store();
        }
    });
    ignoreHidden_ = AppKit::Button::checkboxWithTitle(kitString("KIT_IGNORE_HIDDEN_FILES"), changed);
    reveal_ = AppKit::Button::checkboxWithTitle(kitString("KIT_REVEAL_AFTER_CREATION"), changed);
    deleteOriginals_ = AppKit::Button::checkboxWithTitle(kitString("KIT_DELETE_ORIGINALS"), changed);
    encryptNamesWanted_ = storedBool(encryptNamesKey);
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
    storeValue(presetKey, format_->indexOfSelectedItem());
    storeValue(levelKey, level_->indexOfSelectedItem());
    storeValue(methodKey, method_->indexOfSelectedItem() + 1);
    storeValue(encryptNamesKey, encryptNamesWanted_);
    storeValue(ignoreHiddenKey, ignoreHidden_->state() == AppKit::ControlStateValueOn);
    storeValue(revealKey, reveal_->state() == AppKit::ControlStateValueOn);
    storeValue(deleteOriginalsKey, deleteOriginals_->state() == AppKit::ControlStateValueOn);
    {
        std::lock_guard lock(passphraseMutex);
        sessionPassphrase() = {passphrase_->stringValue(), confirmation_->stringValue()};
    }
    updateAvailability();
}

void ArchiveSettingViewController::updateAvailability()
{
    const int64_t preset = format_->indexOfSelectedItem();
    const bool encryption = canEncrypt(preset);
    const TypedPassphrase typed{passphrase_->stringValue(), confirmation_->stringValue()};
    // The names can be encrypted only along with the contents; the tick
    // shows what the archive will get, and the wish returns with the passphrase.
    const bool names = canEncryptNames(preset) && agreedPassphrase(typed).has_value();
    format_->setEnabled(editable_);
    level_->setEnabled(editable_ && hasLevels(preset));
    // A passphrase the format cannot use stays in reach, to be cleared.
    passphrase_->setEnabled(editable_);
    confirmation_->setEnabled(editable_);
    method_->setEnabled(editable_ && encryption);
    encryptNames_->setEnabled(editable_ && names);
    encryptNames_->setState(names && encryptNamesWanted_ ? AppKit::ControlStateValueOn : AppKit::ControlStateValueOff);
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
    if (auto problem = problemWith(typed, preset))
        hints.push_back(*problem);
    std::string text;
    for (const auto& hint : hints)
        text += (text.empty() ? "" : "\n") + hint;
    hint_->setStringValue(text);
}

} // namespace Tiberly
