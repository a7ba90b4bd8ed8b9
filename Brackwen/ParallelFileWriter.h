#pragma once
// Writes small extracted files on several threads. Making a file costs the
// file system far more than its few bytes, and files go side by side even
// in one folder. Each file gets its name only when complete, as with the
// files written in line. The caller keeps the archive's order where it
// matters (a path used twice, a link to a file) by taking every result
// first.

#include <sys/stat.h>

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <ctime>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace Brackwen {

// A folder's descriptor, closed when the last file queued into it is done.
class SharedFolder {
public:
    explicit SharedFolder(int fd) : fd_(fd) {}
    ~SharedFolder();
    SharedFolder(const SharedFolder&) = delete;
    SharedFolder& operator=(const SharedFolder&) = delete;
    int fd() const { return fd_; }

private:
    int fd_;
};

class ParallelFileWriter {
public:
    struct File {
        std::shared_ptr<const SharedFolder> folder;
        std::string name;
        std::string data;
        mode_t mode = 0644;
        struct timespec times[2] = {};
    };
    struct Result {
        int error = 0; // errno; 0 when the file is under its name
        bool whileWriting = false; // the data did not go to disk
    };

    // `unnamedWorks`: whether files may be made without a name first (else
    // under a temporary name beside the target, renamed when complete).
    ParallelFileWriter(unsigned threads, bool unnamedWorks);
    // Waits for the files in flight.
    ~ParallelFileWriter();
    ParallelFileWriter(const ParallelFileWriter&) = delete;
    ParallelFileWriter& operator=(const ParallelFileWriter&) = delete;

    // Queues a file; waits while too many are in flight.
    void add(File file);
    // The result of the oldest file not yet taken. Without `wait`, false
    // when that file is not done yet; false when no file is in flight.
    bool takeOldest(Result& result, bool wait);

private:
    struct Job {
        File file;
        Result result;
        bool done = false;
    };
    void work();
    Result place(File& file);
    bool hasRoom(size_t size) const;
    bool hasHalfTheRoom() const;
    // Under the lock: wakes sleeping threads as the files waiting need.
    void wakeThreads(bool callerWillWait);

    const unsigned threadCount_;
    std::mutex mutex_;
    std::condition_variable queued_;
    std::condition_variable finished_;
    std::deque<Job> jobs_; // oldest first; references stay valid as it grows
    size_t started_ = 0;   // jobs_[0, started_) are taken by a thread
    size_t unfinished_ = 0;
    size_t bytes_ = 0; // data held by the files not yet written
    bool stopping_ = false;
    enum class Waiting { nothing, room, oldest } waitingFor_ = Waiting::nothing; // the caller
    size_t running_ = 0;  // threads writing or about to look for a file
    size_t sleeping_ = 0; // threads waiting for a wake-up
    size_t wakeups_ = 0;  // wake-ups sent and not yet taken
    std::atomic<bool> unnamedWorks_;
    std::vector<std::thread> threads_;
};

} // namespace Brackwen
