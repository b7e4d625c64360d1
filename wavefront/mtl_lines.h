// The lines of the material library, one writer per kind of line; each holds
// its line's exact text. Colours are red, green, blue; every number is "%f".
#ifndef VELLUMARK_WAVEFRONT_MTL_LINES_H
#define VELLUMARK_WAVEFRONT_MTL_LINES_H

#include <string_view>

#include "common/output_file.h"
#include "scene/records.h"

namespace vellumark {

// "newmtl %s\n": opens a material's entry.
void write_newmtl_line(output_file& out, std::string_view name);
// "Kd %f %f %f\n"
void write_diffuse_line(output_file& out, const vec3& colour);
// "Ka %f %f %f\n"
void write_ambient_line(output_file& out, const vec3& colour);
// "Ks %f %f %f\n"
void write_specular_line(output_file& out, const vec3& colour);
// "Ke %f %f %f\n"
void write_emissive_line(output_file& out, const vec3& colour);
// "d %f\n": the opacity, a value computed in double precision.
void write_dissolve_line(output_file& out, double opacity);
// "Ns %f\n": the highlight exponent.
void write_specular_exponent_line(output_file& out, float exponent);
// "map_Kd %s\n": the diffuse texture's file name.
void write_diffuse_map_line(output_file& out, std::string_view texture);

}  // namespace vellumark

#endif
