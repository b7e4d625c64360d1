#include "wavefront/mtl_writer.h"

#include "common/messages.h"
#include "common/output_file.h"
#include "wavefront/mtl_lines.h"

namespace vellumark {
namespace {

// One material's entry: newmtl, Kd, Ka, Ks, Ke, d, Ns and, with a texture,
// map_Kd.
void write_material_entry(output_file& out, const material_record& material)
{
    write_newmtl_line(out, material.name);
    write_diffuse_line(out, material.diffuse);
    write_ambient_line(out, material.ambient);
    write_specular_line(out, material.specular);
    write_emissive_line(out, material.emissive);
    // The library holds opacity where the record holds transparency.
    write_dissolve_line(out, 1.0 - static_cast<double>(material.transparency));
    write_specular_exponent_line(out, material.shininess);
    if (!material.texture_name.empty()) {
        write_diffuse_map_line(out, material.texture_name);
    }
}

}  // namespace

void write_mtl_file(const export_scene& scene, const std::string& base_path, int silent)
{
    output_file out(base_path + ".mtl");
    if (!out.is_open()) {
        report_write_failure(out.target(), silent);
        return;
    }
    for (const material_record* material = scene.materials; material != nullptr; material = material->next) {
        write_material_entry(out, *material);
    }
    if (!out.commit()) {
        report_write_failure(out.target(), silent);
    }
}

}  // namespace vellumark
