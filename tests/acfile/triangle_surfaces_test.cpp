// The triangle surfaces that the reader builds: which surfaces give
// triangles, how polygons are cut, texture coordinates and normals.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <ostream>
#include <string>
#include <vector>

#include "acfile/ac_reader.h"

namespace vellumark::acfile {
namespace {

struct point {
    double x, y, z;
};

// One poly under a world, with the given vertices and surface lines.
std::string poly_file(const std::vector<point>& vertices, const std::string& object_lines, const std::string& surfaces,
                      int surface_count)
{
    std::string text =
        "AC3Db\n"
        "MATERIAL \"a\" rgb 1 1 1  amb 0 0 0  emis 0 0 0  spec 0 0 0  shi 1  trans 0\n"
        "MATERIAL \"b\" rgb 1 1 1  amb 0 0 0  emis 0 0 0  spec 0 0 0  shi 1  trans 0\n"
        "OBJECT world\nkids 1\nOBJECT poly\n" +
        object_lines + "numvert " + std::to_string(vertices.size()) + "\n";
    char line[128];
    for (const point& p : vertices) {
        std::snprintf(line, sizeof line, "%.9g %.9g %.9g\n", p.x, p.y, p.z);
        text += line;
    }
    text += "numsurf " + std::to_string(surface_count) + "\n" + surfaces + "kids 0\n";
    return text;
}

// A surface over the vertex indices, each corner with u = index, v = 0.
std::string surface(const std::string& flags, const std::vector<int>& corners, int mat = -1)
{
    std::string text = "SURF " + flags + "\n";
    if (mat >= 0) {
        text += "mat " + std::to_string(mat) + "\n";
    }
    text += "refs " + std::to_string(corners.size()) + "\n";
    for (int c : corners) {
        text += std::to_string(c) + " " + std::to_string(c) + " 0\n";
    }
    return text;
}

struct loaded {
    standin::host host;
    read_result result;
    host_object* poly = nullptr;

