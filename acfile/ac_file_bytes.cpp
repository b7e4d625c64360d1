#include "acfile/ac_file_bytes.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#if defined(__unix__) || defined(__APPLE__)
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#define VELLUMARK_MAP_FILES 1
#endif

namespace vellumark::acfile {

file_bytes::~file_bytes()
{
#ifdef VELLUMARK_MAP_FILES
    if (mapping_ != nullptr) {
        munmap(mapping_, size_);
    }
#endif
}

void file_bytes::release_before(std::size_t offset)
{
#ifdef VELLUMARK_MAP_FILES
    if (mapping_ == nullptr) {
        return;
    }
    const auto page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    const std::size_t end = (offset < size_ ? offset : size_) / page * page;
    if (end > released_) {
        madvise(static_cast<char*>(mapping_) + released_, end - released_, MADV_DONTNEED);
        released_ = end;
    }
#else
    (void)offset;
#endif
}

bool file_bytes::open(const std::string& path, std::string& problem)
{
#ifdef VELLUMARK_MAP_FILES
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) {
        problem = std::string("cannot open the file: ") + std::strerror(errno);
        return false;
    }
    struct stat status {};
    if (fstat(descriptor, &status) != 0) {
        problem = std::string("cannot read the file: ") + std::strerror(errno);
        ::close(descriptor);
        return false;
    }
    if (S_ISDIR(status.st_mode)) {
        problem = "is a directory, not a file";
        ::close(descriptor);
        return false;
    }
    if (S_ISREG(status.st_mode)) {
        const auto size = static_cast<std::size_t>(status.st_size);
        if (size == 0) {
            ::close(descriptor);
            return true;
        }
        void* mapped = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, descriptor, 0);
        ::close(descriptor);
        if (mapped == MAP_FAILED) {
            problem = std::string("cannot read the file: ") + std::strerror(errno);
            return false;
        }
        mapping_ = mapped;
        data_ = static_cast<const char*>(mapped);
        size_ = size;
        return true;
    }
    ::close(descriptor);  // a pipe or device: read it as a stream below
#endif
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        problem = "cannot open the file";
        return false;
    }
    std::ostringstream bytes;
    bytes << in.rdbuf();
    if (in.bad()) {
        problem = "cannot read the file";
        return false;
    }
    copy_ = std::move(bytes).str();
    data_ = copy_.data();
    size_ = copy_.size();
    return true;
}

}  // namespace vellumark::acfile
