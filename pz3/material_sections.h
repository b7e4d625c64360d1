// One material section per material of the export, inside the figure block:
// the surface lines and a shader tree, a "PoserSurface" root node and, for a
// textured material, an "Image_Map" node that feeds its diffuse colour.
#ifndef VELLUMARK_PZ3_MATERIAL_SECTIONS_H
#define VELLUMARK_PZ3_MATERIAL_SECTIONS_H

#include "common/output_file.h"
#include "scene/records.h"

namespace vellumark {

// One section per material, head first; nothing for an empty list.
void write_material_sections(output_file& out, const export_scene& scene);

// One material's section: 290 lines, 426 with a texture.
void write_material_section(output_file& out, const material_record& material);

}  // namespace vellumark

#endif
