#include "pz3/surface_lines.h"

namespace vellumark {

void write_preview_material(std::string& text, std::string_view kd_color, std::string_view ks_color)
{
    namespace line = surface_lines;
    text.append(line::material_head).append("Preview\n");
    text.append(line::open);
    text.append(line::kd_color).append(kd_color).append(line::colour_end);
    text.append(line::ka_color).append("0 0 0").append(line::colour_end);
    text.append(line::ks_color).append(ks_color).append(line::colour_end);
    text.append(line::texture_color);
    text.append(line::ns_exponent).append("50").append(line::scalar_end);
    text.append(line::t_min).append("0").append(line::scalar_end);
    text.append(line::t_max).append("0").append(line::scalar_end);
    text.append(line::fixed_options);
    text.append(line::no_texture_map);
    text.append(line::other_maps);
    text.append("\t\t}\n");
}

}  // namespace vellumark
