#include "common/block_writer.h"

namespace vellumark {

block_writer::block_writer(std::FILE* file, std::size_t block_size) : file_(file)
{
#ifdef VELLUMARK_HAS_THREADS
    spare_.reset(new char[block_size]);
    thread_ = std::thread([this] { run(); });
#else
    (void)block_size;
#endif
}

block_writer::~block_writer() { finish(); }

bool block_writer::write(const char* data, std::size_t size, std::size_t allowed) const
{
    const std::size_t count = allowed < size ? allowed : size;
    return std::fwrite(data, 1, count, file_) == count && count == size;
}

#ifdef VELLUMARK_HAS_THREADS

void block_writer::submit(std::unique_ptr<char[]>& block, std::size_t size, std::size_t allowed)
{
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return pending_ == nullptr; });
    pending_ = std::move(block);
    pending_size_ = size;
    pending_allowed_ = allowed;
    // The block written before is free again.
    block = std::move(spare_);
    changed_.notify_all();
}

void block_writer::run()
{
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return pending_ != nullptr || stopping_; });
        if (pending_ == nullptr) {
            return;
        }
        const char* data = pending_.get();
        const std::size_t size = pending_size_;
        const std::size_t allowed = pending_allowed_;
        const bool skip = failed_;
        lock.unlock();
        const bool written = skip || write(data, size, allowed);
        lock.lock();
        failed_ = failed_ || !written;
        spare_ = std::move(pending_);
        changed_.notify_all();
    }
}

bool block_writer::finish()
{
    {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return pending_ == nullptr; });
        stopping_ = true;
        changed_.notify_all();
    }
    if (thread_.joinable()) {
        thread_.join();
    }
    return !failed_;
}

bool block_writer::failed()
{
    const std::lock_guard<std::mutex> lock(mutex_);
    return failed_;
}

#else

void block_writer::submit(std::unique_ptr<char[]>& block, std::size_t size, std::size_t allowed)
{
    failed_ = failed_ || !write(block.get(), size, allowed);
}

bool block_writer::finish() { return !failed_; }

bool block_writer::failed() { return failed_; }

#endif

}  // namespace vellumark
