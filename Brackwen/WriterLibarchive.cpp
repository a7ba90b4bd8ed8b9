#include "Brackwen/WriterLibarchive.h"

#include "Brackwen/StreamCompressor.h"
#include "Brackwen/ZipWriter.h"
#include "Brackwen/ZODArchiverError.h"

#include <archive.h>
#include <archive_entry.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <unistd.h>
#include <vector>

namespace Brackwen {

namespace {

using VoidResult = Foundation::Result<Foundation::Void, Foundation::ErrorPtr>;

constexpr size_t kBlock = 256 * 1024;

struct ArchiveDeleter {
    void operator()(archive* a) const { archive_write_free(a); }
};
struct EntryDeleter {
    void operator()(archive_entry* e) const { archive_entry_free(e); }
};

Foundation::ErrorPtr libarchiveError(archive* a, const std::string& path = {})
{
    int err = archive_errno(a);
    const char* message = archive_error_string(a);
    int64_t code = (err == ENOSPC || err == EDQUOT) ? ZODArchiverErrorDiskFull : ZODArchiverErrorCannotWrite;
    Foundation::UserInfo info{{ZODArchiverUnderlyingMessageKey, std::string(message ? message : "")}};
    if (!path.empty())
        info[Foundation::NSFilePathErrorKey] = path;
    return ZODArchiverMakeError(code, std::move(info));
}

class Writer {
public:
    Writer(int fd, const WriterControl& control) : fd_(fd), control_(control), buffer_(kBlock) {}

    VoidResult run(const CompressPlan& plan, const WriterSettings& settings)
    {
        a_.reset(archive_write_new());
        if (!a_)
            return VoidResult::failure(ZODArchiverMakeError(ZODArchiverErrorUnknown));
        if (archive_write_set_format_by_name(a_.get(), settings.format.c_str()) != ARCHIVE_OK
            || (!settings.filter.empty()
                && archive_write_add_filter_by_name(a_.get(), settings.filter.c_str()) != ARCHIVE_OK))
            return VoidResult::failure(setupError());
        if (!settings.options.empty() && archive_write_set_options(a_.get(), settings.options.c_str()) < ARCHIVE_WARN)
            return VoidResult::failure(setupError());
        if (settings.passphrase && archive_write_set_passphrase(a_.get(), settings.passphrase->c_str()) != ARCHIVE_OK)
            return VoidResult::failure(setupError());
        // No padding to a tape block: the output is a file.
        archive_write_set_bytes_in_last_block(a_.get(), 1);
        if (settings.compression.codec != StreamCodec::None) {
            compressor_ = makeStreamCompressor(settings.compression, fd_, plan.totalBytes);
            if (!compressor_)
                return VoidResult::failure(setupError());
            archive_write_set_bytes_per_block(a_.get(), int(kBlock));
            if (archive_write_open(a_.get(), this, nullptr, &Writer::compressBlock, nullptr) != ARCHIVE_OK)
                return VoidResult::failure(libarchiveError(a_.get()));
        } else if (archive_write_open_fd(a_.get(), fd_) != ARCHIVE_OK) {
            return VoidResult::failure(libarchiveError(a_.get()));
        }

        for (const auto& source : plan.entries) {
            if (cancelled())
                return fail(ZODArchiverMakeError(ZODArchiverErrorCancelled));
            if (auto error = writeEntry(source))
                return fail(error);
        }
        // The iso9660 writer and the compressors flush here: a full disk often
        // shows only now.
        if (archive_write_close(a_.get()) != ARCHIVE_OK)
            return VoidResult::failure(libarchiveError(a_.get()));
        if (compressor_) {
            if (auto error = compressor_->finish(control_.isCancelled))
                return VoidResult::failure(std::move(error));
        }
        return VoidResult::success({});
    }

private:
    static la_ssize_t compressBlock(archive* a, void* client, const void* data, size_t size)
    {
        if (!static_cast<Writer*>(client)->compressor_->write(data, size)) {
            int err = errno;
            archive_set_error(a, err, "%s", std::strerror(err));
            return -1;
        }
        return la_ssize_t(size);
    }

    bool cancelled() const { return control_.isCancelled && control_.isCancelled(); }

    VoidResult fail(Foundation::ErrorPtr error)
    {
        archive_write_fail(a_.get());
        return VoidResult::failure(std::move(error));
    }

    Foundation::ErrorPtr setupError()
    {
        const char* message = archive_error_string(a_.get());
        return ZODArchiverMakeError(ZODArchiverErrorUnsupportedFormat,
                                    {{ZODArchiverUnderlyingMessageKey, std::string(message ? message : "")}});
    }

    Foundation::ErrorPtr writeEntry(const CompressSource& source)
    {
        std::unique_ptr<archive_entry, EntryDeleter> entry(archive_entry_new());
        struct stat st;
        OpenedSource opened;
        if (auto error = openSource(source, st, opened))
            return error;
        const mode_t type = st.st_mode & S_IFMT;
        const int fd = opened.fd();

        archive_entry_copy_pathname(entry.get(), source.entryName.c_str());
        archive_entry_set_filetype(entry.get(), type);
        archive_entry_set_perm(entry.get(), st.st_mode & 07777);
        archive_entry_set_uid(entry.get(), st.st_uid);
        archive_entry_set_gid(entry.get(), st.st_gid);
        archive_entry_set_mtime(entry.get(), st.st_mtim.tv_sec, st.st_mtim.tv_nsec);
        archive_entry_set_size(entry.get(), type == S_IFREG ? st.st_size : 0);
        if (type == S_IFLNK)
            archive_entry_copy_symlink(entry.get(), source.linkTarget.c_str());

        if (archive_write_header(a_.get(), entry.get()) < ARCHIVE_WARN)
            return libarchiveError(a_.get(), source.diskPath);
        if (type != S_IFREG)
            return nullptr;

        int64_t left = st.st_size;
        while (left > 0) {
            if (cancelled())
                return ZODArchiverMakeError(ZODArchiverErrorCancelled);
            ssize_t n = ::read(fd, buffer_.data(), size_t(std::min<int64_t>(left, int64_t(buffer_.size()))));
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                return sourceError(errno, source.diskPath);
            if (n == 0) // shrank while being read: the entry would be padded with zeros
                return ZODArchiverMakeError(ZODArchiverErrorFileNotReadable,
                                            {{Foundation::NSFilePathErrorKey, source.diskPath},
                                             {ZODArchiverUnderlyingMessageKey, std::string("file changed while being read")}});
            la_ssize_t written = archive_write_data(a_.get(), buffer_.data(), size_t(n));
            if (written < 0 || written != n)
                return libarchiveError(a_.get(), source.diskPath);
            left -= n;
            if (control_.addBytes)
                control_.addBytes(n);
        }
        if (archive_write_finish_entry(a_.get()) < ARCHIVE_WARN)
            return libarchiveError(a_.get(), source.diskPath);
        return nullptr;
    }

    int fd_;
    const WriterControl& control_;
    std::vector<char> buffer_;
    std::unique_ptr<StreamCompressor> compressor_;
    std::unique_ptr<archive, ArchiveDeleter> a_;
};

} // namespace

VoidResult writeArchive(int fd, const CompressPlan& plan, const WriterSettings& settings, const WriterControl& control)
{
    if (settings.compression.codec == StreamCodec::Deflate)
        return writeZip(fd, plan, settings.compression, control);
    return Writer(fd, control).run(plan, settings);
}

} // namespace Brackwen
