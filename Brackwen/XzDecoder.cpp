#include "Brackwen/XzDecoder.h"

#include <algorithm>
#include <cstring>
#include <thread>

namespace Brackwen {

XzDecoder::XzDecoder()
{
    lzma_mt mt{};
    mt.flags = LZMA_CONCATENATED;
    mt.threads = std::max(1u, std::thread::hardware_concurrency());
    // Blocks decoded ahead are held in memory: past this liblzma decodes on
    // fewer threads (xz -6 blocks of 24 MiB still get every core of eight).
    // The single-thread decoder has no limit, as with libarchive's filter.
    mt.memlimit_threading = std::clamp<uint64_t>(lzma_physmem() / 4, uint64_t(64) << 20, uint64_t(512) << 20);
    mt.memlimit_stop = UINT64_MAX;
    if (lzma_stream_decoder_mt(&stream_, &mt) != LZMA_OK)
        message_ = "Can't allocate data for xz decompression";
}

XzDecoder::~XzDecoder() { lzma_end(&stream_); }

bool XzDecoder::startsStream(const unsigned char* head, size_t size)
{
    static const unsigned char magic[6] = {0xFD, '7', 'z', 'X', 'Z', 0x00};
    return size >= sizeof magic && std::memcmp(head, magic, sizeof magic) == 0;
}

void XzDecoder::feed(const unsigned char* data, size_t size)
{
    stream_.next_in = data;
    stream_.avail_in = size;
}

long XzDecoder::decode(unsigned char* out, size_t size)
{
    if (message_)
        return -1;
    stream_.next_out = out;
    stream_.avail_out = size;
    while (!ended_ && stream_.avail_out == size && (stream_.avail_in > 0 || finishing_)) {
        const lzma_ret ret = lzma_code(&stream_, finishing_ ? LZMA_FINISH : LZMA_RUN);
        if (ret == LZMA_STREAM_END) {
            ended_ = true;
        } else if (ret != LZMA_OK) {
            switch (ret) {
            case LZMA_BUF_ERROR: message_ = "Truncated xz input"; break;
            case LZMA_MEM_ERROR: message_ = "Can't allocate data for xz decompression"; break;
            case LZMA_OPTIONS_ERROR: message_ = "Unsupported xz options"; break;
            default: message_ = "Damaged xz data: xz decompression failed"; break;
            }
            // What came before the damage is handed out first; the error
            // follows with the next call.
            break;
        }
    }
    const long produced = long(size - stream_.avail_out);
    return produced > 0 || !message_ ? produced : -1;
}

} // namespace Brackwen
