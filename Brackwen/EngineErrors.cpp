#include "Brackwen/EngineErrors.h"

#include <archive.h>

#include <cerrno>
#include <cstring>

namespace Brackwen {

namespace {

bool contains(const std::string& text, const char* part)
{
    return text.find(part) != std::string::npos;
}

} // namespace

Foundation::ErrorPtr engineError(int64_t code, const std::string& path, const std::string& message)
{
    Foundation::UserInfo info;
    if (!path.empty())
        info[Foundation::NSFilePathErrorKey] = path;
    if (!message.empty())
        info[ZODArchiverUnderlyingMessageKey] = message;
    return ZODArchiverMakeError(code, std::move(info));
}

std::string archiveMessage(struct archive* a)
{
    const char* text = a ? archive_error_string(a) : nullptr;
    return text ? text : std::string();
}

Foundation::ErrorPtr errorFromArchiveRead(struct archive* a, const std::string& path)
{
    return errorFromReadMessage(archiveMessage(a), a ? archive_errno(a) : 0, path);
}

Foundation::ErrorPtr errorFromReadMessage(const std::string& message, int err, const std::string& path)
{
    int64_t code = ZODArchiverErrorUnknown;
    if (err == ENOSPC)
        code = ZODArchiverErrorDiskFull;
    else if (err == ENOENT)
        code = ZODArchiverErrorFileNotFound;
    else if (err == EACCES || err == EPERM || err == EISDIR || err == EIO)
        code = ZODArchiverErrorFileNotReadable;
    else if (message.empty())
        // 7z reports a missing trailing volume with no message at all.
        code = ZODArchiverErrorUnexpectedEnd;
    else if (contains(message, "Truncated") || contains(message, "truncated") || contains(message, "Premature end"))
        code = ZODArchiverErrorUnexpectedEnd;
    else if (contains(message, "Unrecognized archive format"))
        code = ZODArchiverErrorUnsupportedFormat;
    else if (contains(message, "Incorrect passphrase") || contains(message, "bad Authentication code"))
        code = ZODArchiverErrorWrongPassphrase;
    else if (contains(message, "Passphrase required"))
        code = ZODArchiverErrorPassphraseRequired;
    else if (contains(message, "encrypt") || contains(message, "Encrypt"))
        code = ZODArchiverErrorUnsupportedFormat;
    else if (contains(message, "Unsupported") || contains(message, "Unknown codec") || contains(message, "Unexpected codec"))
        code = ZODArchiverErrorUnsupportedFormat;
    else if (err == EILSEQ || contains(message, "CRC") || contains(message, "crc") ||
             contains(message, "Damaged") || contains(message, "damaged") || contains(message, "corrupt") ||
             contains(message, "Invalid") || contains(message, "invalid") || contains(message, "decompression failed") ||
             contains(message, "checksum") || contains(message, "Bad ") || contains(message, "bad "))
        code = ZODArchiverErrorDamaged;
    return engineError(code, path, message);
}

Foundation::ErrorPtr errorFromWriteErrno(int err, const std::string& path)
{
    int64_t code = ZODArchiverErrorCannotWrite;
    if (err == ENOSPC || err == EDQUOT)
        code = ZODArchiverErrorDiskFull;
    return engineError(code, path, std::strerror(err));
}

Foundation::ErrorPtr errorFromArchiveWrite(struct archive* a, const std::string& path)
{
    const std::string message = archiveMessage(a);
    const int err = a ? archive_errno(a) : 0;
    int64_t code = ZODArchiverErrorCannotWrite;
    if (err == ENOSPC || err == EDQUOT)
        code = ZODArchiverErrorDiskFull;
    else if (contains(message, "Path contains '..'") || contains(message, "Path is absolute") ||
             contains(message, "through symlink"))
        code = ZODArchiverErrorUnsafeEntry;
    return engineError(code, path, message);
}

} // namespace Brackwen
