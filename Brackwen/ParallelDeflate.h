#pragma once
// Raw deflate of independent blocks on a pool of threads, handed back in the
// order they were submitted. A stream cut into blocks stays one deflate
// stream: each block is primed with the 32 KiB before it and ends on a byte
// boundary (a sync flush), the last one ends the stream; the CRC-32s of the
// blocks join with crc32_combine.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace Brackwen {

constexpr size_t kDeflateWindow = 32 * 1024;

struct DeflateJob {
    std::vector<uint8_t> input;
    std::vector<uint8_t> dictionary; // the end of the previous block, at most 32 KiB
    int level = 6;
    bool last = true;                // ends the deflate stream
    // Set (by anyone, at any time) when the output will not be used: only
    // the CRC is computed then.
    std::shared_ptr<std::atomic<bool>> crcOnly;

    std::vector<uint8_t> output;
    uint32_t crc = 0;
    bool ok = false;  // false: zlib failed (out of memory)
};

// What a thread takes at a time: many small entries go together, or the
// handing over would cost more than deflating them.
struct DeflateBatch {
    std::vector<DeflateJob> jobs;
    size_t inputBytes = 0;
    bool done = false;
};

using DeflateBatchPtr = std::shared_ptr<DeflateBatch>;

class DeflatePool {
public:
    explicit DeflatePool(int threads);
    ~DeflatePool();
    DeflatePool(const DeflatePool&) = delete;
    DeflatePool& operator=(const DeflatePool&) = delete;

    int threads() const { return int(workers_.size()); }
    void submit(DeflateBatchPtr batch);
    // The oldest submitted batch not yet taken, once it is done; null when
    // none is waiting.
    DeflateBatchPtr takeNext();
    // Like takeNext, but only if it is already done.
    DeflateBatchPtr takeNextIfDone();
    size_t pending() const { return order_.size(); }

private:
    void run();

    std::mutex mutex_;
    std::condition_variable work_;
    std::condition_variable finished_;
    std::deque<DeflateBatchPtr> queue_; // not started
    std::deque<DeflateBatchPtr> order_; // submitted and not taken; only the submitting thread touches it
    bool stop_ = false;
    std::vector<std::thread> workers_;
};

// Level 0 (no choice made) is zlib's default, as it is for libarchive.
int deflateLevelFor(int level);

// The raw deflate of a whole buffer in one go, on the calling thread (a
// sample that decides whether deflating is worth it), into `output`.
bool deflateWhole(const uint8_t* data, size_t size, int level, std::vector<uint8_t>& output);

} // namespace Brackwen
