#include "Brackwen/ZODArchiverError.h"

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

void registerProvider()
{
    static std::once_flag once;
    std::call_once(once, [] {
        Foundation::Error::registerDescriptionProvider(
            ZODArchiverErrorDomain, [](int64_t code, const Foundation::UserInfo&) { return std::string(describe(code)); });
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
