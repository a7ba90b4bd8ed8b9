#include "Brackwen/ZipWriter.h"

#include "Brackwen/OutputWriter.h"
#include "Brackwen/ParallelDeflate.h"
#include "Brackwen/ZODArchiverError.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <deque>
#include <fcntl.h>
#include <unistd.h>
#include <zlib.h>

namespace Brackwen {

namespace {

using VoidResult = Foundation::Result<Foundation::Void, Foundation::ErrorPtr>;

constexpr size_t kWholeEntry = 1 << 20; // up to this, one job and sizes in the local header
constexpr size_t kBlock = 256 * 1024;   // the blocks of larger entries
constexpr size_t kSample = 64 * 1024;   // what decides whether a large entry is stored
constexpr size_t kBatchEntries = 512;
constexpr size_t kOutputChunk = 1 << 20;
constexpr uint32_t kMax32 = 0xffffffffu;
// A deflated entry can outgrow its input a little: past this, an entry
// whose final size is unknown gets zip64 sizes.
constexpr uint64_t kZip64Entry = 0xff000000u;

constexpr uint16_t kMethodStore = 0;
constexpr uint16_t kMethodDeflate = 8;
constexpr uint16_t kFlagDescriptor = 1 << 3;
constexpr uint16_t kFlagUtf8 = 1 << 11;
constexpr uint16_t kMadeByUnix = (3 << 8) | 30;

class Bytes {
public:
    explicit Bytes(std::vector<uint8_t>& out) : out_(out) {}
    Bytes& u16(uint32_t v)
    {
        out_.push_back(uint8_t(v));
        out_.push_back(uint8_t(v >> 8));
        return *this;
    }
    Bytes& u32(uint32_t v) { return u16(v & 0xffff).u16(v >> 16); }
    Bytes& u64(uint64_t v) { return u32(uint32_t(v)).u32(uint32_t(v >> 32)); }
    Bytes& raw(const void* p, size_t n)
    {
        auto* b = static_cast<const uint8_t*>(p);
        out_.insert(out_.end(), b, b + n);
        return *this;
    }

private:
    std::vector<uint8_t>& out_;
};

struct DosTime {
    uint16_t time = 0;
    uint16_t date = (1 << 5) | 1; // 1980-01-01, the earliest there is
};

DosTime dosTime(time_t t)
{
    struct tm tm {};
    DosTime d;
    if (!::localtime_r(&t, &tm) || tm.tm_year < 80)
        return d;
    if (tm.tm_year > 207) // the last there is: 2107-12-31 23:59:58
        return {uint16_t((23 << 11) | (59 << 5) | 29), uint16_t((127 << 9) | (12 << 5) | 31)};
    d.date = uint16_t(((tm.tm_year - 80) << 9) | ((tm.tm_mon + 1) << 5) | tm.tm_mday);
    d.time = uint16_t((tm.tm_hour << 11) | (tm.tm_min << 5) | (tm.tm_sec / 2));
    return d;
}

struct Entry {
    std::string name;
    mode_t mode = 0;
    int64_t mtime = 0;
    uint32_t uid = 0, gid = 0;
    uint16_t method = kMethodStore;
    bool descriptor = false; // sizes follow the data
    bool zip64 = false;      // zip64 sizes in the local header and the descriptor
    std::shared_ptr<std::atomic<bool>> stored;
    uint32_t crc = 0;
    uint64_t compressedSize = 0;
    uint64_t size = 0;
    uint64_t offset = 0;
};

struct Unit {
    size_t entry;
    bool first;
    bool last;
};

bool needsUtf8Flag(const std::string& name)
{
    return std::any_of(name.begin(), name.end(), [](char c) { return uint8_t(c) >= 0x80; });
}

int32_t unixTime(int64_t t) { return int32_t(std::clamp<int64_t>(t, INT32_MIN, INT32_MAX)); }

Foundation::ErrorPtr outputError(int err)
{
    int64_t code = (err == ENOSPC || err == EDQUOT) ? ZODArchiverErrorDiskFull : ZODArchiverErrorCannotWrite;
    return ZODArchiverMakeError(code, {{ZODArchiverUnderlyingMessageKey, std::string(std::strerror(err))}});
}

Foundation::ErrorPtr changedWhileRead(const std::string& path)
{
    return ZODArchiverMakeError(ZODArchiverErrorFileNotReadable,
                                {{Foundation::NSFilePathErrorKey, path},
                                 {ZODArchiverUnderlyingMessageKey, std::string("file changed while being read")}});
}

class ZipWriter {
public:
    ZipWriter(int fd, const StreamCompression& compression, const WriterControl& control)
        : writer_(fd), pool_(compression.threads), level_(deflateLevelFor(compression.level)), control_(control)
    {
    }

