// The triangles that the reader builds on a thread of its own while it
// reads on, a large object alone and small ones in batches: each object gets
// its own triangles, whatever lies between them, and of several failures the
// first in the file is the one reported.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <utility>
#include <vector>

#include "acfile/ac_reader.h"

namespace vellumark::acfile {
namespace {

constexpr const char* palette =
    "AC3Db\n"
    "MATERIAL \"a\" rgb 1 1 1  amb 0 0 0  emis 0 0 0  spec 0 0 0  shi 1  trans 0\n"
    "MATERIAL \"b\" rgb 1 1 1  amb 0 0 0  emis 0 0 0  spec 0 0 0  shi 1  trans 0\n";

// A flat grid of side x side quads in the plane z = 0, smooth shaded, every
// corner's texture coordinates its position / side: 4 side^2 corners.
struct grid {
    std::string name;
    int side = 0;
    int material = 0;
    std::string texoff = "0 0";
    std::string texrep = "1 1";
    std::string children;  // the kids line and what follows it
    int kids = 0;
};

grid make_grid(std::string name, int side, int material, std::string texoff = "0 0", std::string texrep = "1 1")
{
    grid g;
    g.name = std::move(name);
    g.side = side;
    g.material = material;
    g.texoff = std::move(texoff);
    g.texrep = std::move(texrep);
    return g;
}

std::string grid_text(const grid& g)
{
    std::string text = "OBJECT poly\nname \"" + g.name + "\"\ntexoff " + g.texoff + "\ntexrep " + g.texrep + "\n";
    const int row = g.side + 1;
    text += "numvert " + std::to_string(row * row) + "\n";
    for (int y = 0; y < row; ++y) {
        for (int x = 0; x < row; ++x) {
            text += std::to_string(x) + " " + std::to_string(y) + " 0\n";
        }
    }
    text += "numsurf " + std::to_string(g.side * g.side) + "\n";
    const auto corner = [&](int x, int y) {
        return std::to_string(y * row + x) + " " + std::to_string(static_cast<double>(x) / g.side) + " " +
               std::to_string(static_cast<double>(y) / g.side) + "\n";
    };
    for (int y = 0; y < g.side; ++y) {
        for (int x = 0; x < g.side; ++x) {
            text += "SURF 0x10\nmat " + std::to_string(g.material) + "\nrefs 4\n" + corner(x, y) +
                    corner(x + 1, y) + corner(x + 1, y + 1) + corner(x, y + 1);
        }
    }
    return text + "kids " + std::to_string(g.kids) + "\n" + g.children;
}

std::string world(const std::vector<grid>& grids)
{
    std::string text = std::string(palette) + "OBJECT world\nkids " + std::to_string(grids.size()) + "\n";
    for (const grid& g : grids) {
        text += grid_text(g);
    }
    return text;
}

// The triangles a grid must have: each quad cut from its first corner, in
// file order, with the normal +z at every corner.
void expect_grid_triangles(const host_object& object, const grid& g, float u_offset)
{
    const int row = g.side + 1;
    ASSERT_EQ(object.triangle_count(), static_cast<std::size_t>(2 * g.side * g.side)) << g.name;
    std::size_t t = 0;
    for (int y = 0; y < g.side; ++y) {
        for (int x = 0; x < g.side; ++x) {
            const int quad[4][2] = {{x, y}, {x + 1, y}, {x + 1, y + 1}, {x, y + 1}};
            for (const auto& cut : {std::array<int, 3>{0, 1, 2}, std::array<int, 3>{0, 2, 3}}) {
                const standin::triangle triangle = object.triangle_at(t++);
                EXPECT_EQ(triangle.palette_index, g.material);
                for (std::size_t c = 0; c < 3; ++c) {
                    const int* p = quad[cut[c]];
                    const standin::corner& corner = triangle.corners[c];
                    ASSERT_EQ(corner.vertex, p[1] * row + p[0]) << g.name << " triangle " << t - 1;
                    EXPECT_EQ(corner.u, static_cast<float>(static_cast<double>(p[0]) / g.side + u_offset));
                    EXPECT_EQ(corner.v, static_cast<float>(static_cast<double>(p[1]) / g.side));
                    EXPECT_EQ(corner.nx, 0.0F);
                    EXPECT_EQ(corner.ny, 0.0F);
                    EXPECT_EQ(corner.nz, 1.0F);
                }
            }
        }
    }
}

const host_object* find_object(const host_object* world, const std::string& name)
{
    std::vector<const host_object*> stack{world};
    while (!stack.empty()) {
        const host_object* object = stack.back();
        stack.pop_back();
        if (object->name && *object->name == name) {
            return object;
        }
        stack.insert(stack.end(), object->children.begin(), object->children.end());
    }
    return nullptr;
}

// Two large grids (16,384 corners each) around a small one and a large
// one's small child: every object has exactly its own triangles.
TEST(large_objects, EachObjectGetsItsOwnTriangles)
{
    grid child = make_grid("child", 2, 0);
    grid first = make_grid("first", 64, 1, "0.5 0");
    first.kids = 1;
    first.children = grid_text(child);
    const grid small = make_grid("small", 4, 0);
    const grid second = make_grid("second", 64, 0, "0.25 0");
    standin::host host;
    const read_result result = read_ac_text(world({first, small, second}), "model.ac", host);
    ASSERT_TRUE(result.ok) << result.error;
    const struct {
        const grid& g;
        float u_offset;
    } expected[] = {{first, 0.5F}, {child, 0}, {small, 0}, {second, 0.25F}};
    for (const auto& e : expected) {
        const host_object* object = find_object(result.world, e.g.name);
        ASSERT_NE(object, nullptr) << e.g.name;
        expect_grid_triangles(*object, e.g, e.u_offset);
    }
}

// Texture coordinates that leave single precision in a large object, in
// small ones that travel together, or both, and a plain syntax error after
// them: the first failure in the file is the one reported.
TEST(large_objects, TheFirstFailureInTheFileIsReported)
{
    // u = 1/64 or more, then: 3.4e38 u + 3.4e38 lies beyond single precision.
    const std::string far_offset = "3.4e38 0";
    const std::string far_repeat = "3.4e38 1";
    // Line numbers of the OBJECT lines: the palette takes three lines, the
    // world two; a grid of side s takes 5 + (s+1)^2 + 1 + 7 s^2 + 1 lines.
    const auto lines_of = [](int side) { return 5 + (side + 1) * (side + 1) + 1 + 7 * side * side + 1; };
    const int first_line = 6;
    const int second_line = first_line + lines_of(64);
    const int third_line = second_line + lines_of(3);
    const std::string bad_line = "this is not a line of an object\n";
    const struct {
        const char* what;
        std::vector<grid> grids;
        bool syntax_error_after;
        std::string message;
    } cases[] = {
        {"large fails, then a syntax error",
         {make_grid("a", 64, 0, far_offset, far_repeat), make_grid("b", 3, 0), make_grid("c", 64, 0)},
         true,
         std::to_string(first_line)},
        {"large fails, then small fails",
         {make_grid("a", 64, 0, far_offset, far_repeat), make_grid("b", 3, 0, far_offset, far_repeat), make_grid("c", 64, 0)},
         false,
         std::to_string(first_line)},
        {"small fails after a good large one",
         {make_grid("a", 64, 0), make_grid("b", 3, 0, far_offset, far_repeat), make_grid("c", 64, 0, far_offset, far_repeat)},
         false,
         std::to_string(second_line)},
        {"the last large one fails",
         {make_grid("a", 64, 0), make_grid("b", 3, 0), make_grid("c", 64, 0, far_offset, far_repeat)},
         false,
         std::to_string(third_line)},
        {"small ones travel together: the third and the seventh fail",
         {make_grid("s1", 3, 0), make_grid("s2", 3, 0), make_grid("s3", 3, 0, far_offset, far_repeat),
          make_grid("s4", 3, 0), make_grid("s5", 3, 0), make_grid("s6", 3, 0),
          make_grid("s7", 3, 0, far_offset, far_repeat), make_grid("s8", 3, 0)},
         false,
         std::to_string(first_line + 2 * lines_of(3))},
        {"a small one fails, then a syntax error",
         {make_grid("s1", 3, 0), make_grid("s2", 3, 0, far_offset, far_repeat), make_grid("s3", 3, 0)},
         true,
         std::to_string(first_line + lines_of(3))},
    };
    for (const auto& c : cases) {
        std::string text = world(c.grids);
        if (c.syntax_error_after) {
            text += bad_line;
        }
        standin::host host;
        const read_result result = read_ac_text(text, "model.ac", host);
        EXPECT_FALSE(result.ok) << c.what;
        EXPECT_EQ(result.error, "model.ac:" + c.message +
                                    ": surface 1: texture coordinates beyond single precision after texrep and texoff")
            << c.what;
    }
}

}  // namespace
}  // namespace vellumark::acfile
