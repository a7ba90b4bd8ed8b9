#pragma once
// The extraction work of ZODArchiver::decompressArchiveInPaths.

#include "Brackwen/ArchiverTaskImpl.h"
#include "Brackwen/ZODArchiver.h"

namespace Brackwen {

// The top-level items an extraction of everything wrote, under the names it
// wrote them by, each once, in archive order.
struct ExtractedItems {
    std::vector<std::string> folders;
    std::vector<std::string> files;
};

struct ExtractionRequest {
    std::vector<std::string> paths;
    std::string destination;
    ZODArchiveDirectoryPtr directory;
    std::vector<std::string> items;
    int64_t approximateByteCount = 0;
    std::optional<std::string> predefinedPassword;
    uint64_t predefinedEncoding = 0;
    ZODArchiver::PasswordHandler passwordHandler;
    ZODArchiver::ConflictHandler conflictHandler;
    // Every entry rather than the named children of `directory` (then
    // unused): the archive is read once, with no tree built first.
    bool everything = false;
    ExtractedItems* extracted = nullptr; // filled when everything is set
};

Foundation::ErrorPtr runExtraction(ArchiverTaskImpl& task, const ExtractionRequest& request);

} // namespace Brackwen
