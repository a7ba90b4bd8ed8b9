#include "Brackwen/SevenZipHandOver.h"

#include "Brackwen/EngineErrors.h"
#include "Brackwen/EntryNames.h"
#include "Brackwen/SevenZipBackend.h"
#include "Brackwen/VolumeReader.h"

#include <archive.h>
#include <archive_entry.h>

namespace Brackwen {

bool sevenZipHasEncryptedData(const std::vector<std::string>& paths)
{
    VolumeReader scan(paths);
    if (scan.checkVolumes() || scan.open())
        return false;
    struct archive_entry* entry = nullptr;
    int r;
    while ((r = archive_read_next_header(scan.handle(), &entry)) == ARCHIVE_OK || r == ARCHIVE_WARN)
        if (archive_entry_is_data_encrypted(entry))
            return true;
    return false;
}

Foundation::ErrorPtr extractThroughSevenZip(ArchiverTaskImpl& task, const ExtractionRequest& request,
                                            std::optional<std::string> passphrase, int64_t progressTotal,
                                            const std::function<void(const std::string&, bool)>& written)
{
    SevenZipExtraction extraction;
    extraction.volumePaths = request.paths;
    extraction.destination = request.destination;
    extraction.passphrase = std::move(passphrase);
    if (!request.everything && !request.directory->isRoot())
        extraction.archiveFolder = request.directory->normalizedPath();
    extraction.itemNames = request.items;
    if (request.conflictHandler) {
        auto handler = request.conflictHandler;
        extraction.conflictHandler = [&task, handler](const std::string& path) {
            auto slash = path.rfind('/');
            std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
            auto answer = task.ask<uint64_t>([handler, name] { return handler(name); },
                                             static_cast<uint64_t>(ArchiverConflictResolving::cancel));
            if (answer > 4)
                answer = 4;
            if (answer == static_cast<uint64_t>(ArchiverConflictResolving::cancel))
                task.cancel();
            return static_cast<ArchiverConflictResolving>(answer);
        };
    }
    SevenZipControl control;
    if (request.extracted)
        control.listed = [&written](const SevenZipListing& listing) {
            // What 7zz will write; the caller sees only what exists.
            std::vector<std::string_view> parts;
            for (const auto& e : listing.entries) {
                if (isUnsafeEntryPath(e.path))
                    continue;
                splitEntryPath(e.path, parts);
                if (!parts.empty())
                    written(std::string(parts.front()), parts.size() > 1 || e.isDirectory);
            }
        };
    control.isCancelled = [&task] { return task.isCancelled(); };
    control.progress = [&task, progressTotal](double fraction) {
        task.reportProgress(static_cast<int64_t>(fraction * static_cast<double>(progressTotal)), progressTotal);
    };
    bool asked = false;
    for (;;) {
        auto result = sevenZipExtract(extraction, control);
        if (result.isSuccess())
            return nullptr;
        auto error = result.error();
        const bool passphraseProblem = error->code() == ZODArchiverErrorPassphraseRequired ||
                                       error->code() == ZODArchiverErrorWrongPassphrase;
        if (!passphraseProblem || !request.passwordHandler || task.isCancelled())
            return error;
        auto answer = task.ask<std::optional<std::string>>(request.passwordHandler, std::nullopt);
        if (!answer)
            return engineError(asked || extraction.passphrase ? ZODArchiverErrorWrongPassphrase
                                                              : ZODArchiverErrorPassphraseRequired,
                               request.paths.front());
        asked = true;
        extraction.passphrase = std::move(answer);
    }
}

} // namespace Brackwen
