#include "tests/reliability/reliability_support.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <set>

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/support/test_files.h"

namespace vellumark::testing {

host_object& add_box(host_object& parent, const std::string& name, float x, std::uint16_t palette)
{
    host_object& box = parent.add_child(standin::type_poly, name);
    for (int i = 0; i < 8; ++i) {
        box.add_vertex(x + ((i & 1) ? 0.5f : -0.5f), (i & 2) ? 0.5f : -0.5f, (i & 4) ? 0.5f : -0.5f);
    }
    static constexpr int faces[12][3] = {{0, 2, 1}, {1, 2, 3}, {4, 5, 6}, {5, 7, 6}, {0, 1, 4}, {1, 5, 4},
                                         {2, 6, 3}, {3, 6, 7}, {0, 4, 2}, {2, 4, 6}, {1, 3, 5}, {3, 7, 5}};
    for (const auto& face : faces) {
        box.add_triangle(face[0], face[1], face[2], palette);
    }
    box.set_centre(x, 0, 0);
    return box;
}

host_object& add_grid(host_object& parent, const std::string& name, int side, std::uint16_t palette)
{
    host_object& grid = parent.add_child(standin::type_poly, name);
    for (int row = 0; row < side; ++row) {
        for (int column = 0; column < side; ++column) {
            grid.add_vertex(static_cast<float>(column) * 0.125f, static_cast<float>(row) * 0.125f, 0.0f);
        }
    }
    for (int row = 0; row + 1 < side; ++row) {
        for (int column = 0; column + 1 < side; ++column) {
            const int a = row * side + column;
            grid.add_triangle(a, a + 1, a + side, palette);
            grid.add_triangle(a + 1, a + side + 1, a + side, palette);
        }
    }
    return grid;
}

std::map<std::string, std::string> snapshot(const std::filesystem::path& folder)
{
    std::map<std::string, std::string> entries;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        if (entry.is_regular_file()) {
            entries[name] = read_file(entry.path()).value_or("<unreadable>");
        } else if (entry.is_directory()) {
            entries[name] = "<folder>";
        } else {
            entries[name] = "<other>";
        }
    }
    return entries;
}

std::vector<std::string> temporary_files(const std::filesystem::path& folder)
{
    std::vector<std::string> found;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        if (name.find(".vellumark-") != std::string::npos || name.ends_with(".tmp")) {
            found.push_back(name);
        }
    }
    return found;
}

std::optional<tmpfs_mount> tmpfs_mount::create(const std::filesystem::path& where, std::size_t kib,
                                               std::string& why_not)
{
    if (geteuid() != 0) {
        why_not = "not running as root";
        return std::nullopt;
    }
    std::filesystem::create_directories(where);
    const std::string options = "size=" + std::to_string(kib) + "k,mode=0755";
    if (mount("tmpfs", where.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) != 0) {
        why_not = std::string("mount -t tmpfs refused: ") + std::strerror(errno);
        return std::nullopt;
    }
    return tmpfs_mount(where, kib);
}

tmpfs_mount::tmpfs_mount(tmpfs_mount&& other) noexcept : path_(std::move(other.path_)), kib_(other.kib_)
{
    other.path_.clear();
}

tmpfs_mount& tmpfs_mount::operator=(tmpfs_mount&& other) noexcept
{
    if (this != &other) {
        if (!path_.empty()) {
            umount2(path_.c_str(), MNT_DETACH);
        }
        path_ = std::move(other.path_);
        kib_ = other.kib_;
        other.path_.clear();
    }
    return *this;
}

tmpfs_mount::~tmpfs_mount()
{
    if (!path_.empty()) {
        umount2(path_.c_str(), MNT_DETACH);
    }
}

bool tmpfs_mount::remount_read_only(std::string& why_not)
{
    const std::string options = "size=" + std::to_string(kib_) + "k";
    if (mount(nullptr, path_.c_str(), nullptr, MS_REMOUNT | MS_RDONLY | MS_NOSUID | MS_NODEV, options.c_str()) !=
        0) {
        why_not = std::string("remount read-only refused: ") + std::strerror(errno);
        return false;
    }
    return true;
}

std::uint64_t tmpfs_mount::free_bytes() const
{
    struct statvfs status {};
    if (statvfs(path_.c_str(), &status) != 0) {
        return 0;
    }
    return static_cast<std::uint64_t>(status.f_bavail) * status.f_frsize;
}

void fill_disk(const std::filesystem::path& folder)
{
    const std::string path = (folder / "filler").string();
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) {
        return;
    }
    const std::string block(4096, 'x');
    // One byte at a time at the end, so that the last partial page fills too.
    while (write(fd, block.data(), block.size()) > 0) {
    }
    while (write(fd, block.data(), 1) > 0) {
    }
    close(fd);
}

