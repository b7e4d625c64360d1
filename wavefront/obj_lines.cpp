#include "wavefront/obj_lines.h"

#include "common/number_format.h"

namespace vellumark {

void write_mtllib_line(output_file& out, std::string_view library)
{
    out.text("mtllib ");
    out.text(library);
    out.text('\n');
}

void write_vertex_line(output_file& out, float x, float y, float z)
{
    out.text("v ");
    out.number(x);
    out.text(' ');
    out.number(y);
    out.text(' ');
    out.number(z);
    out.text('\n');
}

void write_texture_coordinate_line(output_file& out, float u, float v)
{
    out.text("vt ");
    out.number(u);
    out.text(' ');
    out.number(v);
    out.text('\n');
}

void write_normal_line(output_file& out, float x, float y, float z)
{
    out.text("vn ");
    out.number(x);
    out.text(' ');
    out.number(y);
    out.text(' ');
    out.number(z);
    out.text('\n');
}

void write_empty_group_line(output_file& out) { out.text("g g0\n"); }

void write_group_line(output_file& out, std::string_view name)
{
    out.text("g ");
    out.text(name);
    out.text('\n');
}

void write_usemtl_line(output_file& out, std::string_view material)
{
    out.text("usemtl ");
    out.text(material);
    out.text('\n');
}

void write_smoothing_line(output_file& out) { out.text("s 1\n"); }

void write_face_start(output_file& out) { out.text('f'); }

void write_face_corner(output_file& out, long long vertex_number, long long slot_number)
{
    // The texture coordinate and the normal share the slot number: its
    // digits are formed once and written twice.
    char slot[max_integer_length + 4] = {};
    const std::size_t slot_length = format_integer(slot_number, slot);
    out.text(' ');
    out.integer(vertex_number);
    out.text('/');
    out.file_form_block(slot, slot_length);
    out.text('/');
    out.file_form_block(slot, slot_length);
}

void write_face_end(output_file& out) { out.text('\n'); }

}  // namespace vellumark
