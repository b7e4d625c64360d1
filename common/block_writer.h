// Writes the blocks of one output file on a thread of its own, so that the
// system's copying of one block into the file cache overlaps the filling of
// the next. One block is written at a time, in the order handed over; the
// caller fills the other.
//
// Where the C++ library has no threads (a MinGW build with Win32 threads),
// blocks are written at once, in the caller's thread.
#ifndef VELLUMARK_COMMON_BLOCK_WRITER_H
#define VELLUMARK_COMMON_BLOCK_WRITER_H

#include <cstddef>
#include <cstdio>
#include <memory>

#include "common/threads.h"

#ifdef VELLUMARK_HAS_THREADS
#include <condition_variable>
#include <mutex>
#include <thread>
#endif

namespace vellumark {

class block_writer {
public:
    // Writes to file, which stays the caller's; blocks are block_size bytes.
    block_writer(std::FILE* file, std::size_t block_size);
    // Waits for the last block, as finish() does.
    ~block_writer();
    block_writer(const block_writer&) = delete;
    block_writer& operator=(const block_writer&) = delete;

    // Hands over the first `size` bytes of block, of which only the first
    // `allowed` may reach the file (fewer is a failed write: the test seam
    // of a full disk), and gives back in `block` a buffer to fill next.
    // Waits while the block before is still being written.
    void submit(std::unique_ptr<char[]>& block, std::size_t size, std::size_t allowed);
    // Waits until every block handed over is written and stops the thread.
    // False when any write failed.
    bool finish();
    // Whether a write has failed so far (later blocks are then dropped).
    bool failed();

private:
    // Writes one block; false when it did not reach the file whole.
    bool write(const char* data, std::size_t size, std::size_t allowed) const;

    std::FILE* file_;
    std::unique_ptr<char[]> spare_;  // the free buffer (with a thread: under the mutex)
    bool failed_ = false;            // with a thread: under the mutex
#ifdef VELLUMARK_HAS_THREADS
    void run();

    std::mutex mutex_;
    std::condition_variable changed_;
    std::unique_ptr<char[]> pending_;  // the block being written, if any
    std::size_t pending_size_ = 0;
    std::size_t pending_allowed_ = 0;
    bool stopping_ = false;
    std::thread thread_;
#endif
};

}  // namespace vellumark

#endif
