#include "scene/object_walk.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "plugin/export_driver.h"
#include "standin/standin_host.h"

namespace vellumark {
namespace {

using standin::type_group;
using standin::type_light;
using standin::type_poly;
using standin::type_world;

// A tree to build in the stand-in host: type, name, children.
struct tree {
    int type = type_poly;
    std::string name;
    std::vector<tree> children;
};

void add_children(host_object& object, const std::vector<tree>& children)
{
    for (const tree& child : children) {
        add_children(object.add_child(child.type, child.name), child.children);
    }
}

bool walk(host_object& root, export_scene& scene)
{
    std::int32_t actor_counter = 0;
    return collect_actors(&root, scene, -1, -1, actor_counter);
}

std::vector<actor_record*> actor_list(const export_scene& scene)
{
    std::vector<actor_record*> list;
    for (actor_record* a = scene.actors; a != nullptr; a = a->next) {
        list.push_back(a);
    }
    return list;
}

// An object with `count` vertices along x and, from three vertices on, one
// triangle over the first three with this palette index.
host_object& add_mesh(host_object& parent, std::optional<std::string> name, int count, std::uint16_t palette = 0)
{
    host_object& object = parent.add_child(type_poly, std::move(name));
    for (int i = 0; i < count; ++i) {
        object.add_vertex(static_cast<float>(i), 0, 0);
    }
    if (count >= 3) {
        object.add_triangle(0, 1, 2, palette);
    }
    return object;
}

TEST(ObjectWalk, ParentIdsFollowTheFirstActorOfEachContainer)
{
    struct parent_case {
        const char* label;
        tree root;
        // Actor names in walk order, each with its parent id.
        std::vector<std::pair<std::string, int>> actors;
    };
    const parent_case cases[] = {
        {"container root: A(E), G(B, C), D",
         {type_world, "W", {{type_poly, "A", {{type_poly, "E", {}}}},
                            {type_group, "G", {{type_poly, "B", {}}, {type_poly, "C", {}}}},
                            {type_poly, "D", {}}}},
         {{"A", -1}, {"E", 0}, {"B", 0}, {"C", 2}, {"D", 0}}},
        {"actor root with two children",
         {type_poly, "R", {{type_poly, "X", {}}, {type_poly, "Y", {}}}},
         {{"R", -1}, {"X", 0}, {"Y", 0}}},
        {"first container holds no actor",
         {type_world, "W", {{type_group, "G", {{type_light, "L", {}}}}, {type_poly, "X", {}}, {type_poly, "Y", {}}}},
         {{"X", -1}, {"Y", 0}}},
        {"container under an actor",
         {type_poly, "R", {{type_group, "G", {{type_poly, "A", {}}, {type_poly, "B", {}}}}}},
         {{"R", -1}, {"A", 0}, {"B", 1}}},
        {"container after an actor sibling",
         {type_poly, "R", {{type_poly, "A", {}}, {type_group, "G", {{type_poly, "B", {}}, {type_poly, "C", {}}}}}},
         {{"R", -1}, {"A", 0}, {"B", 0}, {"C", 2}}},
        {"first actor deep inside containers",
         {type_world, "W", {{type_group, "G1", {{type_light, "G2", {{type_poly, "X", {}}}}}},
                            {type_group, "G3", {{type_poly, "Y", {}}, {type_poly, "Z", {}}}}}},
         {{"X", -1}, {"Y", 0}, {"Z", 1}}},
        {"empty container before the actors of a container",
         {type_poly, "R", {{type_group, "G", {{type_group, "E", {}}, {type_poly, "A", {}}, {type_poly, "B", {}}}}}},
         {{"R", -1}, {"A", 0}, {"B", 1}}},
        {"no actor at all", {type_world, "W", {{type_group, "G", {{type_light, "L", {}}}}}}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        standin::host host;
        host_object& root = host.root(c.root.type);
        root.name = c.root.name;
        add_children(root, c.root.children);
        export_scene scene;
        ASSERT_TRUE(walk(root, scene));
        std::vector<std::pair<std::string, int>> actors;
        std::int32_t position = 0;
        for (const actor_record* a : actor_list(scene)) {
            actors.emplace_back(a->name, a->parent_id);
            EXPECT_EQ(a->id, position++) << a->name;
        }
        EXPECT_EQ(actors, c.actors);
        EXPECT_EQ(scene.next_actor_id, position);
    }
}

TEST(ObjectWalk, NamesAndNullActors)
{
    struct object_spec {
        std::optional<std::string> name;
        int vertices;
    };
    struct null_case {
        const char* label;
        std::vector<object_spec> objects;
        // Final names, each with whether it is a null actor.
        std::vector<std::pair<std::string, bool>> actors;
    };
    const std::string long_name(1200, 'L');
    const std::string cut_name(999, 'L');
    const null_case cases[] = {
        {"NULL_ prefix, many vertices", {{"NULL_hip", 500}}, {{"NULL_hip", true}}},
        {"bare prefix", {{"NULL_", 3}}, {{"NULL_", true}}},
        {"second NULL becomes NULL_1", {{"NULL", 3}, {"NULL", 3}}, {{"NULL", false}, {"NULL_1", true}}},
        {"prefix test is case-exact", {{"null_hip", 3}, {"Null_hip", 3}}, {{"null_hip", false}, {"Null_hip_1", false}}},
        {"two vertices or fewer", {{"box", 2}, {"box", 0}, {"box", 3}}, {{"box", true}, {"box_1", true}, {"box_2", false}}},
        {"unnamed objects",
         {{std::nullopt, 3}, {std::nullopt, 0}, {"", 3}, {"object", 3}},
         {{"object", false}, {"object_1", true}, {"object_2", false}, {"object_3", false}}},
        {"long names cut before uniquing", {{long_name, 3}, {long_name, 3}}, {{cut_name, false}, {cut_name + "_1", false}}},
        {"line breaks become underscores before uniquing",
         {{"arm\r\nleft", 3}, {"arm__left", 3}, {"a\nb", 3}},
         {{"arm__left", false}, {"arm__left_1", false}, {"a_b", false}}},
        {"line break replaced before the null test", {{"NULL\nhip", 3}}, {{"NULL_hip", true}}},
        {"blanks and percent signs kept", {{" 50% \t", 3}}, {{" 50% \t", false}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        standin::host host;
        host_object& root = host.root(type_world);
        std::vector<host_object*> objects;
        for (const object_spec& spec : c.objects) {
            objects.push_back(&add_mesh(root, spec.name, spec.vertices));
        }
        export_scene scene;
        ASSERT_TRUE(walk(root, scene));
        std::vector<std::pair<std::string, bool>> actors;
        std::vector<const actor_record*> meshes;
        for (const actor_record* a : actor_list(scene)) {
            actors.emplace_back(a->name, a->is_null == 1);
            if (a->is_null == 0) {
                meshes.push_back(a);
            }
        }
        EXPECT_EQ(actors, c.actors);
        // One geometry per mesh actor, in order, each for its own object.
        std::vector<const actor_record*> geometry_actors;
        for (const geometry_record* g = scene.geometries; g != nullptr; g = g->next) {
            geometry_actors.push_back(g->actor);
            EXPECT_EQ(g->object, objects[static_cast<std::size_t>(g->actor->id)]);
            EXPECT_NE(g->material, nullptr);
        }
        EXPECT_EQ(geometry_actors, meshes);
        EXPECT_EQ(scene.material_count(), meshes.empty() ? 0u : 1u);
    }
}

TEST(ObjectWalk, VertexCountFromTheHostDecides)
{
    standin::host host;
    host_object& root = host.root(type_world);
    add_mesh(root, "claims_none", 5).faults.vertex_count = -1;
    add_mesh(root, "claims_three", 0).faults.vertex_count = 3;
    export_scene scene;
    ASSERT_TRUE(walk(root, scene));
    const auto actors = actor_list(scene);
    ASSERT_EQ(actors.size(), 2u);
    EXPECT_EQ(actors[0]->is_null, 1);
    // Three claimed, none listed: a mesh actor whose centroid is 0, 0, 0 and
    // whose palette index, with no triangle to give it, is 0.
    EXPECT_EQ(actors[1]->is_null, 0);
    EXPECT_EQ(actors[1]->end_point.x, 0.0f);
    ASSERT_NE(scene.materials, nullptr);
    EXPECT_EQ(scene.materials->palette_index, 0);
}

TEST(ObjectWalk, NullActorEndPointIsOriginRaisedInSinglePrecision)
{
    standin::host host;
    host_object& object = host.root(type_poly);
    object.name = "NULL_hip";
    object.set_centre(1.5f, -2.0f, 0.1429585963487625f);
    for (int i = 0; i < 500; ++i) {
        object.add_vertex(9, 9, 9);
    }
    export_scene scene;
    ASSERT_TRUE(walk(object, scene));
    ASSERT_NE(scene.actors, nullptr);
    const actor_record& actor = *scene.actors;
    EXPECT_EQ(actor.origin.x, 1.5f);
    EXPECT_EQ(actor.origin.y, -2.0f);
    EXPECT_EQ(actor.origin.z, 0.1429585963487625f);
    EXPECT_EQ(actor.end_point.x, 1.5f);
    EXPECT_EQ(actor.end_point.y, -2.0f);
    // The single-precision sum; the sum in double, rounded after, gives
    // 0.24295859038829803.
    EXPECT_EQ(actor.end_point.z, 0.24295860528945923f);
    EXPECT_EQ(scene.geometries, nullptr);
    EXPECT_EQ(scene.materials, nullptr);
}

TEST(ObjectWalk, MeshEndPointIsTheCentroidOfEveryListedVertex)
{
    standin::host host;
    host_object& root = host.root(type_world);
    host_object& box = root.add_child(type_poly, "box");
    box.set_centre(5, 5, 5);
    box.add_vertex(0, 0, 0);
    box.add_vertex(3, 0, 0);
    box.add_vertex(0, 3, 0);
    box.add_vertex(1, 1, 9);  // used by no surface
    box.add_triangle(0, 1, 2);
    // Summed in single precision in list order: 1e8 + 1 is 1e8, so x comes
    // to 0, not 1/3.
    host_object& far = root.add_child(type_poly, "far");
    far.add_vertex(1e8f, 0, 0);
    far.add_vertex(1, 0, 0);
    far.add_vertex(-1e8f, 0, 6);
    far.add_triangle(0, 1, 2);
    host_object& lost = root.add_child(type_poly, "lost");
    lost.add_vertex(1, 1, 1);
    lost.add_vertex(2, 2, 2);
    lost.add_vertex(3, 3, 3);
    lost.faults.null_vertex_list = true;

    export_scene scene;
    ASSERT_TRUE(walk(root, scene));
    const auto actors = actor_list(scene);
    ASSERT_EQ(actors.size(), 3u);
    auto point = [](const vec3& v) { return std::vector<float>{v.x, v.y, v.z}; };
    EXPECT_EQ(point(actors[0]->origin), (std::vector<float>{5, 5, 5}));
    EXPECT_EQ(point(actors[0]->end_point), (std::vector<float>{1, 1, 2.25f}));
    EXPECT_EQ(point(actors[1]->end_point), (std::vector<float>{0, 0, 2}));
    EXPECT_EQ(point(actors[2]->end_point), (std::vector<float>{0, 0, 0}));
    EXPECT_EQ(actors[2]->is_null, 0);
    EXPECT_EQ(point(vertex_centroid(&box)), (std::vector<float>{1, 1, 2.25f}));
}

TEST(ObjectWalk, TextureNameIsTheFileNameOfThePath)
{
    struct texture_case {
        std::optional<std::string> path;  // nullopt: untextured
        std::string texture_name;
    };
    const texture_case cases[] = {
        {"C:\\textures\\Wood.PNG", "Wood.PNG"},
        {"/home/me/tex/bark.jpg", "bark.jpg"},
        {"tex/sub\\mixed.name/leaf", "leaf"},
        {"C:wood.png", "wood.png"},
        {"wood.png", "wood.png"},
        {"C:\\tex\\a\nb\r.png", "a_b_.png"},
        {"C:\\tex\\", ""},
        // Longer than any path the host can hold: kept whole.
        {"D:\\" + std::string(1100, 'd') + "\\long.png", "long.png"},
        {std::string(1500, 'n') + ".png", std::string(1500, 'n') + ".png"},
        {std::nullopt, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path.value_or("(untextured)").substr(0, 40));
        standin::host host;
        host_object& object = host.root(type_poly);
        for (int i = 0; i < 3; ++i) {
            object.add_vertex(0, 0, 0);
        }
        object.add_triangle(0, 1, 2);
        if (c.path) {
            object.set_texture(*c.path);
        }
        export_scene scene;
        ASSERT_TRUE(walk(object, scene));
        ASSERT_NE(scene.materials, nullptr);
        EXPECT_EQ(scene.materials->texture_name, c.texture_name);
        EXPECT_EQ(scene.material_count(), 1u);
    }
}

TEST(ObjectWalk, TexturedObjectWithoutPathGetsEmptyTextureName)
{
    standin::host host;
    host_object& root = host.root(type_world);
    host_object& plain = add_mesh(root, "plain", 3, 4);
    host_object& lost = add_mesh(root, "lost", 3, 4);
    lost.set_texture("C:\\tex\\gone.png");
    lost.faults.null_texture_path = true;
    export_scene scene;
    ASSERT_TRUE(walk(root, scene));
    // Both untextured as far as the material goes: they share one.
    ASSERT_EQ(scene.material_count(), 1u);
    EXPECT_EQ(scene.materials->texture_name, "");
    EXPECT_EQ(scene.geometries->material, scene.geometries->next->material);
    EXPECT_EQ(scene.geometries->object, &plain);
}

TEST(ObjectWalk, PaletteIndexOfTheFirstTriangleAndListsReleased)
{
    standin::host host;
    host_object& root = host.root(type_world);
    for (int i = 0; i < 5; ++i) {
        standin::palette_material entry;
        entry.name = "p" + std::to_string(i);
        host.add_material(entry);
    }
    host_object& two = add_mesh(root, "two", 3, 3);
    two.add_triangle(0, 1, 2, 1);
    // Three vertices and no triangle: palette index 0.
    host_object& bare = root.add_child(type_poly, "bare");
    for (int i = 0; i < 3; ++i) {
        bare.add_vertex(0, 0, static_cast<float>(i));
    }
    add_mesh(root, "again", 3, 3);
    export_scene scene;
    ASSERT_TRUE(walk(root, scene));
    std::vector<std::pair<std::int32_t, std::string>> materials;
    for (const material_record* m = scene.materials; m != nullptr; m = m->next) {
        materials.emplace_back(m->palette_index, m->name);
    }
    EXPECT_EQ(materials, (std::vector<std::pair<std::int32_t, std::string>>{{3, "p3"}, {0, "p0"}}));
    EXPECT_EQ(host.handed_out(), 2u);
    EXPECT_EQ(host.outstanding(), 0u);
}

// Far deeper than the machine stack would allow one call per level: groups
// and actors alternate, so every actor's parent is the actor two levels up.
TEST(ObjectWalk, DeepChainWalksWithoutExhaustingTheStack)
{
    constexpr int depth = 200000;
    standin::host host;
    host_object* object = &host.root(type_poly);
    for (int level = 1; level < depth; ++level) {
        object = &object->add_child(level % 2 == 0 ? type_poly : type_group);
    }
    export_scene scene;
    ASSERT_TRUE(walk(host.root(), scene));
    ASSERT_EQ(scene.actor_count(), static_cast<std::size_t>(depth / 2));
    for (const actor_record* a = scene.actors; a != nullptr; a = a->next) {
        ASSERT_EQ(a->parent_id, a->id - 1);
    }
    EXPECT_EQ(scene.last_actor()->name, "object_" + std::to_string(depth / 2 - 1));
}

// A wide flat scene: 100,000 unnamed meshes under one group. Names run
// object, object_1, ...; every actor after the first hangs from the first.
TEST(ObjectWalk, HundredThousandObjectsWalkAndLink)
{
    constexpr int count = 100000;
    standin::host host;
    host_object& root = host.root(type_world);
    for (int i = 0; i < count; ++i) {
        host_object& mesh = add_mesh(root, std::nullopt, 3, static_cast<std::uint16_t>(i % 7));
        if (i % 10 == 0) {
            mesh.set_texture(i % 20 == 0 ? "C:\\tex\\Skin.png" : "skin.PNG");
        }
    }
    export_scene scene;
    ASSERT_TRUE(walk(root, scene));
    link_actor_parents(scene);
    ASSERT_EQ(scene.actor_count(), static_cast<std::size_t>(count));
    ASSERT_EQ(scene.geometry_count(), static_cast<std::size_t>(count));
    // Seven untextured, and the seven with the one texture in two spellings.
    EXPECT_EQ(scene.material_count(), 14u);
    const actor_record* first = scene.actors;
    EXPECT_EQ(first->name, "object");
    EXPECT_EQ(first->parent, nullptr);
    EXPECT_EQ(first->child, scene.last_actor());
    int position = 0;
    for (const actor_record* a = first->next; a != nullptr; a = a->next) {
        ++position;
        ASSERT_EQ(a->name, "object_" + std::to_string(position));
        ASSERT_EQ(a->parent, first);
        ASSERT_EQ(a->child, nullptr);
    }
    EXPECT_EQ(host.outstanding(), 0u);
}

}  // namespace
}  // namespace vellumark
