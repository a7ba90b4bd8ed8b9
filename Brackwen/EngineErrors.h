#pragma once
// Making the engine's errors from libarchive's state and from errno values.
// Every error carries the path concerned (Foundation::NSFilePathErrorKey)
// when there is one, and the library's message under
// ZODArchiverUnderlyingMessageKey.

#include "Brackwen/ZODArchiverError.h"

#include <string>

struct archive;

namespace Brackwen {

Foundation::ErrorPtr engineError(int64_t code, const std::string& path = {}, const std::string& message = {});

// A failed read of an archive: the code from libarchive's errno and message
// (truncated → UnexpectedEnd, unrecognised → UnsupportedFormat, format
// errors → Damaged, ENOSPC → DiskFull, …; Unknown otherwise).
Foundation::ErrorPtr errorFromArchiveRead(struct archive* a, const std::string& path = {});
// The same for a read failure told in libarchive's words without a handle.
Foundation::ErrorPtr errorFromReadMessage(const std::string& message, int err, const std::string& path);

// A failed write to disk (by archive_write_disk or our own file writes).
Foundation::ErrorPtr errorFromArchiveWrite(struct archive* a, const std::string& path = {});
Foundation::ErrorPtr errorFromWriteErrno(int err, const std::string& path);

// libarchive's message, or empty.
std::string archiveMessage(struct archive* a);

} // namespace Brackwen
