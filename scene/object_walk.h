// The object-tree walk: one actor per object of type 0, one geometry per
// actor that carries a mesh, and through the registry the mesh's material.
#ifndef VELLUMARK_SCENE_OBJECT_WALK_H
#define VELLUMARK_SCENE_OBJECT_WALK_H

#include <cstdint>

#include "host/ac3d_host.h"
#include "scene/records.h"

namespace vellumark {

// Walks the tree below `object` depth first and fills the scene. False when a
// record could not be allocated; what was built stays in the scene.
bool collect_actors(host_object* object, export_scene& scene, std::int32_t candidate_parent_id,
                    std::int32_t fallback_parent_id, std::int32_t& actor_counter);

// The mean of the object's vertices, in single precision and list order.
vec3 vertex_centroid(host_object* object);

}  // namespace vellumark

#endif
