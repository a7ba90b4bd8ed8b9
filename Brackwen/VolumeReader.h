#pragma once
// Opens the volumes of one archive as one stream for libarchive, through
// callbacks of our own: large reads, seeking and skipping across volume
// boundaries, and a byte count for progress. Tries every real format first
// and reads a single compressed file (.gz, .xz …) as one raw entry only when
// they all fail.

#include "Brackwen/DecodeAhead.h"
#include "Brackwen/XzDecoder.h"
#include "Platform/Foundation/Error.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct archive;

namespace Brackwen {

// Runs the process under a UTF-8 character type (libarchive needs it to
// hand out names); keeps a UTF-8 locale already set.
void ensureUTF8Locale();

class VolumeReader {
public:
    explicit VolumeReader(std::vector<std::string> paths);
    ~VolumeReader();
    VolumeReader(const VolumeReader&) = delete;
    VolumeReader& operator=(const VolumeReader&) = delete;

    // Every path must exist and be a readable file: the first that is not
    // gives the not-found (or not-readable) error naming it.
    Foundation::ErrorPtr checkVolumes();
    int64_t totalSize() const { return totalSize_; }

    // libarchive's passphrase callback type.
    using PassphraseCallback = const char* (*)(struct archive*, void* data);

    // A fresh handle each call (the previous one is freed). Passphrases and
    // the callback are set before the open.
    Foundation::ErrorPtr open(const std::vector<std::string>& passphrases = {}, PassphraseCallback callback = nullptr,
                              void* callbackData = nullptr);
    struct archive* handle() const { return archive_; }
    // True when the stream was opened as one raw compressed file.
    bool isRaw() const { return raw_; }
    // The raw entry's name: the first volume's file name without its
    // compression extension.
    std::string rawEntryName() const;

    // How far the joined volumes have been read: the compressed bytes
    // consumed, also while a thread decodes ahead; progress against
    // totalSize().
    int64_t position() const { return position_.load(std::memory_order_relaxed); }

private:
    struct Volume {
        std::string path;
        int64_t size = 0;
        int64_t start = 0;
    };
    Foundation::ErrorPtr openWith(bool raw, const std::vector<std::string>& passphrases);
    PassphraseCallback callback_ = nullptr;
    void* callbackData_ = nullptr;
    void closeFile();
    bool moveTo(int64_t offset);
    // The next bytes of the joined volumes into `into`; 0 at the end, -1
    // with the error set on `a`.
    long readVolumes(struct archive* a, char* into);

    static int openCallback(struct archive*, void* self);
    static long readCallback(struct archive*, void* self, const void** buffer);
    static int64_t skipCallback(struct archive*, void* self, int64_t request);
    static int64_t seekCallback(struct archive*, void* self, int64_t offset, int whence);
    static int closeCallback(struct archive*, void* self);

    std::vector<Volume> volumes_;
    int64_t totalSize_ = 0;
    struct archive* archive_ = nullptr;
    bool raw_ = false;
    std::unique_ptr<char[]> buffer_;
    size_t current_ = 0;
    int fd_ = -1;
    // Read on any thread; written by the thread that reads the volumes.
    std::atomic<int64_t> position_ = 0;
    int readErrno_ = 0;
    // An .xz stream is decoded here rather than by libarchive's filter:
    // libarchive then sees the decoded bytes, and skips by reading them.
    bool xzStream_ = false;
    std::unique_ptr<XzDecoder> xz_;
    std::unique_ptr<unsigned char[]> xzInput_;
    // A gzip, bzip2 or zstd stream is decoded on a thread of its own, which
    // then owns the volume file and the position until ahead_ is reset.
    bool aheadStream_ = false;
    std::unique_ptr<DecodeAhead> ahead_;
};

} // namespace Brackwen
