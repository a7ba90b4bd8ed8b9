// ZODArchiver::compressItems: the pre-walk, then one writer (libarchive, or
// 7zz for 7z) into a private folder beside the destination; the archive is
// renamed into place only when it is complete, so a failed or cancelled
// compression leaves nothing at the destination.

#include "Brackwen/ArchiverTaskImpl.h"
#include "Brackwen/CompressOptions.h"
#include "Brackwen/CompressSources.h"
#include "Brackwen/EntryNames.h"
#include "Brackwen/OwnedFolders.h"
#include "Brackwen/SevenZipBackend.h"
#include "Brackwen/WriterLibarchive.h"
#include "Brackwen/ZODArchiver.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

namespace Brackwen {

namespace {

Foundation::ErrorPtr destinationError(int err, const std::string& path)
{
    int64_t code = (err == ENOSPC || err == EDQUOT) ? ZODArchiverErrorDiskFull : ZODArchiverErrorCannotWrite;
    return ZODArchiverMakeError(code, {{Foundation::NSFilePathErrorKey, path},
                                       {ZODArchiverUnderlyingMessageKey, std::string(std::strerror(err))}});
}

// The private folder that holds the archive while it is written.
class WorkFolder {
public:
    explicit WorkFolder(const std::string& parent)
    {
        removeAbandonedFolders(parent);
        path_ = makeOwnedFolder(parent, "archive");
    }
    ~WorkFolder()
    {
        if (path_.empty())
            return;
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

Foundation::ErrorPtr writeWithLibarchive(ArchiverTaskImpl& task, const std::string& archivePath,
                                         const CompressPlan& plan, const WriterSettings& settings)
{
    int fd = ::open(archivePath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return destinationError(errno, archivePath);
    int64_t done = 0;
    WriterControl control{[&task] { return task.isCancelled(); },
                          [&](int64_t bytes) {
                              done += bytes;
                              task.reportProgress(done, plan.totalBytes);
                          }};
    auto written = writeArchive(fd, plan, settings, control);
    int closeError = ::close(fd) == 0 ? 0 : errno;
    if (written.isFailure())
        return written.error();
    if (closeError != 0)
        return destinationError(closeError, archivePath);
    return nullptr;
}

Foundation::ErrorPtr writeWithSevenZip(ArchiverTaskImpl& task, const std::string& archivePath,
                                       const std::vector<std::string>& items, const CompressPlan& plan,
                                       const CompressSettings& settings, bool ignoreHidden)
{
    SevenZipCompression compression{items, archivePath, settings.sevenZipLevel, settings.writer.passphrase,
                                    settings.encryptHeader, ignoreHidden};
    SevenZipControl control{[&task] { return task.isCancelled(); },
                            [&](double fraction) {
                                task.reportProgress(int64_t(fraction * double(plan.totalBytes)), plan.totalBytes);
                            }};
    auto written = sevenZipCompress(compression, control);
    return written.isFailure() ? written.error() : nullptr;
}

Foundation::ErrorPtr compress(ArchiverTaskImpl& task, const std::vector<std::string>& items,
                              const std::string& destination, const ZODArchiverPreference& preference)
{
    auto settings = compressSettingsFor(preference, !sevenZipProgram().empty());
    if (settings.isFailure())
        return settings.error();

    std::filesystem::path target(destination);
    if (destination.empty() || target.filename().empty())
        return ZODArchiverMakeError(ZODArchiverErrorInvalidArgument, {{Foundation::NSFilePathErrorKey, destination}});
    std::string folder = target.parent_path().empty() ? std::string(".") : target.parent_path().string();

    auto plan = planCompression(items, preference.ignoreHiddenUnixFiles(), [&task] { return task.isCancelled(); });
    if (plan.isFailure())
        return plan.error();
    task.reportProgress(0, plan.value().totalBytes, true);

    WorkFolder work(folder);
    if (work.path().empty())
        return destinationError(errno, folder);
    const std::string archivePath = work.path() + "/" + target.filename().string();

    Foundation::ErrorPtr error =
        settings.value().useSevenZip
            ? writeWithSevenZip(task, archivePath, items, plan.value(), settings.value(),
                                preference.ignoreHiddenUnixFiles())
            : writeWithLibarchive(task, archivePath, plan.value(), settings.value().writer);
    if (error)
        return error;
    if (task.isCancelled())
        return ZODArchiverMakeError(ZODArchiverErrorCancelled);
    if (::rename(archivePath.c_str(), destination.c_str()) != 0)
        return destinationError(errno, destination);
    // A cancel that came during the rename still reports Cancelled: take the
    // archive back out so the outcome holds.
    if (task.isCancelled()) {
        ::unlink(destination.c_str());
        return ZODArchiverMakeError(ZODArchiverErrorCancelled);
    }
    return nullptr;
}

} // namespace

} // namespace Brackwen

ZODArchiverTaskPtr ZODArchiver::compressItems(std::vector<std::string> items, std::string destination,
                                              ZODArchiverPreference preference, Foundation::ProgressPtr progress,
                                              Completion completionHandler, Dispatch::QueuePtr workQueue,
                                              Dispatch::QueuePtr handlerQueue)
{
    auto work = [items = std::move(items), destination = std::move(destination),
                 preference = preference.copy()](Brackwen::ArchiverTaskImpl& t) {
        return Brackwen::compress(t, items, destination, preference);
    };
    auto completion = [completionHandler = std::move(completionHandler)](Foundation::ErrorPtr error,
                                                                         ZODArchiverTaskPtr t) {
        if (!completionHandler)
            return;
        const bool success = !error;
        completionHandler(success, std::move(error), std::move(t));
    };
    auto formatter = [](int64_t done, int64_t total) {
        return Brackwen::formatByteCount(done) + " of " + Brackwen::formatByteCount(total);
    };
    auto task = Brackwen::ArchiverTaskImpl::make(std::move(workQueue), std::move(handlerQueue), std::move(work),
                                                 std::move(completion), std::move(progress), std::move(formatter));
    return task;
}