    VoidResult run(const CompressPlan& plan)
    {
        entries_.reserve(plan.entries.size());
        for (const auto& source : plan.entries) {
            if (cancelled())
                return VoidResult::failure(ZODArchiverMakeError(ZODArchiverErrorCancelled));
            if (auto error = addEntry(source))
                return VoidResult::failure(std::move(error));
        }
        submitBatch();
        while (pool_.pending() > 0) {
            if (cancelled())
                return VoidResult::failure(ZODArchiverMakeError(ZODArchiverErrorCancelled));
            if (auto error = emit(*pool_.takeNext()))
                return VoidResult::failure(std::move(error));
        }
        writeCentralDirectory();
        if (!flush() || !writer_.close())
            return VoidResult::failure(outputError(errno));
        return VoidResult::success({});
    }

private:
    bool cancelled() const { return control_.isCancelled && control_.isCancelled(); }

    Foundation::ErrorPtr addEntry(const CompressSource& source)
    {
        Entry e;
        struct stat st;
        OpenedSource opened;
        if (auto error = openSource(source, st, opened))
            return error;
        const mode_t type = st.st_mode & S_IFMT;
        const int fd = opened.fd();

        e.name = source.entryName;
        if (type == S_IFDIR && (e.name.empty() || e.name.back() != '/'))
            e.name += '/';
        e.mode = (st.st_mode & 07777) | type;
        e.mtime = st.st_mtim.tv_sec;
        e.uid = st.st_uid;
        e.gid = st.st_gid;
        e.stored = std::make_shared<std::atomic<bool>>(true);
        const size_t index = entries_.size();

        if (type != S_IFREG || st.st_size <= int64_t(kWholeEntry)) {
            DeflateJob job = newJob(index, true, true);
            if (type == S_IFLNK)
                job.input.assign(source.linkTarget.begin(), source.linkTarget.end());
            else if (type == S_IFREG && st.st_size > 0) {
                if (auto error = readBlock(fd, source.diskPath, size_t(st.st_size), job.input))
                    return error;
                e.stored->store(false);
            }
            job.crcOnly = e.stored;
            entries_.push_back(std::move(e));
            return add(std::move(job));
        }

        e.descriptor = true;
        e.zip64 = uint64_t(st.st_size) >= kZip64Entry;
        entries_.push_back(std::move(e));
        std::vector<uint8_t> window;
        for (uint64_t left = uint64_t(st.st_size); left > 0;) {
            if (cancelled())
                return ZODArchiverMakeError(ZODArchiverErrorCancelled);
            const size_t n = size_t(std::min<uint64_t>(left, kBlock));
            left -= n;
            DeflateJob job = newJob(index, window.empty(), left == 0);
            if (auto error = readBlock(fd, source.diskPath, n, job.input))
                return error;
            if (window.empty())
                decideMethod(entries_[index], job.input);
            job.crcOnly = entries_[index].stored;
            job.dictionary = std::move(window);
            window.assign(job.input.end() - ptrdiff_t(std::min(n, kDeflateWindow)), job.input.end());
            if (auto error = add(std::move(job)))
                return error;
        }
        return nullptr;
    }

    // A large entry is stored when a sample from its start does not shrink.
    void decideMethod(Entry& e, const std::vector<uint8_t>& first)
    {
        const size_t n = std::min(first.size(), kSample);
        std::vector<uint8_t> sample;
        const bool shrinks = deflateWhole(first.data(), n, level_, sample) && sample.size() < n;
        e.stored->store(!shrinks);
        e.method = shrinks ? kMethodDeflate : kMethodStore;
    }

    DeflateJob newJob(size_t entry, bool first, bool last)
    {
        units_.push_back({entry, first, last});
        DeflateJob job;
        job.level = level_;
        job.last = last;
        return job;
    }

