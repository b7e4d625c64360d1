#include "pz3/pz3_writer.h"

#include <filesystem>
#include <unistd.h>

#include <gtest/gtest.h>

#include "common/output_file.h"
#include "standin/standin_host.h"
#include "tests/pz3/pz3_reference.h"
#include "tests/pz3/pz3_test_support.h"
#include "tests/support/test_files.h"

namespace vellumark {
namespace {

using testing::actor_input;
using testing::add_actors;
using testing::add_materials;
using testing::material_input;
using testing::read_file;
using testing::scratch_dir;
using testing::to_crlf;

constexpr const char* zero = "0.000000 0.000000 0.000000";

// The scene file written for `scene` under dir/base.
std::string pz3_of(const export_scene& scene, const scratch_dir& dir, const std::string& base = "scene")
{
    write_pz3_file(scene, dir.file(base), 0);
    return read_file(dir.file(base + ".pz3")).value_or("<missing>");
}

TEST(Pz3File, SingleMeshObject)
{
    export_scene scene;
    add_actors(scene, {{"Box", false, -1, {1.5f, -2.0f, 0.25f}, {0.5f, 100.1f, -0.0f}}});
    scratch_dir dir;
    reference::document expected;
    expected.geometry_file = "scene.obj";
    expected.figure_name = "scene";
    expected.actors = {{"Box", false, "", "0.500000 100.099998 -0.000000", "1.500000 -2.000000 0.250000"}};
    expected.child_lines = {"\taddChild    Box:1 \n", "\t\t\t BODY:1\n"};
    expected.pick_line = "\tdefaultPick Box:1 \n";
    EXPECT_EQ(pz3_of(scene, dir), to_crlf(reference::whole_file(expected)));
}

TEST(Pz3File, ThreeMeshActorsWithTwoChildrenAndTwoMaterials)
{
    export_scene scene;
    add_actors(scene, {
                          {"A", false, -1, {0, 0, 0}, {0, 0, 0}},
                          {"B", false, 0, {1, 0, 0}, {1, 1, 0}},
                          {"C", false, 0, {0, 0, 0.25f}, {0, 1.0f / 128, 0}},
                      });
    add_materials(scene, {
                             {"plain", "", {1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {0.5f, 0.5f, 0.5f}, 128, 0},
                             {"plain_1", "wood.png", {0.5f, 0.5f, 0.5f}, {0, 0, 0}, {1, 1, 1}, {}, 0, 0.5f},
                         });
    scratch_dir dir;
    reference::document expected;
    expected.geometry_file = "scene.obj";
    expected.figure_name = "scene";
    expected.actors = {
        // A's end point reaches to its last child, C.
        {"A", false, "", "0.000000 0.000000 0.250000", zero},
        {"B", false, "A", "1.000000 1.000000 0.000000", "1.000000 0.000000 0.000000"},
        {"C", false, "A", "0.000000 0.007813 0.000000", "0.000000 0.000000 0.250000"},
    };
    expected.child_lines = {"\taddChild    A:1 \n", "\t\t\t BODY:1\n", "\taddChild B:1 \n", "\t\t\t A:1\n",
                            "\taddChild C:1 \n", "\t\t\t A:1\n"};
    expected.pick_line = "\tdefaultPick A:1 \n";
    expected.weld_lines = {"\tweld    C:1 \n", "\t\t\tA:1\n", "\tweld    B:1 \n", "\t\t\tA:1\n"};
    expected.materials = {
        {"plain", "", "1.000000 0.000000 0.000000", "0.000000 1.000000 0.000000", "0.000000 0.000000 1.000000",
         "128.000000", "1.000000", "0.000000"},
        {"plain_1", "wood.png", "0.500000 0.500000 0.500000", zero, "1.000000 1.000000 1.000000", "0.000000",
         "0.000000", "0.500000"},
    };
    EXPECT_EQ(pz3_of(scene, dir), to_crlf(reference::whole_file(expected)));
}

TEST(Pz3File, NullFirstActorWithMeshChildrenPicksTheLastChild)
{
    export_scene scene;
    add_actors(scene, {
                          {"NULL_root", true, -1, {0, 0, 0}, {0, 0, 0.1f}},
                          {"B", false, 0, {2, 0, 0}, {2, 1, 0}},
                          {"C", false, 0, {0, 3, 0}, {0, 3, 1}},
                      });
    scratch_dir dir;
    reference::document expected;
    expected.geometry_file = "scene.obj";
    expected.figure_name = "scene";
    expected.actors = {
        {"NULL_root", true, "", "0.000000 3.000000 0.000000", zero},
        {"B", false, "NULL_root", "2.000000 1.000000 0.000000", "2.000000 0.000000 0.000000"},
        {"C", false, "NULL_root", "0.000000 3.000000 1.000000", "0.000000 3.000000 0.000000"},
    };
    expected.child_lines = {"\taddChild    NULL_root:1 \n", "\t\t\t BODY:1\n", "\taddChild B:1 \n",
                            "\t\t\t NULL_root:1\n", "\taddChild C:1 \n", "\t\t\t NULL_root:1\n"};
    // Neither child is welded: their parent is a null actor.
    expected.pick_line = "\tdefaultPick C:1 \n";
    EXPECT_EQ(pz3_of(scene, dir), to_crlf(reference::whole_file(expected)));
}

TEST(Pz3File, NoWeldAcrossANullActor)
{
    export_scene scene;
    add_actors(scene, {
                          {"Hull", false, -1},
                          {"NULL_mount", true, 0},
                          {"Turret", false, 1},
                      });
    scratch_dir dir;
    reference::document expected;
    expected.geometry_file = "scene.obj";
    expected.figure_name = "scene";
    expected.actors = {
        {"Hull", false, "", zero, zero},
        {"NULL_mount", true, "Hull", zero, zero},
        {"Turret", false, "NULL_mount", zero, zero},
    };
    expected.child_lines = {"\taddChild    Hull:1 \n",       "\t\t\t BODY:1\n", "\taddChild NULL_mount:1 \n",
                            "\t\t\t Hull:1\n",               "\taddChild Turret:1 \n", "\t\t\t NULL_mount:1\n"};
    expected.pick_line = "\tdefaultPick Hull:1 \n";
    EXPECT_EQ(pz3_of(scene, dir), to_crlf(reference::whole_file(expected)));
}

TEST(Pz3File, EmptyActorListPicksBody)
{
    export_scene scene;
    scratch_dir dir;
    reference::document expected;
    expected.geometry_file = "scene.obj";
    expected.figure_name = "scene";
    expected.pick_line = "\tdefaultPick BODY:1 \n";
    const std::string text = pz3_of(scene, dir);
    EXPECT_EQ(text, to_crlf(reference::whole_file(expected)));
    EXPECT_EQ(text.find("(null)"), std::string::npos);
}

TEST(Pz3File, NamesWithBlanksAndPercentSignsAreWrittenAsStored)
{
    export_scene scene;
    add_actors(scene, {{"my box", false}, {"50% %s off", false, 0}});
    add_materials(scene, {{"paint %d", "my tex %s.png"}});
    scratch_dir dir;
    reference::document expected;
    expected.geometry_file = "scene.obj";
    expected.figure_name = "scene";
    expected.actors = {{"my box", false, "", zero, zero}, {"50% %s off", false, "my box", zero, zero}};
    expected.child_lines = {"\taddChild    my box:1 \n", "\t\t\t BODY:1\n", "\taddChild 50% %s off:1 \n",
                            "\t\t\t my box:1\n"};
    expected.pick_line = "\tdefaultPick my box:1 \n";
    expected.weld_lines = {"\tweld    50% %s off:1 \n", "\t\t\tmy box:1\n"};
    expected.materials = {{"paint %d", "my tex %s.png", zero, zero, zero, "0.000000", "0.000000", "0.000000"}};
    const std::string text = pz3_of(scene, dir);
    EXPECT_EQ(text, to_crlf(reference::whole_file(expected)));
    EXPECT_NE(text.find("\r\nactor my box:1\r\n\t{\r\n\tstorageOffset 0 0 0\r\n\tgeomHandlerGeom 13 my box\r\n"),
              std::string::npos);
}

TEST(Pz3File, BasePathNamesTheFileTheFigureAndTheGeometry)
{
    struct base_case {
        const char* base;
        const char* figure_name;
        const char* geometry_file;
    };
    // The geometry reference keeps the whole last component, as the geometry
    // file is written under the whole base path; the figure's name drops
    // what follows its last full stop.
    const base_case cases[] = {
        {"scene", "scene", "scene.obj"},
        {"scene.final", "scene", "scene.final.obj"},
        {"a.b.c", "a.b", "a.b.c.obj"},
        {"sub.dir/plain", "plain", "plain.obj"},
    };
    for (const auto& c : cases) {
        scratch_dir dir;
        std::filesystem::create_directory(dir.path() / "sub.dir");
        export_scene scene;
        reference::document expected;
        expected.geometry_file = c.geometry_file;
        expected.figure_name = c.figure_name;
        expected.pick_line = "\tdefaultPick BODY:1 \n";
        EXPECT_EQ(pz3_of(scene, dir, c.base), to_crlf(reference::whole_file(expected))) << c.base;
    }
}

// Runs in a scratch folder as the working directory, restored afterwards.
class Pz3FileInWorkingDirectory : public ::testing::Test {
protected:
    void SetUp() override
    {
        previous_ = std::filesystem::current_path();
        std::filesystem::current_path(dir_.path());
    }
    void TearDown() override { std::filesystem::current_path(previous_); }

    scratch_dir dir_;
    std::filesystem::path previous_;
};

TEST_F(Pz3FileInWorkingDirectory, EmptyBasePathWritesDotPz3)
{
    export_scene scene;
    add_actors(scene, {{"Box", false}});
    write_pz3_file(scene, "", 0);
    reference::document expected;
    expected.geometry_file = ".obj";
    expected.figure_name = "";
    expected.actors = {{"Box", false, "", zero, zero}};
    expected.child_lines = {"\taddChild    Box:1 \n", "\t\t\t BODY:1\n"};
    expected.pick_line = "\tdefaultPick Box:1 \n";
    EXPECT_EQ(read_file(dir_.path() / ".pz3").value_or("<missing>"), to_crlf(reference::whole_file(expected)));
}

// The three fixed sections, cut out of a whole scene file.
std::string fixed_sections_of(const std::string& text)
{
    const std::size_t begin = text.find("actor BODY:1\r\n\t{\r\n\tname");
    const std::size_t centre = text.find("controlProp CenterOfMass:1\r\n\t{\r\n\tname");
    const std::size_t end = text.find("\t}\r\n\r\n", centre);
    if (begin == std::string::npos || centre == std::string::npos || end == std::string::npos) {
        return "<not found>";
    }
    return text.substr(begin, end + 6 - begin);
}

TEST(Pz3File, FixedSectionsAreTheSameWhateverWasExported)
{
    scratch_dir dir;
    export_scene empty;
    export_scene big;
    add_actors(big, {{"NULL_a", true}, {"b", false, 0, {1, 2, 3}}, {"c", false, 1}});
    add_materials(big, {{"m", "t.png"}});
    const std::string first = fixed_sections_of(pz3_of(empty, dir, "one"));
    const std::string second = fixed_sections_of(pz3_of(big, dir, "two"));
    EXPECT_EQ(first, second);
    EXPECT_EQ(first, to_crlf(reference::body_section() + reference::goal_center_of_mass_section() +
                             reference::center_of_mass_section()));
}

TEST(Pz3File, CannotBeWrittenShowsTheFileNameUnlessSilent)
{
    struct silent_case {
        int silent;
        bool shown;
    };
    // Only the low byte of the flag counts.
    for (const silent_case c : {silent_case{0, true}, silent_case{1, false}, silent_case{256, true}}) {
        standin::host host;
        scratch_dir dir;
        export_scene scene;
        add_actors(scene, {{"Box", false}});
        const std::string base = dir.file("missing/scene");
        write_pz3_file(scene, base, c.silent);
        if (c.shown) {
            EXPECT_EQ(host.dialogs, std::vector<std::string>{"Could not write to file " + base + ".pz3."});
        } else {
            EXPECT_TRUE(host.dialogs.empty());
        }
        EXPECT_FALSE(std::filesystem::exists(dir.path() / "missing"));
    }
}

TEST(Pz3File, FailedWriteLeavesAnEarlierFileAndIsReported)
{
    standin::host host;
    scratch_dir dir;
    testing::write_file(dir.path() / "scene.pz3", "earlier");
    export_scene scene;
    add_actors(scene, {{"Box", false}});
    output_file::fail_writes_after(1000);
    write_pz3_file(scene, dir.file("scene"), 0);
    output_file::fail_writes_after(-1);
    EXPECT_EQ(read_file(dir.path() / "scene.pz3"), "earlier");
    EXPECT_EQ(host.dialogs, std::vector<std::string>{"Could not write to file " + dir.file("scene") + ".pz3."});
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(DefaultPick, FirstNonEmptyPassDecidesAndItsLastActorWins)
{
    struct pick_case {
        const char* what;
        std::vector<actor_input> actors;
        const char* pick;
    };
    const pick_case cases[] = {
        {"empty list", {}, nullptr},
        {"single mesh", {{"A", false}}, "A"},
        {"mesh root over mesh children", {{"A", false}, {"B", false, 0}, {"C", false, 0}}, "A"},
        {"null root, mesh children", {{"N", true}, {"B", false, 0}, {"C", false, 0}}, "C"},
        {"null root, only null children", {{"N", true}, {"M", true, 0}}, "N"},
        {"null root alone", {{"N", true}}, "N"},
        {"grandchildren do not count",
         {{"N", true}, {"B", false, 0}, {"G", false, 1}, {"C", true, 0}},
         "B"},
        {"null root, mesh only below a null child", {{"N", true}, {"M", true, 0}, {"G", false, 1}}, "N"},
        {"several roots: the last mesh root", {{"X", false}, {"N", true}, {"Y", false}, {"Z", true}}, "Y"},
        {"several null roots: the last root", {{"N1", true}, {"N2", true}}, "N2"},
    };
    for (const auto& c : cases) {
        export_scene scene;
        add_actors(scene, c.actors);
        const actor_record* pick = choose_default_pick(scene);
        if (c.pick == nullptr) {
            EXPECT_EQ(pick, nullptr) << c.what;
        } else {
            ASSERT_NE(pick, nullptr) << c.what;
            EXPECT_EQ(pick->name, c.pick) << c.what;
        }
    }
}

}  // namespace
}  // namespace vellumark
