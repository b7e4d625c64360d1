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
#include <memory>
#include <string>
#include <string_view>

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

    // Text, with "\n" written as "\r\n".
    void text(std::string_view text);
    void text(char character);
    // "%f" of the number format.
    void number(float value);
    void number(double value);
    // "%d".
    void integer(long long value);

    // Moves the finished file over the target. True when every byte reached
    // the target; false when anything failed, the target then being
    // untouched.
    bool commit();

    // Test seam: when set to a non-negative count, writes fail once that many
    // bytes have gone to disk in the current process, as on a full disk.
    static void fail_writes_after(long long bytes);

private:
    void append(const char* data, std::size_t size);
    char* reserve(std::size_t size);
    void flush_buffer();
    void discard();

    std::string target_;
    std::string temporary_;
    std::FILE* file_ = nullptr;
    std::unique_ptr<char[]> buffer_;
    std::size_t used_ = 0;
    bool failed_ = false;
    bool committed_ = false;
};

}  // namespace vellumark

#endif
