#include "Brackwen/StreamCompressor.h"

#include "Brackwen/OutputWriter.h"
#include "Brackwen/ZODArchiverError.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <lzma.h>
#include <string>
#include <vector>
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
    case StreamCodec::None:
        break;
    }
    return nullptr;
}

} // namespace Brackwen
