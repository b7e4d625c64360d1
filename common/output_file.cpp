#include "common/output_file.h"

#include <atomic>
#include <cstring>
#include <exception>

#ifdef _WIN32
#include <process.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace vellumark {
namespace {

std::atomic<long long> fault_budget{-1};
std::atomic<unsigned> temporary_counter{0};

long long process_id()
{
#ifdef _WIN32
    return _getpid();
#else
    return static_cast<long long>(getpid());
#endif
}

std::FILE* create_exclusive(const std::string& path)
{
#ifdef _WIN32
    return std::fopen(path.c_str(), "wb");
#else
    return std::fopen(path.c_str(), "wbx");
#endif
}

// The folder part of a path, its last separator included; empty for a name in
// the current folder. On Windows a bare drive ("C:name") is a folder too.
std::string folder_of(const std::string& path)
{
#ifdef _WIN32
    const std::size_t separator = path.find_last_of("\\/");
    if (separator == std::string::npos) {
        return path.size() >= 2 && path[1] == ':' ? path.substr(0, 2) : std::string();
    }
#else
    const std::size_t separator = path.rfind('/');
    if (separator == std::string::npos) {
        return std::string();
    }
#endif
    return path.substr(0, separator + 1);
}

bool replace_file(const std::string& from, const std::string& to)
{
#ifdef _WIN32
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
#else
    return std::rename(from.c_str(), to.c_str()) == 0;
#endif
}

// How many of `size` bytes the test fault budget lets through (all of them
// when no fault is set); the budget is spent as the bytes are handed over.
std::size_t allowed_bytes(std::size_t size)
{
    const long long budget = fault_budget.load();
    if (budget < 0) {
        return size;
    }
    if (static_cast<long long>(size) > budget) {
        fault_budget.store(0);
        return static_cast<std::size_t>(budget);
    }
    fault_budget.store(budget - static_cast<long long>(size));
    return size;
}

// Writes data in this thread; false unless all of it reached the file.
bool write_all(std::FILE* file, const char* data, std::size_t size)
{
    const std::size_t allowed = allowed_bytes(size);
    return std::fwrite(data, 1, allowed, file) == allowed && allowed == size;
}

}  // namespace

void output_file::fail_writes_after(long long bytes) { fault_budget.store(bytes); }

output_file::output_file(std::string target) : target_(std::move(target))
{
    // The temporary file lies in the target's folder, so that the final
    // rename replaces the target in one step, under a short name of its own:
    // a target whose name is as long as the platform allows still leaves
    // room for it. A few attempts under different names, in case a stale
    // temporary file of an earlier crash holds the first one.
    const std::string folder = folder_of(target_);
    for (int attempt = 0; attempt < 16 && file_ == nullptr; ++attempt) {
        temporary_ = folder + ".vellumark-" + std::to_string(process_id()) + "-" +
                     std::to_string(temporary_counter.fetch_add(1)) + ".tmp";
        file_ = create_exclusive(temporary_);
    }
    if (file_ == nullptr) {
        temporary_.clear();
        return;
    }
    std::setvbuf(file_, nullptr, _IONBF, 0);
    buffer_.reset(new char[buffer_size]);
}

output_file::~output_file()
{
    if (!committed_) {
        discard();
    }
}

void output_file::discard()
{
    if (writer_ != nullptr) {
        writer_->finish();
        writer_.reset();
    }
    if (file_ != nullptr) {
        std::fclose(file_);
        file_ = nullptr;
    }
    if (!temporary_.empty()) {
        std::remove(temporary_.c_str());
        temporary_.clear();
    }
}

void output_file::flush_buffer()
{
    if (file_ != nullptr && used_ != 0 && !failed_) {
        // A file larger than the buffer is written on a thread of its own
        // from its first full buffer on; where no thread can be had, here.
        if (writer_ == nullptr) {
            try {
                writer_ = std::make_unique<block_writer>(file_, buffer_size);
            } catch (const std::exception&) {
                // No thread or no second buffer: this thread writes.
            }
        }
        if (writer_ != nullptr) {
            writer_->submit(buffer_, used_, allowed_bytes(used_));
            failed_ = writer_->failed();
        } else if (!write_all(file_, buffer_.get(), used_)) {
            failed_ = true;
        }
    }
    used_ = 0;
}

bool output_file::write_rest()
{
    if (writer_ != nullptr) {
        if (used_ != 0 && !failed_) {
            writer_->submit(buffer_, used_, allowed_bytes(used_));
        }
        failed_ = !writer_->finish() || failed_;
        writer_.reset();
    } else if (used_ != 0 && !failed_ && !write_all(file_, buffer_.get(), used_)) {
        failed_ = true;
    }
    used_ = 0;
    return !failed_;
}

void output_file::long_text(std::string_view text)
{
    if (file_ == nullptr) {
        return;
    }
    // Line by line straight into the buffer: each piece up to a line end,
    // then the carriage return and line feed. A piece that does not fit the
    // room left goes in parts.
    const char* cursor = text.data();
    const char* const end = cursor + text.size();
    while (cursor < end) {
        if (buffer_size - used_ < 3) {
            flush_buffer();
        }
        const std::size_t room = buffer_size - used_ - 2;
        const auto left = static_cast<std::size_t>(end - cursor);
        const std::size_t span = left < room ? left : room;
        const auto* newline = static_cast<const char*>(std::memchr(cursor, '\n', span));
        const std::size_t piece = newline != nullptr ? static_cast<std::size_t>(newline - cursor) : span;
        char* out = buffer_.get() + used_;
        std::memcpy(out, cursor, piece);
        used_ += piece;
        cursor += piece;
        if (newline != nullptr) {
            out[piece] = '\r';
            out[piece + 1] = '\n';
            used_ += 2;
            ++cursor;
        }
    }
}

void output_file::file_form_text_in_parts(std::string_view converted)
{
    if (file_ == nullptr) {
        return;
    }
    const char* cursor = converted.data();
    std::size_t left = converted.size();
    while (left > 0) {
        if (used_ == buffer_size) {
            flush_buffer();
        }
        const std::size_t room = buffer_size - used_;
        const std::size_t chunk = left < room ? left : room;
        std::memcpy(buffer_.get() + used_, cursor, chunk);
        used_ += chunk;
        cursor += chunk;
        left -= chunk;
    }
}

std::string output_file::file_form(std::string_view text)
{
    std::string converted;
    converted.reserve(text.size() + text.size() / 8);
    for (const char c : text) {
        if (c == '\n') {
            converted.push_back('\r');
        }
        converted.push_back(c);
    }
    return converted;
}

bool output_file::commit()
{
    if (file_ == nullptr || committed_) {
        return false;
    }
    write_rest();
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    if (failed_ || !closed || !replace_file(temporary_, target_)) {
        discard();
        return false;
    }
    temporary_.clear();
    committed_ = true;
    return true;
}

}  // namespace vellumark
