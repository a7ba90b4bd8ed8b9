#include "Brackwen/VolumeReader.h"

#include "Brackwen/EngineErrors.h"
#include "Brackwen/EngineFormats.h"

#include <archive.h>

#include <cerrno>
#include <clocale>
#include <cstring>
#include <fcntl.h>
#include <langinfo.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace Brackwen {

namespace {
constexpr size_t blockSize = 1 << 20;
static_assert(blockSize <= DecodeAhead::blockSize);
}

void ensureUTF8Locale()
{
    static std::once_flag once;
    std::call_once(once, [] {
        const char* codeset = nl_langinfo(CODESET);
        if (codeset && std::strcmp(codeset, "UTF-8") == 0)
            return;
        if (!std::setlocale(LC_CTYPE, "") || std::strcmp(nl_langinfo(CODESET), "UTF-8") != 0)
            std::setlocale(LC_CTYPE, "C.UTF-8");
    });
}

VolumeReader::VolumeReader(std::vector<std::string> paths)
{
    for (auto& p : paths)
        volumes_.push_back({std::move(p), 0, 0});
}

VolumeReader::~VolumeReader()
{
    if (archive_)
        archive_read_free(archive_);
    ahead_.reset();
    closeFile();
}

Foundation::ErrorPtr VolumeReader::checkVolumes()
{
    if (volumes_.empty())
        return engineError(ZODArchiverErrorInvalidArgument, {}, "No archive path was given.");
    totalSize_ = 0;
    for (auto& v : volumes_) {
        struct stat st {};
        if (::stat(v.path.c_str(), &st) != 0)
            return engineError(errno == ENOENT || errno == ENOTDIR ? ZODArchiverErrorFileNotFound
                                                                   : ZODArchiverErrorFileNotReadable,
                               v.path, std::strerror(errno));
        if (!S_ISREG(st.st_mode) || ::access(v.path.c_str(), R_OK) != 0)
            return engineError(ZODArchiverErrorFileNotReadable, v.path);
        v.start = totalSize_;
        v.size = st.st_size;
        totalSize_ += st.st_size;
    }
    return nullptr;
}

std::string VolumeReader::rawEntryName() const
{
    std::string name = volumes_.empty() ? std::string("data") : volumes_.front().path;
    if (auto slash = name.rfind('/'); slash != std::string::npos)
        name.erase(0, slash + 1);
    static const char* const extensions[] = {".gz", ".bz2", ".xz", ".zst", ".Z", ".lz4", ".lzma", ".lz", ".lzo", ".uu", ".zstd"};
    for (const char* ext : extensions) {
        size_t n = std::strlen(ext);
        if (name.size() > n && name.compare(name.size() - n, n, ext) == 0) {
            name.erase(name.size() - n);
            return name;
        }
    }
    if (name.size() > 4 && (name.ends_with(".tgz") || name.ends_with(".tbz") || name.ends_with(".txz")))
        return name.substr(0, name.size() - 4) + ".tar";
    return name;
}

Foundation::ErrorPtr VolumeReader::open(const std::vector<std::string>& passphrases, PassphraseCallback callback,
                                        void* callbackData)
{
    callback_ = callback;
    callbackData_ = callbackData;
    ensureUTF8Locale();
    // Left uninitialised: every byte handed to libarchive is read first, and
    // a reader is opened per analysis and extraction.
    if (!buffer_)
        buffer_ = std::make_unique_for_overwrite<char[]>(blockSize);
    if (!volumes_.empty()) {
        unsigned char head[6];
        const int fd = ::open(volumes_.front().path.c_str(), O_RDONLY | O_CLOEXEC);
        const ssize_t n = fd >= 0 ? ::pread(fd, head, sizeof head, 0) : -1;
        xzStream_ = n == ssize_t(sizeof head) && XzDecoder::startsStream(head, sizeof head);
        aheadStream_ = n > 0 && DecodeAhead::startsStream(head, size_t(n));
        if (fd >= 0)
            ::close(fd);
    }
    if (xzStream_ && !xzInput_)
        xzInput_ = std::make_unique_for_overwrite<unsigned char[]>(blockSize);
    Foundation::ErrorPtr error = openWith(false, passphrases);
    if (error && error->code() == ZODArchiverErrorUnsupportedFormat) {
        Foundation::ErrorPtr rawError = openWith(true, passphrases);
        if (!rawError && (xzStream_ || ahead_ || archive_filter_count(archive_) > 1))
            return nullptr;
        return error;
    }
    return error;
}

