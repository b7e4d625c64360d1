// A record that cannot be allocated ends the walk at once: the export shows
// the walk-failure message (unless silent), writes nothing, and leaves no
// record and no host list behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "common/messages.h"
#include "plugin/export_driver.h"
#include "scene/object_walk.h"
#include "standin/standin_host.h"
#include "tests/support/test_files.h"

namespace vellumark {
namespace {

using standin::type_group;
using standin::type_poly;
using standin::type_world;

// A world with three meshes under a group; A and B share a material, C has
// its own. The records in the order of their allocation:
//   0 actor A, 1 geometry A, 2 material A,
//   3 actor B, 4 geometry B,
//   5 actor C, 6 geometry C, 7 material C.
class WalkFailure : public ::testing::Test {
protected:
    WalkFailure()
    {
        standin::palette_material skin;
        skin.name = "skin";
        host.add_material(skin);
        host.add_material(skin);
        host_object& group = host.root(type_world).add_child(type_group, "G");
        add_mesh(group, "A", 0);
        add_mesh(group, "B", 0);
        add_mesh(group, "C", 1).set_texture("C:\\tex\\wood.png");
    }
    ~WalkFailure() override { fail_record_allocation_after(-1); }

    static host_object& add_mesh(host_object& parent, const std::string& name, std::uint16_t palette)
    {
        host_object& mesh = parent.add_child(type_poly, name);
        mesh.add_vertex(0, 0, 0);
        mesh.add_vertex(1, 0, 0);
        mesh.add_vertex(0, 1, 0);
        mesh.add_triangle(0, 1, 2, palette);
        return mesh;
    }

    intptr_t root() { return reinterpret_cast<intptr_t>(&host.root()); }

    bool any_output(const std::string& base) const
    {
        for (const char* extension : {".mtl", ".obj", ".pz3"}) {
            if (std::filesystem::exists(base + extension)) {
                return true;
            }
        }
        return false;
    }

    standin::host host;
    testing::scratch_dir scratch;
};

TEST_F(WalkFailure, EachFailedAllocationEndsTheExport)
{
    const struct {
        const char* record;
        long long allocation;
    } cases[] = {
        {"actor", 0}, {"geometry", 1}, {"material", 2}, {"second actor", 3},
        {"geometry of a shared material", 4}, {"last geometry", 6}, {"last material", 7},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.record);
        const std::string base = scratch.file(std::string("out") + std::to_string(c.allocation));
        host.dialogs.clear();
        fail_record_allocation_after(c.allocation);
        EXPECT_EQ(poser_export(0, base.c_str(), root()), 1);
        fail_record_allocation_after(-1);
        EXPECT_EQ(host.dialogs, std::vector<std::string>{walk_failure_message});
        EXPECT_TRUE(host.displays.empty());
        EXPECT_FALSE(any_output(base));
        EXPECT_EQ(host.outstanding(), 0u);
    }
}

TEST_F(WalkFailure, SilentFailureShowsNothing)
{
    const std::string base = scratch.file("silent");
    fail_record_allocation_after(2);
    EXPECT_EQ(poser_export(1, base.c_str(), root()), 0);
    EXPECT_TRUE(host.dialogs.empty());
    EXPECT_TRUE(host.displays.empty());
    EXPECT_FALSE(any_output(base));
    EXPECT_EQ(host.outstanding(), 0u);
}

TEST_F(WalkFailure, WithEveryAllocationTheExportIsDone)
{
    const std::string base = scratch.file("whole");
    fail_record_allocation_after(8);
    poser_export(0, base.c_str(), root());
    EXPECT_TRUE(host.dialogs.empty());
    EXPECT_EQ(host.displays, std::vector<std::string>{done_message});
    EXPECT_EQ(host.outstanding(), 0u);
}

// The walk stops where the allocation failed: what was built stays in the
// scene, and no later object is visited.
TEST_F(WalkFailure, RemainingObjectsAreNotVisited)
{
    export_scene scene;
    std::int32_t actor_counter = 0;
    fail_record_allocation_after(3);
    EXPECT_FALSE(collect_actors(&host.root(), scene, -1, -1, actor_counter));
    EXPECT_EQ(scene.actor_count(), 1u);
    EXPECT_EQ(scene.geometry_count(), 1u);
    EXPECT_EQ(scene.material_count(), 1u);
    EXPECT_EQ(host.handed_out(), 1u);
    EXPECT_EQ(host.outstanding(), 0u);
}

}  // namespace
}  // namespace vellumark
