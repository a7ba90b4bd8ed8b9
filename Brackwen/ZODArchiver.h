#pragma once
// The engine's entry point: three operations, each returning a task that has
// not started. Question callbacks are called on the work queue (they may
// block it); completions on the handler queue.

#include "Brackwen/ZODArchiveModel.h"
#include "Brackwen/ZODArchiverError.h"
#include "Brackwen/ZODArchiverPreference.h"
#include "Brackwen/ZODArchiverTask.h"
#include "Platform/Dispatch/Dispatch.h"
#include "Platform/Foundation/Progress.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class ZODArchiver {
public:
    // Returns the passphrase, or none.
    using PasswordHandler = std::function<std::optional<std::string>()>;
    // Gets the raw, zero-terminated bytes of a name that is not valid UTF-8;
    // returns a platform string-encoding number.
    using EncodingHandler = std::function<uint64_t(const char* rawName)>;
    // Gets the name of the file that already exists; returns an
    // ArchiverConflictResolving number.
    using ConflictHandler = std::function<uint64_t(const std::string& fileName)>;
    using AnalysisCompletion =
        std::function<void(ZODArchiveDirectoryPtr, Foundation::ErrorPtr, ZODArchiverTaskPtr)>;
    using Completion = std::function<void(bool success, Foundation::ErrorPtr, ZODArchiverTaskPtr)>;

    static ZODArchiverTaskPtr analyzeArchiveInPaths(std::vector<std::string> paths,
                                                    PasswordHandler passwordHandler,
                                                    EncodingHandler encodingHandler,
                                                    AnalysisCompletion completionHandler,
                                                    Dispatch::QueuePtr workQueue,
                                                    Dispatch::QueuePtr handlerQueue);

    static ZODArchiverTaskPtr decompressArchiveInPaths(std::vector<std::string> paths,
                                                       std::string destination,
                                                       ZODArchiveDirectoryPtr archiveDirectory,
                                                       std::vector<std::string> itemsToExtract,
                                                       int64_t approximateByteCount,
                                                       int64_t approximateItemCount,
                                                       std::optional<std::string> predefinedPassword,
                                                       uint64_t predefinedEncoding,
                                                       Foundation::ProgressPtr progress,
                                                       PasswordHandler passwordHandler,
                                                       ConflictHandler conflictHandler,
                                                       Completion completionHandler,
                                                       Dispatch::QueuePtr workQueue,
                                                       Dispatch::QueuePtr handlerQueue);

    // Extracts every entry, reading the archive once and building no tree;
    // completes with the top-level items written, folders first.
    using EntireCompletion =
        std::function<void(std::vector<std::string> topLevelItems, Foundation::ErrorPtr, ZODArchiverTaskPtr)>;
    static ZODArchiverTaskPtr decompressEntireArchiveInPaths(std::vector<std::string> paths,
                                                             std::string destination,
                                                             uint64_t predefinedEncoding,
                                                             Foundation::ProgressPtr progress,
                                                             ConflictHandler conflictHandler,
                                                             EntireCompletion completionHandler,
                                                             Dispatch::QueuePtr workQueue,
                                                             Dispatch::QueuePtr handlerQueue);

    static ZODArchiverTaskPtr compressItems(std::vector<std::string> items,
                                            std::string destination,
                                            ZODArchiverPreference preference,
                                            Foundation::ProgressPtr progress,
                                            Completion completionHandler,
                                            Dispatch::QueuePtr workQueue,
                                            Dispatch::QueuePtr handlerQueue);

    static std::string presetFileExtension(int64_t preset) { return ZODArchiverPreference::presetFileExtension(preset); }
};