Foundation::ErrorPtr VolumeReader::openWith(bool raw, const std::vector<std::string>& passphrases)
{
    if (archive_)
        archive_read_free(archive_);
    ahead_.reset();
    auto rewind = [this] {
        closeFile();
        current_ = 0;
        position_ = 0;
        readErrno_ = 0;
    };
    rewind();
    if (aheadStream_ && moveTo(0))
        ahead_ = DecodeAhead::start([this](struct archive* a, char* into) { return readVolumes(a, into); });
    // Not decoded ahead after all: read directly, from the start.
    if (aheadStream_ && !ahead_)
        rewind();
    raw_ = raw;
    xz_ = xzStream_ ? std::make_unique<XzDecoder>() : nullptr;
    archive_ = archive_read_new();
    archive_read_support_filter_all(archive_);
    if (raw)
        archive_read_support_format_raw(archive_);
    else
        supportArchiveFormats(archive_);
    for (const auto& p : passphrases)
        archive_read_add_passphrase(archive_, p.c_str());
    if (callback_)
        archive_read_set_passphrase_callback(archive_, callbackData_, callback_);
    archive_read_set_open_callback(archive_, openCallback);
    archive_read_set_read_callback(archive_, readCallback);
    if (!xz_ && !ahead_) {
        archive_read_set_skip_callback(archive_, skipCallback);
        archive_read_set_seek_callback(archive_, seekCallback);
    }
    archive_read_set_close_callback(archive_, closeCallback);
    archive_read_set_callback_data(archive_, this);
    if (archive_read_open1(archive_) != ARCHIVE_OK) {
        if (ahead_) {
            // Stopped first: until then the decoding thread owns readErrno_.
            const int handed = ahead_->readErrno();
            ahead_.reset();
            readErrno_ = handed;
        }
        if (readErrno_)
            return engineError(ZODArchiverErrorFileNotReadable, volumes_[current_].path, std::strerror(readErrno_));
        // A damaged or cut .xz is what it is, even when the damage comes
        // within what libarchive reads ahead to tell the format.
        if (xz_ && xz_->message())
            return errorFromReadMessage(xz_->message(), 0, volumes_.front().path);
        auto error = errorFromArchiveRead(archive_, volumes_.front().path);
        // Whatever fails to open as an archive is not one we can read.
        if (error->code() == ZODArchiverErrorUnknown || error->code() == ZODArchiverErrorDamaged)
            return engineError(ZODArchiverErrorUnsupportedFormat, volumes_.front().path, archiveMessage(archive_));
        return error;
    }
    return nullptr;
}

void VolumeReader::closeFile()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

bool VolumeReader::moveTo(int64_t offset)
{
    size_t index = 0;
    while (index + 1 < volumes_.size() && offset >= volumes_[index].start + volumes_[index].size)
        ++index;
    if (index != current_ || fd_ < 0) {
        closeFile();
        current_ = index;
        fd_ = ::open(volumes_[current_].path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd_ < 0) {
            readErrno_ = errno;
            return false;
        }
    }
    if (::lseek(fd_, offset - volumes_[current_].start, SEEK_SET) < 0) {
        readErrno_ = errno;
        return false;
    }
    position_ = offset;
    return true;
}

int VolumeReader::openCallback(struct archive* a, void* self)
{
    auto* r = static_cast<VolumeReader*>(self);
    if (r->ahead_)
        return ARCHIVE_OK;
    if (!r->moveTo(0)) {
        archive_set_error(a, r->readErrno_, "%s", std::strerror(r->readErrno_));
        return ARCHIVE_FATAL;
    }
    return ARCHIVE_OK;
}

long VolumeReader::readVolumes(struct archive* a, char* into)
{
    for (;;) {
        if (fd_ < 0 && !moveTo(position_)) {
            archive_set_error(a, readErrno_, "%s", std::strerror(readErrno_));
            return -1;
        }
        ssize_t n = ::read(fd_, into, blockSize);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            readErrno_ = errno;
            archive_set_error(a, errno, "%s: %s", volumes_[current_].path.c_str(), std::strerror(errno));
            return -1;
        }
        if (n == 0) {
            if (current_ + 1 >= volumes_.size())
                return 0;
            // On to the next volume.
            if (!moveTo(volumes_[current_ + 1].start)) {
                archive_set_error(a, readErrno_, "%s", std::strerror(readErrno_));
                return -1;
            }
            continue;
        }
        position_ += n;
        return static_cast<long>(n);
    }
}

long VolumeReader::readCallback(struct archive* a, void* self, const void** buffer)
{
    auto* r = static_cast<VolumeReader*>(self);
    if (r->ahead_)
        return r->ahead_->read(a, buffer);
    *buffer = r->buffer_.get();
    if (!r->xz_)
        return r->readVolumes(a, r->buffer_.get());
    XzDecoder& xz = *r->xz_;
    for (;;) {
        if (xz.needsInput()) {
            const long n = r->readVolumes(a, reinterpret_cast<char*>(r->xzInput_.get()));
            if (n < 0)
                return -1;
            if (n == 0)
                xz.finish();
            else
                xz.feed(r->xzInput_.get(), size_t(n));
        }
        const long n = xz.decode(reinterpret_cast<unsigned char*>(r->buffer_.get()), blockSize);
        if (n < 0) {
            archive_set_error(a, -1, "%s", xz.message()); // no errno: the message tells
            return -1;
        }
        if (n > 0 || xz.ended())
            return n;
    }
}

int64_t VolumeReader::skipCallback(struct archive*, void* self, int64_t request)
{
    auto* r = static_cast<VolumeReader*>(self);
    int64_t target = std::min(r->position_ + request, r->totalSize_);
    int64_t from = r->position_;
    if (!r->moveTo(target))
        return 0;
    return target - from;
}

int64_t VolumeReader::seekCallback(struct archive*, void* self, int64_t offset, int whence)
{
    auto* r = static_cast<VolumeReader*>(self);
    int64_t target = whence == SEEK_SET ? offset : whence == SEEK_CUR ? r->position_ + offset : r->totalSize_ + offset;
    if (target < 0 || target > r->totalSize_)
        return ARCHIVE_FATAL;
    if (!r->moveTo(target))
        return ARCHIVE_FATAL;
    return target;
}

int VolumeReader::closeCallback(struct archive*, void* self)
{
    auto* r = static_cast<VolumeReader*>(self);
    r->ahead_.reset();
    r->closeFile();
    return ARCHIVE_OK;
}

} // namespace Brackwen
