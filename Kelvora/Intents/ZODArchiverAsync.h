#pragma once
// The actions' awaitable forms of the archive operations. Each blocks the
// calling thread (never the main thread, which must keep serving the
// engine's completions) until the engine's completion has run.

#include "Vantel/Archiver.h"

#include <QUrl>

#include <string>
#include <vector>

namespace ZODArchiverAsync {

using CompressResult = Foundation::Result<Foundation::Void, ZODArchiverError>;
using DecompressResult = Foundation::Result<std::vector<QUrl>, ZODArchiverError>;

// Compresses the items into the archive at destination.
CompressResult compressAsync(std::vector<std::string> items, std::string destination,
                             ZODArchiverPreference preference, Foundation::ProgressPtr progress);

// Extracts the whole archive, read once, into destination with no passphrase, every conflict replaced and
// the shared fallback encoding; returns the URLs of its top-level items,
// folders first, in archive order.
DecompressResult decompressAsync(std::vector<std::string> archivePaths, std::string destination,
                                 Foundation::ProgressPtr progress);

} // namespace ZODArchiverAsync
