// Odd answers of the host, each within what the host functions allow: null
// names and texture paths, empty or missing lists, counts that disagree with
// their lists, vertices that are not in the object's list, palette indices
// that name no material. The export must read nothing out of bounds (the
// sanitizer build runs these), release every host list, show "Done." and
// leave a well-formed set of three files.
#include <climits>
#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "plugin/export_driver.h"
#include "standin/standin_host.h"
#include "tests/reliability/reliability_support.h"
#include "tests/support/test_files.h"

namespace vellumark {
namespace {

using testing::add_box;

struct host_fault {
    const char* name;
    // Builds the tree under the root of a host whose palette holds one
    // material.
    std::function<void(standin::host&, host_object& root)> build;
};

// A healthy box after the faulty object, so that the numbering of a later
// geometry is checked as well.
void then_a_box(host_object& root) { add_box(root, "after", 3, 0); }

const std::vector<host_fault>& host_faults()
{
    static const std::vector<host_fault> table = {
        {"NullAndEmptyNames",
         [](standin::host& host, host_object& root) {
             add_box(root, "", 0, 0).name.reset();
             add_box(root, "", 1, 0);
             standin::palette_material nameless;
             host.add_material(nameless);
             add_box(root, "x", 2, 1).name.reset();
         }},
        {"NullTexturePath",
         [](standin::host&, host_object& root) {
             host_object& box = add_box(root, "box", 0, 0);
             box.set_texture("C:\\textures\\wood.png");
             box.faults.null_texture_path = true;
             then_a_box(root);
         }},
        {"NullVertexList",
         [](standin::host&, host_object& root) {
             add_box(root, "box", 0, 0).faults.null_vertex_list = true;
             then_a_box(root);
         }},
        {"VertexCountLargerThanTheList",
         [](standin::host&, host_object& root) {
             add_box(root, "box", 0, 0).faults.vertex_count = 1000;
             then_a_box(root);
         }},
        {"VertexCountSmallerThanTheList",
         [](standin::host&, host_object& root) {
             add_box(root, "two", 0, 0).faults.vertex_count = 2;
             add_box(root, "negative", 1, 0).faults.vertex_count = -7;
             then_a_box(root);
         }},
        {"VertexCountWithoutAnyVertex",
         [](standin::host&, host_object& root) {
             root.add_child(standin::type_poly, "ghost").faults.vertex_count = 5;
             then_a_box(root);
         }},
        {"VertexIndexMinusOne",
         [](standin::host&, host_object& root) {
             add_box(root, "box", 0, 0).faults.vertex_index = -1;
             then_a_box(root);
         }},
        {"VertexIndexPastTheList",
         [](standin::host&, host_object& root) {
             add_box(root, "box", 0, 0).faults.vertex_index = 8;
             add_box(root, "far", 1, 0).faults.vertex_index = INT_MAX;
             add_box(root, "low", 2, 0).faults.vertex_index = INT_MIN;
             then_a_box(root);
         }},
        {"CornerVertexNotInTheList",
         [](standin::host&, host_object& root) {
             // Corner indices that the stand-in cannot map give a null vertex
             // handle; the object's other triangles are fine.
             host_object& box = add_box(root, "box", 0, 0);
             box.add_triangle(0, 1, 99);
             box.add_triangle(-1, 2, 3);
             then_a_box(root);
         }},
        {"MeshWithoutTriangleSurfaces",
         [](standin::host&, host_object& root) {
             host_object& cloud = root.add_child(standin::type_poly, "cloud");
             for (int i = 0; i < 5; ++i) {
                 cloud.add_vertex(static_cast<float>(i), 0, 0);
             }
             then_a_box(root);
         }},
        {"ChildrenCountLargerThanTheList",
         [](standin::host&, host_object& root) {
             host_object& box = add_box(root, "box", 0, 0);
             box.faults.children_count = 4;
             host_object& group = root.add_child(standin::type_group, "group");
             add_box(group, "inside", 1, 0);
             group.faults.children_count = 3;
             then_a_box(root);
         }},
        {"ChildrenCountNegative",
         [](standin::host&, host_object& root) {
             host_object& group = root.add_child(standin::type_group, "group");
             add_box(group, "hidden", 1, 0);
             group.faults.children_count = -1;
             then_a_box(root);
         }},
        {"CornerCountOtherThanThree",
         [](standin::host&, host_object& root) {
             add_box(root, "none", 0, 0).faults.corner_count = 0;
             add_box(root, "two", 1, 0).faults.corner_count = 2;
             add_box(root, "four", 2, 0).faults.corner_count = 4;
             add_box(root, "most", 3, 0).faults.corner_count = 65535;
             then_a_box(root);
         }},
        {"PaletteIndexOutsideThePalette",
         [](standin::host&, host_object& root) {
             add_box(root, "box", 0, 500);
             add_box(root, "top", 1, 65535);
             then_a_box(root);
         }},
        {"NoObjectOfTypeZero",
         [](standin::host&, host_object& root) { root.add_child(standin::type_light, "lamp"); }},
        {"NullActorsOnly",
         [](standin::host&, host_object& root) {
             root.add_child(standin::type_poly, "empty");
             add_box(root, "NULL_joint", 0, 0);
         }},
        {"VeryLongNamesAndTexturePaths",
         [](standin::host& host, host_object& root) {
             standin::palette_material long_name;
             long_name.name = std::string(100000, 'm');
             host.add_material(long_name);
             add_box(root, std::string(100000, 'a'), 0, 1).set_texture(std::string(5000, 'p'));
             add_box(root, std::string(100000, 'a'), 1, 1)
                 .set_texture(std::string(3000, 'd') + "\\" + std::string(3000, 't') + ".png");
             add_box(root, std::string(999, 'b'), 2, 1).set_texture("C:" + std::string(2000, 'c'));
             add_box(root, std::string(999, 'b'), 3, 1).set_texture("");
         }},
        {"EveryFaultAtOnce",
         [](standin::host&, host_object& root) {
             host_object& box = add_box(root, "box", 0, 7);
             box.name.reset();
             box.set_texture("wood.png");
             box.faults.null_texture_path = true;
             box.faults.null_vertex_list = true;
             box.faults.vertex_count = 100;
             box.faults.vertex_index = -1;
             box.faults.children_count = 2;
             box.faults.corner_count = 1;
             then_a_box(root);
         }},
    };
    return table;
}

void PrintTo(const host_fault& fault, std::ostream* out) { *out << fault.name; }

class host_fault_test : public ::testing::TestWithParam<host_fault> {};

INSTANTIATE_TEST_SUITE_P(faults, host_fault_test, ::testing::ValuesIn(host_faults()),
                         [](const auto& test_info) { return std::string(test_info.param.name); });

TEST_P(host_fault_test, ExportStaysWellFormed)
{
    for (const int root_type : {standin::type_world, standin::type_poly}) {
        SCOPED_TRACE(root_type == standin::type_world ? "under a world" : "under a poly root");
        testing::scratch_dir folder;
        standin::host host;
        standin::palette_material red;
        red.name = "red";
        host.add_material(red);
        host_object& root = host.root(root_type);
        GetParam().build(host, root);

        poser_export(0, folder.file("scene").c_str(), reinterpret_cast<intptr_t>(&root));

        EXPECT_EQ(host.outstanding(), 0u) << "host lists or arrays left unreleased";
        EXPECT_EQ(host.dialogs, std::vector<std::string>{});
        EXPECT_EQ(host.displays, std::vector<std::string>{"Done."});
        EXPECT_EQ(testing::malformation(folder.path(), "scene"), "");
    }
}

}  // namespace
}  // namespace vellumark
