#pragma once
// Decodes a gzip, bzip2 or zstd stream on a thread of its own, ahead of the
// libarchive handle that reads the archive inside it, so that decompressing
// overlaps parsing the archive and writing its files. The thread reads the
// compressed bytes through a libarchive handle of its own (every filter, the
// raw format): errors keep libarchive's own words.

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

struct archive;

namespace Brackwen {

class DecodeAhead {
public:
    static constexpr size_t blockSize = 1 << 20;

    // The next compressed bytes into `into` (room for blockSize): their
    // count, 0 at the end, -1 with the error set on `a`. Called in start(),
    // then on the decoding thread only.
    using Source = std::function<long(struct archive* a, char* into)>;

    // True when `head` (the first bytes of a file) opens a gzip, bzip2 or
    // zstd stream.
    static bool startsStream(const unsigned char* head, size_t size);

    // Decodes the first block on the calling thread, then goes on on its
    // own. Null when the stream does not decode that far (nothing to
    // decompress, damage or a read error early on): the caller then reads it
    // directly, and meets the error where it always did.
    static std::unique_ptr<DecodeAhead> start(Source source);

    // Stops the thread, also when it waits for room.
    ~DecodeAhead();
    DecodeAhead(const DecodeAhead&) = delete;
    DecodeAhead& operator=(const DecodeAhead&) = delete;

    // A read callback for the handle that reads the decoded stream: the next
    // block, valid until the next call; 0 at the end; -1 with the decoding
    // thread's error set on `a`, once every good byte before it is read.
    long read(struct archive* a, const void** buffer);
    // The errno of the failed volume read that read() has handed on, else 0.
    int readErrno() const { return handedReadErrno_; }

private:
    enum class Fill { more, ended, failed, stopped };
    struct Block {
        std::unique_ptr<char[]> data;
        size_t size = 0;
    };
    static constexpr size_t blockCount = 6;

    explicit DecodeAhead(Source source);
    Fill fill(Block& block);
    void run();
    static long sourceCallback(struct archive*, void* self, const void** buffer);

    Source source_;
    std::unique_ptr<char[]> input_;
    struct archive* handle_ = nullptr;
    int sourceErrno_ = 0;
    // Decoded bytes libarchive handed out that no block has room for yet.
    const char* pending_ = nullptr;
    size_t pendingSize_ = 0;
    Block blocks_[blockCount];
    size_t writeIndex_ = 0; // the decoding thread's
    size_t readIndex_ = 0;  // the reader's, with the two below
    bool holding_ = false;
    int handedReadErrno_ = 0;

    std::mutex mutex_;
    std::condition_variable changed_;
    // Under the mutex: blocks filled and not yet given back by the reader
    // (the one it holds included); the end, with the error it met if any.
    size_t busy_ = 0;
    bool ended_ = false;
    bool failed_ = false;
    int errorNumber_ = 0;
    std::string message_;
    int failedReadErrno_ = 0;
    // Set under the mutex, read also while filling a block.
    std::atomic<bool> stopping_{false};
    std::thread worker_;
};

} // namespace Brackwen
