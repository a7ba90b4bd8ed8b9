#include "Brackwen/OutputWriter.h"

#include <cerrno>
#include <unistd.h>

namespace Brackwen {

OutputWriter::OutputWriter(int fd, size_t limit) : fd_(fd), limit_(limit), thread_([this] { run(); }) {}

OutputWriter::~OutputWriter()
{
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

bool OutputWriter::failed()
{
    if (error_ == 0)
        return false;
    errno = error_;
    return true;
}

bool OutputWriter::push(std::vector<uint8_t>& chunk)
{
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return error_ != 0 || queued_ + chunk.size() <= limit_ || queued_ == 0; });
    if (failed())
        return false;
    if (chunk.empty())
        return true;
    const size_t capacity = chunk.capacity();
    queued_ += chunk.size();
    queue_.push_back(std::move(chunk));
    chunk.clear();
    if (!spare_.empty()) {
        chunk = std::move(spare_.back());
        spare_.pop_back();
    }
    chunk.reserve(capacity);
    lock.unlock();
    changed_.notify_all();
    return true;
}

bool OutputWriter::close()
{
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return error_ != 0 || (queue_.empty() && !writing_); });
    return !failed();
}

void OutputWriter::run()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [&] { return stop_ || (!queue_.empty() && error_ == 0); });
        if (stop_)
            return;
        std::vector<uint8_t> chunk = std::move(queue_.front());
        queue_.pop_front();
        writing_ = true;
        lock.unlock();
        int error = 0;
        const uint8_t* data = chunk.data();
        size_t left = chunk.size();
        while (left > 0) {
            ssize_t n = ::write(fd_, data, left);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                error = n == 0 ? EIO : errno;
                break;
            }
            data += n;
            left -= size_t(n);
        }
        lock.lock();
        writing_ = false;
        queued_ -= chunk.size();
        if (error != 0)
            error_ = error;
        chunk.clear();
        if (spare_.size() < 4)
            spare_.push_back(std::move(chunk));
        changed_.notify_all();
    }
}

} // namespace Brackwen
