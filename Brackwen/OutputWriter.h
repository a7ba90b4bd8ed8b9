#pragma once
// Writes compressed chunks to a descriptor on a thread of its own, so the
// work thread keeps reading and compressing while the kernel takes the
// output (writes may stall for a long time while it flushes dirty pages).
// Chunks are written in the order they are handed over; at most `limit`
// bytes wait at any time, beyond that `push` blocks.
//
// The first failed write stops the writing: `push` and `close` return false
// from then on, with errno set to the write's error.

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace Brackwen {

class OutputWriter {
public:
    explicit OutputWriter(int fd, size_t limit = 32 << 20);
    // Drops what has not been written yet (a failed or cancelled task).
    ~OutputWriter();
    OutputWriter(const OutputWriter&) = delete;
    OutputWriter& operator=(const OutputWriter&) = delete;

    // Takes the chunk and leaves a spare buffer (possibly empty) in its place.
    bool push(std::vector<uint8_t>& chunk);
    // Waits until every chunk is written.
    bool close();

private:
    void run();
    bool failed();

    int fd_;
    size_t limit_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::vector<uint8_t>> queue_;
    std::vector<std::vector<uint8_t>> spare_;
    size_t queued_ = 0;
    bool writing_ = false;
    bool stop_ = false;
    int error_ = 0;
    std::thread thread_;
};

} // namespace Brackwen
