#ifndef VELLUMARK_WAVEFRONT_MTL_WRITER_H
#define VELLUMARK_WAVEFRONT_MTL_WRITER_H

#include <string>

#include "scene/records.h"

namespace vellumark {

void write_mtl_file(export_scene& scene, const std::string& base_path, int silent);

}  // namespace vellumark

#endif
