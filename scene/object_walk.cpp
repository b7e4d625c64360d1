#include "scene/object_walk.h"

#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "common/path_split.h"
#include "scene/material_registry.h"
#include "scene/name_registry.h"

namespace vellumark {
namespace {

// An object's actor name when the host gives none.
constexpr std::string_view unnamed_object = "object";
// A final name that begins so (exact case) makes a null actor.
constexpr std::string_view null_actor_prefix = "NULL_";
// An object with this many vertices or fewer carries no mesh.
constexpr int most_vertices_of_null_actor = 2;

// One object of the walk whose children are being visited: what the object's
// own step hands on to each child, and where the visit stands.
struct walk_frame {
    // The actor count when the object was entered: the id its actor got, or
    // the id the first actor of its subtree gets. Each child's candidate
    // parent id.
    std::int32_t entry_count = 0;
    // The object's candidate parent id, as replaced when it made an actor.
    std::int32_t candidate_parent_id = -1;
    // Each child's fallback parent id.
    std::int32_t fallback_parent_id = -1;
    host_list* children = nullptr;
    int child_count = 0;
    // The index and the list node of the next child to visit.
    int next_child = 0;
    host_list* next_node = nullptr;
};

// File-name part and extension of the object's texture path; empty when it
// has no texture or the host gives no path. The path is kept whole however
// long it is.
std::string texture_name_of(host_object* object)
{
    if (ac_object_has_texture(object) == 0) {
        return {};
    }
    const char* path = texture_id_to_name(ac_object_get_texture_index(object));
    if (path == nullptr) {
        return {};
    }
    return file_name_with_extension(replace_line_breaks(path));
}

// The palette index of the object's first triangle surface; 0 when it has
// none.
std::int32_t first_palette_index(host_object* object)
{
    host_list* surfaces = ac_object_get_triangle_surfaces(object);
    if (surfaces == nullptr) {
        return 0;
    }
    std::int32_t palette_index = 0;
    if (const auto* first = static_cast<const host_surface*>(list_get_item(surfaces, 0))) {
        palette_index = first->palette_index;
    }
    ac_surfacelist_free(&surfaces);
    return palette_index;
}

// The actor of an object of type 0: its record, name, origin, end point and
// parent id, and for a mesh actor its geometry and material. False when a
// record could not be allocated.
bool add_actor(host_object* object, export_scene& scene, std::int32_t parent_id)
{
    actor_record* actor = scene.append_actor();
    if (actor == nullptr) {
        return false;
    }
    actor->parent_id = parent_id;
    if (const host_point3* centre = ac_object_get_centre(object)) {
        actor->origin = {centre->x, centre->y, centre->z};
    }
    actor->id = scene.next_actor_id;
    actor->is_null = 1;
    actor->name = scene.actor_names.make_unique(base_name(ac_object_get_name(object), unnamed_object));
    actor->end_point = actor->origin;
    actor->end_point.z = actor->origin.z + 0.1f;
    ++scene.next_actor_id;

    if (actor->name.starts_with(null_actor_prefix) ||
        ac_object_get_num_vertices(object) <= most_vertices_of_null_actor) {
        return true;
    }
    actor->is_null = 0;
    actor->end_point = vertex_centroid(object);

    geometry_record* geometry = scene.append_geometry();
    if (geometry == nullptr) {
        return false;
    }
    geometry->actor = actor;
    geometry->object = object;
    const std::string texture_name = texture_name_of(object);
    const std::int32_t palette_index = first_palette_index(object);
    return find_or_add_material(scene, texture_name, palette_index, geometry->material);
}

// Everything the walk does for one object before its children: its actor
// when it is of type 0, then the ids that it hands on. Fills the frame for
// the visit of its children.
bool enter_object(host_object* object, export_scene& scene, std::int32_t candidate_parent_id,
                  std::int32_t fallback_parent_id, std::int32_t& actor_counter, walk_frame& frame)
{
    const std::int32_t entry_count = actor_counter;
    if (ac_object_get_type(object) == 0) {
        // No actor since the parent was entered: attach where the parent
        // itself would have been attached.
        if (candidate_parent_id == entry_count) {
            candidate_parent_id = fallback_parent_id;
        }
        if (!add_actor(object, scene, candidate_parent_id)) {
            return false;
        }
        actor_counter = entry_count + 1;
    }
    if (candidate_parent_id != entry_count) {
        fallback_parent_id = candidate_parent_id;
    }
    frame.entry_count = entry_count;
    frame.candidate_parent_id = candidate_parent_id;
    frame.fallback_parent_id = fallback_parent_id;
    frame.children = ac_object_get_childrenlist(object);
    frame.child_count = ac_object_get_num_children(object);
    frame.next_child = 0;
    frame.next_node = frame.children;
    return true;
}

// Depth first, children in the host's order. The objects whose children are
// being visited are kept on a stack of frames of our own, so the depth of the
// tree is bounded by memory, not by the machine stack.
bool walk(host_object* root, export_scene& scene, std::int32_t candidate_parent_id,
          std::int32_t fallback_parent_id, std::int32_t& actor_counter)
{
    std::vector<walk_frame> stack(1);
    if (!enter_object(root, scene, candidate_parent_id, fallback_parent_id, actor_counter, stack.back())) {
        return false;
    }
    while (!stack.empty()) {
        walk_frame& frame = stack.back();
        // The children list is followed node by node: with the host's lists,
        // fetching each child by its index would cost time in proportion to
        // the index.
        if (frame.next_child >= frame.child_count || frame.next_node == nullptr) {
            stack.pop_back();
            continue;
        }
        auto* child = static_cast<host_object*>(frame.next_node->item);
        frame.next_node = frame.next_node->next;
        ++frame.next_child;
        if (child == nullptr) {
            continue;
        }
        const std::int32_t child_candidate = frame.entry_count;
        const std::int32_t child_fallback = frame.fallback_parent_id;
        // `frame` may move when the stack grows.
        walk_frame& child_frame = stack.emplace_back();
        if (!enter_object(child, scene, child_candidate, child_fallback, actor_counter, child_frame)) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool collect_actors(host_object* object, export_scene& scene, std::int32_t candidate_parent_id,
                    std::int32_t fallback_parent_id, std::int32_t& actor_counter)
{
    try {
        return walk(object, scene, candidate_parent_id, fallback_parent_id, actor_counter);
    } catch (const std::bad_alloc&) {
        // A name or the walk's own stack could not grow: the same failure as
        // a record that cannot be allocated.
        return false;
    }
}

vec3 vertex_centroid(host_object* object)
{
    vec3 sum;
    host_list* vertices = ac_object_get_vertexlist(object);
    if (vertices == nullptr) {
        return sum;
    }
    std::int32_t count = 0;
    for (host_list* node = vertices; node != nullptr; node = node->next) {
        const auto* vertex = static_cast<const host_vertex*>(node->item);
        if (vertex == nullptr) {
            continue;
        }
        ++count;
        sum.x += vertex->x;
        sum.y += vertex->y;
        sum.z += vertex->z;
    }
    if (count > 0) {
        const auto divisor = static_cast<float>(count);
        sum.x /= divisor;
        sum.y /= divisor;
        sum.z /= divisor;
    }
    return sum;
}

}  // namespace vellumark
