// Writes the large .ac models that the benchmark converts.
//
//   vellumark_bench_model grid SIDE OUT.ac
//       8 poly objects under the world, each a SIDE x SIDE grid of quads on a
//       gently waving surface: 16 x SIDE^2 triangles in all (SIDE 250 gives a
//       million). Two palette materials and two textures, shaded surfaces
//       with texture coordinates, each object placed by its own loc.
//   vellumark_bench_model tree COUNT OUT.ac
//       COUNT small objects (a box of 8 vertices and 6 quads each) in a tree
//       with ten children a node, under one root object: mostly poly objects,
//       every 16th a NULL_ joint without geometry, every 50th a group. Names
//       repeat (with differing letter case) so that the actor names need
//       uniquing; every third object has one of four textures; rot and loc
//       on every object.
//
// The output depends on the arguments only, so that runs compare.
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace {

// A buffered writer of text and numbers, in large blocks.
class writer {
public:
    explicit writer(std::FILE* file) : file_(file) { buffer_.reserve(capacity); }
    ~writer() { flush(); }
    writer(const writer&) = delete;
    writer& operator=(const writer&) = delete;

    writer& operator<<(std::string_view text)
    {
        buffer_.append(text);
        spill();
        return *this;
    }
    writer& operator<<(char c)
    {
        buffer_.push_back(c);
        return *this;
    }
    writer& operator<<(long long value)
    {
        char digits[24];
        const auto result = std::to_chars(digits, digits + sizeof digits, value);
        buffer_.append(digits, static_cast<std::size_t>(result.ptr - digits));
        return *this;
    }
    // The shortest text that reads back as the same float.
    writer& operator<<(float value)
    {
        char digits[32];
        const auto result = std::to_chars(digits, digits + sizeof digits, value);
        buffer_.append(digits, static_cast<std::size_t>(result.ptr - digits));
        spill();
        return *this;
    }
    bool ok() const { return ok_; }
    void flush()
    {
        if (!buffer_.empty() && std::fwrite(buffer_.data(), 1, buffer_.size(), file_) != buffer_.size()) {
            ok_ = false;
        }
        buffer_.clear();
    }

private:
    static constexpr std::size_t capacity = std::size_t{1} << 20;
    void spill()
    {
        if (buffer_.size() >= capacity - 256) {
            flush();
        }
    }
    std::FILE* file_;
    std::string buffer_;
    bool ok_ = true;
};

// Coordinates on a grid of 1/1024, so that every number is short and exact.
float quantize(double value) { return static_cast<float>(std::round(value * 1024.0) / 1024.0); }

void write_palette(writer& out)
{
    out << "AC3Db\n"
           "MATERIAL \"stone\" rgb 0.8 0.78 0.7  amb 0.2 0.2 0.2  emis 0 0 0  spec 0.3 0.3 0.3  shi 12  trans 0\n"
           "MATERIAL \"Glass pane\" rgb 0.4 0.6 0.9  amb 0.1 0.1 0.2  emis 0 0 0.05  spec 1 1 1  shi 96  trans 0.35\n";
}

void write_grid_object(writer& out, int index, int side)
{
    const int material = index % 2;
    out << "OBJECT poly\n"
           "name \"terrain_"
        << static_cast<long long>(index) << "\"\n";
    out << "loc " << quantize((index % 4) * 12.0) << ' ' << 0.0F << ' ' << quantize((index / 4) * 12.0) << '\n';
    out << "texture \"textures/" << (material == 0 ? "ground.png" : "water.png") << "\"\n";
    out << "texrep 2 2\n";
    out << "crease 45\n";
    const int row = side + 1;
    out << "numvert " << static_cast<long long>(row) * row << '\n';
    const double step = 10.0 / side;
    for (int j = 0; j <= side; ++j) {
        for (int i = 0; i <= side; ++i) {
            const double x = i * step - 5.0;
            const double z = j * step - 5.0;
            const double y = 0.4 * std::sin(x * 0.9 + index) * std::cos(z * 0.7);
            out << quantize(x) << ' ' << quantize(y) << ' ' << quantize(z) << '\n';
        }
    }
    out << "numsurf " << static_cast<long long>(side) * side << '\n';
    const double uv_step = 1.0 / side;
    for (int j = 0; j < side; ++j) {
        for (int i = 0; i < side; ++i) {
            out << "SURF 0x10\nmat " << static_cast<long long>(material) << "\nrefs 4\n";
            const long long corner = static_cast<long long>(j) * row + i;
            const long long corners[4] = {corner, corner + row, corner + row + 1, corner + 1};
            const int du[4] = {0, 0, 1, 1};
            const int dv[4] = {0, 1, 1, 0};
            for (int c = 0; c < 4; ++c) {
                out << corners[c] << ' ' << quantize((i + du[c]) * uv_step) << ' '
                    << quantize((j + dv[c]) * uv_step) << '\n';
            }
        }
    }
    out << "kids 0\n";
}

void write_grid(writer& out, int side)
{
    write_palette(out);
    out << "OBJECT world\nkids 8\n";
    for (int index = 0; index < 8; ++index) {
        write_grid_object(out, index, side);
    }
}

constexpr int tree_fanout = 10;

const char* const tree_names[] = {"arm", "Arm", "leg", "hand", "Finger", "finger", "panel", "bolt"};
const char* const tree_textures[] = {"skin.png", "maps/metal.png", "cloth.PNG", "Skin.png"};

void write_box(writer& out, long long index)
{
    const float size = quantize(0.25 + (index % 7) * 0.05);
    out << "crease 30\nnumvert 8\n";
    for (int k = 0; k < 8; ++k) {
        out << ((k & 1) ? size : -size) << ' ' << ((k & 2) ? size : -size) << ' ' << ((k & 4) ? size : -size)
            << '\n';
    }
    static const int faces[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4}, {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
    out << "numsurf 6\n";
    for (int f = 0; f < 6; ++f) {
        out << "SURF " << ((f + index) % 3 == 0 ? "0x20" : "0x30") << "\nmat "
            << static_cast<long long>((index / 3) % 2) << "\nrefs 4\n";
        const char* const uv[4] = {" 0 0\n", " 0 1\n", " 1 1\n", " 1 0\n"};
        for (int c = 0; c < 4; ++c) {
            out << static_cast<long long>(faces[f][c]) << uv[c];
        }
    }
}

// Objects are numbered breadth first: the children of object i are
// 10 i + 1 ... 10 i + 10, those below count. Written depth first.
void write_tree(writer& out, long long count)
{
    write_palette(out);
    out << "OBJECT world\nkids 1\n";
    std::vector<long long> stack{0};
    while (!stack.empty()) {
        const long long index = stack.back();
        stack.pop_back();
        const bool is_group = index % 50 == 49;
        const bool is_joint = !is_group && index % 16 == 15;
        out << (is_group ? "OBJECT group\n" : "OBJECT poly\n");
        if (is_joint) {
            out << "name \"NULL_joint\"\n";
        } else if (index % 5 != 4) {
            out << "name \"" << tree_names[index % 8] << "\"\n";
        } else {
            out << "name \"part_" << index << "\"\n";
        }
        const double angle = (index % 12) * 0.5235987755982988;
        const float c = quantize(std::cos(angle));
        const float s = quantize(std::sin(angle));
        out << "rot " << c << ' ' << 0.0F << ' ' << s << " 0 1 0 " << -s << ' ' << 0.0F << ' ' << c << '\n';
        out << "loc " << quantize(1.5 + index % 3) << ' ' << quantize(0.5 * (index % 4)) << ' '
            << quantize(-0.25 * (index % 5)) << '\n';
        if (!is_group && !is_joint && index % 3 == 0) {
            out << "texture \"" << tree_textures[(index / 3) % 4] << "\"\n";
        }
        if (!is_group && !is_joint) {
            write_box(out, index);
        }
        const long long first_child = index * tree_fanout + 1;
        long long kids = 0;
        if (first_child < count) {
            kids = count - first_child < tree_fanout ? count - first_child : tree_fanout;
        }
        out << "kids " << kids << '\n';
        for (long long k = kids - 1; k >= 0; --k) {
            stack.push_back(first_child + k);
        }
    }
}

int usage()
{
    std::fputs("usage: vellumark_bench_model grid SIDE OUT.ac | tree COUNT OUT.ac\n", stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        return usage();
    }
    const std::string_view shape = argv[1];
    char* end = nullptr;
    const long long size = std::strtoll(argv[2], &end, 10);
    if (end == argv[2] || *end != '\0' || size < 1 || (shape != "grid" && shape != "tree") ||
        (shape == "grid" && size > 20000)) {
        return usage();
    }
    // Written beside the target and renamed, so that an interrupted run
    // leaves no half model behind for the next run to reuse.
    const std::string target = argv[3];
    const std::string temporary = target + ".part";
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (file == nullptr) {
        std::perror(temporary.c_str());
        return 1;
    }
    bool ok = false;
    {
        writer out(file);
        if (shape == "grid") {
            write_grid(out, static_cast<int>(size));
        } else {
            write_tree(out, size);
        }
        out.flush();
        ok = out.ok();
    }
    ok = std::fclose(file) == 0 && ok;
    if (!ok || std::rename(temporary.c_str(), target.c_str()) != 0) {
        std::perror(target.c_str());
        std::remove(temporary.c_str());
        return 1;
    }
    return 0;
}
