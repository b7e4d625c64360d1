// The material library: one entry per material of the export, in the order in
// which the materials were first asked for, written to the base path followed
// by ".mtl".
#ifndef VELLUMARK_WAVEFRONT_MTL_WRITER_H
#define VELLUMARK_WAVEFRONT_MTL_WRITER_H

#include <string>

#include "scene/records.h"

namespace vellumark {

// Shows "Could not write to file %s." unless silent when the file cannot be
// created or finished; the target is then left as it was.
void write_mtl_file(const export_scene& scene, const std::string& base_path, int silent);

}  // namespace vellumark

#endif
