// Files for tests: a fresh scratch folder per test, whole-file reads, CRLF
// expectations written as plain lines.
#ifndef VELLUMARK_TESTS_SUPPORT_TEST_FILES_H
#define VELLUMARK_TESTS_SUPPORT_TEST_FILES_H

#include <filesystem>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

namespace vellumark::testing {

// A new empty folder, removed with everything in it at the end of its scope.
class scratch_dir {
public:
    scratch_dir();
    ~scratch_dir();
    scratch_dir(const scratch_dir&) = delete;
    scratch_dir& operator=(const scratch_dir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    // The path of a file in the folder, as a string.
    std::string file(std::string_view name) const;

private:
    std::filesystem::path path_;
};

// The whole file, byte for byte; nullopt when it cannot be read.
std::optional<std::string> read_file(const std::filesystem::path& path);
void write_file(const std::filesystem::path& path, std::string_view bytes);

// Lines joined with CRLF, each line ended by one.
std::string crlf_lines(std::initializer_list<std::string_view> lines);
// Replaces every "\n" of text by "\r\n".
std::string to_crlf(std::string_view text);

// The shared folder with the model corpus, when it is there.
std::optional<std::filesystem::path> shared_dir();

}  // namespace vellumark::testing

#endif
