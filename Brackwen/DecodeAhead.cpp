#include "Brackwen/DecodeAhead.h"

#include <archive.h>
#include <archive_entry.h>

#include <algorithm>
#include <cstring>

namespace Brackwen {

bool DecodeAhead::startsStream(const unsigned char* head, size_t size)
{
    if (size >= 2 && head[0] == 0x1F && head[1] == 0x8B)
        return true;
    if (size >= 4 && std::memcmp(head, "BZh", 3) == 0 && head[3] >= '1' && head[3] <= '9')
        return true;
    static const unsigned char zstd[4] = {0x28, 0xB5, 0x2F, 0xFD};
    return size >= 4 && std::memcmp(head, zstd, 4) == 0;
}

DecodeAhead::DecodeAhead(Source source)
    : source_(std::move(source)), input_(std::make_unique_for_overwrite<char[]>(blockSize))
{
    for (auto& block : blocks_)
        block.data = std::make_unique_for_overwrite<char[]>(blockSize);
}

std::unique_ptr<DecodeAhead> DecodeAhead::start(Source source)
{
    std::unique_ptr<DecodeAhead> d(new DecodeAhead(std::move(source)));
    d->handle_ = archive_read_new();
    archive_read_support_filter_all(d->handle_);
    archive_read_support_format_raw(d->handle_);
    struct archive_entry* entry = nullptr;
    if (archive_read_open(d->handle_, d.get(), nullptr, sourceCallback, nullptr) != ARCHIVE_OK
        || archive_filter_count(d->handle_) < 2 || archive_read_next_header(d->handle_, &entry) != ARCHIVE_OK)
        return nullptr;
    const Fill first = d->fill(d->blocks_[0]);
    if (first == Fill::failed)
        return nullptr;
    d->busy_ = 1;
    d->writeIndex_ = 1;
    if (first == Fill::ended)
        d->ended_ = true;
    else
        d->worker_ = std::thread([raw = d.get()] { raw->run(); });
    return d;
}

DecodeAhead::~DecodeAhead()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    if (worker_.joinable())
        worker_.join();
    if (handle_)
        archive_read_free(handle_);
}

long DecodeAhead::sourceCallback(struct archive* a, void* self, const void** buffer)
{
    auto* d = static_cast<DecodeAhead*>(self);
    *buffer = d->input_.get();
    const long n = d->source_(a, d->input_.get());
    if (n < 0)
        d->sourceErrno_ = archive_errno(a);
    return n;
}

DecodeAhead::Fill DecodeAhead::fill(Block& block)
{
    block.size = 0;
    while (block.size < blockSize) {
        if (stopping_.load(std::memory_order_relaxed))
            return Fill::stopped;
        if (pendingSize_ == 0) {
            const void* data = nullptr;
            size_t size = 0;
            la_int64_t offset = 0;
            const int r = archive_read_data_block(handle_, &data, &size, &offset);
            if (r == ARCHIVE_EOF)
                return Fill::ended;
            if (r < ARCHIVE_WARN) {
                const char* message = archive_error_string(handle_);
                errorNumber_ = archive_errno(handle_);
                message_ = message ? message : "";
                failedReadErrno_ = sourceErrno_;
                return Fill::failed;
            }
            pending_ = static_cast<const char*>(data);
            pendingSize_ = size;
        }
        const size_t n = std::min(pendingSize_, blockSize - block.size);
        std::memcpy(block.data.get() + block.size, pending_, n);
        block.size += n;
        pending_ += n;
        pendingSize_ -= n;
    }
    return Fill::more;
}

void DecodeAhead::run()
{
    for (;;) {
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] { return busy_ < blockCount || stopping_; });
            if (stopping_)
                return;
        }
        // The block at writeIndex_ is free: the reader holds at most busy_ of them.
        const Fill fill = this->fill(blocks_[writeIndex_]);
        if (fill == Fill::stopped)
            return;
        {
            std::lock_guard lock(mutex_);
            if (blocks_[writeIndex_].size > 0) {
                ++busy_;
                writeIndex_ = (writeIndex_ + 1) % blockCount;
            }
            ended_ = fill != Fill::more;
            failed_ = fill == Fill::failed;
        }
        changed_.notify_all();
        if (fill != Fill::more)
            return;
    }
}

long DecodeAhead::read(struct archive* a, const void** buffer)
{
    std::unique_lock lock(mutex_);
    if (holding_) {
        holding_ = false;
        --busy_;
        changed_.notify_all();
    }
    changed_.wait(lock, [this] { return busy_ > 0 || ended_; });
    if (busy_ > 0) {
        const Block& block = blocks_[readIndex_];
        readIndex_ = (readIndex_ + 1) % blockCount;
        holding_ = true;
        *buffer = block.data.get();
        return long(block.size);
    }
    if (!failed_)
        return 0;
    handedReadErrno_ = failedReadErrno_;
    archive_set_error(a, errorNumber_, "%s", message_.c_str());
    return -1;
}

} // namespace Brackwen
