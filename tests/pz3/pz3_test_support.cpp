#include "tests/pz3/pz3_test_support.h"

#include <gtest/gtest.h>

#include "tests/support/test_files.h"

namespace vellumark::testing {

void add_actors(export_scene& scene, const std::vector<actor_input>& actors)
{
    std::vector<actor_record*> records;
    for (const actor_input& input : actors) {
        actor_record* actor = scene.append_actor();
        actor->name = input.name;
        actor->is_null = input.is_null ? 1 : 0;
        actor->origin = input.origin;
        actor->end_point = input.end_point;
        actor->id = scene.next_actor_id++;
        actor->parent_id = input.parent;
        records.push_back(actor);
    }
    for (actor_record* actor : records) {
        if (actor->parent_id >= 0) {
            actor->parent = records.at(static_cast<std::size_t>(actor->parent_id));
            actor->parent->child = actor;
        }
    }
}

void add_materials(export_scene& scene, const std::vector<material_input>& materials)
{
    std::int32_t index = 0;
    for (const material_input& input : materials) {
        material_record* material = scene.append_material();
        material->palette_index = index++;
        material->name = input.name;
        material->texture_name = input.texture;
        material->diffuse = input.diffuse;
        material->ambient = input.ambient;
        material->specular = input.specular;
        material->emissive = input.emissive;
        material->shininess = input.shininess;
        material->transparency = input.transparency;
    }
}

std::string written(const std::function<void(output_file&)>& write)
{
    scratch_dir dir;
    const std::string path = dir.file("out.txt");
    {
        output_file out(path);
        EXPECT_TRUE(out.is_open());
        write(out);
        EXPECT_TRUE(out.commit());
    }
    return read_file(path).value_or("<unreadable>");
}

}  // namespace vellumark::testing
