#include "wavefront/mtl_lines.h"

namespace vellumark {
namespace {

// The keyword (with its blank) and the three components.
void write_colour_line(output_file& out, std::string_view keyword, const vec3& colour)
{
    out.text(keyword);
    out.number(colour.x);
    out.text(' ');
    out.number(colour.y);
    out.text(' ');
    out.number(colour.z);
    out.text('\n');
}

}  // namespace

void write_newmtl_line(output_file& out, std::string_view name)
{
    out.text("newmtl ");
    out.text(name);
    out.text('\n');
}

void write_diffuse_line(output_file& out, const vec3& colour) { write_colour_line(out, "Kd ", colour); }

void write_ambient_line(output_file& out, const vec3& colour) { write_colour_line(out, "Ka ", colour); }

void write_specular_line(output_file& out, const vec3& colour) { write_colour_line(out, "Ks ", colour); }

void write_emissive_line(output_file& out, const vec3& colour) { write_colour_line(out, "Ke ", colour); }

void write_dissolve_line(output_file& out, double opacity)
{
    out.text("d ");
    out.number(opacity);
    out.text('\n');
}

void write_specular_exponent_line(output_file& out, float exponent)
{
    out.text("Ns ");
    out.number(exponent);
    out.text('\n');
}

void write_diffuse_map_line(output_file& out, std::string_view texture)
{
    out.text("map_Kd ");
    out.text(texture);
    out.text('\n');
}

}  // namespace vellumark
