// The bytes of a model file, held for one read. On POSIX systems the file is
// mapped rather than copied, so that a large file costs no more memory than
// the pages that the reader touches.
#ifndef VELLUMARK_ACFILE_AC_FILE_BYTES_H
#define VELLUMARK_ACFILE_AC_FILE_BYTES_H

#include <cstddef>
#include <string>
#include <string_view>

namespace vellumark::acfile {

class file_bytes {
public:
    file_bytes() = default;
    ~file_bytes();
    file_bytes(const file_bytes&) = delete;
    file_bytes& operator=(const file_bytes&) = delete;

    // Opens and maps (or reads) the file; on failure gives what went wrong.
    bool open(const std::string& path, std::string& problem);
    std::string_view view() const { return {data_, size_}; }
    // Gives back the memory of the mapped pages before `offset` (a read that
    // has moved past them). The bytes stay readable: a mapped file brings
    // them in again should they be used.
    void release_before(std::size_t offset);

private:
    const char* data_ = "";
    std::size_t size_ = 0;
    void* mapping_ = nullptr;
    std::size_t released_ = 0;
    std::string copy_;
};

}  // namespace vellumark::acfile

#endif
