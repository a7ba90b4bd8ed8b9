#pragma once
// The settings of one archive creation. A value type: copy() gives an
// independent copy.
//
// Initial values of a new preference: the given preset and passphrase,
// compression level 0 (the format's default), encryption method 0 (none
// chosen: AES-256 when a passphrase is given), encrypt header off, ignore
// hidden Unix files off, reveal in file manager off, delete original off.

#include <cstdint>
#include <optional>
#include <string>

// Presets in the order of the automation action's archive formats.
enum ZODArchiverPreset : int64_t {
    ZODArchiverPresetZip = 0,
    ZODArchiverPreset7z = 1,
    ZODArchiverPresetTarGz = 2,
    ZODArchiverPresetTarBz2 = 3,
    ZODArchiverPresetTarZ = 4,
    ZODArchiverPresetTarXz = 5,
    ZODArchiverPresetISO = 6,
    ZODArchiverPresetTarZst = 7,
};

enum ZODArchiverEncryptionMethod : int64_t {
    ZODArchiverEncryptionMethodNone = 0,
    ZODArchiverEncryptionMethodZipCrypto = 1,
    ZODArchiverEncryptionMethodAES128 = 2,
    ZODArchiverEncryptionMethodAES256 = 3,
};

class ZODArchiverPreference {
public:
    ZODArchiverPreference(int64_t preset, std::optional<std::string> passphrase);

    // The user's saved settings, as the user-interface kit keeps them.
    // Defined by Tiberly; callers copy it before use.
    static ZODArchiverPreference current();

    // ".zip", ".7z", ".tar.gz", ".tar.bz2", ".tar.Z", ".tar.xz", ".iso",
    // ".tar.zst" for presets 0 to 7; empty for any other number.
    static std::string presetFileExtension(int64_t preset);

    ZODArchiverPreference copy() const { return *this; }

    int64_t preset() const { return preset_; }
    const std::optional<std::string>& passphrase() const { return passphrase_; }

    int64_t compressionLevel() const { return compressionLevel_; }
    void setCompressionLevel(int64_t level); // clamped to 0...5

    int64_t encryptionMethod() const { return encryptionMethod_; }
    void setEncryptionMethod(int64_t method); // 1...3; anything else is none

    bool shouldEncryptHeader() const { return shouldEncryptHeader_; }
    void setShouldEncryptHeader(bool value) { shouldEncryptHeader_ = value; }

    bool ignoreHiddenUnixFiles() const { return ignoreHiddenUnixFiles_; }
    void setIgnoreHiddenUnixFiles(bool value) { ignoreHiddenUnixFiles_ = value; }

    bool revealInFinder() const { return revealInFinder_; }
    void setRevealInFinder(bool value) { revealInFinder_ = value; }

    bool deleteOriginal() const { return deleteOriginal_; }
    void setDeleteOriginal(bool value) { deleteOriginal_ = value; }

    bool operator==(const ZODArchiverPreference&) const = default;

private:
    int64_t preset_;
    std::optional<std::string> passphrase_;
    int64_t compressionLevel_ = 0;
    int64_t encryptionMethod_ = ZODArchiverEncryptionMethodNone;
    bool shouldEncryptHeader_ = false;
    bool ignoreHiddenUnixFiles_ = false;
    bool revealInFinder_ = false;
    bool deleteOriginal_ = false;
};
