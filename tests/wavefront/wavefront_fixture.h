// A scene built by hand for the writer tests: actors, materials and
// geometries appended directly, over objects of the stand-in host.
#ifndef VELLUMARK_TESTS_WAVEFRONT_WAVEFRONT_FIXTURE_H
#define VELLUMARK_TESTS_WAVEFRONT_WAVEFRONT_FIXTURE_H

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <system_error>

#include "scene/records.h"
#include "standin/standin_host.h"
#include "tests/support/test_files.h"

namespace vellumark::testing {

class wavefront_test : public ::testing::Test {
protected:
    material_record& add_material(const std::string& name, const std::string& texture = "")
    {
        material_record* material = scene.append_material();
        material->name = name;
        material->texture_name = texture;
        return *material;
    }

    // A host object of type 0 with no vertices yet.
    host_object& add_object(const std::string& name) { return host.add_object(nullptr, standin::type_poly, name); }

    // A mesh actor with its geometry over the object.
    geometry_record& add_mesh(const std::string& actor_name, host_object& object, material_record& material)
    {
        actor_record* actor = scene.append_actor();
        actor->name = actor_name;
        actor->is_null = 0;
        geometry_record* geometry = scene.append_geometry();
        geometry->actor = actor;
        geometry->material = &material;
        geometry->object = &object;
        return *geometry;
    }

    void add_null_actor(const std::string& name)
    {
        actor_record* actor = scene.append_actor();
        actor->name = name;
        actor->is_null = 1;
    }

    standin::host host;
    export_scene scene;
    scratch_dir dir;
};

// Runs its scope in another working directory, for base paths without a
// directory.
class working_directory {
public:
    explicit working_directory(const std::filesystem::path& path) : previous_(std::filesystem::current_path())
    {
        std::filesystem::current_path(path);
    }
    ~working_directory()
    {
        std::error_code ignored;
        std::filesystem::current_path(previous_, ignored);
    }
    working_directory(const working_directory&) = delete;
    working_directory& operator=(const working_directory&) = delete;

private:
    std::filesystem::path previous_;
};

}  // namespace vellumark::testing

#endif
