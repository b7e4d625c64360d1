#ifndef VELLUMARK_PZ3_PZ3_WRITER_H
#define VELLUMARK_PZ3_PZ3_WRITER_H

#include <string>

#include "scene/records.h"

namespace vellumark {

void write_pz3_file(const export_scene& scene, const std::string& base_path, int silent);

}  // namespace vellumark

#endif
