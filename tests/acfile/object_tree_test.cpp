// How a .ac file becomes the host's tree: palette, object lines in any order,
// data blocks, the top level, and geometry on objects that make no actor.
#include <gtest/gtest.h>

#include <ostream>
#include <algorithm>
#include <string>
#include <vector>

#include "acfile/ac_reader.h"
#include "tests/support/test_files.h"

namespace vellumark::acfile {
namespace {

read_result read(standin::host& host, const std::string& text)
{
    read_result result = read_ac_text(text, "m.ac", host);
    EXPECT_TRUE(result.ok) << result.error;
    return result;
}

TEST(palette, material_lines_and_blocks_give_entries_in_file_order)
{
    standin::host host;
    read(host,
         "AC3Dc\n"
         "MATERIAL \"red paint\" rgb 1 0 0  amb 0.2 0.1 0  emis 0 0 0.5  spec 0.5 0.5 0.25  shi 10  trans 0.25\n"
         "MAT \"block\"\nrgb 0 1 0\nshine 3 4\namb 0.1 0.2 0.3\nemis 1 1 1\nspec 0 0 0\nshi 64\ntrans 0.5\nENDMAT\n"
         "MATERIAL \"\" rgb 0.5 0.5 0.5 amb 0 0 0 emis 0 0 0 spec 0 0 0 shi 0 trans 1 extra words\n"
         "OBJECT world\nkids 0\n");
    ASSERT_EQ(host.palette_size(), 3u);

    host_entity* first = ac_palette_get_material(0);
    char* name = nullptr;
    ASSERT_TRUE(ac_entity_get_string_value(first, "name", &name));
    EXPECT_STREQ(name, "red paint");
    float rgb[3] = {};
    ac_entity_get_rgb_value(first, "diffuse", rgb);
    EXPECT_EQ(rgb[0], 1.0f);
    EXPECT_EQ(rgb[1], 0.0f);
    ac_entity_get_rgb_value(first, "ambient", rgb);
    EXPECT_EQ(rgb[1], 0.1f);
    ac_entity_get_rgb_value(first, "emissive", rgb);
    EXPECT_EQ(rgb[2], 0.5f);
    ac_entity_get_rgb_value(first, "specular", rgb);
    EXPECT_EQ(rgb[2], 0.25f);
    float value = 0;
    ac_entity_get_float_value(first, "shininess", &value);
    EXPECT_EQ(value, 10.0f);
    ac_entity_get_float_value(first, "transparency", &value);
    EXPECT_EQ(value, 0.25f);

    const standin::palette_material& block = host.material(1);
    EXPECT_EQ(block.name, "block");
    EXPECT_EQ(block.diffuse, (std::array<float, 3>{0, 1, 0}));
    EXPECT_EQ(block.ambient, (std::array<float, 3>{0.1f, 0.2f, 0.3f}));
    EXPECT_EQ(block.shininess, 64.0f);
    EXPECT_EQ(block.transparency, 0.5f);

    EXPECT_EQ(host.material(2).name, "");
    EXPECT_EQ(host.material(2).transparency, 1.0f);
}

TEST(object_lines, are_read_in_any_order_with_repeats_replacing_except_texture)
{
    standin::host host;
    const read_result result = read(host,
                                    "AC3Db\nOBJECT world\nkids 1\nOBJECT poly\nhidden\nlocked\nfolded\n"
                                    "texture \"first dir/a.png\"\nname \"old\"\nurl http://example.org/x\n"
                                    "numvert 3\n0 0 0\n1 0 0\n0 1 0\nloc 5 5 5\nsubdiv 2\ncrease 30\n"
                                    "name \"wing \"left\" part\"\ntexture \"second.png\"\nloc 1 2 3 extra\n"
                                    "numsurf 0\nkids 0\n");
    ASSERT_EQ(result.world->children.size(), 1u);
    host_object* poly = result.world->children[0];
    EXPECT_EQ(poly->type, standin::type_poly);
    EXPECT_STREQ(ac_object_get_name(poly), "wing \"left\" part");
    ASSERT_TRUE(ac_object_has_texture(poly));
    EXPECT_STREQ(texture_id_to_name(ac_object_get_texture_index(poly)), "first dir/a.png");
    // The second loc replaced the first: the vertices moved by 1 2 3.
    ASSERT_EQ(poly->vertex_count(), 3u);
    EXPECT_EQ(poly->vertex(1).x, 2.0f);
    EXPECT_EQ(poly->vertex(1).y, 2.0f);
    EXPECT_EQ(poly->vertex(1).z, 3.0f);
}

TEST(object_lines, object_types_names_and_untextured_objects)
{
    standin::host host;
    const read_result result = read(host,
                                    "AC3Db\nOBJECT world\nname \"scene\"\nkids 3\nOBJECT group\nkids 0\n"
                                    "OBJECT light\nname \"sun\"\nkids 0\nOBJECT poly\nname \"\"\nkids 0\n");
    host_object* world = result.world;
    EXPECT_EQ(ac_object_get_type(world), standin::type_world);
    EXPECT_STREQ(ac_object_get_name(world), "scene");
    ASSERT_EQ(ac_object_get_num_children(world), 3);
    host_object* group = world->children[0];
    EXPECT_EQ(ac_object_get_type(group), standin::type_group);
    EXPECT_EQ(ac_object_get_name(group), nullptr);
    EXPECT_EQ(ac_object_get_type(world->children[1]), standin::type_light);
    EXPECT_STREQ(ac_object_get_name(world->children[1]), "sun");
    EXPECT_STREQ(ac_object_get_name(world->children[2]), "");
    EXPECT_FALSE(ac_object_has_texture(world->children[2]));
    EXPECT_TRUE(result.warnings.empty());
}

TEST(file_layout, crlf_blank_lines_and_a_missing_last_line_end_read_alike)
{
    const std::string text =
        "AC3Db\n\nMATERIAL \"m\" rgb 1 1 1  amb 0 0 0  emis 0 0 0  spec 0 0 0  shi 1  trans 0\n\nOBJECT world\n"
        "kids 1\n  \nOBJECT poly\nname \"a b\"\nnumvert 3\n0 0 0\n\n1 0 0\n0 1 0\nnumsurf 1\nSURF 0X30\nmat 0\n"
        "refs 3\n0 0 0\n1 1 0\n2 0 1\nkids 0";
    standin::host lf_host;
    const read_result lf = read(lf_host, text);
    standin::host crlf_host;
    const read_result crlf = read(crlf_host, testing::to_crlf(text));
    for (const read_result* result : {&lf, &crlf}) {
        ASSERT_EQ(result->world->children.size(), 1u);
        host_object* poly = result->world->children[0];
        EXPECT_STREQ(ac_object_get_name(poly), "a b");
        EXPECT_EQ(poly->vertex_count(), 3u);
        ASSERT_EQ(poly->triangles().size(), 1u);
        EXPECT_EQ(poly->triangle_at(0).corners[1].u, 1.0f);
    }
}

// data N skips N characters after its line, but always ends at a line end.
struct data_case {
    const char* what;
    std::string data_lines;  // "data N" and what follows, up to numvert
    bool warns;
};

void PrintTo(const data_case& c, std::ostream* out) { *out << c.what; }

class data_block : public ::testing::TestWithParam<data_case> {};

TEST_P(data_block, ends_at_a_line_end)
{
    const data_case& c = GetParam();
    standin::host host;
    const read_result result = read(host, "AC3Db\nOBJECT world\nkids 1\nOBJECT poly\n" + c.data_lines +
                                              "numvert 1\n7 8 9\nkids 0\n");
    ASSERT_EQ(result.world->children.size(), 1u);
    host_object* poly = result.world->children[0];
    EXPECT_STREQ(ac_object_get_name(poly), "p");
    ASSERT_EQ(poly->vertex_count(), 1u);
    EXPECT_EQ(poly->vertex(0).x, 7.0f);
    if (c.warns) {
        ASSERT_EQ(result.warnings.size(), 1u);
        EXPECT_EQ(result.warnings[0].rfind("m.ac:5: warning: data ", 0), 0u) << result.warnings[0];
    } else {
        EXPECT_TRUE(result.warnings.empty()) << result.warnings[0];
    }
}

INSTANTIATE_TEST_SUITE_P(
    reader, data_block,
    ::testing::Values(data_case{"exact", "data 4\nMesh\nname \"p\"\n", false},
                      data_case{"exact, several lines", "data 9\nkids 3\nxy\nname \"p\"\n", false},
                      data_case{"data that looks like object lines", "data 11\nOBJECT poly\nname \"p\"\n", false},
                      data_case{"empty", "data 0\nname \"p\"\n", false},
                      data_case{"short: ends with its first line", "data 2\nMesh.001\nname \"p\"\n", true},
                      data_case{"long: ends before the line the count reaches", "data 19\nButton_LT1_g\nname \"p\"\n",
                                true},
                      data_case{"counting the line end too", "data 5\nMesh\nname \"p\"\n", true},
                      data_case{"counting a CR LF line end", "data 6\nMesh\r\nname \"p\"\n", true},
                      data_case{"exact with a CR LF line end", "data 4\nMesh\r\nname \"p\"\n", false}),
    [](const ::testing::TestParamInfo<data_case>& param_info) {
        std::string name;
        for (const char* c = param_info.param.what; *c != '\0'; ++c) {
            name += (*c >= 'a' && *c <= 'z') || (*c >= 'A' && *c <= 'Z') ? *c : '_';
        }
        return name;
    });

TEST(data_block, warning_names_the_line_where_the_data_is_taken_to_end)
{
    standin::host host;
    const read_result result =
        read(host, "AC3Db\nOBJECT poly\ndata 19\nButton_LT1_g.002\ncrease 40.0\nkids 0\n");
    ASSERT_EQ(result.warnings.size(), 1u);
    EXPECT_EQ(result.warnings[0],
              "m.ac:3: warning: data 19 does not end at a line end; the data is taken to end with line 4");
}

TEST(top_level, a_single_world_is_the_root)
{
    standin::host host;
    const read_result result = read(host, "AC3Db\nOBJECT world\nname \"w\"\nkids 1\nOBJECT poly\nkids 0\n");
    EXPECT_STREQ(ac_object_get_name(result.world), "w");
    EXPECT_EQ(&host.root(), result.world);
    EXPECT_EQ(result.world->children.size(), 1u);
}

TEST(top_level, objects_without_a_world_go_under_one_of_the_hosts_own_in_file_order)
{
    standin::host host;
    const read_result result = read(host,
                                    "AC3Db\nOBJECT poly\nname \"first\"\nnumvert 1\n4 4 4\nkids 1\n"
                                    "OBJECT poly\nname \"inner\"\nkids 0\nOBJECT group\nname \"second\"\nkids 0\n"
                                    "OBJECT world\nname \"third\"\nkids 0\n");
    host_object* world = result.world;
    ASSERT_NE(world, nullptr);
    EXPECT_EQ(&host.root(), world);
    EXPECT_EQ(world->type, standin::type_world);
    EXPECT_EQ(world->name, std::nullopt);
    ASSERT_EQ(world->children.size(), 3u);
    EXPECT_STREQ(ac_object_get_name(world->children[0]), "first");
    EXPECT_STREQ(ac_object_get_name(world->children[1]), "second");
    EXPECT_STREQ(ac_object_get_name(world->children[2]), "third");
    ASSERT_EQ(world->children[0]->children.size(), 1u);
    EXPECT_STREQ(ac_object_get_name(world->children[0]->children[0]), "inner");
    const host_point3* centre = ac_object_get_centre(world);
    EXPECT_EQ(centre->x, 0.0f);
    EXPECT_EQ(centre->y, 0.0f);
}

TEST(top_level, a_file_of_only_a_lone_poly_still_has_a_world)
{
    standin::host host;
    const read_result result = read(host, "AC3Db\r\nOBJECT poly\r\nkids 0\r\n");
    ASSERT_EQ(result.world->children.size(), 1u);
    EXPECT_EQ(result.world->children[0]->type, standin::type_poly);
}

TEST(geometry_on_containers, keeps_its_type_and_its_triangles_with_a_warning)
{
    standin::host host;
    const read_result result = read(host,
                                    "AC3Db\nOBJECT world\nkids 2\nOBJECT group\nname \"frame\"\nnumvert 3\n"
                                    "0 0 0\n1 0 0\n0 1 0\nnumsurf 1\nSURF 0\nrefs 3\n0 0 0\n1 0 0\n2 0 0\nkids 0\n"
                                    "OBJECT group\nnumvert 1\n0 0 0\nkids 0\n");
    host_object* frame = result.world->children[0];
    EXPECT_EQ(frame->type, standin::type_group);
    EXPECT_EQ(frame->vertex_count(), 3u);
    EXPECT_EQ(frame->triangles().size(), 1u);
    ASSERT_EQ(result.warnings.size(), 2u);
    EXPECT_EQ(result.warnings[0],
              "m.ac:4: warning: group \"frame\" carries 3 vertices and 1 surface; its geometry is not exported");
    EXPECT_EQ(result.warnings[1],
              "m.ac:17: warning: group (unnamed) carries 1 vertex and 0 surfaces; its geometry is not exported");
}

TEST(deep_nesting, a_hundred_thousand_levels_read_without_recursion)
{
    constexpr int depth = 100000;
    std::string text = "AC3Db\nOBJECT world\nkids 1\n";
    for (int i = 0; i < depth; ++i) {
        text += "OBJECT group\nloc 1 0 0.5\nkids 1\n";
    }
    text += "OBJECT poly\nname \"leaf\"\nnumvert 1\n0 0 0\nkids 0\n";
    standin::host host;
    const read_result result = read(host, text);
    host_object* object = result.world;
    for (int i = 0; i <= depth; ++i) {
        ASSERT_EQ(object->children.size(), 1u);
        object = object->children[0];
    }
    EXPECT_STREQ(ac_object_get_name(object), "leaf");
    EXPECT_EQ(object->vertex(0).x, static_cast<float>(depth));
    EXPECT_EQ(object->vertex(0).z, static_cast<float>(depth) / 2);
    // Every group's centre is the leaf's single vertex.
    EXPECT_EQ(ac_object_get_centre(result.world->children[0])->x, static_cast<float>(depth));
}

TEST(progress, is_reported_as_the_file_is_read_and_at_its_end)
{
    std::string text = "AC3Db\nOBJECT poly\nnumvert 300000\n";
    for (int i = 0; i < 300000; ++i) {
        text += "1 2 3\n";
    }
    text += "kids 0\n";
    std::vector<std::size_t> reports;
    standin::host host;
    const read_result result = read_ac_text(text, "m.ac", host, [&](std::size_t done, std::size_t total) {
        EXPECT_EQ(total, text.size());
        reports.push_back(done);
    });
    ASSERT_TRUE(result.ok) << result.error;
    ASSERT_GE(reports.size(), 2u);
    EXPECT_TRUE(std::is_sorted(reports.begin(), reports.end()));
    EXPECT_EQ(reports.back(), text.size());
}

TEST(host, must_be_empty)
{
    standin::host host;
    host.root();
    const read_result result = read_ac_text("AC3Db\nOBJECT world\nkids 0\n", "m.ac", host);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error, "m.ac:0: the host already holds a model");
}

}  // namespace
}  // namespace vellumark::acfile