    Foundation::ErrorPtr readBlock(int fd, const std::string& path, size_t size, std::vector<uint8_t>& into)
    {
        into.resize(size);
        size_t filled = 0;
        while (filled < size) {
            ssize_t n = ::read(fd, into.data() + filled, size - filled);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                return sourceError(errno, path);
            if (n == 0)
                return changedWhileRead(path);
            filled += size_t(n);
        }
        if (control_.addBytes)
            control_.addBytes(int64_t(size));
        return nullptr;
    }

    // Jobs go to the pool a block's worth at a time; whatever is done is
    // written, and once a few batches per thread are in flight the reader
    // waits for the oldest.
    Foundation::ErrorPtr add(DeflateJob job)
    {
        if (!batch_)
            batch_ = std::make_shared<DeflateBatch>();
        batch_->inputBytes += job.input.size();
        batch_->jobs.push_back(std::move(job));
        if (batch_->inputBytes < kBlock && batch_->jobs.size() < kBatchEntries)
            return nullptr;
        submitBatch();
        while (auto done = pool_.takeNextIfDone())
            if (auto error = emit(*done))
                return error;
        while (pool_.pending() > size_t(4 * pool_.threads()))
            if (auto error = emit(*pool_.takeNext()))
                return error;
        return nullptr;
    }

    void submitBatch()
    {
        if (batch_)
            pool_.submit(std::move(batch_));
        batch_ = nullptr;
    }

    Foundation::ErrorPtr emit(const DeflateBatch& batch)
    {
        for (const DeflateJob& job : batch.jobs)
            if (auto error = emit(job))
                return error;
        return nullptr;
    }

    Foundation::ErrorPtr emit(const DeflateJob& job)
    {
        const Unit unit = units_.front();
        units_.pop_front();
        Entry& e = entries_[unit.entry];
        if (!job.ok)
            return ZODArchiverMakeError(ZODArchiverErrorCannotWrite,
                                        {{ZODArchiverUnderlyingMessageKey, std::string("deflate failed")}});
        const bool stored = e.stored->load();
        const std::vector<uint8_t>& data = stored ? job.input : job.output;
        if (unit.first) {
            e.offset = offset_;
            if (!e.descriptor) {
                // A whole entry: stored when deflating did not make it smaller.
                e.method = (!stored && job.output.size() < job.input.size()) ? kMethodDeflate : kMethodStore;
                e.crc = job.crc;
                e.size = job.input.size();
                e.compressedSize = e.method == kMethodDeflate ? job.output.size() : job.input.size();
                writeLocalHeader(e);
                append(e.method == kMethodDeflate ? job.output : job.input);
                return flushIfFull();
            }
            writeLocalHeader(e);
        }
        e.crc = uint32_t(crc32_combine(e.crc, job.crc, z_off_t(job.input.size())));
        e.size += job.input.size();
        e.compressedSize += data.size();
        append(data);
        if (unit.last) {
            Bytes b(out_);
            b.u32(0x08074b50).u32(e.crc);
            if (e.zip64)
                b.u64(e.compressedSize).u64(e.size);
            else
                b.u32(uint32_t(e.compressedSize)).u32(uint32_t(e.size));
            offset_ += e.zip64 ? 24 : 16;
        }
        return flushIfFull();
    }

    uint16_t flags(const Entry& e) const
    {
        return uint16_t((e.descriptor ? kFlagDescriptor : 0) | (needsUtf8Flag(e.name) ? kFlagUtf8 : 0));
    }

    void writeTimesAndOwner(Bytes& b, const Entry& e)
    {
        b.u16(0x5455).u16(5).raw("\x01", 1).u32(uint32_t(unixTime(e.mtime)));
        b.u16(0x7875).u16(11).raw("\x01\x04", 2).u32(e.uid).raw("\x04", 1).u32(e.gid);
    }

    void writeLocalHeader(const Entry& e)
    {
        const size_t start = out_.size();
        const DosTime t = dosTime(time_t(e.mtime));
        Bytes b(out_);
        b.u32(0x04034b50).u16(e.zip64 ? 45 : 20).u16(flags(e)).u16(e.method).u16(t.time).u16(t.date);
        if (e.descriptor)
            b.u32(0).u32(e.zip64 ? kMax32 : 0).u32(e.zip64 ? kMax32 : 0);
        else
            b.u32(e.crc).u32(uint32_t(e.compressedSize)).u32(uint32_t(e.size));
        b.u16(uint16_t(e.name.size())).u16(uint16_t(9 + 15 + (e.zip64 ? 20 : 0)));
        b.raw(e.name.data(), e.name.size());
        writeTimesAndOwner(b, e);
        if (e.zip64)
            b.u16(0x0001).u16(16).u64(0).u64(0);
        offset_ += out_.size() - start;
    }

