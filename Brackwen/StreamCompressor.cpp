#include "Brackwen/StreamCompressor.h"

#include "Brackwen/OutputWriter.h"
#include "Brackwen/ParallelDeflate.h"
#include "Brackwen/ZODArchiverError.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <lzma.h>
#include <string>
#include <vector>
#include <zlib.h>
#include <zstd.h>

namespace Brackwen {

namespace {

constexpr size_t kOutput = 1 << 20;
constexpr int64_t kMinBlock = 1 << 20;

// Hands the filled part of `out` to the writer and makes `out` a whole
// empty chunk again.
bool pushOutput(OutputWriter& writer, std::vector<uint8_t>& out, size_t filled)
{
    out.resize(filled);
    if (!writer.push(out))
        return false;
    out.resize(kOutput);
    return true;
}

Foundation::ErrorPtr outputError(int err)
{
    int64_t code = (err == ENOSPC || err == EDQUOT) ? ZODArchiverErrorDiskFull : ZODArchiverErrorCannotWrite;
    return ZODArchiverMakeError(code, {{ZODArchiverUnderlyingMessageKey, std::string(std::strerror(err))}});
}

Foundation::ErrorPtr codecError(const char* message)
{
    return ZODArchiverMakeError(ZODArchiverErrorCannotWrite, {{ZODArchiverUnderlyingMessageKey, std::string(message)}});
}

// One block per thread for small inputs, never below 1 MiB (smaller blocks
// cost ratio and gain nothing) nor above `largest`.
int64_t blockSizeFor(int64_t expectedBytes, int threads, int64_t largest)
{
    return std::clamp<int64_t>(expectedBytes / std::max(1, threads) + 1, kMinBlock, std::max(kMinBlock, largest));
}

class ZstdCompressor final : public StreamCompressor {
public:
    ZstdCompressor(int fd) : writer_(fd), out_(kOutput) {}
    ~ZstdCompressor() override { ZSTD_freeCCtx(cctx_); }

    bool setUp(const StreamCompression& s, int64_t expectedBytes)
    {
        cctx_ = ZSTD_createCCtx();
        if (!cctx_ || ZSTD_isError(ZSTD_CCtx_setParameter(cctx_, ZSTD_c_compressionLevel, s.level))
            || ZSTD_isError(ZSTD_CCtx_setParameter(cctx_, ZSTD_c_checksumFlag, 1)))
            return false;
        // A library built without threads refuses workers: one thread then.
        if (s.threads > 1 && !ZSTD_isError(ZSTD_CCtx_setParameter(cctx_, ZSTD_c_nbWorkers, s.threads)))
            ZSTD_CCtx_setParameter(cctx_, ZSTD_c_jobSize, int(blockSizeFor(expectedBytes, s.threads, 8 << 20)));
        return true;
    }

    bool write(const void* data, size_t size) override
    {
        ZSTD_inBuffer in{data, size, 0};
        while (in.pos < in.size) {
            ZSTD_outBuffer out{out_.data(), out_.size(), 0};
            size_t r = ZSTD_compressStream2(cctx_, &out, &in, ZSTD_e_continue);
            if (ZSTD_isError(r)) {
                errno = EIO;
                return false;
            }
            if (out.pos > 0 && !pushOutput(writer_, out_, out.pos))
                return false;
        }
        return true;
    }

    Foundation::ErrorPtr finish(const std::function<bool()>& isCancelled) override
    {
        ZSTD_inBuffer in{nullptr, 0, 0};
        for (;;) {
            if (isCancelled && isCancelled())
                return ZODArchiverMakeError(ZODArchiverErrorCancelled);
            ZSTD_outBuffer out{out_.data(), out_.size(), 0};
            size_t left = ZSTD_compressStream2(cctx_, &out, &in, ZSTD_e_end);
            if (ZSTD_isError(left))
                return codecError(ZSTD_getErrorName(left));
            if (!pushOutput(writer_, out_, out.pos))
                return outputError(errno);
            if (left == 0)
                return writer_.close() ? nullptr : outputError(errno);
        }
    }

private:
    OutputWriter writer_;
    ZSTD_CCtx* cctx_ = nullptr;
    std::vector<uint8_t> out_;
};

class XzCompressor final : public StreamCompressor {
public:
    XzCompressor(int fd) : writer_(fd), out_(kOutput) {}
    ~XzCompressor() override { lzma_end(&stream_); }

    bool setUp(const StreamCompression& s, int64_t expectedBytes)
    {
        lzma_options_lzma preset;
        if (lzma_lzma_preset(&preset, uint32_t(s.level)))
            return false;
        lzma_mt mt{};
        mt.threads = uint32_t(std::max(1, s.threads));
        mt.preset = uint32_t(s.level);
        mt.check = LZMA_CHECK_CRC64;
        // liblzma's own choice, three dictionaries, is the upper bound.
        mt.block_size = uint64_t(blockSizeFor(expectedBytes, s.threads, 3 * int64_t(preset.dict_size)));
        return lzma_stream_encoder_mt(&stream_, &mt) == LZMA_OK;
    }

    bool write(const void* data, size_t size) override
    {
        stream_.next_in = static_cast<const uint8_t*>(data);
        stream_.avail_in = size;
        while (stream_.avail_in > 0) {
            if (!step(LZMA_RUN))
                return false;
        }
        return true;
    }

