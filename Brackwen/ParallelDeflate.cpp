#include "Brackwen/ParallelDeflate.h"

#include <algorithm>
#include <zlib.h>

namespace Brackwen {

namespace {

// One z_stream per worker, reset between blocks: setting one up costs more
// than deflating a small block.
class Deflater {
public:
    ~Deflater()
    {
        if (ready_)
            deflateEnd(&z_);
    }

    bool run(DeflateJob& job)
    {
        if (!prepare(job.level))
            return false;
        if (!job.dictionary.empty()
            && deflateSetDictionary(&z_, job.dictionary.data(), uInt(job.dictionary.size())) != Z_OK)
            return false;
        // Into a buffer kept from block to block: a fresh one of the bound's
        // size would be zeroed and faulted in for every block.
        const size_t bound = deflateBound(&z_, uLong(job.input.size())) + 16;
        if (scratch_.size() < bound)
            scratch_.resize(bound);
        z_.next_in = job.input.data();
        z_.avail_in = uInt(job.input.size());
        size_t produced = 0;
        const int flush = job.last ? Z_FINISH : Z_SYNC_FLUSH;
        for (;;) {
            z_.next_out = scratch_.data() + produced;
            z_.avail_out = uInt(scratch_.size() - produced);
            const int r = deflate(&z_, flush);
            produced = scratch_.size() - z_.avail_out;
            if (r == Z_STREAM_END || (r == Z_OK && flush == Z_SYNC_FLUSH && z_.avail_out > 0 && z_.avail_in == 0))
                break;
            if (r != Z_OK && r != Z_BUF_ERROR)
                return false;
            scratch_.resize(scratch_.size() * 2);
        }
        job.output.assign(scratch_.begin(), scratch_.begin() + ptrdiff_t(produced));
        return true;
    }

private:
    bool prepare(int level)
    {
        if (ready_ && level == level_)
            return deflateReset(&z_) == Z_OK;
        if (ready_)
            deflateEnd(&z_);
        z_ = {};
        ready_ = deflateInit2(&z_, level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) == Z_OK;
        level_ = level;
        return ready_;
    }

    z_stream z_{};
    std::vector<uint8_t> scratch_;
    bool ready_ = false;
    int level_ = 0;
};

} // namespace

int deflateLevelFor(int level)
{
    return level <= 0 ? Z_DEFAULT_COMPRESSION : std::min(level, 9);
}

bool deflateWhole(const uint8_t* data, size_t size, int level, std::vector<uint8_t>& output)
{
    z_stream z{};
    if (deflateInit2(&z, level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return false;
    output.resize(deflateBound(&z, uLong(size)));
    z.next_in = const_cast<uint8_t*>(data);
    z.avail_in = uInt(size);
    z.next_out = output.data();
    z.avail_out = uInt(output.size());
    const bool ok = deflate(&z, Z_FINISH) == Z_STREAM_END;
    output.resize(output.size() - z.avail_out);
    deflateEnd(&z);
    return ok;
}

DeflatePool::DeflatePool(int threads)
{
    for (int i = 0; i < std::max(1, threads); ++i)
        workers_.emplace_back([this] { run(); });
}

DeflatePool::~DeflatePool()
{
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    work_.notify_all();
    for (auto& t : workers_)
        t.join();
}

void DeflatePool::submit(DeflateBatchPtr batch)
{
    order_.push_back(batch);
    {
        std::lock_guard lock(mutex_);
        queue_.push_back(std::move(batch));
    }
    work_.notify_one();
}

DeflateBatchPtr DeflatePool::takeNext()
{
    if (order_.empty())
        return nullptr;
    DeflateBatchPtr batch = order_.front();
    {
        std::unique_lock lock(mutex_);
        finished_.wait(lock, [&] { return batch->done; });
    }
    order_.pop_front();
    return batch;
}

DeflateBatchPtr DeflatePool::takeNextIfDone()
{
    if (order_.empty())
        return nullptr;
    {
        std::lock_guard lock(mutex_);
        if (!order_.front()->done)
            return nullptr;
    }
    DeflateBatchPtr batch = order_.front();
    order_.pop_front();
    return batch;
}

void DeflatePool::run()
{
    Deflater deflater;
    for (;;) {
        DeflateBatchPtr batch;
        {
            std::unique_lock lock(mutex_);
            work_.wait(lock, [&] { return stop_ || !queue_.empty(); });
            if (stop_)
                return;
            batch = std::move(queue_.front());
            queue_.pop_front();
        }
        for (DeflateJob& job : batch->jobs) {
            job.crc = uint32_t(crc32(0L, job.input.data(), uInt(job.input.size())));
            job.ok = (job.crcOnly && job.crcOnly->load()) || deflater.run(job);
        }
        {
            std::lock_guard lock(mutex_);
            batch->done = true;
        }
        finished_.notify_all();
    }
}

} // namespace Brackwen
