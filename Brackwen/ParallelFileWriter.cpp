#include "Brackwen/ParallelFileWriter.h"

#include "Brackwen/DiskPlacement.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace Brackwen {

namespace {
// Enough queued to keep every thread busy while the archive is read; each
// file in flight may hold a folder descriptor of its own.
constexpr size_t maxFilesInFlight = 128;
constexpr size_t maxBytesInFlight = size_t(32) << 20;
} // namespace

SharedFolder::~SharedFolder()
{
    if (fd_ >= 0)
        ::close(fd_);
}

ParallelFileWriter::ParallelFileWriter(unsigned threads, bool unnamedWorks)
    : threadCount_(threads ? threads : 1), unnamedWorks_(unnamedWorks)
{
}

ParallelFileWriter::~ParallelFileWriter()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    queued_.notify_all();
    for (auto& t : threads_)
        t.join();
}

void ParallelFileWriter::add(File file)
{
    // Started with the first file: an archive of large files costs no threads.
    if (threads_.empty()) {
        std::lock_guard lock(mutex_);
        running_ = threadCount_;
        for (unsigned i = 0; i < threadCount_; ++i)
            threads_.emplace_back([this] { work(); });
    }
    const size_t size = file.data.size();
    {
        std::unique_lock lock(mutex_);
        // Waits on files being written, not on results the caller has yet
        // to take: it is the one that takes them.
        if (!hasRoom(size)) {
            wakeThreads(true);
            // Back when half the room is free, not at every file done.
            waitingFor_ = Waiting::room;
            finished_.wait(lock, [&] { return unfinished_ == 0 || (hasRoom(size) && hasHalfTheRoom()); });
            waitingFor_ = Waiting::nothing;
        }
        jobs_.push_back({std::move(file), {}, false});
        ++unfinished_;
        bytes_ += size;
        wakeThreads(false);
    }
}

void ParallelFileWriter::wakeThreads(bool callerWillWait)
{
    // Waking a thread costs about as much as writing a tiny file: the
    // running ones go on to the next file themselves, and another is woken
    // only for a batch of files per thread. Before the caller waits, every
    // file waiting gets a thread.
    constexpr size_t batch = 8;
    const size_t waiting = jobs_.size() - started_;
    size_t wake = 0;
    if (callerWillWait)
        wake = waiting > running_ ? std::min(sleeping_, waiting - running_) : 0;
    else if (sleeping_ > 0 && waiting >= batch * (running_ + 1))
        wake = 1;
    sleeping_ -= wake;
    running_ += wake;
    wakeups_ += wake;
    for (size_t i = 0; i < wake; ++i)
        queued_.notify_one();
}

bool ParallelFileWriter::hasRoom(size_t size) const
{
    return unfinished_ < maxFilesInFlight && bytes_ + size <= maxBytesInFlight;
}

bool ParallelFileWriter::hasHalfTheRoom() const
{
    return unfinished_ <= maxFilesInFlight / 2 && bytes_ <= maxBytesInFlight / 2;
}

bool ParallelFileWriter::takeOldest(Result& result, bool wait)
{
    std::unique_lock lock(mutex_);
    if (jobs_.empty())
        return false;
    if (wait && !jobs_.front().done) {
        wakeThreads(true);
        waitingFor_ = Waiting::oldest;
        finished_.wait(lock, [&] { return jobs_.front().done; });
        waitingFor_ = Waiting::nothing;
    }
    if (!jobs_.front().done)
        return false;
    result = jobs_.front().result;
    jobs_.pop_front();
    --started_;
    return true;
}

void ParallelFileWriter::work()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        if (started_ < jobs_.size()) {
            Job& job = jobs_[started_++];
            lock.unlock();
            Result result = place(job.file);
            lock.lock();
            job.result = result;
            job.done = true;
            --unfinished_;
            bytes_ -= job.file.data.size();
            job.file.data = std::string();
            if ((waitingFor_ == Waiting::oldest && &job == &jobs_.front()) ||
                (waitingFor_ == Waiting::room && (unfinished_ == 0 || hasHalfTheRoom())))
                finished_.notify_one();
            continue;
        }
        if (stopping_)
            return;
        --running_;
        ++sleeping_;
        queued_.wait(lock, [&] { return wakeups_ > 0 || stopping_; });
        if (wakeups_ > 0) {
            --wakeups_; // counted as running by the one who woke it
        } else {
            --sleeping_;
            ++running_;
        }
    }
}

ParallelFileWriter::Result ParallelFileWriter::place(File& file)
{
    const int folderFd = file.folder->fd();
    std::string temporary;
    int fd = -1;
    bool unnamed = false;
    if (unnamedWorks_.load(std::memory_order_relaxed)) {
        fd = ::openat(folderFd, ".", O_WRONLY | O_TMPFILE | O_CLOEXEC, 0600);
        unnamed = fd >= 0;
        if (!unnamed)
            unnamedWorks_.store(false, std::memory_order_relaxed);
    }
    if (!unnamed)
        fd = DiskPlacement::createTemporary(folderFd, file.name, temporary);
    if (fd < 0)
        return {errno, false};
    auto discard = [&](int err, bool whileWriting) {
        ::close(fd);
        if (!temporary.empty())
            ::unlinkat(folderFd, temporary.c_str(), 0);
        return Result{err, whileWriting};
    };
    if (const int err = DiskPlacement::writeAt(fd, file.data.data(), file.data.size(), 0))
        return discard(err, true);
    if (::fchmod(fd, file.mode) != 0 || ::futimens(fd, file.times) != 0)
        return discard(errno, false);
    if (unnamed && !DiskPlacement::nameComplete(fd, folderFd, file.name, temporary))
        return discard(errno, false);
    if (::close(fd) != 0) {
        const int err = errno;
        ::unlinkat(folderFd, (temporary.empty() ? file.name : temporary).c_str(), 0);
        return {err, true};
    }
    // Something was in the way: replaced in one rename.
    if (!temporary.empty() && ::renameat(folderFd, temporary.c_str(), folderFd, file.name.c_str()) != 0) {
        const int err = errno;
        ::unlinkat(folderFd, temporary.c_str(), 0);
        return {err, false};
    }
    return {};
}

} // namespace Brackwen
