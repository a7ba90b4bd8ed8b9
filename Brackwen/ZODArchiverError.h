#pragma once
// The engine's error domain and its one table of codes. Each code has an
// English description looked up by key in the engine's string table; an
// error's localized description adds the reason and the path it carries.

#include "Platform/Foundation/Error.h"

#include <cstdint>
#include <string>

inline constexpr const char* ZODArchiverErrorDomain = "ZODArchiverErrorDomain";

enum ZODArchiverErrorCode : int64_t {
    ZODArchiverErrorFileNotFound = 1,
    ZODArchiverErrorFileNotReadable = 2,
    ZODArchiverErrorUnsupportedFormat = 3,
    ZODArchiverErrorDamaged = 4,
    ZODArchiverErrorPassphraseRequired = 5,
    ZODArchiverErrorCancelled = 6,
    ZODArchiverErrorWrongPassphrase = 7,
    ZODArchiverErrorCannotEncrypt = 8,
    ZODArchiverErrorEncryptedRARUnsupported = 9,
    ZODArchiverErrorDiskFull = 10,
    ZODArchiverErrorCannotWrite = 11,
    ZODArchiverErrorUnsafeEntry = 12,
    ZODArchiverErrorInvalidArgument = 13,
    ZODArchiverErrorBackendMissing = 14,
    ZODArchiverErrorItemNotFound = 15,
    ZODArchiverErrorUnexpectedEnd = 26,
    ZODArchiverErrorUnknown = 27,
};

// A new error of the engine's domain. The user information may carry the
// path concerned (Foundation::NSFilePathErrorKey) and the library's own
// message under ZODArchiverUnderlyingMessageKey.
Foundation::ErrorPtr ZODArchiverMakeError(int64_t code, Foundation::UserInfo userInfo = {});

inline constexpr const char* ZODArchiverUnderlyingMessageKey = "ZODArchiverUnderlyingMessage";

// The English description of a code; the catch-all text for unknown codes.
std::string ZODArchiverErrorDescription(int64_t code);

// The answer to a file conflict during extraction.
enum class ArchiverConflictResolving : uint64_t {
    replace = 0,
    replaceAll = 1,
    skip = 2,
    skipAll = 3,
    cancel = 4,
};