namespace {

std::string slurp_descriptor(int fd)
{
    std::string bytes;
    char buffer[4096];
    for (;;) {
        const ssize_t got = read(fd, buffer, sizeof buffer);
        if (got > 0) {
            bytes.append(buffer, static_cast<std::size_t>(got));
        } else if (got == 0 || errno != EINTR) {
            break;
        }
    }
    return bytes;
}

}  // namespace

program_result run_program(const std::vector<std::string>& argv)
{
    program_result result;
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    if (out == nullptr || err == nullptr || argv.empty()) {
        if (out) std::fclose(out);
        if (err) std::fclose(err);
        return result;
    }
    std::vector<char*> arguments;
    for (const auto& argument : argv) {
        arguments.push_back(const_cast<char*>(argument.c_str()));
    }
    arguments.push_back(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        const int null_input = open("/dev/null", O_RDONLY);
        dup2(null_input, 0);
        dup2(fileno(out), 1);
        dup2(fileno(err), 2);
        execv(arguments[0], arguments.data());
        _exit(127);
    }
    int status = 0;
    if (child > 0) {
        while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
        if (WIFEXITED(status)) {
            result.status = WEXITSTATUS(status);
        } else if (WIFSIGNALED(status)) {
            result.signal = WTERMSIG(status);
        }
    }
    for (auto [file, text] : {std::pair{out, &result.out}, std::pair{err, &result.err}}) {
        std::fflush(file);
        lseek(fileno(file), 0, SEEK_SET);
        *text = slurp_descriptor(fileno(file));
        std::fclose(file);
    }
    return result;
}

std::optional<std::string> converter_path()
{
#ifdef VELLUMARK_CONVERTER
    if (std::filesystem::exists(VELLUMARK_CONVERTER)) {
        return std::string(VELLUMARK_CONVERTER);
    }
#endif
    return std::nullopt;
}

}  // namespace vellumark::testing

namespace vellumark::testing {
namespace {

// Splits CRLF-ended text into lines; false when a line end is missing or a
// carriage return or line feed stands alone.
bool crlf_split(const std::string& text, std::vector<std::string>& lines)
{
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            return false;
        }
        std::string line = text.substr(start, end - start);
        if (line.find_first_of("\r\n") != std::string::npos) {
            return false;
        }
        lines.push_back(std::move(line));
        start = end + 2;
    }
    return true;
}

std::vector<std::string> words(const std::string& line)
{
    std::vector<std::string> result;
    std::size_t at = 0;
    while (at < line.size()) {
        const std::size_t end = line.find(' ', at);
        result.push_back(line.substr(at, end == std::string::npos ? std::string::npos : end - at));
        if (end == std::string::npos) {
            break;
        }
        at = end + 1;
    }
    return result;
}

// "%f": a sign, digits, a full stop and six digits.
bool is_fixed6(const std::string& word)
{
    std::size_t at = word.starts_with("-") ? 1 : 0;
    const std::size_t dot = word.find('.');
    if (dot == std::string::npos || dot == at || word.size() != dot + 7) {
        return false;
    }
    for (std::size_t i = at; i < word.size(); ++i) {
        if (i != dot && (word[i] < '0' || word[i] > '9')) {
            return false;
        }
    }
    return true;
}

bool numbers_after(const std::string& line, std::size_t prefix, std::size_t count)
{
    const auto parts = words(line.substr(prefix));
    if (parts.size() != count) {
        return false;
    }
    for (const auto& part : parts) {
        if (!is_fixed6(part)) {
            return false;
        }
    }
    return true;
}

std::string folded(std::string text)
{
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}

bool parse_positive(const std::string& text, long long& value)
{
    if (text.empty() || text.size() > 12) {
        return false;
    }
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
        value = value * 10 + (c - '0');
    }
    return value >= 1;
}

}  // namespace

