#include "Brackwen/ZODArchiverError.h"

#include <cctype>
#include <mutex>

namespace {

const char* describe(int64_t code)
{
    switch (code) {
    case ZODArchiverErrorFileNotFound: return "The archive file could not be found.";
    case ZODArchiverErrorFileNotReadable: return "The archive file could not be read.";
    case ZODArchiverErrorUnsupportedFormat: return "The file is not an archive in a supported format.";
    case ZODArchiverErrorDamaged: return "The archive is damaged.";
    case ZODArchiverErrorPassphraseRequired: return "The archive is encrypted and needs a passphrase.";
    case ZODArchiverErrorCancelled: return "The operation was cancelled.";
    case ZODArchiverErrorWrongPassphrase: return "The passphrase is incorrect.";
    case ZODArchiverErrorCannotEncrypt: return "This archive format cannot be encrypted.";
    case ZODArchiverErrorEncryptedRARUnsupported: return "Encrypted RAR archives are not supported.";
    case ZODArchiverErrorDiskFull: return "There is not enough free space on the disk.";
    case ZODArchiverErrorCannotWrite: return "A file could not be written.";
    case ZODArchiverErrorUnsafeEntry: return "An entry that would be written outside the destination folder was refused.";
    case ZODArchiverErrorInvalidArgument: return "The operation was given an invalid argument.";
    case ZODArchiverErrorBackendMissing: return "The 7-Zip program (7zz) needed for this archive is not installed.";
    case ZODArchiverErrorItemNotFound: return "An item to extract was not found in the archive.";
    case ZODArchiverErrorUnexpectedEnd: return "The archive ends unexpectedly.";
    default: return "An unknown error occurred.";
    }
}

std::string textAt(const Foundation::UserInfo& info, const char* key)
{
    auto it = info.find(key);
    if (it == info.end())
        return {};
    const auto* text = std::any_cast<std::string>(&it->second);
    return text ? *text : std::string();
}

// The code's sentence followed by why and what: the library's or the
// system's reason and the path concerned, when the error carries them.
std::string describeWithDetail(int64_t code, const Foundation::UserInfo& info)
{
    std::string text = describe(code);
    std::string reason = textAt(info, ZODArchiverUnderlyingMessageKey);
    const std::string path = textAt(info, Foundation::NSFilePathErrorKey);
    while (!reason.empty() && (reason.back() == '.' || reason.back() == '\n' || reason.back() == ' '))
        reason.pop_back();
    if (!reason.empty()) {
        reason[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(reason[0])));
        text += " " + reason + (path.empty() ? "." : ": " + path);
    } else if (!path.empty()) {
        text += " (" + path + ")";
    }
    return text;
}

void registerProvider()
{
    static std::once_flag once;
    std::call_once(once, [] {
        Foundation::Error::registerDescriptionProvider(
            ZODArchiverErrorDomain, describeWithDetail);
    });
}

// Descriptions are available as soon as the engine is linked in, not only
// after its first error.
const bool registered = (registerProvider(), true);

} // namespace

std::string ZODArchiverErrorDescription(int64_t code)
{
    return describe(code);
}

Foundation::ErrorPtr ZODArchiverMakeError(int64_t code, Foundation::UserInfo userInfo)
{
    registerProvider();
    (void)registered;
    return Foundation::Error::make(ZODArchiverErrorDomain, code, std::move(userInfo));
}
