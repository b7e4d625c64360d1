// The output stream of every writer.
//
// Text handed to it is buffered in large blocks; every "\n" reaches the disk as
// a carriage return and a line feed, on every platform (the file itself is
// written in binary, so all builds write the same bytes). There is no
// byte-order mark.
//
// Nothing is ever left half-written: the bytes go to a temporary file beside
// the target, and only commit() moves it over the target, after every byte was
// written and the file closed without error. On any failure, and when the
// stream is destroyed without a commit, the temporary file is removed and the
// target stays exactly as it was.
#ifndef VELLUMARK_COMMON_OUTPUT_FILE_H
#define VELLUMARK_COMMON_OUTPUT_FILE_H

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "common/block_writer.h"
#include "common/number_format.h"

namespace vellumark {

class output_file {
public:
    explicit output_file(std::string target);
    ~output_file();
    output_file(const output_file&) = delete;
    output_file& operator=(const output_file&) = delete;

    // False when the temporary file could not be created.
    bool is_open() const { return file_ != nullptr; }
    const std::string& target() const { return target_; }

    // Text, with "\n" written as "\r\n". The writers hand over millions of
    // short pieces, so those go straight into the buffer here; long texts
    // take the general way.
    void text(std::string_view text)
    {
        if (text.size() <= short_text && buffer_size - used_ >= 2 * short_text && file_ != nullptr) {
            char* out = buffer_.get() + used_;
            for (const char c : text) {
                if (c == '\n') {
                    *out++ = '\r';
                }
                *out++ = c;
            }
            used_ = static_cast<std::size_t>(out - buffer_.get());
            return;
        }
        long_text(text);
    }
    // Text already in the file's form, every line end a carriage return and a
    // line feed (see file_form), copied as it is: for a long constant text
    // written many times, or a line written before and kept.
    void file_form_text(std::string_view converted)
    {
        if (converted.size() <= buffer_size - used_ && file_ != nullptr) {
            std::memcpy(buffer_.get() + used_, converted.data(), converted.size());
            used_ += converted.size();
            return;
        }
        file_form_text_in_parts(converted);
    }
    // Text in the file's form, its first `size` bytes kept in a small block:
    // the whole block is copied, which is quicker than a copy of any length,
    // and only `size` bytes count.
    template <std::size_t block>
    void file_form_block(const char (&data)[block], std::size_t size)
    {
        if (file_ != nullptr) {
            std::memcpy(reserve(block), data, block);
            used_ += size;
        }
    }
    // For a writer that keeps what it wrote: mark(room) makes room for `room`
    // bytes, so that writing no more than that does not flush the buffer, and
    // returns where the buffer stands; written_since(mark) then gives the
    // bytes written since, in the file's form (empty when nothing is written,
    // the file not being open). The whole room may be read, written or not.
    std::size_t mark(std::size_t room)
    {
        if (file_ == nullptr) {
            return 0;
        }
        reserve(room);
        return used_;
    }
    std::string_view written_since(std::size_t mark) const
    {
        if (file_ == nullptr) {
            return {};
        }
        return {buffer_.get() + mark, used_ - mark};
    }
    // The text as text() would write it: every "\n" as "\r\n".
    static std::string file_form(std::string_view text);
    void text(char character)
    {
        if (file_ == nullptr) {
            return;
        }
        char* out = reserve(2);
        if (character == '\n') {
            *out++ = '\r';
        }
        *out++ = character;
        used_ = static_cast<std::size_t>(out - buffer_.get());
    }
    // "%f" of the number format.
    void number(float value)
    {
        if (file_ != nullptr) {
            used_ += format_fixed6(value, reserve(max_fixed6_length));
        }
    }
    void number(double value)
    {
        if (file_ != nullptr) {
            used_ += format_fixed6(value, reserve(max_fixed6_length));
        }
    }
    // "%d".
    void integer(long long value)
    {
        if (file_ != nullptr) {
            used_ += format_integer(value, reserve(max_integer_length));
        }
    }

    // Moves the finished file over the target. True when every byte reached
    // the target; false when anything failed, the target then being
    // untouched.
    bool commit();

    // Test seam: when set to a non-negative count, writes fail once that many
    // bytes have gone to disk in the current process, as on a full disk.
    static void fail_writes_after(long long bytes);

private:
    static constexpr std::size_t buffer_size = std::size_t{1} << 20;
    // Texts up to this length take the fast way.
    static constexpr std::size_t short_text = 64;

    void long_text(std::string_view text);
    void file_form_text_in_parts(std::string_view converted);
    // Room for size bytes at buffer_.get() + used_, flushing first if need be.
    char* reserve(std::size_t size)
    {
        if (buffer_size - used_ < size) {
            flush_buffer();
        }
        return buffer_.get() + used_;
    }
    // Hands the full buffer over to be written (more is to come).
    void flush_buffer();
    // Writes what the buffer holds and waits until every byte handed over
    // is written; false when any write failed.
    bool write_rest();
    void discard();

    std::string target_;
    std::string temporary_;
    std::FILE* file_ = nullptr;
    std::unique_ptr<char[]> buffer_;
    // Started at the first full buffer.
    std::unique_ptr<block_writer> writer_;
    std::size_t used_ = 0;
    bool failed_ = false;
    bool committed_ = false;
};

}  // namespace vellumark

#endif
