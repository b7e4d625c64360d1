#include "wavefront/obj_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/test_files.h"
#include "tests/wavefront/wavefront_fixture.h"
#include "wavefront/mtl_writer.h"

namespace vellumark::testing {
namespace {

// A mesh as a test describes it, for the host object and for the reference
// text alike.
struct mesh_description {
    std::string actor;
    std::string material;
    std::vector<std::array<float, 3>> vertices;
    std::vector<std::array<standin::corner, 3>> triangles;
};

// The geometry file that the meshes should give, formed independently of the
// writer. The values of these tests have no seventh decimal that needs
// rounding, so the C library's "%.6f" prints them as the file does.
std::string reference_obj(const std::string& library, const std::vector<mesh_description>& meshes)
{
    std::string text = "mtllib " + library + "\n";
    auto line = [&text](const char* format, auto... values) {
        char buffer[256];
        std::snprintf(buffer, sizeof buffer, format, values...);
        text += buffer;
    };
    for (const auto& mesh : meshes) {
        for (const auto& v : mesh.vertices) {
            line("v %.6f %.6f %.6f\n", double{v[0]}, double{v[1]}, double{v[2]});
        }
    }
    for (const auto& mesh : meshes) {
        for (const auto& triangle : mesh.triangles) {
            for (const auto& corner : triangle) {
                line("vt %.6f %.6f\n", double{corner.u}, double{corner.v});
            }
        }
    }
    for (const auto& mesh : meshes) {
        for (const auto& triangle : mesh.triangles) {
            for (const auto& corner : triangle) {
                line("vn %.6f %.6f %.6f\n", double{corner.nx}, double{corner.ny}, double{corner.nz});
            }
        }
    }
    text += "g g0\n";
    int vertices_before = 0;
    int slots_before = 0;
    for (const auto& mesh : meshes) {
        text += "g " + mesh.actor + "\nusemtl " + mesh.material + "\ns 1\n";
        int slot = slots_before;
        for (const auto& triangle : mesh.triangles) {
            text += "f";
            for (const auto& corner : triangle) {
                ++slot;
                line(" %d/%d/%d", vertices_before + corner.vertex + 1, slot, slot);
            }
            text += "\n";
        }
        vertices_before += static_cast<int>(mesh.vertices.size());
        slots_before += 3 * static_cast<int>(mesh.triangles.size());
    }
    return to_crlf(text);
}

// A box: 8 vertices and 12 triangles, every corner with its own texture
// coordinates and a normal.
mesh_description box_mesh()
{
    mesh_description box{"box", "wood", {}, {}};
    for (float x : {-1.5F, 2.25F}) {
        for (float y : {-0.5F, 3.0F}) {
            for (float z : {0.1F, -1.7F}) {
                box.vertices.push_back({x, y, z});
            }
        }
    }
    const int faces[12][3] = {{0, 1, 3}, {0, 3, 2}, {4, 6, 7}, {4, 7, 5}, {0, 4, 5}, {0, 5, 1},
                              {2, 3, 7}, {2, 7, 6}, {0, 2, 6}, {0, 6, 4}, {1, 5, 7}, {1, 7, 3}};
    for (int t = 0; t < 12; ++t) {
        std::array<standin::corner, 3> corners{};
        for (int c = 0; c < 3; ++c) {
            standin::corner& corner = corners[static_cast<std::size_t>(c)];
            corner.vertex = faces[t][c];
            corner.u = static_cast<float>(3 * t + c) / 64;
            corner.v = 1 - corner.u;
            corner.nx = t % 3 == 0 ? 0.6F : 0;
            corner.ny = t % 3 == 1 ? -0.8F : 0;
            corner.nz = t % 3 == 2 ? 1.0F : 0;
        }
        box.triangles.push_back(corners);
    }
    return box;
}

class obj_writer_test : public wavefront_test {
protected:
    // The host object of a described mesh, with its actor and geometry in
    // the scene.
    geometry_record& add_described_mesh(const mesh_description& mesh, material_record& material)
    {
        host_object& object = add_object(mesh.actor);
        for (const auto& v : mesh.vertices) {
            object.add_vertex(v[0], v[1], v[2]);
        }
        for (const auto& triangle : mesh.triangles) {
            object.add_triangle(triangle, 0);
        }
        return add_mesh(mesh.actor, object, material);
    }
};

TEST_F(obj_writer_test, WithoutGeometryHoldsTheLibraryAndTheEmptyGroup)
{
    const std::string expected = crlf_lines({"mtllib scene.mtl", "g g0"});
    const std::string base = dir.file("scene");
    write_obj_file(scene, base, 0);
    EXPECT_EQ(read_file(base + ".obj"), expected) << "no actor";

    add_null_actor("NULL_pivot");
    add_null_actor("tiny");
    write_obj_file(scene, base, 0);
    EXPECT_EQ(read_file(base + ".obj"), expected) << "null actors only";
    EXPECT_TRUE(host.dialogs.empty());
    EXPECT_EQ(host.handed_out(), 0u);
}

TEST_F(obj_writer_test, NumbersTheSecondGeometryAfterTheFirst)
{
    mesh_description second{"panel", "wood", {}, {}};
    for (int i = 0; i < 6; ++i) {
        second.vertices.push_back({static_cast<float>(i), 0.25F * static_cast<float>(i), -2});
    }
    for (int t = 0; t < 2; ++t) {
        std::array<standin::corner, 3> corners{};
        for (int c = 0; c < 3; ++c) {
            corners[static_cast<std::size_t>(c)] = {3 * t + c, 0.5F, 0.125F * static_cast<float>(c), 0, 0, -1};
        }
        second.triangles.push_back(corners);
    }
    const std::vector<mesh_description> meshes = {box_mesh(), second};

    material_record& wood = add_material("wood");
    std::vector<geometry_record*> geometries;
    for (const auto& mesh : meshes) {
        geometries.push_back(&add_described_mesh(mesh, wood));
    }

    const std::string base = dir.file("scene");
    write_obj_file(scene, base, 0);
    const auto written = read_file(base + ".obj");
    ASSERT_TRUE(written);
    EXPECT_EQ(*written, reference_obj("scene.mtl", meshes));
    // The second geometry's second triangle ends with the vertex at position
    // 5: 5 + 8 + 1 = 14, and slot 36 + 3 + 2 + 1 = 42.
    EXPECT_NE(written->find("\r\nf 12/40/40 13/41/41 14/42/42\r\n"), std::string::npos);
    EXPECT_EQ(geometries[0]->first_vertex, 0);
    EXPECT_EQ(geometries[0]->first_uv, 0);
    EXPECT_EQ(geometries[1]->first_vertex, 8);
    EXPECT_EQ(geometries[1]->first_uv, 36);
    EXPECT_GT(host.handed_out(), 0u);
    EXPECT_EQ(host.outstanding(), 0u);
}

// Corners that repeat the numbers of earlier corners, the common case of a
// smooth mesh, next to corners whose numbers are seen once: lines written
// again from what was kept must match their first writing, also where two
// different lines compete for a place in the table, where the numbers differ
// only in the sign of a zero, where a line is too long to keep, and where the
// lines run over many output buffers.
TEST_F(obj_writer_test, RepeatedCornerLinesAreWrittenAsTheFirstTime)
{
    // Values with at most six decimals (k / 64) and large exact integers,
    // which the C library's "%.6f" prints as the file does.
    std::uint32_t state = 12345;
    auto next = [&state] {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    };
    auto value = [&](std::uint32_t pick) -> float {
        switch (pick % 8) {
        case 0:
            return 0.0F;
        case 1:
            return -0.0F;
        case 2:
            return 1099511627776.0F * static_cast<float>(pick % 5 + 1);  // 2^40: a line too long to keep
        default:
            return static_cast<float>(static_cast<int>(pick % 4001) - 2000) / 64;
        }
    };
    // A few hundred lines that come back often, and a stream of others that
    // push them out of the table and take their places.
    std::vector<standin::corner> common;
    for (int i = 0; i < 300; ++i) {
        common.push_back({0, value(next()), value(next()), value(next()), value(next()), value(next())});
    }
    mesh_description mesh{"terrain", "stone", {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {}};
    for (int t = 0; t < 60000; ++t) {
        std::array<standin::corner, 3> corners{};
        for (int c = 0; c < 3; ++c) {
            standin::corner corner = next() % 3 != 0 ? common[next() % common.size()]
                                                     : standin::corner{0, value(next()), value(next()), value(next()),
                                                                       value(next()), value(next())};
            corner.vertex = c;
            corners[static_cast<std::size_t>(c)] = corner;
        }
        mesh.triangles.push_back(corners);
    }

    add_described_mesh(mesh, add_material("stone"));

    const std::string base = dir.file("scene");
    write_obj_file(scene, base, 0);
    const auto written = read_file(base + ".obj");
    ASSERT_TRUE(written);
    const std::string expected = reference_obj("scene.mtl", {mesh});
    ASSERT_GT(expected.size(), std::size_t{3} << 20);
    ASSERT_EQ(written->size(), expected.size());
    EXPECT_TRUE(*written == expected) << "first difference at byte "
                                      << std::mismatch(written->begin(), written->end(), expected.begin()).first -
                                             written->begin();
}

// The host keeps a normal once for corners that share it, one after the
// other or at one vertex: corners whose normals differ only in the sign of
// a zero, or that go back and forth between two normals at a vertex, each
// keep their own.
TEST_F(obj_writer_test, CornersThatShareANormalOrNearlySoKeepTheirOwn)
{
    const std::array<float, 3> up{0, 0, 1};
    const std::array<float, 3> up_negative_x{-0.0F, 0, 1};
    const std::array<float, 3> up_negative_y{0, -0.0F, 1};
    const std::array<float, 3> side{0.6F, -0.8F, 0};
    // Per triangle: the three corners' vertices and normals.
    const struct {
        std::array<int, 3> vertices;
        std::array<std::array<float, 3>, 3> normals;
    } rows[] = {
        {{0, 1, 2}, {up, up, up}},                                  // one normal in a row
        {{0, 2, 3}, {up_negative_x, up, up_negative_y}},            // zeros of another sign
        {{0, 1, 3}, {up, side, up}},                                // back and forth at vertex 0 and 3
        {{1, 2, 3}, {side, up_negative_y, up_negative_y}},          // vertex 1 again, vertex 3's other normal
        {{3, 0, 1}, {up_negative_y, up_negative_x, side}},
    };
    mesh_description mesh{"plate", "steel", {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}, {}};
    for (const auto& row : rows) {
        std::array<standin::corner, 3> corners{};
        for (std::size_t c = 0; c < 3; ++c) {
            const auto& n = row.normals[c];
            corners[c] = {row.vertices[c], 0.25F * static_cast<float>(c), 0.5F, n[0], n[1], n[2]};
        }
        mesh.triangles.push_back(corners);
    }
    add_described_mesh(mesh, add_material("steel"));

    const std::string base = dir.file("scene");
    write_obj_file(scene, base, 0);
    EXPECT_EQ(read_file(base + ".obj"), reference_obj("scene.mtl", {mesh}));
}

TEST_F(obj_writer_test, UnusedVerticesEmptyGeometriesAndSharedMaterials)
{
    material_record& wood = add_material("wood");
    material_record& stone = add_material("stone");

    // A fourth vertex that no triangle uses.
    host_object& box = add_object("box");
    box.add_vertex(0, 0, 0);
    box.add_vertex(1, 0, 0);
    box.add_vertex(0, 1, 0);
    box.add_vertex(5, 5, 5);
    box.add_triangle({standin::corner{0, 0, 0, 0, 0, 1}, standin::corner{1, 1, 0, 0, 0, 1},
                      standin::corner{2, 0, 1, 0, 0, 1}},
                     0);
    // Vertices and no triangle surface.
    host_object& empty = add_object("empty");
    empty.add_vertex(2, 0, 0);
    empty.add_vertex(2, 1, 0);
    empty.add_vertex(2, 0, 1);
    // The same material as the first.
    host_object& lid = add_object("lid");
    lid.add_vertex(0, 0, 3);
    lid.add_vertex(1, 0, 3);
    lid.add_vertex(0, 1, 3);
    lid.add_triangle({standin::corner{2, 0.5F, 0.5F, 0, 0, -1}, standin::corner{1, 0.25F, 0.75F, 0, 0, -1},
                      standin::corner{0, 1, 1, 0, 0, -1}},
                     0);

    geometry_record& first = add_mesh("Box one", box, wood);
    add_null_actor("NULL_hinge");
    geometry_record& second = add_mesh("Empty", empty, stone);
    geometry_record& third = add_mesh("Lid", lid, wood);

    const std::string base = dir.file("scene");
    write_obj_file(scene, base, 0);
    EXPECT_EQ(read_file(base + ".obj"), crlf_lines({
                                            "mtllib scene.mtl",
                                            "v 0.000000 0.000000 0.000000",
                                            "v 1.000000 0.000000 0.000000",
                                            "v 0.000000 1.000000 0.000000",
                                            "v 5.000000 5.000000 5.000000",
                                            "v 2.000000 0.000000 0.000000",
                                            "v 2.000000 1.000000 0.000000",
                                            "v 2.000000 0.000000 1.000000",
                                            "v 0.000000 0.000000 3.000000",
                                            "v 1.000000 0.000000 3.000000",
                                            "v 0.000000 1.000000 3.000000",
                                            "vt 0.000000 0.000000",
                                            "vt 1.000000 0.000000",
                                            "vt 0.000000 1.000000",
                                            "vt 0.500000 0.500000",
                                            "vt 0.250000 0.750000",
                                            "vt 1.000000 1.000000",
                                            "vn 0.000000 0.000000 1.000000",
                                            "vn 0.000000 0.000000 1.000000",
                                            "vn 0.000000 0.000000 1.000000",
                                            "vn 0.000000 0.000000 -1.000000",
                                            "vn 0.000000 0.000000 -1.000000",
                                            "vn 0.000000 0.000000 -1.000000",
                                            "g g0",
                                            "g Box one",
                                            "usemtl wood",
                                            "s 1",
                                            "f 1/1/1 2/2/2 3/3/3",
                                            "g Empty",
                                            "usemtl stone",
                                            "s 1",
                                            "g Lid",
                                            "usemtl wood",
                                            "s 1",
                                            "f 10/4/4 9/5/5 8/6/6",
                                        }));
    EXPECT_EQ(first.first_vertex, 0);
    EXPECT_EQ(second.first_vertex, 4);
    EXPECT_EQ(third.first_vertex, 7);
    EXPECT_EQ(first.first_uv, 0);
    EXPECT_EQ(second.first_uv, 3);
    EXPECT_EQ(third.first_uv, 3);
    EXPECT_EQ(host.outstanding(), 0u);
}

TEST_F(obj_writer_test, WritesNegativeZeroAndHalfwayValuesByTheNumberFormat)
{
    host_object& object = add_object("m");
    object.add_vertex(-0.0F, 1.0F / 128, -1.0F / 128);
    object.add_vertex(-1e-7F, 100.1F, 3);
    object.add_vertex(0, 0, 0);
    object.add_triangle({standin::corner{0, -0.0F, 1.0F / 128, -0.0F, 0, 1}, standin::corner{1, 0, 0, 0, -0.0F, 0},
                         standin::corner{2, -1.0F / 128, 0, 0, 0, 1.0F / 128}},
                        0);
    add_mesh("m", object, add_material("mat"));

    const std::string base = dir.file("scene");
    write_obj_file(scene, base, 0);
    EXPECT_EQ(read_file(base + ".obj"), crlf_lines({
                                            "mtllib scene.mtl",
                                            "v -0.000000 0.007813 -0.007813",
                                            "v -0.000000 100.099998 3.000000",
                                            "v 0.000000 0.000000 0.000000",
                                            "vt -0.000000 0.007813",
                                            "vt 0.000000 0.000000",
                                            "vt -0.007813 0.000000",
                                            "vn -0.000000 0.000000 1.000000",
                                            "vn 0.000000 -0.000000 0.000000",
                                            "vn 0.000000 0.000000 0.007813",
                                            "g g0",
                                            "g m",
                                            "usemtl mat",
                                            "s 1",
                                            "f 1/1/1 2/2/2 3/3/3",
                                        }));
}

TEST_F(obj_writer_test, NamesTheLibraryByTheWholeLastComponent)
{
    struct path_case {
        const char* base;
        const char* file;
        const char* mtllib;
    };
    std::vector<path_case> cases = {
        {"scene", "scene.obj", "mtllib scene.mtl"},
        {"sub/scene.final", "sub/scene.final.obj", "mtllib scene.final.mtl"},
        {"my.dir/scene", "my.dir/scene.obj", "mtllib scene.mtl"},
        {"sub/.hidden", "sub/.hidden.obj", "mtllib .hidden.mtl"},
    };
#ifndef _WIN32
    // Outside Windows the whole text is one file name in the working
    // directory; only the name on the mtllib line is split.
    cases.push_back({"D:\\out\\scene.final", "D:\\out\\scene.final.obj", "mtllib scene.final.mtl"});
#endif
    std::filesystem::create_directory(dir.path() / "sub");
    std::filesystem::create_directory(dir.path() / "my.dir");
    const working_directory inside(dir.path());
    for (const path_case& c : cases) {
        write_obj_file(scene, c.base, 0);
        EXPECT_EQ(read_file(c.file), crlf_lines({c.mtllib, "g g0"})) << c.base;
    }
    EXPECT_TRUE(host.dialogs.empty());
}

TEST_F(obj_writer_test, AFileThatCannotBeCreatedIsReportedUnlessSilentAndChangesNothing)
{
    host_object& object = add_object("m");
    object.add_vertex(0, 0, 0);
    object.add_vertex(1, 0, 0);
    object.add_vertex(0, 1, 0);
    object.add_triangle(0, 1, 2);
    geometry_record& geometry = add_mesh("m", object, add_material("mat"));

    struct failure_case {
        const char* what;
        int silent;
        bool shown;
    };
    const failure_case cases[] = {{"not silent", 0, true}, {"silent", 1, false}, {"high bits only", 0x100, true}};
    for (const failure_case& c : cases) {
        host.dialogs.clear();
        geometry.first_vertex = -7;
        geometry.first_uv = -9;
        const std::string missing = dir.file("missing") + "/scene";
        write_obj_file(scene, missing, c.silent);
        if (c.shown) {
            EXPECT_EQ(host.dialogs, std::vector<std::string>{"Could not write to file " + missing + ".obj."}) << c.what;
        } else {
            EXPECT_TRUE(host.dialogs.empty()) << c.what;
        }
        EXPECT_EQ(geometry.first_vertex, -7) << c.what;
        EXPECT_EQ(geometry.first_uv, -9) << c.what;
    }
    // The host was never asked for a list.
    EXPECT_EQ(host.handed_out(), 0u);
}

TEST_F(obj_writer_test, AFileThatCannotTakeItsPlaceIsReportedAndReleasesTheHostLists)
{
    host_object& object = add_object("m");
    object.add_vertex(0, 0, 0);
    object.add_vertex(1, 0, 0);
    object.add_vertex(0, 1, 0);
    object.add_triangle(0, 1, 2);
    add_mesh("m", object, add_material("mat"));
    const std::string base = dir.file("scene");
    std::filesystem::create_directory(base + ".obj");
    write_obj_file(scene, base, 0);
    EXPECT_EQ(host.dialogs, std::vector<std::string>{"Could not write to file " + base + ".obj."});
    EXPECT_TRUE(std::filesystem::is_directory(base + ".obj"));
    EXPECT_EQ(host.outstanding(), 0u);
}

TEST_F(obj_writer_test, ALibraryThatCannotBeWrittenDoesNotKeepTheGeometryFromBeingWritten)
{
    const std::string base = dir.file("scene");
    std::filesystem::create_directory(base + ".mtl");
    add_material("mat");
    write_mtl_file(scene, base, 0);
    write_obj_file(scene, base, 0);
    EXPECT_EQ(host.dialogs, std::vector<std::string>{"Could not write to file " + base + ".mtl."});
    EXPECT_EQ(read_file(base + ".obj"), crlf_lines({"mtllib scene.mtl", "g g0"}));
}

// Odd answers that a host may give: the file holds what can be written, every
// face it holds names a vertex of its own geometry, and every list is
// released.
TEST(obj_writer_odd_host, WritesWhatCanBeWritten)
{
    const std::string v1 = "v 1.000000 0.000000 0.000000";
    const std::string v2 = "v 0.000000 1.000000 0.000000";
    const std::string v3 = "v 0.000000 0.000000 1.000000";
    const std::string t0 = "vt 0.000000 0.000000";
    const std::string t1 = "vt 1.000000 0.000000";
    const std::string t2 = "vt 2.000000 0.000000";
    const std::string t3 = "vt 3.000000 0.000000";
    const std::string n0 = "vn 0.000000 0.000000 0.000000";
    const std::string n1 = "vn 0.000000 0.000000 1.000000";
    const std::string n2 = "vn 0.000000 0.000000 2.000000";
    const std::string n3 = "vn 0.000000 0.000000 3.000000";
    const std::vector<std::string> head = {"mtllib odd.mtl"};
    const std::vector<std::string> group_a = {"g g0", "g a", "usemtl mat", "s 1"};
    const std::vector<std::string> group_b = {"g b", "usemtl mat", "s 1"};

    struct odd_case {
        const char* what;
        // Spoils the first of two equal geometries, a and b.
        std::function<void(host_object&, geometry_record&)> spoil;
        std::vector<std::string> lines;
    };
    auto join = [](std::initializer_list<std::vector<std::string>> parts) {
        std::vector<std::string> all;
        for (const auto& part : parts) {
            all.insert(all.end(), part.begin(), part.end());
        }
        return all;
    };
    const std::vector<odd_case> cases = {
        {"null vertex list",
         [](host_object& a, geometry_record&) { a.faults.null_vertex_list = true; },
         join({head, {v1, v2, v3, t1, t2, t3, t1, t2, t3, n1, n2, n3, n1, n2, n3}, group_a, group_b,
               {"f 1/4/4 2/5/5 3/6/6"}})},
        {"vertex index outside the object",
         [](host_object& a, geometry_record&) { a.faults.vertex_index = 3; },
         join({head, {v1, v2, v3, v1, v2, v3, t1, t2, t3, t1, t2, t3, n1, n2, n3, n1, n2, n3}, group_a, group_b,
               {"f 4/4/4 5/5/5 6/6/6"}})},
        {"negative vertex index",
         [](host_object& a, geometry_record&) { a.faults.vertex_index = -1; },
         join({head, {v1, v2, v3, v1, v2, v3, t1, t2, t3, t1, t2, t3, n1, n2, n3, n1, n2, n3}, group_a, group_b,
               {"f 4/4/4 5/5/5 6/6/6"}})},
        {"one vertex index for every vertex",
         [](host_object& a, geometry_record&) { a.faults.vertex_index = 1; },
         join({head, {v1, v2, v3, v1, v2, v3, t1, t2, t3, t1, t2, t3, n1, n2, n3, n1, n2, n3}, group_a,
               {"f 2/1/1 2/2/2 2/3/3"}, group_b, {"f 4/4/4 5/5/5 6/6/6"}})},
        {"corner on a vertex the object does not have",
         [](host_object& a, geometry_record&) { a.set_corner_vertex(0, 1, 9); },
         join({head, {v1, v2, v3, v1, v2, v3, t1, t2, t3, t1, t2, t3, n1, n2, n3, n1, n2, n3}, group_a, group_b,
               {"f 4/4/4 5/5/5 6/6/6"}})},
        // Fewer corners than slots: every surface still has its three slots
        // (the missing corners written as zeros, so that later slot numbers
        // name their own lines), and a face of fewer than three corners is
        // left out.
        {"two corners",
         [](host_object& a, geometry_record&) { a.faults.corner_count = 2; },
         join({head, {v1, v2, v3, v1, v2, v3, t1, t2, t0, t1, t2, t3, n1, n2, n0, n1, n2, n3}, group_a, group_b,
               {"f 4/4/4 5/5/5 6/6/6"}})},
        {"a corner count beyond the corner list",
         [](host_object& a, geometry_record&) { a.faults.corner_count = 65535; },
         join({head, {v1, v2, v3, v1, v2, v3, t1, t2, t3, t1, t2, t3, n1, n2, n3, n1, n2, n3}, group_a,
               {"f 1/1/1 2/2/2 3/3/3"}, group_b, {"f 4/4/4 5/5/5 6/6/6"}})},
        {"no corners",
         [](host_object& a, geometry_record&) { a.faults.corner_count = 0; },
         join({head, {v1, v2, v3, v1, v2, v3, t0, t0, t0, t1, t2, t3, n0, n0, n0, n1, n2, n3}, group_a, group_b,
               {"f 4/4/4 5/5/5 6/6/6"}})},
        {"no object",
         [](host_object&, geometry_record& g) { g.object = nullptr; },
         join({head, {v1, v2, v3, t1, t2, t3, n1, n2, n3}, group_a, group_b, {"f 1/1/1 2/2/2 3/3/3"}})},
    };

    scratch_dir dir;
    for (const odd_case& c : cases) {
        standin::host host;
        export_scene scene;
        material_record* material = scene.append_material();
        material->name = "mat";
        std::vector<geometry_record*> geometries;
        std::vector<host_object*> objects;
        for (const char* name : {"a", "b"}) {
            host_object& object = host.add_object(nullptr, standin::type_poly, name);
            object.add_vertex(1, 0, 0);
            object.add_vertex(0, 1, 0);
            object.add_vertex(0, 0, 1);
            object.add_triangle({standin::corner{0, 1, 0, 0, 0, 1}, standin::corner{1, 2, 0, 0, 0, 2},
                                 standin::corner{2, 3, 0, 0, 0, 3}},
                                0);
            actor_record* actor = scene.append_actor();
            actor->name = name;
            actor->is_null = 0;
            geometry_record* geometry = scene.append_geometry();
            geometry->actor = actor;
            geometry->material = material;
            geometry->object = &object;
            objects.push_back(&object);
            geometries.push_back(geometry);
        }
        c.spoil(*objects[0], *geometries[0]);

        const std::string base = dir.file("odd");
        write_obj_file(scene, base, 0);
        std::string expected;
        for (const auto& line : c.lines) {
            expected += line + "\r\n";
        }
        EXPECT_EQ(read_file(base + ".obj"), expected) << c.what;
        EXPECT_EQ(host.outstanding(), 0u) << c.what;
        EXPECT_TRUE(host.dialogs.empty()) << c.what;
    }
}

}  // namespace
}  // namespace vellumark::testing
