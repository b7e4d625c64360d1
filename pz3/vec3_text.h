// A position or colour as the scene file writes it: three numbers of the
// number format, one blank apart.
#ifndef VELLUMARK_PZ3_VEC3_TEXT_H
#define VELLUMARK_PZ3_VEC3_TEXT_H

#include "common/output_file.h"
#include "scene/records.h"

namespace vellumark {

void write_vec3(output_file& out, const vec3& value);

}  // namespace vellumark

#endif
