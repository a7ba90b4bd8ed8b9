#pragma once
// Writes a planned set of sources into an archive through libarchive, on an
// open file descriptor. Every error of libarchive or of the output is a
// failure (ARCHIVE_WARN is not); a source that vanishes, cannot be read or
// shrinks while it is read is a failure naming it.

#include "Brackwen/CompressOptions.h"
#include "Brackwen/CompressSources.h"

#include <functional>

namespace Brackwen {

struct WriterControl {
    std::function<bool()> isCancelled;
    // Bytes of source data read since the last call.
    std::function<void(int64_t bytes)> addBytes;
};

// The descriptor stays open; the caller closes it (and checks that close).
Foundation::Result<Foundation::Void, Foundation::ErrorPtr>
writeArchive(int fd, const CompressPlan& plan, const WriterSettings& settings, const WriterControl& control);

} // namespace Brackwen
