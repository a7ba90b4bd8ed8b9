// Extraction of named children of one folder of the tree. Each entry is
// matched by its raw path, written by DiskPlacement, and committed only when
// its data read ended cleanly. A 7z with encrypted content goes to the 7-Zip
// backend as a whole.

#include "Brackwen/ArchiveExtraction.h"

#include "Brackwen/DiskPlacement.h"
#include "Brackwen/EngineErrors.h"
#include "Brackwen/EngineFormats.h"
#include "Brackwen/EntryNames.h"
#include "Brackwen/ParallelFileWriter.h"
#include "Brackwen/SevenZipBackend.h"
#include "Brackwen/SevenZipHandOver.h"
#include "Brackwen/VolumeReader.h"

#include <archive.h>
#include <archive_entry.h>

#include <cerrno>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <unordered_map>
#include <unordered_set>

namespace Brackwen {

namespace {

constexpr int maxRetriesPerEntry = 64;

// Below this much packed data libarchive's one decoding thread finishes
// before 7zz's extra work (listing, staging, its own folder creation) pays
// for its threads; above it decoding dominates and 7zz runs it on every core.
constexpr int64_t sevenZipProgramFromBytes = int64_t(64) << 20;

// Files up to this size are read whole and written by a pool of threads:
// there, making the file costs more than its data. Past it, holding the
// data costs more than the threads win (measured on ext4).
constexpr int64_t smallFileLimit = int64_t(128) << 10;
// More data than its header said: no longer held in memory.
constexpr size_t smallFileDataLimit = size_t(1) << 20;

enum class Outcome { next, reopen, stop };

struct FolderFix {
    std::vector<std::string> components;
    mode_t mode;
    struct timespec times[2];
};

class Extraction {
public:
    Extraction(ArchiverTaskImpl& task, const ExtractionRequest& request) : task_(task), request_(request) {}

    Foundation::ErrorPtr run()
    {
        if (request_.items.empty() && !request_.everything)
            return nullptr;
        if (!request_.everything)
            if (auto error = resolveSelection())
                return error;
        if (auto error = placement_.open(request_.destination))
            return error;
        // Its threads start with the first small file.
        if (const unsigned threads = writerThreads())
            writer_ = std::make_unique<ParallelFileWriter>(threads, placement_.unnamedWorks());
        VolumeReader reader(request_.paths);
        if (auto error = reader.checkVolumes())
            return error;
        if (request_.predefinedPassword && !request_.predefinedPassword->empty())
            confirmed_ = *request_.predefinedPassword;
        // Without a tree to count the bytes, progress is how far the archive has been read.
        progressTotal_ = request_.everything ? reader.totalSize() : request_.approximateByteCount;
        task_.setDescriptionFormatter([](int64_t done, int64_t total) {
            return formatByteCount(done) + " of " + formatByteCount(total);
        });
        Foundation::ErrorPtr fatal;
        size_t retries = 0;
        for (;;) {
            std::vector<std::string> known;
            if (confirmed_)
                known.push_back(*confirmed_);
            if (auto error = reader.open(known, passphraseCallback, this))
                return error;
            size_t failedAt = resumeIndex_;
            Outcome outcome = readAll(reader, fatal);
            if (takeWritten(true, fatal) == Outcome::stop)
                outcome = Outcome::stop;
            if (outcome == Outcome::reopen) {
                retries = resumeIndex_ == failedAt ? retries + 1 : 0;
                if (retries < maxRetriesPerEntry)
                    continue;
                record(engineError(ZODArchiverErrorWrongPassphrase, request_.paths.front()));
                ++resumeIndex_;
                continue;
            }
            break;
        }
        fixFolders();
        Foundation::ErrorPtr result = fatal ? fatal : firstError_;
        if (result || task_.isCancelled())
            placement_.removeEmptyCreatedFolders();
        if (task_.isCancelled())
            return nullptr;
        if (delegated_)
            return *delegated_;
        return result;
    }

private:
    Foundation::ErrorPtr resolveSelection()
    {
        for (auto* d = request_.directory.get(); d && !d->isRoot(); d = d->parent().get())
            prefix_.insert(prefix_.begin(), d->rawName());
        // An item names an entry by its stored bytes or, failing that, by
        // the name shown; a name shown twice picks its entries in turn.
        std::vector<const ZODArchiveModel*> children;
        for (const auto& d : request_.directory->directories())
            children.push_back(d.get());
        for (const auto& f : request_.directory->files())
            children.push_back(f.get());
        for (const auto& name : request_.items) {
            const ZODArchiveModel* found = nullptr;
            for (bool fresh : {true, false}) {
                for (auto* child : children)
                    if (!found && child->rawName() == name && (!fresh || !selected_.count(child->rawName())))
                        found = child;
                for (auto* child : children)
                    if (!found && child->name() == name && (!fresh || !selected_.count(child->rawName())))
                        found = child;
            }
            if (!found)
                return engineError(ZODArchiverErrorItemNotFound, name);
            selected_.insert(found->rawName());
        }
        return nullptr;
    }

