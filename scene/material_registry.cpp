#include "scene/material_registry.h"

namespace vellumark {

bool find_or_add_material(export_scene&, std::string_view, std::int32_t, material_record*& slot)
{
    slot = nullptr;
    return false;
}

}  // namespace vellumark
