#include "pz3/material_sections.h"

#include <span>
#include <string_view>

#include "pz3/shader_inputs.h"
#include "pz3/surface_lines.h"
#include "pz3/vec3_text.h"

namespace vellumark {
namespace {

// Highlight_Size: the exponent brought to 0..1 for 0..128, in double
// precision (shininess / 128, exactly).
double roughness(const material_record& material) { return static_cast<double>(material.shininess) * 0.0078125; }

void write_input_value(output_file& out, const shader_input& input, const material_record& material)
{
    switch (input.value) {
    case input_value::none:
        break;
    case input_value::diffuse:
        write_vec3(out, material.diffuse);
        break;
    case input_value::specular:
        write_vec3(out, material.specular);
        break;
    case input_value::ambient:
        write_vec3(out, material.ambient);
        break;
    case input_value::roughness:
        out.number(roughness(material));
        break;
    case input_value::transparency:
        out.number(material.transparency);
        break;
    }
    out.text(input.value_text);
}

// A node input block, ten lines. Only the file line ends in a blank.
void write_node_input(output_file& out, const shader_input& input, const material_record& material, bool textured)
{
    out.text("\t\t\t\tnodeInput \"");
    out.text(input.key);
    out.text("\"\n"
             "\t\t\t\t\t{\n"
             "\t\t\t\t\tname \"");
    out.text(input.name);
    out.text("\"\n"
             "\t\t\t\t\tvalue ");
    write_input_value(out, input, material);
    out.text("\n"
             "\t\t\t\t\tparmR NO_PARM\n"
             "\t\t\t\t\tparmG NO_PARM\n"
             "\t\t\t\t\tparmB NO_PARM\n");
    out.text(input.fed_by_texture && textured ? "\t\t\t\t\tnode \"Image_Map\"\n" : "\t\t\t\t\tnode NO_NODE\n");
    out.text("\t\t\t\t\tfile \"");
    if (input.names_texture) {
        out.text(material.texture_name);
    }
    out.text("\" \n"
             "\t\t\t\t\t}\n");
}

void write_node_inputs(output_file& out, std::span<const shader_input> inputs, const material_record& material,
                       bool textured)
{
    for (const shader_input& input : inputs) {
        write_node_input(out, input, material, textured);
    }
}

void write_surface_lines(output_file& out, const material_record& material, bool textured)
{
    namespace line = surface_lines;
    out.text(line::material_head);
    out.text(material.name);
    out.text("\n");
    out.text(line::open);
    out.text(line::kd_color);
    write_vec3(out, material.diffuse);
    out.text(line::colour_end);
    out.text(line::ka_color);
    write_vec3(out, material.ambient);
    out.text(line::colour_end);
    out.text(line::ks_color);
    write_vec3(out, material.specular);
    out.text(line::colour_end);
    out.text(line::texture_color);
    out.text(line::ns_exponent);
    out.number(material.shininess);
    out.text(line::scalar_end);
    out.text(line::t_min);
    out.number(material.transparency);
    out.text(line::scalar_end);
    out.text(line::t_max);
    out.number(material.transparency);
    out.text(line::scalar_end);
    out.text(line::fixed_options);
    if (textured) {
        out.text(line::texture_map_head);
        out.text(material.texture_name);
        out.text(line::texture_map_end);
    } else {
        out.text(line::no_texture_map);
    }
    out.text(line::other_maps);
}

}  // namespace

void write_material_section(output_file& out, const material_record& material)
{
    const bool textured = !material.texture_name.empty();
    write_surface_lines(out, material, textured);
    out.text("\t\tshaderTree\n"
             "\t\t\t{\n"
             "\t\t\tnode \"poser\" \"PoserSurface\"\n"
             "\t\t\t\t{\n"
             "\t\t\t\tname \"PoserSurface\"\n"
             "\t\t\t\tpos 10 10\n"
             "\t\t\t\tshowPreview 1\n");
    write_node_inputs(out, poser_surface_inputs, material, textured);
    out.text("\t\t\t\t}\n");
    if (textured) {
        out.text("\t\t\tnode \"image_map\" \"Image_Map\"\n"
                 "\t\t\t\t{\n"
                 "\t\t\t\tname \"Image_Map\"\n"
                 "\t\t\t\tpos 271 47\n");
        write_node_inputs(out, image_map_inputs, material, textured);
        out.text("\t\t\t\t}\n");
    }
    // The shader tree and the section close two tabs deeper than they
    // opened.
    out.text("\t\t\t\t\t}\n"
             "\t\t\t\t}\n");
}

void write_material_sections(output_file& out, const export_scene& scene)
{
    for (const material_record* material = scene.materials; material != nullptr; material = material->next) {
        write_material_section(out, *material);
    }
}

}  // namespace vellumark