    void writeCentralDirectory()
    {
        const uint64_t directoryOffset = offset_;
        for (const Entry& e : entries_) {
            const size_t start = out_.size();
            const DosTime t = dosTime(time_t(e.mtime));
            const bool bigSize = e.size >= kMax32 || e.compressedSize >= kMax32;
            const bool bigOffset = e.offset >= kMax32;
            const uint16_t zip64Length = uint16_t((bigSize ? 16 : 0) + (bigOffset ? 8 : 0));
            const uint32_t dosAttributes = S_ISDIR(e.mode) ? 0x10 : 0;
            Bytes b(out_);
            b.u32(0x02014b50).u16(kMadeByUnix).u16(e.zip64 || zip64Length ? 45 : 20).u16(flags(e)).u16(e.method);
            b.u16(t.time).u16(t.date).u32(e.crc);
            b.u32(bigSize ? kMax32 : uint32_t(e.compressedSize)).u32(bigSize ? kMax32 : uint32_t(e.size));
            b.u16(uint16_t(e.name.size())).u16(uint16_t(9 + 15 + (zip64Length ? 4 + zip64Length : 0)));
            b.u16(0).u16(0).u16(0).u32((uint32_t(e.mode) << 16) | dosAttributes);
            b.u32(bigOffset ? kMax32 : uint32_t(e.offset));
            b.raw(e.name.data(), e.name.size());
            if (zip64Length) {
                b.u16(0x0001).u16(zip64Length);
                if (bigSize)
                    b.u64(e.size).u64(e.compressedSize);
                if (bigOffset)
                    b.u64(e.offset);
            }
            writeTimesAndOwner(b, e);
            offset_ += out_.size() - start;
            if (out_.size() >= kOutputChunk)
                flush();
        }
        const uint64_t directorySize = offset_ - directoryOffset;
        const uint64_t count = entries_.size();
        Bytes b(out_);
        if (count >= 0xffff || directoryOffset >= kMax32 || directorySize >= kMax32) {
            const uint64_t recordOffset = offset_;
            b.u32(0x06064b50).u64(44).u16(kMadeByUnix).u16(45).u32(0).u32(0);
            b.u64(count).u64(count).u64(directorySize).u64(directoryOffset);
            b.u32(0x07064b50).u32(0).u64(recordOffset).u32(1);
        }
        const uint16_t count16 = uint16_t(std::min<uint64_t>(count, 0xffff));
        b.u32(0x06054b50).u16(0).u16(0).u16(count16).u16(count16);
        b.u32(uint32_t(std::min<uint64_t>(directorySize, kMax32)));
        b.u32(uint32_t(std::min<uint64_t>(directoryOffset, kMax32))).u16(0);
    }

    void append(const std::vector<uint8_t>& data)
    {
        out_.insert(out_.end(), data.begin(), data.end());
        offset_ += data.size();
    }

    Foundation::ErrorPtr flushIfFull() { return out_.size() < kOutputChunk || flush() ? nullptr : outputError(errno); }

    // A failed write fails every later one too (OutputWriter), so the end
    // of the archive reports it even when a flush on the way did not.
    bool flush()
    {
        if (!writer_.push(out_))
            return false;
        out_.clear();
        return true;
    }

    OutputWriter writer_;
    DeflatePool pool_;
    int level_;
    const WriterControl& control_;
    std::vector<Entry> entries_;
    DeflateBatchPtr batch_;  // filling, not yet in the pool
    std::deque<Unit> units_; // the entry of each job, in the order of the jobs
    std::vector<uint8_t> out_;
    uint64_t offset_ = 0;
};

} // namespace

VoidResult writeZip(int fd, const CompressPlan& plan, const StreamCompression& compression, const WriterControl& control)
{
    return ZipWriter(fd, compression, control).run(plan);
}

} // namespace Brackwen
