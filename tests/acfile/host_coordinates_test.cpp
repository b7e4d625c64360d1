// Where the reader puts vertices and centres: each object's rot and loc, then
// each ancestor's, innermost first; centres from the bounding box.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "acfile/ac_reader.h"

namespace vellumark::acfile {
namespace {

// world
//   group "arm": loc 1 0 0, rot a quarter turn about z ((x, y) -> (-y, x))
//     poly "hand": loc 0 2 0, vertices (1 0 0) and (0 0 3)
//     group "empty": loc 5 0 0, no vertices
//     poly "finger": rot a quarter turn about y, loc 0 0 1, vertex (1 0 0)
//   light "lamp": loc 0 0 7
const char* const nested_file =
    "AC3Db\n"
    "OBJECT world\nkids 2\n"
    "OBJECT group\nname \"arm\"\nloc 1 0 0\nrot 0 -1 0  1 0 0  0 0 1\nkids 3\n"
    "OBJECT poly\nname \"hand\"\nloc 0 2 0\nnumvert 2\n1 0 0\n0 0 3\nkids 0\n"
    "OBJECT group\nname \"empty\"\nloc 5 0 0\nkids 0\n"
    "OBJECT poly\nname \"finger\"\nnumvert 1\n1 0 0\nloc 0 0 1\nrot 0 0 1  0 1 0  -1 0 0\nkids 0\n"
    "OBJECT light\nname \"lamp\"\nloc 0 0 7\nkids 0\n";

struct nested : ::testing::Test {
    void SetUp() override
    {
        result = read_ac_text(nested_file, "nested.ac", host);
        ASSERT_TRUE(result.ok) << result.error;
        world = result.world;
        arm = world->children.at(0);
        hand = arm->children.at(0);
        empty = arm->children.at(1);
        finger = arm->children.at(2);
        lamp = world->children.at(1);
    }
    standin::host host;
    read_result result;
    host_object* world = nullptr;
    host_object* arm = nullptr;
    host_object* hand = nullptr;
    host_object* empty = nullptr;
    host_object* finger = nullptr;
    host_object* lamp = nullptr;
};

void expect_point(const host_vertex& p, float x, float y, float z)
{
    EXPECT_EQ(p.x, x);
    EXPECT_EQ(p.y, y);
    EXPECT_EQ(p.z, z);
}

void expect_centre(host_object* object, float x, float y, float z)
{
    const host_point3* c = ac_object_get_centre(object);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->x, x) << ac_object_get_name(object);
    EXPECT_EQ(c->y, y) << ac_object_get_name(object);
    EXPECT_EQ(c->z, z) << ac_object_get_name(object);
}

TEST_F(nested, own_loc_then_each_ancestors_rot_and_loc)
{
    // hand: (1 0 0) + (0 2 0) = (1 2 0); arm turns it to (-2 1 0) and moves
    // it to (-1 1 0). (0 0 3) + (0 2 0) = (0 2 3) -> (-2 0 3) -> (-1 0 3).
    ASSERT_EQ(hand->vertex_count(), 2u);
    expect_point(hand->vertex(0), -1, 1, 0);
    expect_point(hand->vertex(1), -1, 0, 3);
}

TEST_F(nested, rot_applies_before_loc_on_the_same_object)
{
    // finger: R (1 0 0) = (0 0 -1), + (0 0 1) = (0 0 0); arm: (1 0 0). Taking
    // R (p + loc) instead would give (1 0 -1) first.
    ASSERT_EQ(finger->vertex_count(), 1u);
    expect_point(finger->vertex(0), 1, 0, 0);
}

TEST_F(nested, centre_is_the_middle_of_the_box_of_the_object_and_its_descendants)
{
    expect_centre(hand, -1, 0.5f, 1.5f);
    // arm's box holds hand's and finger's vertices: x -1..1, y 0..1, z 0..3.
    expect_centre(arm, 0, 0.5f, 1.5f);
}

TEST_F(nested, centre_without_vertices_is_the_loc_in_host_coordinates)
{
    // empty: its loc (5 0 0), turned and moved by arm: (0 5 0) + (1 0 0).
    expect_centre(empty, 1, 5, 0);
    expect_centre(lamp, 0, 0, 7);
}

TEST_F(nested, world_centre_is_the_origin)
{
    expect_centre(world, 0, 0, 0);
}

TEST(host_coordinates, are_computed_in_double_and_stored_as_float)
{
    standin::host host;
    const read_result result =
        read_ac_text("AC3Db\nOBJECT poly\nrot 0.6 0.8 0 -0.8 0.6 0 0 0 1\nloc 0.1 0.2 0.3\nnumvert 2\n"
                     "0.7 1.3 -2.9\n0.1 0.2 0.4\nkids 0\n",
                     "m.ac", host);
    ASSERT_TRUE(result.ok) << result.error;
    host_object* poly = result.world->children.at(0);
    const double x = 0.7f;
    const double y = 1.3f;
    const double z = -2.9f;
    EXPECT_EQ(poly->vertex(0).x, static_cast<float>(double(0.6f) * x + double(0.8f) * y + 0.0 * z + double(0.1f)));
    EXPECT_EQ(poly->vertex(0).y, static_cast<float>(double(-0.8f) * x + double(0.6f) * y + 0.0 * z + double(0.2f)));
    EXPECT_EQ(poly->vertex(0).z, static_cast<float>(0.0 * x + 0.0 * y + 1.0 * z + double(0.3f)));

    // The centre: (min + max) / 2 in single precision.
    const host_point3* centre = ac_object_get_centre(poly);
    const float low = std::min(poly->vertex(0).z, poly->vertex(1).z);
    const float high = std::max(poly->vertex(0).z, poly->vertex(1).z);
    EXPECT_EQ(centre->z, (low + high) / 2.0f);
}

TEST(host_coordinates, an_object_without_rot_or_loc_keeps_its_file_positions)
{
    standin::host host;
    const read_result result =
        read_ac_text("AC3Db\nOBJECT world\nkids 1\nOBJECT poly\nnumvert 1\n-0 1e-40 3.4028234e38\nkids 0\n", "m.ac",
                     host);
    ASSERT_TRUE(result.ok) << result.error;
    const host_vertex& v = result.world->children.at(0)->vertex(0);
    EXPECT_TRUE(std::signbit(v.x));
    EXPECT_EQ(v.y, 1e-40f);
    EXPECT_EQ(v.z, 3.4028234e38f);
    // The centre of a box near the largest float does not overflow.
    EXPECT_EQ(ac_object_get_centre(result.world->children.at(0))->z, 3.4028234e38f);
}

TEST(host_coordinates, a_zero_rot_collapses_the_object_onto_its_loc)
{
    standin::host host;
    const read_result result = read_ac_text(
        "AC3Db\nOBJECT poly\nloc 2 3 4\nrot 0 0 0 0 0 0 0 0 0\nnumvert 2\n1 1 1\n5 6 7\nkids 0\n", "m.ac", host);
    ASSERT_TRUE(result.ok) << result.error;
    host_object* poly = result.world->children.at(0);
    expect_point(poly->vertex(0), 2, 3, 4);
    expect_point(poly->vertex(1), 2, 3, 4);
}

}  // namespace
}  // namespace vellumark::acfile