    explicit loaded(const std::string& text)
    {
        result = read_ac_text(text, "m.ac", host);
        EXPECT_TRUE(result.ok) << result.error;
        if (result.ok) {
            poly = result.world->children.at(0);
        }
    }
};

point position(const host_object* object, int index)
{
    const host_vertex& v = object->vertex(static_cast<std::size_t>(index));
    return {v.x, v.y, v.z};
}

point cross(point a, point b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
point minus(point a, point b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
double dot(point a, point b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// Twice the triangle's area vector.
point area_vector(const host_object* object, const standin::triangle& t)
{
    const point a = position(object, t.corners[0].vertex);
    return cross(minus(position(object, t.corners[1].vertex), a), minus(position(object, t.corners[2].vertex), a));
}

// Even-odd test in the plane z = 0.
bool inside(const std::vector<point>& outline, double x, double y)
{
    bool in = false;
    for (std::size_t i = 0, j = outline.size() - 1; i < outline.size(); j = i++) {
        const point& a = outline[i];
        const point& b = outline[j];
        if ((a.y > y) != (b.y > y) && x < (b.x - a.x) * (y - a.y) / (b.y - a.y) + a.x) {
            in = !in;
        }
    }
    return in;
}

std::vector<std::array<int, 3>> vertex_triples(const host_object* object)
{
    std::vector<std::array<int, 3>> triples;
    for (const standin::triangle& t : object->triangles()) {
        triples.push_back({t.corners[0].vertex, t.corners[1].vertex, t.corners[2].vertex});
    }
    return triples;
}

TEST(polygons, convex_polygon_is_a_fan_from_its_first_corner)
{
    const std::vector<point> square = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0.5, 1.5, 0}, {0, 1, 0}};
    loaded model(poly_file(square, "", surface("0x10", {1, 2, 3, 4, 0}), 1));
    using triple = std::array<int, 3>;
    EXPECT_EQ(vertex_triples(model.poly), (std::vector<triple>{{1, 2, 3}, {1, 3, 4}, {1, 4, 0}}));
}

TEST(polygons, collinear_corners_keep_a_polygon_convex)
{
    const std::vector<point> outline = {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {2, 2, 0}, {0, 2, 0}};
    loaded model(poly_file(outline, "", surface("0", {0, 1, 2, 3, 4}), 1));
    using triple = std::array<int, 3>;
    EXPECT_EQ(vertex_triples(model.poly), (std::vector<triple>{{0, 1, 2}, {0, 2, 3}, {0, 3, 4}}));
}

// Concave outlines in the plane z = 0, counter-clockwise, each starting at a
// corner from which a fan would reach outside the outline.
struct concave_case {
    const char* what;
    std::vector<point> outline;
};

void PrintTo(const concave_case& c, std::ostream* out) { *out << c.what; }

class concave_polygon : public ::testing::TestWithParam<concave_case> {};

TEST_P(concave_polygon, gives_n_minus_2_triangles_that_cover_its_area)
{
    const std::vector<point>& outline = GetParam().outline;
    std::vector<int> corners;
    for (int i = 0; i < static_cast<int>(outline.size()); ++i) {
        corners.push_back(i);
    }
    loaded model(poly_file(outline, "", surface("0x20", corners, 1), 1));
    ASSERT_EQ(model.poly->triangles().size(), outline.size() - 2);

    double polygon_area = 0;
    for (std::size_t i = 0; i < outline.size(); ++i) {
        const point& a = outline[i];
        const point& b = outline[(i + 1) % outline.size()];
        polygon_area += (a.x * b.y - b.x * a.y) / 2;
    }
    double covered = 0;
    for (const standin::triangle& t : model.poly->triangles()) {
        const point twice = area_vector(model.poly, t);
        // Same winding as the polygon: facing +z.
        EXPECT_GT(twice.z, 0);
        covered += twice.z / 2;
        // Inside the outline, so the triangles do not reach into a notch.
        double cx = 0;
        double cy = 0;
        for (const standin::corner& c : t.corners) {
            cx += position(model.poly, c.vertex).x / 3;
            cy += position(model.poly, c.vertex).y / 3;
        }
        EXPECT_TRUE(inside(outline, cx, cy)) << cx << " " << cy;
        EXPECT_EQ(t.palette_index, 1);
    }
    EXPECT_NEAR(covered, polygon_area, 1e-6 * polygon_area);
}

// A comb with many teeth, enough reflex corners for the ear tests to go
// through a grid.
std::vector<point> comb(int teeth)
{
    std::vector<point> outline = {{0, 0, 0}, {2.0 * teeth + 1, 0, 0}};
    double x = 2.0 * teeth + 1;
    for (int t = 0; t < teeth; ++t) {
        outline.push_back({x, 3, 0});
        outline.push_back({x - 1, 3, 0});
        outline.push_back({x - 1, 1, 0});
        outline.push_back({x - 2, 1, 0});
        x -= 2;
    }
    outline.push_back({x, 3, 0});
    outline.push_back({0, 3, 0});
    return outline;
}

INSTANTIATE_TEST_SUITE_P(
    reader, concave_polygon,
    ::testing::Values(
        concave_case{"dart", {{0, 0, 0}, {2, 1, 0}, {0, 2, 0}, {1, 1, 0}}},
        concave_case{"L", {{2, 0, 0}, {2, 1, 0}, {1, 1, 0}, {1, 2, 0}, {0, 2, 0}, {0, 0, 0}}},
        concave_case{"comb",
                     {{0, 0, 0}, {7, 0, 0}, {7, 3, 0}, {6, 3, 0}, {6, 1, 0}, {5, 1, 0}, {5, 3, 0}, {4, 3, 0},
                      {4, 1, 0}, {3, 1, 0}, {3, 3, 0}, {2, 3, 0}, {2, 1, 0}, {1, 1, 0}, {1, 3, 0}, {0, 3, 0}}},
        concave_case{"spiral",
                     {{0, 0, 0}, {5, 0, 0}, {5, 5, 0}, {1, 5, 0}, {1, 2, 0}, {3, 2, 0}, {3, 3, 0}, {2, 3, 0},
                      {2, 4, 0}, {4, 4, 0}, {4, 1, 0}, {0, 1, 0}}},
        concave_case{"comb_of_60_teeth", comb(60)}),
    [](const ::testing::TestParamInfo<concave_case>& param_info) { return std::string(param_info.param.what); });

TEST(polygons, concave_polygon_is_cut_in_its_own_plane_keeping_its_winding)
{
    // The L outline, clockwise seen from +z, tilted into the plane y = z.
    const std::vector<point> outline = {{2, 1, 1}, {2, 0, 0}, {0, 0, 0}, {0, 2, 2}, {1, 2, 2}, {1, 1, 1}};
    loaded model(poly_file(outline, "", surface("0", {0, 1, 2, 3, 4, 5}), 1));
    ASSERT_EQ(model.poly->triangles().size(), 4u);
    const point normal = {0, 1 / std::sqrt(2.0), -1 / std::sqrt(2.0)};
    double covered = 0;
    for (const standin::triangle& t : model.poly->triangles()) {
        const point twice = area_vector(model.poly, t);
        EXPECT_GT(dot(twice, normal), 0);
        covered += dot(twice, normal) / 2;
        for (const standin::corner& c : t.corners) {
            EXPECT_NEAR(c.nx, 0, 1e-6);
            EXPECT_NEAR(c.ny, normal.y, 1e-6);
            EXPECT_NEAR(c.nz, normal.z, 1e-6);
        }
    }
    EXPECT_NEAR(covered, 3 * std::sqrt(2.0), 1e-5);
}

TEST(polygons, self_crossing_outline_still_gives_n_minus_2_triangles)
{
    // A five-pointed star drawn as one outline.
    std::vector<point> star;
    for (int i = 0; i < 5; ++i) {
        const double angle = 2 * 3.14159265358979 * (2 * i) / 5;
        star.push_back({std::cos(angle), std::sin(angle), 0});
    }
    loaded model(poly_file(star, "", surface("0", {0, 1, 2, 3, 4}), 1));
    EXPECT_EQ(model.poly->triangles().size(), 3u);

    // Thousands of corners at random: an outline that crosses itself all
    // over still gives n - 2 triangles, each over three of its corners.
    std::vector<point> scribble;
    std::vector<int> corners;
    unsigned state = 12345;
    auto next_random = [&state] {
        state = state * 1103515245u + 12345u;
        return static_cast<double>((state >> 8) & 0xFFFF) / 65536.0;
    };
    for (int i = 0; i < 3000; ++i) {
        scribble.push_back({next_random(), next_random(), 0});
        corners.push_back(i);
    }
    loaded scribbled(poly_file(scribble, "", surface("0", corners), 1));
    ASSERT_EQ(scribbled.poly->triangles().size(), scribble.size() - 2);
    std::vector<int> uses(scribble.size(), 0);
    for (const standin::triangle& t : scribbled.poly->triangles()) {
        EXPECT_NE(t.corners[0].vertex, t.corners[1].vertex);
        EXPECT_NE(t.corners[1].vertex, t.corners[2].vertex);
        EXPECT_NE(t.corners[0].vertex, t.corners[2].vertex);
        for (const standin::corner& c : t.corners) {
            ++uses.at(static_cast<std::size_t>(c.vertex));
        }
    }
    // Every corner is in at least one triangle.
    EXPECT_EQ(std::count(uses.begin(), uses.end(), 0), 0);
}

TEST(surfaces, only_polygons_of_three_or_more_corners_give_triangles_in_file_order)
{
    const std::vector<point> v = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
    const std::string surfaces = surface("0x21", {0, 1, 2, 3}) + surface("0x22", {0, 1, 2}) +
                                 surface("0x13", {0, 1, 2}) + surface("0", {0, 1}) + surface("0x30", {0, 1, 2}, 1) +
                                 surface("0x20", {0, 2, 3});
    loaded model(poly_file(v, "", surfaces, 6));
    ASSERT_EQ(model.poly->triangles().size(), 2u);
    EXPECT_EQ(model.poly->triangle_at(0).palette_index, 1);
    EXPECT_EQ(model.poly->triangle_at(1).palette_index, 0);  // no mat line
    EXPECT_EQ(model.poly->triangle_at(1).corners[1].vertex, 2);

    // The host hands out the same triangles as a fresh list at each call.
    host_list* list = ac_object_get_triangle_surfaces(model.poly);
    ASSERT_EQ(list_count(list), 2);
    auto* first = static_cast<host_surface*>(list_get_item(list, 0));
    EXPECT_EQ(first->palette_index, 1);
    ac_surfacelist_free(&list);
}

TEST(texture_coordinates, are_scaled_by_texrep_and_moved_by_texoff)
{
    const std::vector<point> v = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    const std::string surfaces = "SURF 0\nrefs 3\n0 0.25 0.5\n1 1 0.75\n2 -0.5 2\n";
    loaded model(poly_file(v, "texoff 0.1 0.7\ntexrep 2 0.3\n", surfaces, 1));
    ASSERT_EQ(model.poly->triangles().size(), 1u);
    const auto& corners = model.poly->triangle_at(0).corners;
    const float u[3] = {0.25f, 1, -0.5f};
    const float w[3] = {0.5f, 0.75f, 2};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(corners[i].u, static_cast<float>(double(u[i]) * 2 + double(0.1f))) << i;
        EXPECT_EQ(corners[i].v, static_cast<float>(double(w[i]) * double(0.3f) + double(0.7f))) << i;
    }

    loaded plain(poly_file(v, "", surfaces, 1));
    EXPECT_EQ(plain.poly->triangle_at(0).corners[0].u, 0.25f);
    EXPECT_EQ(plain.poly->triangle_at(0).corners[2].v, 2.0f);
}

void expect_normal(const standin::corner& c, point n, const char* where)
{
    EXPECT_NEAR(c.nx, n.x, 1e-6) << where;
    EXPECT_NEAR(c.ny, n.y, 1e-6) << where;
    EXPECT_NEAR(c.nz, n.z, 1e-6) << where;
}

TEST(normals, unshaded_polygon_has_its_unit_newell_normal_at_every_corner)
{
    // A bent quad: its Newell normal is not that of any three of its corners.
    const std::vector<point> v = {{0, 0, 0}, {2, 0, 0}, {2, 2, 1}, {0, 2, 0}};
    loaded model(poly_file(v, "", surface("0", {0, 1, 2, 3}), 1));
    // Newell: (-2, -2, 8) / |.|, worked out by hand.
    const double length = std::sqrt(4.0 + 4.0 + 64.0);
    for (const standin::triangle& t : model.poly->triangles()) {
        for (const standin::corner& c : t.corners) {
            expect_normal(c, {-2 / length, -2 / length, 8 / length}, "bent quad");
        }
    }
    loaded reversed(poly_file(v, "", surface("0", {3, 2, 1, 0}), 1));
    expect_normal(reversed.poly->triangle_at(0).corners[0], {2 / length, 2 / length, -8 / length}, "reversed");
}

TEST(normals, degenerate_polygon_has_a_zero_normal)
{
    const std::vector<point> v = {{0, 0, 0}, {1, 1, 1}, {2, 2, 2}, {0, 1, 0}};
    const std::string surfaces = surface("0", {0, 1, 2}) + surface("0x10", {0, 1, 2}) + surface("0x10", {0, 3, 1});
    loaded model(poly_file(v, "", surfaces, 3));
    ASSERT_EQ(model.poly->triangles().size(), 3u);
    for (int t = 0; t < 2; ++t) {
        for (const standin::corner& c : model.poly->triangle_at(t).corners) {
            expect_normal(c, {0, 0, 0}, "degenerate");
        }
    }
    // The degenerate neighbour adds nothing to the good polygon's normals.
    const point own = {1 / std::sqrt(2.0), 0, -1 / std::sqrt(2.0)};
    for (const standin::corner& c : model.poly->triangle_at(2).corners) {
        expect_normal(c, own, "neighbour");
    }
}

// Two unit squares sharing the edge from (0 0 0) to (1 0 0): one flat in
// z = 0 facing +z, the other folded up by `fold` degrees about that edge.
std::string folded_pair(double fold, const std::string& flags, const std::string& crease_line)
{
    const double a = fold * 3.14159265358979323846 / 180;
    const std::vector<point> v = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0},
                                  {0, -std::cos(a), std::sin(a)}, {1, -std::cos(a), std::sin(a)}};
    return poly_file(v, crease_line, surface(flags, {0, 1, 2, 3}) + surface(flags, {0, 4, 5, 1}), 2);
}

