// ZODArchiver::analyzeArchiveInPaths: reads every header of the joined
// volumes once and builds the tree. A 7z whose headers are encrypted is
// listed by the 7-Zip backend instead.

#include "Brackwen/ArchiverTaskImpl.h"
#include "Brackwen/EngineErrors.h"
#include "Brackwen/EngineFormats.h"
#include "Brackwen/SevenZipBackend.h"
#include "Brackwen/VolumeReader.h"
#include "Brackwen/ZODArchiveTreeBuilder.h"
#include "Brackwen/ZODArchiver.h"

#include <archive.h>
#include <archive_entry.h>

namespace Brackwen {

namespace {

std::optional<ZODDate> timeOf(bool isSet, time_t seconds, long nanoseconds)
{
    if (!isSet)
        return std::nullopt;
    return ZODDate(std::chrono::seconds(seconds)) +
           std::chrono::duration_cast<ZODDate::duration>(std::chrono::nanoseconds(nanoseconds));
}

std::string baseName(const std::string& path)
{
    auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

struct Analysis {
    ArchiverTaskImpl& task;
    const std::vector<std::string>& paths;
    const ZODArchiver::PasswordHandler& passwordHandler;
    ZODArchiveTreeBuilder builder;
    ZODArchiveDirectoryPtr root;

    Foundation::ErrorPtr listWithSevenZip()
    {
        std::optional<std::string> passphrase;
        bool asked = false;
        for (;;) {
            SevenZipControl control{[this] { return task.isCancelled(); }, {}};
            auto listing = sevenZipList(paths, passphrase, control);
            if (listing.isSuccess()) {
                for (const auto& e : listing.value().entries)
                    builder.add(e.path, e.isDirectory, e.size,
                                e.modificationTime ? std::optional<ZODDate>(ZODDate(std::chrono::seconds(e.modificationTime)))
                                                   : std::nullopt,
                                std::nullopt);
                root = builder.finish();
                return nullptr;
            }
            auto error = listing.error();
            const bool needsPassphrase = error->code() == ZODArchiverErrorPassphraseRequired ||
                                         error->code() == ZODArchiverErrorWrongPassphrase;
            if (!needsPassphrase || !passwordHandler || task.isCancelled())
                return error;
            passphrase = task.ask<std::optional<std::string>>(passwordHandler, std::nullopt);
            if (!passphrase)
                return engineError(asked ? ZODArchiverErrorWrongPassphrase : ZODArchiverErrorPassphraseRequired,
                                   paths.front());
            asked = true;
        }
    }

    Foundation::ErrorPtr run()
    {
        VolumeReader reader(paths);
        if (auto error = reader.checkVolumes())
            return error;
        if (auto error = reader.open())
            return error;
        struct archive* a = reader.handle();
        struct archive_entry* entry = nullptr;
        const int64_t total = reader.totalSize();
        int64_t entries = 0;
        for (;;) {
            if (task.isCancelled())
                return nullptr;
            int r = archive_read_next_header(a, &entry);
            if (r == ARCHIVE_EOF)
                break;
            if (r == ARCHIVE_RETRY)
                continue;
            if (r == ARCHIVE_FATAL) {
                const std::string message = archiveMessage(a);
                if (isSevenZip(a) && isEncryptedHeaderMessage(message))
                    return listWithSevenZip();
                if (isRarEncryptionMessage(message))
                    return engineError(ZODArchiverErrorEncryptedRARUnsupported, paths.front(), message);
                return errorFromArchiveRead(a, paths.back());
            }
            ++entries;
            if (reader.isRaw()) {
                // A single compressed file: its size is known only once it is inflated.
                int64_t size = 0;
                const void* block;
                size_t length;
                la_int64_t offset;
                int d;
                while ((d = archive_read_data_block(a, &block, &length, &offset)) == ARCHIVE_OK ||
                       d == ARCHIVE_WARN) {
                    size = offset + static_cast<int64_t>(length);
                    if (task.isCancelled())
                        return nullptr;
                    task.reportProgress(reader.position(), total);
                }
                if (d != ARCHIVE_EOF)
                    return errorFromArchiveRead(a, paths.back());
                builder.add(reader.rawEntryName(), false, size,
                            timeOf(archive_entry_mtime_is_set(entry), archive_entry_mtime(entry),
                                   archive_entry_mtime_nsec(entry)),
                            std::nullopt);
                break;
            }
            const char* path = archive_entry_pathname(entry);
            if (!path)
                continue;
            const bool isDirectory = archive_entry_filetype(entry) == AE_IFDIR;
            builder.add(path, isDirectory, archive_entry_size_is_set(entry) ? archive_entry_size(entry) : 0,
                        timeOf(archive_entry_mtime_is_set(entry), archive_entry_mtime(entry), archive_entry_mtime_nsec(entry)),
                        timeOf(archive_entry_atime_is_set(entry), archive_entry_atime(entry), archive_entry_atime_nsec(entry)));
            task.reportProgress(reader.position(), total);
        }
        if (entries == 0 && archive_format(a) == ARCHIVE_FORMAT_EMPTY)
            return engineError(ZODArchiverErrorUnsupportedFormat, paths.front(), "The file is empty.");
        root = builder.finish();
        return nullptr;
    }
};

} // namespace

} // namespace Brackwen

ZODArchiverTaskPtr ZODArchiver::analyzeArchiveInPaths(std::vector<std::string> paths, PasswordHandler passwordHandler,
                                                      EncodingHandler encodingHandler,
                                                      AnalysisCompletion completionHandler,
                                                      Dispatch::QueuePtr workQueue, Dispatch::QueuePtr handlerQueue)
{
    using namespace Brackwen;
    auto root = std::make_shared<ZODArchiveDirectoryPtr>();
    auto work = [paths = std::move(paths), passwordHandler = std::move(passwordHandler),
                 encodingHandler = std::move(encodingHandler), root](ArchiverTaskImpl& t) -> Foundation::ErrorPtr {
        ZODArchiveTreeBuilder::EncodingQuestion question;
        if (encodingHandler)
            // The question may outlive the work (a cancel ends the wait), so it holds its own copy.
            question = [&t, encodingHandler](const std::string& rawPath) {
                return t.ask<Foundation::StringEncoding>([encodingHandler, rawPath] { return encodingHandler(rawPath.c_str()); },
                                                         0);
            };
        Analysis analysis{t, paths, passwordHandler,
                          ZODArchiveTreeBuilder(paths.empty() ? std::string() : baseName(paths.front()), std::move(question)),
                          nullptr};
        auto error = analysis.run();
        if (!error)
            *root = std::move(analysis.root);
        return error;
    };
    auto completion = [completionHandler = std::move(completionHandler), root](Foundation::ErrorPtr error,
                                                                               ZODArchiverTaskPtr t) {
        if (completionHandler)
            completionHandler(error ? nullptr : *root, error, std::move(t));
    };
    return ArchiverTaskImpl::make(std::move(workQueue), std::move(handlerQueue), std::move(work), std::move(completion));
}
