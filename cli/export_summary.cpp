#include "cli/export_summary.h"

#include <cstdint>

#include "scene/object_walk.h"
#include "scene/records.h"
#include "standin/standin_host.h"

namespace vellumark::cli {
namespace {

std::string counted(std::size_t count, const char* singular, const char* plural)
{
    return std::to_string(count) + " " + (count == 1 ? singular : plural);
}

std::string joined(const std::array<std::string, 3>& files, const std::array<bool, 3>& written, bool which)
{
    std::string list;
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (written[i] == which) {
            list += (list.empty() ? "" : ", ") + files[i];
        }
    }
    return list;
}

}  // namespace

std::optional<export_counts> count_export(host_object* object)
{
    export_scene scene;
    std::int32_t actor_counter = 0;
    if (object == nullptr || !collect_actors(object, scene, -1, -1, actor_counter)) {
        return std::nullopt;
    }
    export_counts counts;
    for (const actor_record* actor = scene.actors; actor != nullptr; actor = actor->next) {
        ++counts.actors;
        counts.null_actors += actor->is_null != 0 ? 1 : 0;
    }
    for (const geometry_record* geometry = scene.geometries; geometry != nullptr; geometry = geometry->next) {
        ++counts.meshes;
        counts.triangles += geometry->object->triangle_count();
    }
    for (const material_record* material = scene.materials; material != nullptr; material = material->next) {
        ++counts.materials;
    }
    return counts;
}

std::string format_summary(const std::string& input, const export_counts& counts,
                           const std::array<std::string, 3>& files, const std::array<bool, 3>& written)
{
    std::string line = input + ": " + counted(counts.actors, "actor", "actors") + " (" +
                       std::to_string(counts.null_actors) + " null), " +
                       counted(counts.meshes, "mesh", "meshes") + ", " +
                       counted(counts.materials, "material", "materials") + ", " +
                       counted(counts.triangles, "triangle", "triangles");
    const std::string done = joined(files, written, true);
    const std::string failed = joined(files, written, false);
    if (!done.empty()) {
        line += "; wrote " + done;
    }
    if (!failed.empty()) {
        line += "; not written: " + failed;
    }
    return line;
}

}  // namespace vellumark::cli