    static std::string joined(const std::vector<std::string_view>& parts)
    {
        std::string key;
        for (auto part : parts) {
            if (!key.empty())
                key += '/';
            key.append(part);
        }
        return key;
    }

    void record(Foundation::ErrorPtr error)
    {
        if (!firstError_)
            firstError_ = std::move(error);
    }

    static const char* passphraseCallback(struct archive*, void* self)
    {
        auto* x = static_cast<Extraction*>(self);
        if (x->declined_ || !x->request_.passwordHandler || x->task_.isCancelled()) {
            x->declined_ = true;
            return nullptr;
        }
        auto answer = x->task_.ask<std::optional<std::string>>(x->request_.passwordHandler, std::nullopt);
        if (!answer || answer->empty()) {
            x->declined_ = true;
            return nullptr;
        }
        x->asked_ = true;
        x->everAsked_ = true;
        x->answer_ = std::move(*answer);
        return x->answer_.c_str();
    }

    // The passphrase in use when an encrypted entry read back intact.
    std::string currentPassphrase() const { return asked_ ? answer_ : confirmed_.value_or(std::string()); }

    Outcome readAll(VolumeReader& reader, Foundation::ErrorPtr& fatal)
    {
        struct archive* a = reader.handle();
        struct archive_entry* entry = nullptr;
        size_t index = 0;
        for (;; ++index) {
            if (task_.isCancelled())
                return Outcome::stop;
            int r = archive_read_next_header(a, &entry);
            if (r == ARCHIVE_EOF)
                return Outcome::stop;
            if (r == ARCHIVE_RETRY) {
                --index;
                continue;
            }
            if (r == ARCHIVE_FATAL) {
                const std::string message = archiveMessage(a);
                if (index == 0 && isSevenZip(a) && isEncryptedHeaderMessage(message))
                    return delegateToSevenZip();
                if (isRarEncryptionMessage(message))
                    fatal = engineError(ZODArchiverErrorEncryptedRARUnsupported, request_.paths.front(), message);
                else
                    fatal = errorFromArchiveRead(a, request_.paths.back());
                return Outcome::stop;
            }
            // 7zz can decrypt, and it decodes a large archive on every core;
            // libarchive reads the rest, and all of it when 7zz is not there.
            if (index == 0 && isSevenZip(a)
                && ((reader.totalSize() >= sevenZipProgramFromBytes && !sevenZipProgram().empty())
                    || sevenZipHasEncryptedData(request_.paths)))
                return delegateToSevenZip();
            if (index < resumeIndex_)
                continue;
            resumeIndex_ = index;
            Outcome outcome = extractEntry(reader, entry, fatal);
            if (outcome != Outcome::next)
                return outcome;
            resumeIndex_ = index + 1;
        }
    }

    bool isEncryptedRar5Entry(struct archive* a, const char* rawPath)
    {
        if ((archive_format(a) & ARCHIVE_FORMAT_BASE_MASK) != ARCHIVE_FORMAT_RAR_V5)
            return false;
        if (!rar5Encrypted_)
            rar5Encrypted_ = rar5EncryptedNames(request_.paths);
        return rar5Encrypted_->count(rawPath) > 0;
    }

