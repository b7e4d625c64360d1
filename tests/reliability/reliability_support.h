// Helpers of the reliability tests: small models on the stand-in host, whole
// folder snapshots, a tmpfs that a test mounts for itself when it may, and
// running the converter as a separate process.
#ifndef VELLUMARK_TESTS_RELIABILITY_RELIABILITY_SUPPORT_H
#define VELLUMARK_TESTS_RELIABILITY_RELIABILITY_SUPPORT_H

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "standin/standin_host.h"

namespace vellumark::testing {

// A closed box of 8 vertices and 12 triangles under `parent`, centred at
// (x, 0, 0), in palette material `palette`.
host_object& add_box(host_object& parent, const std::string& name, float x, std::uint16_t palette);

// A flat grid of side x side vertices and 2 (side - 1)^2 triangles: a mesh
// whose files run to hundreds of kilobytes.
host_object& add_grid(host_object& parent, const std::string& name, int side, std::uint16_t palette);

// Every entry of a folder (not recursive): regular files map to their bytes,
// anything else to "<folder>" or "<other>".
std::map<std::string, std::string> snapshot(const std::filesystem::path& folder);

// Names in a folder that look like a temporary file of the output stream.
std::vector<std::string> temporary_files(const std::filesystem::path& folder);

// A tmpfs of a fixed size mounted over an empty folder for the life of the
// object. Mounting needs root; create() says why it could not.
class tmpfs_mount {
public:
    static std::optional<tmpfs_mount> create(const std::filesystem::path& where, std::size_t kib,
                                             std::string& why_not);
    tmpfs_mount(tmpfs_mount&& other) noexcept;
    tmpfs_mount& operator=(tmpfs_mount&& other) noexcept;
    ~tmpfs_mount();
    // Makes the mounted filesystem read-only; false when refused.
    bool remount_read_only(std::string& why_not);
    // Bytes still free for ordinary files.
    std::uint64_t free_bytes() const;
    const std::filesystem::path& path() const { return path_; }

private:
    tmpfs_mount(std::filesystem::path where, std::size_t kib) : path_(std::move(where)), kib_(kib) {}
    std::filesystem::path path_;
    std::size_t kib_ = 0;
};

// Fills the filesystem holding `folder` with one file until a write fails.
void fill_disk(const std::filesystem::path& folder);

struct program_result {
    // The exit status, or -1 when the program did not exit normally (a
    // signal).
    int status = -1;
    int signal = 0;
    std::string out;
    std::string err;
};

// Runs a program with arguments, no standard input, and collects its output.
program_result run_program(const std::vector<std::string>& argv);

// Checks that folder/NAME.mtl, .obj and .pz3 form a well-formed set: CRLF
// lines only; a library of complete entries with distinct names; a geometry
// file of known lines whose faces name existing vertices and coordinate slots
// and whose materials the library declares; a scene whose braces balance,
// that names the geometry file and only groups it has. Empty when it is
// well-formed, else what is wrong. A missing file is wrong too.
std::string malformation(const std::filesystem::path& folder, const std::string& name);

// The converter built beside the tests, when it is.
std::optional<std::string> converter_path();

}  // namespace vellumark::testing

#endif
