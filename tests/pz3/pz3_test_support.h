// Helpers of the scene file tests: scenes built record by record, linked as
// the export driver links them, and the bytes that a writer step produces.
#ifndef VELLUMARK_TESTS_PZ3_PZ3_TEST_SUPPORT_H
#define VELLUMARK_TESTS_PZ3_PZ3_TEST_SUPPORT_H

#include <functional>
#include <string>
#include <vector>

#include "common/output_file.h"
#include "scene/records.h"

namespace vellumark::testing {

struct actor_input {
    std::string name;
    bool is_null = false;
    // Position in the list of the parent; -1 for none.
    int parent = -1;
    vec3 origin{};
    vec3 end_point{};
};

// Appends the actors in order and sets parent and child links: the parent
// by position, the child as the last actor in list order naming the parent.
void add_actors(export_scene& scene, const std::vector<actor_input>& actors);

struct material_input {
    std::string name;
    std::string texture;
    vec3 diffuse{}, ambient{}, specular{}, emissive{};
    float shininess = 0;
    float transparency = 0;
};

void add_materials(export_scene& scene, const std::vector<material_input>& materials);

// What `write` hands to an output file, as it reaches the disk.
std::string written(const std::function<void(output_file&)>& write);

}  // namespace vellumark::testing

#endif
