// The records of one export: one actor per exported object, one geometry per
// actor that carries a mesh, one material per distinct palette material and
// texture. The walk and the registry append them; the writers read them.
//
// The lists are the linked lists that the writers walk (head first along
// `next`; the actors also back along `prev`). Every record is owned by its
// export_scene and released with it, actors first, then geometries, then
// materials.
#ifndef VELLUMARK_SCENE_RECORDS_H
#define VELLUMARK_SCENE_RECORDS_H

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "host/ac3d_host.h"
#include "scene/name_registry.h"

namespace vellumark {

struct vec3 {
    float x = 0, y = 0, z = 0;
};

struct actor_record {
    // Unique in the actor list without regard to ASCII case.
    std::string name;
    // The object's centre as the host reports it.
    vec3 origin;
    // Mesh actor: the centroid of the object's vertices; null actor: origin
    // with z raised by 0.1.
    vec3 end_point;
    // 0, 1, 2, ... in creation order: the actor's position in the list.
    std::int32_t id = 0;
    // The parent actor's id; -1 for none.
    std::int32_t parent_id = -1;
    // 1 for a null actor (no mesh), 0 for a mesh actor.
    std::uint8_t is_null = 1;
    // The actor whose id is parent_id.
    actor_record* parent = nullptr;
    // The last actor in list order whose parent is this one.
    actor_record* child = nullptr;
    actor_record* prev = nullptr;
    actor_record* next = nullptr;
};

struct material_record {
    material_record* next = nullptr;
    // The host palette index (0 to 65535).
    std::int32_t palette_index = 0;
    // Unique in the material list without regard to ASCII case.
    std::string name;
    // File-name part and extension of the texture path; empty when untextured.
    std::string texture_name;
    vec3 ambient;
    vec3 diffuse;
    vec3 specular;
    vec3 emissive;
    float shininess = 0;
    float transparency = 0;
};

struct geometry_record {
    geometry_record* next = nullptr;
    actor_record* actor = nullptr;
    material_record* material = nullptr;
    host_object* object = nullptr;
    // Set by the geometry writer: vertices listed before this geometry's
    // first one.
    std::int32_t first_vertex = 0;
    // Set by the geometry writer: texture-coordinate slots before this
    // geometry, three per triangle surface of each earlier geometry.
    std::int32_t first_uv = 0;
};

class export_scene {
public:
    export_scene() = default;
    ~export_scene();
    export_scene(const export_scene&) = delete;
    export_scene& operator=(const export_scene&) = delete;

    // List heads, null while empty.
    actor_record* actors = nullptr;
    geometry_record* geometries = nullptr;
    material_record* materials = nullptr;
    // The id that the next actor receives.
    std::int32_t next_actor_id = 0;

    // Appends a new record at the tail of its list, every field at its
    // default. Null when the allocation does not succeed; the list is then
    // unchanged.
    actor_record* append_actor();
    geometry_record* append_geometry();
    material_record* append_material();

    actor_record* last_actor() const { return actor_tail_; }
    std::size_t actor_count() const { return actor_store_.size(); }
    std::size_t geometry_count() const { return geometry_store_.size(); }
    std::size_t material_count() const { return material_store_.size(); }
    // The actor at a position of the list (its id), or null.
    actor_record* actor_at(std::int32_t position) const;

    // Once the walk is done the names are unique and the materials found:
    // the tables below are not needed by the writers, and a large scene's
    // are given back before the files are written.
    void release_walk_tables();

    // The names taken in each list, for name uniquing.
    name_registry actor_names;
    name_registry material_names;
    // The materials by palette index and case-folded texture name.
    std::unordered_map<std::string, material_record*> material_index;

private:
    std::vector<std::unique_ptr<actor_record>> actor_store_;
    std::vector<std::unique_ptr<geometry_record>> geometry_store_;
    std::vector<std::unique_ptr<material_record>> material_store_;
    actor_record* actor_tail_ = nullptr;
    geometry_record* geometry_tail_ = nullptr;
    material_record* material_tail_ = nullptr;
};

// Test seam for the one failure of the model: the record allocation that
// comes `count` allocations from now fails (0: the next one). A negative count
// lets every allocation succeed.
void fail_record_allocation_after(long long count);

}  // namespace vellumark

#endif
