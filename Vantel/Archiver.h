#pragma once
// The only way into the archive engine: Vantel::analyze, Vantel::decompress
// and Vantel::compress stand beside the engine's ZODArchiver operations and
// turn its completions into one Result value each. They return the engine's
// task unstarted; the caller registers it and calls resume(). No state, no
// queue hop: every callback runs on the thread the engine calls it on.
// Also: the engine error value ZODArchiverError and each entry's cachedURL.

#include "Brackwen/ZODArchiver.h"
#include "Platform/Foundation/Result.h"

#include <QUrl>

#include <functional>
#include <optional>
#include <string>
#include <vector>

// An engine error: wraps one error object of ZODArchiverErrorDomain.
class ZODArchiverError {
public:
    // The raw value is the engine's error code; codes without a name here
    // are made with Code{n}.
    enum class Code : int64_t { cancelled = 6, unexpectedEnd = 26, unknown = 27 };

    // A new error object of ZODArchiverErrorDomain.
    explicit ZODArchiverError(Code code, Foundation::UserInfo userInfo = {});
    // The very same object, when its domain is ZODArchiverErrorDomain.
    static std::optional<ZODArchiverError> from(const Foundation::ErrorPtr& error);

    static const char* errorDomain() { return ZODArchiverErrorDomain; }
    Code code() const { return static_cast<Code>(error_->code()); }
    int64_t rawCode() const { return error_->code(); }
    const Foundation::UserInfo& userInfo() const { return error_->userInfo(); }
    std::string localizedDescription() const { return error_->localizedDescription(); }
    const Foundation::ErrorPtr& error() const { return error_; }

    bool operator==(const ZODArchiverError& other) const { return error_ == other.error_; }

private:
    explicit ZODArchiverError(Foundation::ErrorPtr error) : error_(std::move(error)) {}
    Foundation::ErrorPtr error_;
};

template <>
struct std::hash<ZODArchiverError> {
    size_t operator()(const ZODArchiverError& e) const noexcept { return std::hash<const void*>{}(e.error().get()); }
};

namespace Vantel {

using AnalysisResult = Foundation::Result<ZODArchiveDirectoryPtr, ZODArchiverError>;
using OperationResult = Foundation::Result<Foundation::Void, ZODArchiverError>;

using PasswordHandler = std::function<std::optional<std::string>()>;
using EncodingHandler = std::function<uint64_t(const char* rawName)>;
using ConflictHandler = std::function<ArchiverConflictResolving(const std::string& fileName)>;
using AnalysisCompletion = std::function<void(AnalysisResult, ZODArchiverTaskPtr)>;
using OperationCompletion = std::function<void(OperationResult, ZODArchiverTaskPtr)>;

ZODArchiverTaskPtr analyze(std::vector<std::string> archivePaths, PasswordHandler passwordHandler,
                           EncodingHandler encodingHandler, AnalysisCompletion completionHandler,
                           Dispatch::QueuePtr workQueue, Dispatch::QueuePtr handlerQueue);

ZODArchiverTaskPtr decompress(std::vector<std::string> archivePaths, std::string destination,
                              ZODArchiveDirectoryPtr archiveDirectory, std::vector<std::string> itemsToExtract,
                              int64_t approximateByteCount, int64_t approximateItemCount,
                              std::optional<std::string> predefinedPassword, uint64_t predefinedEncoding,
                              Foundation::ProgressPtr progress, PasswordHandler passwordHandler,
                              ConflictHandler conflictHandler, OperationCompletion completionHandler,
                              Dispatch::QueuePtr workQueue, Dispatch::QueuePtr handlerQueue);

using EntireResult = Foundation::Result<std::vector<std::string>, ZODArchiverError>;
using EntireCompletion = std::function<void(EntireResult, ZODArchiverTaskPtr)>;

// Extracts every entry in one read of the archive; the result is the
// top-level items written (folders first), by the names they were written.
ZODArchiverTaskPtr decompressEntire(std::vector<std::string> archivePaths, std::string destination,
                                    uint64_t predefinedEncoding, Foundation::ProgressPtr progress,
                                    ConflictHandler conflictHandler, EntireCompletion completionHandler,
                                    Dispatch::QueuePtr workQueue, Dispatch::QueuePtr handlerQueue);

ZODArchiverTaskPtr compress(std::vector<std::string> items, std::string destination, ZODArchiverPreference preference,
                            Foundation::ProgressPtr progress, OperationCompletion completionHandler,
                            Dispatch::QueuePtr workQueue, Dispatch::QueuePtr handlerQueue);

// The mapping the engine completions apply: a directory (or a true success
// flag) is success whatever the error; else an engine-domain error as is;
// else a new code-27 error with empty user information.
AnalysisResult analysisResult(ZODArchiveDirectoryPtr directory, const Foundation::ErrorPtr& error);
OperationResult operationResult(bool success, const Foundation::ErrorPtr& error);

// Where the entry has already been extracted. Main thread only.
std::optional<QUrl> cachedURL(ZODArchiveModel& entry);
void setCachedURL(ZODArchiveModel& entry, std::optional<QUrl> url);

} // namespace Vantel
