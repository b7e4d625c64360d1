#include "tests/support/test_files.h"

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include <unistd.h>

namespace vellumark::testing {
namespace {
std::atomic<unsigned> scratch_counter{0};
}

scratch_dir::scratch_dir()
{
    const auto base = std::filesystem::temp_directory_path();
    for (;;) {
        path_ = base / ("vellumark-test-" + std::to_string(getpid()) + "-" + std::to_string(scratch_counter++));
        if (std::filesystem::create_directory(path_)) {
            break;
        }
    }
}

scratch_dir::~scratch_dir()
{
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add,
                                 ignored);
    std::filesystem::remove_all(path_, ignored);
}

std::string scratch_dir::file(std::string_view name) const { return (path_ / name).string(); }

std::optional<std::string> read_file(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void write_file(const std::filesystem::path& path, std::string_view bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string crlf_lines(std::initializer_list<std::string_view> lines)
{
    std::string text;
    for (std::string_view line : lines) {
        text.append(line);
        text.append("\r\n");
    }
    return text;
}

std::string to_crlf(std::string_view text)
{
    std::string converted;
    converted.reserve(text.size() + text.size() / 16);
    for (char c : text) {
        if (c == '\n') {
            converted.push_back('\r');
        }
        converted.push_back(c);
    }
    return converted;
}

std::optional<std::filesystem::path> shared_dir()
{
    if (const char* configured = std::getenv("VELLUMARK_SHARED")) {
        std::filesystem::path path(configured);
        if (std::filesystem::is_directory(path / "corpus")) {
            return path;
        }
    }
    return std::nullopt;
}

}  // namespace vellumark::testing
