#include "Vantel/Archiver.h"

ZODArchiverError::ZODArchiverError(Code code, Foundation::UserInfo userInfo)
    : error_(ZODArchiverMakeError(static_cast<int64_t>(code), std::move(userInfo)))
{
}

std::optional<ZODArchiverError> ZODArchiverError::from(const Foundation::ErrorPtr& error)
{
    if (!error || error->domain() != ZODArchiverErrorDomain)
        return std::nullopt;
    return ZODArchiverError(error);
}

namespace Vantel {

namespace {

// The cachedURL's slot value: its type is the framework's private key.
struct CachedURL {
    QUrl url;
};

ZODArchiverError failure(const Foundation::ErrorPtr& error)
{
    if (auto engine = ZODArchiverError::from(error))
        return *engine;
    return ZODArchiverError(ZODArchiverError::Code::unknown);
}

ZODArchiver::PasswordHandler enginePassword(PasswordHandler handler)
{
    if (!handler)
        return nullptr;
    return [handler = std::move(handler)] { return handler(); };
}

ZODArchiver::EncodingHandler engineEncoding(EncodingHandler handler)
{
    if (!handler)
        return nullptr;
    return [handler = std::move(handler)](const char* rawName) { return handler(rawName); };
}

ZODArchiver::ConflictHandler engineConflict(ConflictHandler handler)
{
    if (!handler)
        return nullptr;
    return [handler = std::move(handler)](const std::string& name) { return static_cast<uint64_t>(handler(name)); };
}

ZODArchiver::Completion engineCompletion(OperationCompletion completion)
{
    return [completion = std::move(completion)](bool success, Foundation::ErrorPtr error, ZODArchiverTaskPtr task) {
        OperationResult result = operationResult(success, error);
        if (completion)
            completion(std::move(result), std::move(task));
    };
}

} // namespace

AnalysisResult analysisResult(ZODArchiveDirectoryPtr directory, const Foundation::ErrorPtr& error)
{
    if (directory)
        return AnalysisResult::success(std::move(directory));
    return AnalysisResult::failure(failure(error));
}

OperationResult operationResult(bool success, const Foundation::ErrorPtr& error)
{
    if (success)
        return OperationResult::success({});
    return OperationResult::failure(failure(error));
}

ZODArchiverTaskPtr analyze(std::vector<std::string> archivePaths, PasswordHandler passwordHandler,
                           EncodingHandler encodingHandler, AnalysisCompletion completionHandler,
                           Dispatch::QueuePtr workQueue, Dispatch::QueuePtr handlerQueue)
{
    return ZODArchiver::analyzeArchiveInPaths(
        std::move(archivePaths), enginePassword(std::move(passwordHandler)), engineEncoding(std::move(encodingHandler)),
        [completion = std::move(completionHandler)](ZODArchiveDirectoryPtr directory, Foundation::ErrorPtr error,
                                                    ZODArchiverTaskPtr task) {
            AnalysisResult result = analysisResult(std::move(directory), error);
            if (completion)
                completion(std::move(result), std::move(task));
        },
        std::move(workQueue), std::move(handlerQueue));
}

ZODArchiverTaskPtr decompress(std::vector<std::string> archivePaths, std::string destination,
                              ZODArchiveDirectoryPtr archiveDirectory, std::vector<std::string> itemsToExtract,
                              int64_t approximateByteCount, int64_t approximateItemCount,
                              std::optional<std::string> predefinedPassword, uint64_t predefinedEncoding,
                              Foundation::ProgressPtr progress, PasswordHandler passwordHandler,
                              ConflictHandler conflictHandler, OperationCompletion completionHandler,
                              Dispatch::QueuePtr workQueue, Dispatch::QueuePtr handlerQueue)
{
    return ZODArchiver::decompressArchiveInPaths(
        std::move(archivePaths), std::move(destination), std::move(archiveDirectory), std::move(itemsToExtract),
        approximateByteCount, approximateItemCount, std::move(predefinedPassword), predefinedEncoding,
        std::move(progress), enginePassword(std::move(passwordHandler)), engineConflict(std::move(conflictHandler)),
        engineCompletion(std::move(completionHandler)), std::move(workQueue), std::move(handlerQueue));
}

ZODArchiverTaskPtr decompressEntire(std::vector<std::string> archivePaths, std::string destination,
                                    uint64_t predefinedEncoding, Foundation::ProgressPtr progress,
                                    ConflictHandler conflictHandler, EntireCompletion completionHandler,
                                    Dispatch::QueuePtr workQueue, Dispatch::QueuePtr handlerQueue)
{
    return ZODArchiver::decompressEntireArchiveInPaths(
        std::move(archivePaths), std::move(destination), predefinedEncoding, std::move(progress),
        engineConflict(std::move(conflictHandler)),
        [completion = std::move(completionHandler)](std::vector<std::string> items, Foundation::ErrorPtr error,
                                                    ZODArchiverTaskPtr task) {
            if (!completion)
                return;
            if (error)
                completion(EntireResult::failure(failure(error)), std::move(task));
            else
                completion(EntireResult::success(std::move(items)), std::move(task));
        },
        std::move(workQueue), std::move(handlerQueue));
}

ZODArchiverTaskPtr compress(std::vector<std::string> items, std::string destination, ZODArchiverPreference preference,
                            Foundation::ProgressPtr progress, OperationCompletion completionHandler,
                            Dispatch::QueuePtr workQueue, Dispatch::QueuePtr handlerQueue)
{
    return ZODArchiver::compressItems(std::move(items), std::move(destination), std::move(preference),
                                      std::move(progress), engineCompletion(std::move(completionHandler)),
                                      std::move(workQueue), std::move(handlerQueue));
}

std::optional<QUrl> cachedURL(ZODArchiveModel& entry)
{
    Dispatch::assertMainThread("cachedURL");
    if (auto* cached = std::any_cast<CachedURL>(&entry.attachedValue()))
        return cached->url;
    return std::nullopt;
}

void setCachedURL(ZODArchiveModel& entry, std::optional<QUrl> url)
{
    Dispatch::assertMainThread("setCachedURL");
    auto& slot = entry.attachedValue();
    if (url)
        slot = CachedURL{std::move(*url)};
    else if (std::any_cast<CachedURL>(&slot))
        slot.reset();
}

} // namespace Vantel