    Outcome extractEntry(VolumeReader& reader, struct archive_entry* entry, Foundation::ErrorPtr& fatal)
    {
        struct archive* a = reader.handle();
        const std::string rawName = reader.isRaw() ? reader.rawEntryName() : std::string();
        const char* rawPath = reader.isRaw() ? rawName.c_str() : archive_entry_pathname(entry);
        if (!rawPath)
            return Outcome::next;
        splitEntryPath(rawPath, parts_);
        if (parts_.size() <= prefix_.size())
            return Outcome::next;
        for (size_t i = 0; i < prefix_.size(); ++i)
            if (parts_[i] != prefix_[i])
                return Outcome::next;
        if (!request_.everything && !selected_.count(std::string(parts_[prefix_.size()])))
            return Outcome::next;

        const std::string shown = decodeEntryName(rawPath, request_.predefinedEncoding);
        if (isUnsafeEntryPath(rawPath)) {
            record(engineError(ZODArchiverErrorUnsafeEntry, shown, "The entry's path leaves the destination folder."));
            return Outcome::next;
        }
        target_.clear();
        for (size_t i = prefix_.size(); i < parts_.size(); ++i) {
            std::string name = decodeEntryName(parts_[i], request_.predefinedEncoding);
            if (name == "." || name == ".." || name.find('/') != std::string::npos || name.empty()) {
                record(engineError(ZODArchiverErrorUnsafeEntry, shown));
                return Outcome::next;
            }
            target_.push_back(std::move(name));
        }
        const std::string key = joined(parts_);
        const char* hardlink = archive_entry_hardlink(entry);
        // What comes next may need the files in flight on disk: the path
        // itself, a folder on its way, or a link's target.
        if (!queued_.empty() && (hardlink || reusesQueuedPath()) && takeWritten(true, fatal) == Outcome::stop)
            return Outcome::stop;

        const mode_t type = archive_entry_filetype(entry);
        if (type == AE_IFDIR) {
            Foundation::ErrorPtr error;
            if (placement_.folder(target_, target_.size(), true, &error) < 0)
                return failed(std::move(error));
            noteWritten(target_.front(), true);
            FolderFix fix{target_, keptMode(archive_entry_perm(entry)), {}};
            fix.times[0] = timeOf(archive_entry_atime_is_set(entry), archive_entry_atime(entry), archive_entry_atime_nsec(entry));
            fix.times[1] = timeOf(archive_entry_mtime_is_set(entry), archive_entry_mtime(entry), archive_entry_mtime_nsec(entry));
            folders_.push_back(std::move(fix));
            return Outcome::next;
        }
        if (type != AE_IFREG && type != AE_IFLNK && !hardlink)
            return Outcome::next; // devices and pipes are never made
        if (isRar(a) && (archive_entry_is_data_encrypted(entry) || isEncryptedRar5Entry(a, rawPath))) {
            record(engineError(ZODArchiverErrorEncryptedRARUnsupported, shown));
            return Outcome::next;
        }

        // Distinct stored names never share one file on disk.
        auto [owner, firstOwner] = owners_.try_emplace(joined({target_.begin(), target_.end()}), key);
        if (owner->second != key) {
            record(engineError(ZODArchiverErrorCannotWrite, shown, "Another entry was already written to this path."));
            return Outcome::next;
        }

        Foundation::ErrorPtr error;
        int folderFd = placement_.folder(target_, target_.size() - 1, true, &error);
        if (folderFd < 0)
            return failed(std::move(error));
        if (target_.size() > 1)
            noteWritten(target_.front(), true);
        const std::string& name = target_.back();
        const std::string& diskPath = owner->first;
        const std::string folderPath =
            target_.size() == 1 ? std::string() : diskPath.substr(0, diskPath.size() - name.size() - 1);
        // In a folder this extraction made, only an earlier entry of the
        // same path (or a folder entry) can be in the way: no need to look.
        const bool nothingInTheWay = firstOwner && placement_.made(folderPath) && !placement_.made(diskPath);
        switch (nothingInTheWay ? Conflict::write : resolveConflict(folderFd, name)) {
        case Conflict::skip:
            return Outcome::next;
        case Conflict::cancel:
            task_.cancel();
            return Outcome::stop;
        case Conflict::write:
            break;
        }

        std::string temporary;
        if (hardlink) {
            if (isUnsafeEntryPath(hardlink)) {
                record(engineError(ZODArchiverErrorUnsafeEntry, shown, "The hard link's target leaves the destination folder."));
                return Outcome::next;
            }
            splitEntryPath(hardlink, linkParts_);
            auto source = written_.find(joined(linkParts_));
            if (source == written_.end()) {
                record(engineError(ZODArchiverErrorUnsafeEntry, shown, "The hard link's target was not extracted."));
                return Outcome::next;
            }
            std::vector<std::string> sourceParts = source->second;
            int sourceFd = ::openat(placement_.folder(sourceParts, sourceParts.size() - 1, false, &error), ".",
                                    O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            folderFd = placement_.folder(target_, target_.size() - 1, true, &error);
            if (sourceFd < 0 || folderFd < 0) {
                if (sourceFd >= 0)
                    ::close(sourceFd);
                return failed(error ? error : errorFromWriteErrno(errno, shown));
            }
            temporary = "." + name + ".link.part";
            ::unlinkat(folderFd, temporary.c_str(), 0);
            int rc = ::linkat(sourceFd, sourceParts.back().c_str(), folderFd, temporary.c_str(), 0);
            int err = errno;
            ::close(sourceFd);
            if (rc != 0)
                return failed(errorFromWriteErrno(err, placement_.describe(target_, target_.size())));
        } else if (type == AE_IFLNK) {
            const char* linkTarget = archive_entry_symlink(entry);
            temporary = "." + name + ".link.part";
            ::unlinkat(folderFd, temporary.c_str(), 0);
            if (!linkTarget || ::symlinkat(linkTarget, folderFd, temporary.c_str()) != 0)
                return failed(errorFromWriteErrno(linkTarget ? errno : EINVAL, placement_.describe(target_, target_.size())));
        } else if (canQueue(entry)) {
            return queueFile(reader, entry, folderFd, key, diskPath, folderPath, fatal);
        } else {
            Outcome outcome = Outcome::next;
            if (!writeFile(reader, entry, folderFd, name, temporary, outcome, fatal))
                return outcome;
        }
        // An empty temporary: the file is under its name already.
        if (!temporary.empty() && hardlink && isSameFile(folderFd, temporary, name)) {
            // rename(2) onto a name of the same inode succeeds and does nothing.
            ::unlinkat(folderFd, temporary.c_str(), 0);
        } else if (!temporary.empty() && ::renameat(folderFd, temporary.c_str(), folderFd, name.c_str()) != 0) {
            int err = errno;
            ::unlinkat(folderFd, temporary.c_str(), 0);
            return failed(errorFromWriteErrno(err, placement_.describe(target_, target_.size())));
        }
        written_[key] = target_;
        if (target_.size() == 1)
            noteWritten(name, false);
        return Outcome::next;
    }

    // Writes the entry's data to a new file, under its name when complete or
    // under `temporary` for the caller to rename; false when the entry ended
    // otherwise (outcome says how to go on).
    bool writeFile(VolumeReader& reader, struct archive_entry* entry, int folderFd, const std::string& name,
                   std::string& temporary, Outcome& outcome, Foundation::ErrorPtr& fatal)
    {
        struct archive* a = reader.handle();
        const std::string where = placement_.describe(target_, target_.size());
        int fd = placement_.createUnnamed(folderFd);
        const bool unnamed = fd >= 0;
        if (!unnamed)
            fd = placement_.createTemporary(folderFd, name, temporary);
        if (fd < 0) {
            outcome = failed(errorFromWriteErrno(errno, where));
            return false;
        }
        auto discard = [&] {
            ::close(fd);
            if (!temporary.empty())
                ::unlinkat(folderFd, temporary.c_str(), 0);
        };
        const int64_t startBytes = bytesDone_;
        int64_t end = 0;
        int r;
        const void* block;
        size_t length;
        la_int64_t offset;
        while ((r = archive_read_data_block(a, &block, &length, &offset)) == ARCHIVE_OK) {
            if (task_.isCancelled()) {
                discard();
                outcome = Outcome::stop;
                return false;
            }
            if (const int err = DiskPlacement::writeAt(fd, static_cast<const char*>(block), length, offset)) {
                discard();
                fatal = errorFromWriteErrno(err, where);
                outcome = Outcome::stop;
                return false;
            }
            end = std::max<int64_t>(end, offset + static_cast<int64_t>(length));
            bytesDone_ += static_cast<int64_t>(length);
            task_.reportProgress(request_.everything ? reader.position() : bytesDone_, progressTotal_);
        }
        if (r != ARCHIVE_EOF) {
            discard();
            bytesDone_ = startBytes;
            outcome = dataFailed(a, entry, r, fatal);
            return false;
        }
        const int64_t written = end;
        if (archive_entry_size_is_set(entry))
            end = std::max<int64_t>(end, archive_entry_size(entry));
        struct timespec times[2] = {
            timeOf(archive_entry_atime_is_set(entry), archive_entry_atime(entry), archive_entry_atime_nsec(entry)),
            timeOf(archive_entry_mtime_is_set(entry), archive_entry_mtime(entry), archive_entry_mtime_nsec(entry)),
        };
        mode_t mode = keptMode(archive_entry_perm(entry));
        // A sparse tail was never written: only then does the size need setting.
        if ((end > written && ::ftruncate(fd, end) != 0) || ::fchmod(fd, mode ? mode : 0644) != 0 ||
            ::futimens(fd, times) != 0) {
            int err = errno;
            discard();
            outcome = failed(errorFromWriteErrno(err, where));
            return false;
        }
        // Named straight away when nothing is in the way; else under a
        // temporary name that the caller renames over it.
        if (unnamed && !DiskPlacement::nameComplete(fd, folderFd, name, temporary)) {
            int err = errno;
            discard();
            outcome = failed(errorFromWriteErrno(err, where));
            return false;
        }
        if (::close(fd) != 0) {
            int err = errno;
            ::unlinkat(folderFd, (temporary.empty() ? name : temporary).c_str(), 0);
            fatal = errorFromWriteErrno(err, where);
            outcome = Outcome::stop;
            return false;
        }
        if (archive_entry_is_data_encrypted(entry)) {
            auto used = currentPassphrase();
            if (!used.empty())
                confirmed_ = used;
        }
        return true;
    }

    static unsigned writerThreads()
    {
        const unsigned cores = std::thread::hardware_concurrency();
        return cores < 2 ? 0 : std::min(cores, 8u);
    }

    bool canQueue(struct archive_entry* entry) const
    {
        return writer_ && archive_entry_size_is_set(entry) && archive_entry_size(entry) <= smallFileLimit &&
               !archive_entry_is_data_encrypted(entry) && archive_entry_sparse_count(entry) == 0;
    }

    bool reusesQueuedPath() const
    {
        std::string path;
        for (const auto& part : target_) {
            if (!path.empty())
                path += '/';
            path += part;
            if (queuedPaths_.count(path))
                return true;
        }
        return false;
    }

    // Reads a small file's data whole and hands it to the writer threads;
    // the result is taken later, in the archive's order.
    Outcome queueFile(VolumeReader& reader, struct archive_entry* entry, int folderFd, const std::string& key,
                      const std::string& diskPath, const std::string& folderPath, Foundation::ErrorPtr& fatal)
    {
        struct archive* a = reader.handle();
        ParallelFileWriter::File file;
        file.data.resize(static_cast<size_t>(archive_entry_size(entry)));
        const int64_t startBytes = bytesDone_;
        int r;
        const void* block;
        size_t length;
        la_int64_t offset;
        while ((r = archive_read_data_block(a, &block, &length, &offset)) == ARCHIVE_OK) {
            if (task_.isCancelled())
                return Outcome::stop;
            if (offset < 0 || static_cast<uint64_t>(offset) + length > smallFileDataLimit) {
                bytesDone_ = startBytes;
                record(engineError(ZODArchiverErrorDamaged, placement_.describe(target_, target_.size()),
                                   "The entry holds more data than its header says."));
                return Outcome::next;
            }
            if (length == 0)
                continue; // an empty file's one block may have no bytes behind it
            if (static_cast<size_t>(offset) + length > file.data.size())
                file.data.resize(static_cast<size_t>(offset) + length);
            std::memcpy(file.data.data() + offset, block, length);
            bytesDone_ += static_cast<int64_t>(length);
            task_.reportProgress(request_.everything ? reader.position() : bytesDone_, progressTotal_);
        }
        if (r != ARCHIVE_EOF) {
            bytesDone_ = startBytes;
            return dataFailed(a, entry, r, fatal);
        }
        const mode_t mode = keptMode(archive_entry_perm(entry));
        file.mode = mode ? mode : 0644;
        file.times[0] = timeOf(archive_entry_atime_is_set(entry), archive_entry_atime(entry), archive_entry_atime_nsec(entry));
        file.times[1] = timeOf(archive_entry_mtime_is_set(entry), archive_entry_mtime(entry), archive_entry_mtime_nsec(entry));
        // Files of one folder share one descriptor of it.
        if (!sharedFolder_ || sharedFolderPath_ != folderPath) {
            const int fd = ::fcntl(folderFd, F_DUPFD_CLOEXEC, 0);
            if (fd < 0)
                return failed(errorFromWriteErrno(errno, placement_.describe(target_, target_.size())));
            sharedFolder_ = std::make_shared<SharedFolder>(fd);
            sharedFolderPath_ = folderPath;
        }
        file.folder = sharedFolder_;
        file.name = target_.back();
        queued_.push_back({key, target_, diskPath});
        queuedPaths_.insert(diskPath);
        writer_->add(std::move(file));
        return takeWritten(false, fatal);
    }

    // Takes the results of the files written so far (all of them, waiting,
    // when `all` is set), in the archive's order.
    Outcome takeWritten(bool all, Foundation::ErrorPtr& fatal)
    {
        Outcome outcome = Outcome::next;
        ParallelFileWriter::Result result;
        while (writer_ && writer_->takeOldest(result, all)) {
            QueuedFile file = std::move(queued_.front());
            queued_.pop_front();
            queuedPaths_.erase(file.diskPath);
            if (!result.error) {
                if (file.target.size() == 1)
                    noteWritten(file.target.front(), false);
                written_[file.key] = std::move(file.target);
                continue;
            }
            auto error = errorFromWriteErrno(result.error, placement_.describe(file.target, file.target.size()));
            if (result.whileWriting) {
                // Nothing after a failed write lands either.
                if (!fatal)
                    fatal = std::move(error);
                outcome = Outcome::stop;
            } else if (failed(std::move(error)) == Outcome::stop) {
                outcome = Outcome::stop;
            }
        }
        return outcome;
    }

    // The data of an entry did not read back intact.
    Outcome dataFailed(struct archive* a, struct archive_entry* entry, int r, Foundation::ErrorPtr& fatal)
    {
        const std::string message = archiveMessage(a);
        const std::string shown = placement_.describe(target_, target_.size());
        if (archive_entry_is_data_encrypted(entry)) {
            if (message.find("Passphrase required") != std::string::npos ||
                message.find("Incorrect passphrase") != std::string::npos) {
                record(engineError(everAsked_ || confirmed_ ? ZODArchiverErrorWrongPassphrase : ZODArchiverErrorPassphraseRequired,
                                   shown, message));
                return r == ARCHIVE_FATAL ? Outcome::stop : Outcome::next;
            }
            // A wrong passphrase that passed the one-byte check: the data
            // comes out as garbage (bad CRC) or does not inflate. Forget it
            // and ask again on a fresh handle.
            if (!isZip(a)) {
                record(errorFromArchiveRead(a, shown));
                return r == ARCHIVE_FATAL ? Outcome::stop : Outcome::next;
            }
            if (!declined_) {
                asked_ = false;
                if (confirmed_ && currentPassphrase() == *confirmed_)
                    confirmed_.reset();
                return Outcome::reopen;
            }
            record(engineError(ZODArchiverErrorWrongPassphrase, shown, message));
            if (r == ARCHIVE_FATAL) {
                ++resumeIndex_;
                return Outcome::reopen;
            }
            return Outcome::next;
        }
        auto error = errorFromArchiveRead(a, request_.paths.back());
        if (r == ARCHIVE_WARN && error->code() == ZODArchiverErrorUnknown)
            error = engineError(ZODArchiverErrorDamaged, shown, message);
        if (r == ARCHIVE_FATAL) {
            fatal = error;
            return Outcome::stop;
        }
        record(error);
        return Outcome::next;
    }

    Outcome failed(Foundation::ErrorPtr error)
    {
        if (error->code() == ZODArchiverErrorDiskFull) {
            // The disk will not take more: nothing after this would land either.
            record(std::move(error));
            return Outcome::stop;
        }
        record(std::move(error));
        return Outcome::next;
    }

    enum class Conflict { write, skip, cancel };

    Conflict resolveConflict(int folderFd, const std::string& name)
    {
        if (policy_ == Policy::replaceAll || !request_.conflictHandler)
            return Conflict::write;
        struct stat st {};
        if (::fstatat(folderFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
            return Conflict::write;
        if (policy_ == Policy::skipAll)
            return Conflict::skip;
        auto handler = request_.conflictHandler;
        uint64_t answer = task_.ask<uint64_t>([handler, name] { return handler(name); },
                                              static_cast<uint64_t>(ArchiverConflictResolving::cancel));
        switch (static_cast<ArchiverConflictResolving>(answer)) {
        case ArchiverConflictResolving::replace:
            return Conflict::write;
        case ArchiverConflictResolving::replaceAll:
            policy_ = Policy::replaceAll;
            return Conflict::write;
        case ArchiverConflictResolving::skip:
            return Conflict::skip;
        case ArchiverConflictResolving::skipAll:
            policy_ = Policy::skipAll;
            return Conflict::skip;
        default:
            return Conflict::cancel;
        }
    }

    static bool isSameFile(int folderFd, const std::string& a, const std::string& b)
    {
        struct stat sa {}, sb {};
        return ::fstatat(folderFd, a.c_str(), &sa, AT_SYMLINK_NOFOLLOW) == 0 &&
               ::fstatat(folderFd, b.c_str(), &sb, AT_SYMLINK_NOFOLLOW) == 0 && sa.st_dev == sb.st_dev &&
               sa.st_ino == sb.st_ino;
    }

    // Never set-user-id or set-group-id; the sticky bit keeps a shared
    // folder's files to their owners.
    static mode_t keptMode(mode_t perm) { return perm & 01777; }

    static struct timespec timeOf(bool isSet, time_t seconds, long nanoseconds)
    {
        struct timespec t {};
        if (!isSet) {
            t.tv_nsec = UTIME_NOW;
            return t;
        }
        t.tv_sec = seconds;
        t.tv_nsec = nanoseconds;
        return t;
    }

    // Folder times and modes last: writing into a folder changes its time.
    void fixFolders()
    {
        for (auto it = folders_.rbegin(); it != folders_.rend(); ++it) {
            Foundation::ErrorPtr error;
            int fd = placement_.folder(it->components, it->components.size(), false, &error);
            if (fd < 0)
                continue;
            ::futimens(fd, it->times);
            ::fchmod(fd, it->mode | S_IRWXU);
        }
    }

    Outcome delegateToSevenZip()
    {
        delegated_ = extractThroughSevenZip(task_, request_, confirmed_, progressTotal_,
                                            [this](const std::string& item, bool isFolder) { noteWritten(item, isFolder); });
        return Outcome::stop;
    }

    // The top-level item now exists.
    void noteWritten(const std::string& item, bool isFolder)
    {
        if (!request_.extracted || !topLevel_.insert(item).second)
            return;
        (isFolder ? request_.extracted->folders : request_.extracted->files).push_back(item);
    }

    ArchiverTaskImpl& task_;
    const ExtractionRequest& request_;
    std::unordered_set<std::string> topLevel_;
    int64_t progressTotal_ = 0;
    DiskPlacement placement_;
    std::vector<std::string> prefix_;
    std::unordered_set<std::string> selected_;
    std::optional<std::unordered_set<std::string>> rar5Encrypted_;
    std::vector<std::string_view> parts_;
    std::vector<std::string_view> linkParts_;
    std::vector<std::string> target_;
    std::unordered_map<std::string, std::vector<std::string>> written_;
    std::unordered_map<std::string, std::string> owners_; // disk path → stored path
    struct QueuedFile {
        std::string key;
        std::vector<std::string> target;
        std::string diskPath;
    };
    std::unique_ptr<ParallelFileWriter> writer_;
    std::deque<QueuedFile> queued_; // in the writer's order
    std::unordered_set<std::string> queuedPaths_;
    std::shared_ptr<SharedFolder> sharedFolder_;
    std::string sharedFolderPath_;
    std::vector<FolderFix> folders_;
    enum class Policy { ask, replaceAll, skipAll } policy_ = Policy::ask;
    std::optional<std::string> confirmed_;
    std::string answer_;
    bool asked_ = false;
    bool everAsked_ = false;
    bool declined_ = false;
    size_t resumeIndex_ = 0;
    int64_t bytesDone_ = 0;
    Foundation::ErrorPtr firstError_;
    std::optional<Foundation::ErrorPtr> delegated_;
};

} // namespace

Foundation::ErrorPtr runExtraction(ArchiverTaskImpl& task, const ExtractionRequest& request)
{
    return Extraction(task, request).run();
}

} // namespace Brackwen

ZODArchiverTaskPtr ZODArchiver::decompressArchiveInPaths(
    std::vector<std::string> paths, std::string destination, ZODArchiveDirectoryPtr archiveDirectory,
    std::vector<std::string> itemsToExtract, int64_t approximateByteCount, int64_t /*approximateItemCount*/,
    std::optional<std::string> predefinedPassword, uint64_t predefinedEncoding, Foundation::ProgressPtr progress,
    PasswordHandler passwordHandler, ConflictHandler conflictHandler, Completion completionHandler,
    Dispatch::QueuePtr workQueue, Dispatch::QueuePtr handlerQueue)
{
    using namespace Brackwen;
    auto request = std::make_shared<ExtractionRequest>();
    request->paths = std::move(paths);
    request->destination = std::move(destination);
    request->directory = std::move(archiveDirectory);
    request->items = std::move(itemsToExtract);
    request->approximateByteCount = approximateByteCount;
    request->predefinedPassword = std::move(predefinedPassword);
    request->predefinedEncoding = predefinedEncoding;
    request->passwordHandler = std::move(passwordHandler);
    request->conflictHandler = std::move(conflictHandler);
    auto work = [request](ArchiverTaskImpl& t) -> Foundation::ErrorPtr {
        if (!request->directory)
            return engineError(ZODArchiverErrorInvalidArgument, {}, "No archive folder was given.");
        return runExtraction(t, *request);
    };
    auto completion = [completionHandler = std::move(completionHandler)](Foundation::ErrorPtr error, ZODArchiverTaskPtr t) {
        if (completionHandler)
            completionHandler(!error, error, std::move(t));
    };
    auto task = ArchiverTaskImpl::make(std::move(workQueue), std::move(handlerQueue), std::move(work),
                                       std::move(completion), std::move(progress));
    return task;
}

ZODArchiverTaskPtr ZODArchiver::decompressEntireArchiveInPaths(std::vector<std::string> paths, std::string destination,
                                                               uint64_t predefinedEncoding,
                                                               Foundation::ProgressPtr progress,
                                                               ConflictHandler conflictHandler,
                                                               EntireCompletion completionHandler,
                                                               Dispatch::QueuePtr workQueue,
                                                               Dispatch::QueuePtr handlerQueue)
{
    using namespace Brackwen;
    auto request = std::make_shared<ExtractionRequest>();
    auto extracted = std::make_shared<ExtractedItems>();
    request->paths = std::move(paths);
    request->destination = std::move(destination);
    request->predefinedEncoding = predefinedEncoding;
    request->conflictHandler = std::move(conflictHandler);
    request->everything = true;
    request->extracted = extracted.get();
    auto work = [request, extracted](ArchiverTaskImpl& t) { return runExtraction(t, *request); };
    auto completion = [extracted, completionHandler = std::move(completionHandler)](Foundation::ErrorPtr error,
                                                                                   ZODArchiverTaskPtr t) {
        if (!completionHandler)
            return;
        std::vector<std::string> items = std::move(extracted->folders);
        items.insert(items.end(), std::make_move_iterator(extracted->files.begin()),
                     std::make_move_iterator(extracted->files.end()));
        completionHandler(std::move(items), error, std::move(t));
    };
    return ArchiverTaskImpl::make(std::move(workQueue), std::move(handlerQueue), std::move(work),
                                  std::move(completion), std::move(progress));
}