point unit_sum(point a, point b)
{
    const point s = {a.x + b.x, a.y + b.y, a.z + b.z};
    const double length = std::sqrt(dot(s, s));
    return {s.x / length, s.y / length, s.z / length};
}

struct crease_case {
    const char* what;
    double fold;
    std::string flags;
    std::string crease_line;
    bool smooth;
};

void PrintTo(const crease_case& c, std::ostream* out) { *out << c.what; }

class crease_angle : public ::testing::TestWithParam<crease_case> {};

TEST_P(crease_angle, shared_corners_are_smoothed_only_within_it)
{
    const crease_case& c = GetParam();
    loaded model(folded_pair(c.fold, c.flags, c.crease_line));
    ASSERT_EQ(model.poly->triangles().size(), 4u);
    const point flat = {0, 0, 1};
    // The folded square's own normal, from two of its edges.
    const double a = c.fold * 3.14159265358979323846 / 180;
    const point edge1 = {0, -std::cos(a), std::sin(a)};
    const point edge2 = {1, 0, 0};
    point folded = cross(edge1, edge2);
    const double length = std::sqrt(dot(folded, folded));
    folded = {folded.x / length, folded.y / length, folded.z / length};
    const point shared = c.smooth ? unit_sum(flat, folded) : flat;
    const point shared_folded = c.smooth ? unit_sum(flat, folded) : folded;
    for (int t = 0; t < 2; ++t) {  // the flat square's triangles
        for (const standin::corner& corner : model.poly->triangle_at(t).corners) {
            const bool on_edge = corner.vertex == 0 || corner.vertex == 1;
            expect_normal(corner, on_edge ? shared : flat, "flat square");
        }
    }
    for (int t = 2; t < 4; ++t) {  // the folded square's triangles
        for (const standin::corner& corner : model.poly->triangle_at(t).corners) {
            const bool on_edge = corner.vertex == 0 || corner.vertex == 1;
            expect_normal(corner, on_edge ? shared_folded : folded, "folded square");
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    reader, crease_angle,
    ::testing::Values(crease_case{"shaded_within_the_default_61", 50, "0x10", "", true},
                      crease_case{"shaded_beyond_the_default_61", 70, "0x10", "", false},
                      crease_case{"shaded_beyond_a_crease_of_30", 50, "0x10", "crease 30\n", false},
                      crease_case{"shaded_within_a_crease_of_100", 90, "0x30", "crease 100.0\n", true},
                      crease_case{"unshaded_is_flat_whatever_the_crease", 10, "0x20", "crease 180\n", false}),
    [](const ::testing::TestParamInfo<crease_case>& param_info) { return std::string(param_info.param.what); });

TEST(normals, a_polygon_using_a_vertex_twice_counts_once_there)
{
    // The flat square lists vertex 0 twice; the sum at vertex 0 still weighs
    // both squares alike.
    const double a = 40 * 3.14159265358979323846 / 180;
    const std::vector<point> v = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0},
                                  {0, -std::cos(a), std::sin(a)}, {1, -std::cos(a), std::sin(a)}};
    loaded model(poly_file(v, "", surface("0x10", {0, 1, 2, 3, 0}) + surface("0x10", {0, 4, 5, 1}), 2));
    const point expected = unit_sum({0, 0, 1}, {0, std::sin(a), std::cos(a)});
    const standin::corner first = model.poly->triangle_at(0).corners[0];
    ASSERT_EQ(first.vertex, 0);
    expect_normal(first, expected, "vertex 0");
}

}  // namespace
}  // namespace vellumark::acfile
