#pragma once
// An extraction handed to the 7-Zip backend as a whole: a 7z that libarchive
// cannot decrypt, or one large enough for 7zz's threads to pay.

#include "Brackwen/ArchiveExtraction.h"

#include <functional>
#include <optional>
#include <string>

namespace Brackwen {

// Whether any entry of the 7z has encrypted data. libarchive cannot decrypt
// 7z content, and only the headers (which 7z keeps together) tell.
bool sevenZipHasEncryptedData(const std::vector<std::string>& paths);

// Extracts the request through 7zz, asking for the passphrase again while
// it is missing or wrong. `written` gets each top-level item 7zz is about
// to write (when the request collects them), with whether it is a folder.
Foundation::ErrorPtr extractThroughSevenZip(ArchiverTaskImpl& task, const ExtractionRequest& request,
                                            std::optional<std::string> passphrase, int64_t progressTotal,
                                            const std::function<void(const std::string&, bool)>& written);

} // namespace Brackwen