    Foundation::ErrorPtr finish(const std::function<bool()>& isCancelled) override
    {
        for (;;) {
            if (isCancelled && isCancelled())
                return ZODArchiverMakeError(ZODArchiverErrorCancelled);
            stream_.next_out = out_.data();
            stream_.avail_out = out_.size();
            lzma_ret r = lzma_code(&stream_, LZMA_FINISH);
            if (r != LZMA_OK && r != LZMA_STREAM_END)
                return codecError("xz compression failed");
            if (!pushOutput(writer_, out_, out_.size() - stream_.avail_out))
                return outputError(errno);
            if (r == LZMA_STREAM_END)
                return writer_.close() ? nullptr : outputError(errno);
        }
    }

private:
    bool step(lzma_action action)
    {
        stream_.next_out = out_.data();
        stream_.avail_out = out_.size();
        lzma_ret r = lzma_code(&stream_, action);
        if (r != LZMA_OK && r != LZMA_STREAM_END) {
            errno = r == LZMA_MEM_ERROR ? ENOMEM : EIO;
            return false;
        }
        const size_t filled = out_.size() - stream_.avail_out;
        return filled == 0 || pushOutput(writer_, out_, filled);
    }

    OutputWriter writer_;
    lzma_stream stream_ = LZMA_STREAM_INIT;
    std::vector<uint8_t> out_;
};

// One gzip member, its deflate stream cut into blocks that are compressed on
// every core (see ParallelDeflate.h); what gzip and tar read is the same as
// from a single-threaded gzip.
class GzipCompressor final : public StreamCompressor {
public:
    GzipCompressor(int fd, const StreamCompression& s)
        : writer_(fd), pool_(s.threads), level_(deflateLevelFor(s.level))
    {
        // No name, no time (the archive's own entries carry them), Unix.
        const uint8_t xfl = level_ == 9 ? 2 : level_ == 1 ? 4 : 0;
        pending_ = {0x1f, 0x8b, 8, 0, 0, 0, 0, 0, xfl, 3};
        block_.reserve(kBlock);
    }

    bool write(const void* data, size_t size) override
    {
        auto* p = static_cast<const uint8_t*>(data);
        while (size > 0) {
            const size_t n = std::min(size, kBlock - block_.size());
            block_.insert(block_.end(), p, p + n);
            p += n;
            size -= n;
            if (block_.size() == kBlock && !submit(false))
                return false;
        }
        return true;
    }

    Foundation::ErrorPtr finish(const std::function<bool()>& isCancelled) override
    {
        const auto failure = [this] { return failed_ ? codecError("gzip compression failed") : outputError(errno); };
        if (!submit(true))
            return failure();
        while (pool_.pending() > 0) {
            if (isCancelled && isCancelled())
                return ZODArchiverMakeError(ZODArchiverErrorCancelled);
            if (!emit(pool_.takeNext()->jobs.front()))
                return failure();
        }
        uint8_t trailer[8];
        for (int i = 0; i < 4; ++i) {
            trailer[i] = uint8_t(crc_ >> (8 * i));
            trailer[4 + i] = uint8_t(length_ >> (8 * i));
        }
        pending_.insert(pending_.end(), trailer, trailer + 8);
        if (!flush())
            return outputError(errno);
        return writer_.close() ? nullptr : outputError(errno);
    }

private:
    static constexpr size_t kBlock = 256 * 1024;

    bool submit(bool last)
    {
        auto batch = std::make_shared<DeflateBatch>();
        DeflateJob& job = batch->jobs.emplace_back();
        job.level = level_;
        job.last = last;
        job.dictionary = std::move(window_);
        const size_t keep = std::min(block_.size(), kDeflateWindow);
        window_.assign(block_.end() - ptrdiff_t(keep), block_.end());
        job.input = std::move(block_);
        block_ = {};
        block_.reserve(kBlock);
        pool_.submit(std::move(batch));
        // Ready blocks go out as soon as they are; beyond a few per thread
        // the reader waits for the oldest.
        while (auto done = pool_.takeNextIfDone())
            if (!emit(done->jobs.front()))
                return false;
        while (pool_.pending() > size_t(4 * pool_.threads()))
            if (!emit(pool_.takeNext()->jobs.front()))
                return false;
        return true;
    }

    bool emit(const DeflateJob& job)
    {
        if (!job.ok) {
            failed_ = true;
            errno = ENOMEM;
            return false;
        }
        crc_ = uint32_t(crc32_combine(crc_, job.crc, z_off_t(job.input.size())));
        length_ += job.input.size();
        pending_.insert(pending_.end(), job.output.begin(), job.output.end());
        return pending_.size() < kOutput || flush();
    }

    bool flush()
    {
        if (!pushOutput(writer_, pending_, pending_.size()))
            return false;
        pending_.clear();
        return true;
    }

    OutputWriter writer_;
    DeflatePool pool_;
    int level_;
    std::vector<uint8_t> block_;
    std::vector<uint8_t> window_;
    std::vector<uint8_t> pending_;
    uint32_t crc_ = 0;
    uint64_t length_ = 0;
    bool failed_ = false;
};

} // namespace

std::unique_ptr<StreamCompressor> makeStreamCompressor(const StreamCompression& settings, int fd,
                                                       int64_t expectedBytes)
{
    switch (settings.codec) {
    case StreamCodec::Zstd: {
        auto c = std::make_unique<ZstdCompressor>(fd);
        return c->setUp(settings, expectedBytes) ? std::move(c) : nullptr;
    }
    case StreamCodec::Xz: {
        auto c = std::make_unique<XzCompressor>(fd);
        return c->setUp(settings, expectedBytes) ? std::move(c) : nullptr;
    }
    case StreamCodec::Gzip:
        return std::make_unique<GzipCompressor>(fd, settings);
    case StreamCodec::None:
    case StreamCodec::Deflate:
        break;
    }
    return nullptr;
}

} // namespace Brackwen
