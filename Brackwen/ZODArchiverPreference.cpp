#include "Brackwen/ZODArchiverPreference.h"

#include <algorithm>
#include <array>

ZODArchiverPreference::ZODArchiverPreference(int64_t preset, std::optional<std::string> passphrase)
    : preset_(preset), passphrase_(std::move(passphrase))
{
}

std::string ZODArchiverPreference::presetFileExtension(int64_t preset)
{
    static constexpr std::array<const char*, 8> extensions = {
        ".zip", ".7z", ".tar.gz", ".tar.bz2", ".tar.Z", ".tar.xz", ".iso", ".tar.zst",
    };
    if (preset < 0 || preset >= static_cast<int64_t>(extensions.size()))
        return {};
    return extensions[static_cast<size_t>(preset)];
}

void ZODArchiverPreference::setCompressionLevel(int64_t level)
{
    compressionLevel_ = std::clamp<int64_t>(level, 0, 5);
}

void ZODArchiverPreference::setEncryptionMethod(int64_t method)
{
    encryptionMethod_ = (method >= ZODArchiverEncryptionMethodZipCrypto && method <= ZODArchiverEncryptionMethodAES256)
                            ? method
                            : ZODArchiverEncryptionMethodNone;
}
