#include "scene/material_registry.h"

#include <string>

#include "host/ac3d_host.h"
#include "scene/name_registry.h"

namespace vellumark {
namespace {

// A material's name when its palette entry has none.
constexpr std::string_view unnamed_material = "no_name";

// The key of export_scene::material_index. Two requests share a material
// exactly when their keys are equal: same palette index, texture names equal
// without regard to ASCII case. The index has no ':' in it, so the key splits
// one way only.
std::string material_key(std::int32_t palette_index, std::string_view texture_name)
{
    return std::to_string(palette_index) + ':' + fold_ascii_case(texture_name);
}

vec3 rgb_value(host_entity* entity, const char* key)
{
    float rgb[3] = {0, 0, 0};
    ac_entity_get_rgb_value(entity, key, rgb);
    return {rgb[0], rgb[1], rgb[2]};
}

float float_value(host_entity* entity, const char* key)
{
    float value = 0;
    ac_entity_get_float_value(entity, key, &value);
    return value;
}

// The entry's name, or null when the host knows none.
const char* name_value(host_entity* entity)
{
    char* value = nullptr;
    if (ac_entity_get_string_value(entity, "name", &value) == 0) {
        return nullptr;
    }
    return value;
}

}  // namespace

bool find_or_add_material(export_scene& scene, std::string_view texture_name, std::int32_t palette_index,
                          material_record*& slot)
{
    // Materials are never removed and no two share a key, so the index finds
    // the one material that a search of the list from its head would find
    // first.
    std::string key = material_key(palette_index, texture_name);
    if (auto found = scene.material_index.find(key); found != scene.material_index.end()) {
        slot = found->second;
        return true;
    }
    material_record* material = scene.append_material();
    slot = material;
    if (material == nullptr) {
        return false;
    }
    // A palette index that names no entry reads as an entry without values.
    const char* host_name = nullptr;
    if (host_entity* entity = ac_palette_get_material(palette_index)) {
        material->ambient = rgb_value(entity, "ambient");
        material->diffuse = rgb_value(entity, "diffuse");
        material->specular = rgb_value(entity, "specular");
        material->emissive = rgb_value(entity, "emissive");
        material->shininess = float_value(entity, "shininess");
        material->transparency = float_value(entity, "transparency");
        host_name = name_value(entity);
    }
    material->palette_index = palette_index;
    material->texture_name = std::string(texture_name);
    material->name = scene.material_names.make_unique(base_name(host_name, unnamed_material));
    scene.material_index.emplace(std::move(key), material);
    return true;
}

}  // namespace vellumark
