// The material registry: one material per distinct palette index and texture
// name.
#ifndef VELLUMARK_SCENE_MATERIAL_REGISTRY_H
#define VELLUMARK_SCENE_MATERIAL_REGISTRY_H

#include <cstdint>
#include <string_view>

#include "scene/records.h"

namespace vellumark {

// Stores the found or new material in `slot`; false (slot null) when a new
// material could not be allocated.
bool find_or_add_material(export_scene& scene, std::string_view texture_name, std::int32_t palette_index,
                          material_record*& slot);

}  // namespace vellumark

#endif
