#pragma once
// Decodes an .xz stream on several threads. xz -T0 (the default of today's
// xz) writes independent blocks, and liblzma decodes them side by side,
// where libarchive's own filter uses one thread.

#include <cstddef>
#include <cstdint>
#include <lzma.h>

namespace Brackwen {

class XzDecoder {
public:
    XzDecoder();
    ~XzDecoder();
    XzDecoder(const XzDecoder&) = delete;
    XzDecoder& operator=(const XzDecoder&) = delete;

    // True when `head` (the first bytes of a file) opens an .xz stream.
    static bool startsStream(const unsigned char* head, size_t size);

    bool needsInput() const { return stream_.avail_in == 0 && !finishing_; }
    // The bytes must stay put until they are consumed (needsInput()).
    void feed(const unsigned char* data, size_t size);
    // No more input: what is left is decoded, or reported as cut short.
    void finish() { finishing_ = true; }

    // Up to `size` decoded bytes; 0 when it needs input or has ended, -1 on
    // an error, which message() then names in libarchive's own words.
    long decode(unsigned char* out, size_t size);
    bool ended() const { return ended_; }
    const char* message() const { return message_; }

private:
    lzma_stream stream_ = LZMA_STREAM_INIT;
    bool finishing_ = false;
    bool ended_ = false;
    const char* message_ = nullptr;
};

} // namespace Brackwen
