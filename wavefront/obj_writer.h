// The geometry file: every mesh of the export as one shared pool of vertex
// positions, texture coordinates and normals, then one group per mesh actor
// with its material and faces, written to the base path followed by ".obj".
#ifndef VELLUMARK_WAVEFRONT_OBJ_WRITER_H
#define VELLUMARK_WAVEFRONT_OBJ_WRITER_H

#include <string>

#include "scene/records.h"

namespace vellumark {

// Sets first_vertex and first_uv of every geometry and changes nothing else.
// Shows "Could not write to file %s." unless silent when the file cannot be
// created (then nothing is written and no record is changed) or finished (the
// target is then left as it was).
void write_obj_file(export_scene& scene, const std::string& base_path, int silent);

}  // namespace vellumark

#endif
