#pragma once
// Multi-threaded gzip, zstd and xz for the tar stream, in place of
// libarchive's own filters: its gzip filter has no threads at all, its xz
// filter cuts blocks of three dictionaries (24 MiB at the default preset),
// so anything smaller than a few hundred megabytes keeps one or two cores
// busy, and its zstd filter cannot size its jobs. Here the block (job) size
// follows the input, so every thread gets work.

#include "Platform/Foundation/Error.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace Brackwen {

// Deflate is not a stream after tar: it selects the parallel zip writer
// (ZipWriter.h), which deflates entry by entry.
enum class StreamCodec { None, Zstd, Xz, Gzip, Deflate };

struct StreamCompression {
    StreamCodec codec = StreamCodec::None;
    int level = 0;   // the codec's own level
    int threads = 1;
};

class StreamCompressor {
public:
    virtual ~StreamCompressor() = default;
    // Compresses and hands what is ready to the descriptor's writer thread
    // (see OutputWriter). A failed write, this one's or an earlier one's,
    // leaves errno set and returns false.
    virtual bool write(const void* data, size_t size) = 0;
    // Flushes the end of the stream and waits until all of it is written;
    // `isCancelled` is checked between output chunks, the long part of a
    // multi-threaded flush.
    virtual Foundation::ErrorPtr finish(const std::function<bool()>& isCancelled) = 0;
};

// `expectedBytes` (the uncompressed input, roughly) sizes the blocks. Null
// when the codec cannot be set up (errno is not meaningful then).
std::unique_ptr<StreamCompressor> makeStreamCompressor(const StreamCompression& settings, int fd,
                                                       int64_t expectedBytes);

} // namespace Brackwen
