// The I/O floor of a conversion: read the input file once and write a given
// number of bytes to a file, with plain sequential reads and writes in large
// blocks and nothing else. A conversion cannot be faster than this.
//
//   vellumark_bench_io_floor INPUT BYTES OUTPUT
//
// The caller times the whole process, as it times a conversion.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

constexpr std::size_t block_size = std::size_t{1} << 20;

bool read_all(const char* path, char* block)
{
    const int descriptor = ::open(path, O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) {
        return false;
    }
    for (;;) {
        const ssize_t got = ::read(descriptor, block, block_size);
        if (got < 0) {
            ::close(descriptor);
            return false;
        }
        if (got == 0) {
            break;
        }
    }
    return ::close(descriptor) == 0;
}

bool write_bytes(const char* path, char* block, unsigned long long bytes)
{
    const int descriptor = ::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (descriptor < 0) {
        return false;
    }
    std::memset(block, 'x', block_size);
    while (bytes > 0) {
        const std::size_t chunk = bytes < block_size ? static_cast<std::size_t>(bytes) : block_size;
        std::size_t done = 0;
        while (done < chunk) {
            const ssize_t put = ::write(descriptor, block + done, chunk - done);
            if (put <= 0) {
                ::close(descriptor);
                return false;
            }
            done += static_cast<std::size_t>(put);
        }
        bytes -= chunk;
    }
    return ::close(descriptor) == 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fputs("usage: vellumark_bench_io_floor INPUT BYTES OUTPUT\n", stderr);
        return 2;
    }
    const unsigned long long bytes = std::strtoull(argv[2], nullptr, 10);
    const std::unique_ptr<char[]> block(new char[block_size]);
    if (!read_all(argv[1], block.get())) {
        std::perror(argv[1]);
        return 1;
    }
    if (!write_bytes(argv[3], block.get(), bytes)) {
        std::perror(argv[3]);
        return 1;
    }
    return 0;
}
