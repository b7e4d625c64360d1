// The lines of the geometry file, one writer per kind of line; each holds its
// line's exact text. A face line is written in pieces: its start, one piece per
// corner, its end.
//
// Numbers go straight into the output buffer: "%f" for coordinates, "%d" for
// the face numbers.
#ifndef VELLUMARK_WAVEFRONT_OBJ_LINES_H
#define VELLUMARK_WAVEFRONT_OBJ_LINES_H

#include <string_view>

#include "common/output_file.h"

namespace vellumark {

// "mtllib %s\n": the material library that the file's groups select from.
void write_mtllib_line(output_file& out, std::string_view library);
// "v %f %f %f\n": a vertex position.
void write_vertex_line(output_file& out, float x, float y, float z);
// "vt %f %f\n": the texture coordinates of one corner.
void write_texture_coordinate_line(output_file& out, float u, float v);
// "vn %f %f %f\n": the normal of one corner.
void write_normal_line(output_file& out, float x, float y, float z);
// "g g0\n": the empty group that stands before the first real group.
void write_empty_group_line(output_file& out);
// "g %s\n": a group, named after its actor.
void write_group_line(output_file& out, std::string_view name);
// "usemtl %s\n": the material of the group.
void write_usemtl_line(output_file& out, std::string_view material);
// "s 1\n": every group is smoothing group 1.
void write_smoothing_line(output_file& out);

// A face line: "f", then " %d/%d/%d" per corner (the vertex number, then the
// corner's slot number for both its texture coordinates and its normal), then
// "\n".
void write_face_start(output_file& out);
void write_face_corner(output_file& out, long long vertex_number, long long slot_number);
void write_face_end(output_file& out);

}  // namespace vellumark

#endif