std::string malformation(const std::filesystem::path& folder, const std::string& name)
{
    const auto mtl_text = read_file(folder / (name + ".mtl"));
    const auto obj_text = read_file(folder / (name + ".obj"));
    const auto pz3_text = read_file(folder / (name + ".pz3"));
    if (!mtl_text || !obj_text || !pz3_text) {
        return "a file of the set is missing";
    }
    std::vector<std::string> mtl, obj, pz3;
    if (!crlf_split(*mtl_text, mtl)) return "mtl: not CRLF lines";
    if (!crlf_split(*obj_text, obj)) return "obj: not CRLF lines";
    if (!crlf_split(*pz3_text, pz3)) return "pz3: not CRLF lines";

    // The library: entries of newmtl, Kd, Ka, Ks, Ke, d, Ns and maybe map_Kd.
    std::set<std::string> materials;
    static const char* const entry_lines[] = {"Kd ", "Ka ", "Ks ", "Ke ", "d ", "Ns "};
    static const std::size_t entry_counts[] = {3, 3, 3, 3, 1, 1};
    for (std::size_t at = 0; at < mtl.size();) {
        if (!mtl[at].starts_with("newmtl ")) {
            return "mtl line " + std::to_string(at + 1) + ": expected newmtl: " + mtl[at].substr(0, 80);
        }
        if (!materials.insert(folded(mtl[at].substr(7))).second) {
            return "mtl: material declared twice: " + mtl[at].substr(0, 80);
        }
        ++at;
        for (std::size_t k = 0; k < 6; ++k, ++at) {
            const std::string key = entry_lines[k];
            if (at >= mtl.size() || !mtl[at].starts_with(key) || !numbers_after(mtl[at], key.size(), entry_counts[k])) {
                return "mtl line " + std::to_string(at + 1) + ": expected " + key + "values";
            }
        }
        if (at < mtl.size() && mtl[at].starts_with("map_Kd ")) {
            ++at;
        }
    }

    // The geometry file.
    if (obj.empty() || obj[0] != "mtllib " + name + ".mtl") {
        return "obj: first line is not the mtllib line";
    }
    long long vertices = 0, uvs = 0, normals = 0;
    bool in_groups = false;
    std::set<std::string> groups;
    for (std::size_t at = 1; at < obj.size(); ++at) {
        const std::string& line = obj[at];
        const std::string where = "obj line " + std::to_string(at + 1) + ": ";
        if (!in_groups) {
            if (line.starts_with("v ") && numbers_after(line, 2, 3)) {
                if (uvs != 0 || normals != 0) return where + "v after vt or vn";
                ++vertices;
            } else if (line.starts_with("vt ") && numbers_after(line, 3, 2)) {
                if (normals != 0) return where + "vt after vn";
                ++uvs;
            } else if (line.starts_with("vn ") && numbers_after(line, 3, 3)) {
                ++normals;
            } else if (line == "g g0") {
                in_groups = true;
            } else {
                return where + "unexpected line: " + line.substr(0, 80);
            }
            continue;
        }
        if (line.starts_with("g ")) {
            groups.insert(line.substr(2));
        } else if (line.starts_with("usemtl ")) {
            if (!materials.count(folded(line.substr(7)))) return where + "material not in the library: " + line;
        } else if (line == "s 1") {
        } else if (line.starts_with("f ")) {
            const auto corners = words(line.substr(2));
            if (corners.size() < 3) return where + "face of fewer than three corners: " + line;
            for (const auto& corner : corners) {
                const auto first = corner.find('/');
                const auto second = corner.find('/', first == std::string::npos ? 0 : first + 1);
                long long v = 0, t = 0, n = 0;
                if (first == std::string::npos || second == std::string::npos ||
                    !parse_positive(corner.substr(0, first), v) ||
                    !parse_positive(corner.substr(first + 1, second - first - 1), t) ||
                    !parse_positive(corner.substr(second + 1), n)) {
                    return where + "corner is not three positive numbers: " + line.substr(0, 80);
                }
                if (v > vertices) return where + "vertex number past the vertices: " + line.substr(0, 80);
                if (t > uvs || n > normals) return where + "slot number past the vt/vn lines: " + line.substr(0, 80);
            }
        } else {
            return where + "unexpected line: " + line.substr(0, 80);
        }
    }
    if (!in_groups) return "obj: no g g0 line";
    if (uvs != normals) return "obj: vt and vn counts differ";

    // The scene: balanced braces, the geometry file named, groups that exist.
    long depth = 0;
    bool names_geometry = false;
    for (std::size_t at = 0; at < pz3.size(); ++at) {
        std::string trimmed = pz3[at];
        trimmed.erase(0, trimmed.find_first_not_of(" \t") == std::string::npos ? trimmed.size()
                                                                               : trimmed.find_first_not_of(" \t"));
        while (!trimmed.empty() && (trimmed.back() == ' ' || trimmed.back() == '\t')) trimmed.pop_back();
        if (trimmed == "{") {
            ++depth;
        } else if (trimmed == "}") {
            if (--depth < 0) return "pz3 line " + std::to_string(at + 1) + ": closes more braces than it opened";
            if (depth == 0 && at + 1 != pz3.size()) return "pz3: text after the document's closing brace";
        }
        if (pz3[at] == "figureResFile " + name + ".obj") names_geometry = true;
        if (pz3[at].starts_with("\tgeomHandlerGeom 13 ") && !groups.count(pz3[at].substr(20))) {
            return "pz3 line " + std::to_string(at + 1) + ": names a group the geometry file lacks";
        }
    }
    if (depth != 0) return "pz3: braces do not balance";
    if (!names_geometry) return "pz3: no figureResFile line naming the geometry file";
    return "";
}

}  // namespace vellumark::testing
