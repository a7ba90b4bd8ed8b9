#pragma once
// The extraction work of ZODArchiver::decompressArchiveInPaths.

#include "Brackwen/ArchiverTaskImpl.h"
#include "Brackwen/ZODArchiver.h"

namespace Brackwen {

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
};

Foundation::ErrorPtr runExtraction(ArchiverTaskImpl& task, const ExtractionRequest& request);

} // namespace Brackwen
