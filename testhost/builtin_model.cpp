#include "testhost/builtin_model.h"

#include <array>
#include <cstdint>

namespace vellumark::testhost {
namespace {

using standin::corner;

corner at(int vertex, float u, float v, float nx, float ny, float nz)
{
    corner c;
    c.vertex = vertex;
    c.u = u;
    c.v = v;
    c.nx = nx;
    c.ny = ny;
    c.nz = nz;
    return c;
}

// A box of eight vertices and twelve triangles around a centre, the faces
// alternating between two palette entries.
void add_box(host_object& object, float cx, float cy, float cz, float half, std::uint16_t first_material,
             std::uint16_t second_material)
{
    const int base = static_cast<int>(object.vertex_count());
    for (int i = 0; i < 8; ++i) {
        object.add_vertex(cx + ((i & 1) != 0 ? half : -half), cy + ((i & 2) != 0 ? half : -half),
                          cz + ((i & 4) != 0 ? half : -half));
    }
    static constexpr std::array<std::array<int, 3>, 12> faces{{{0, 2, 1},
                                                               {1, 2, 3},
                                                               {4, 5, 6},
                                                               {5, 7, 6},
                                                               {0, 1, 4},
                                                               {1, 5, 4},
                                                               {2, 6, 3},
                                                               {3, 6, 7},
                                                               {0, 4, 2},
                                                               {2, 4, 6},
                                                               {1, 3, 5},
                                                               {3, 7, 5}}};
    for (std::size_t f = 0; f < faces.size(); ++f) {
        const auto& face = faces[f];
        const float u = static_cast<float>(f) / 12.0f;
        object.add_triangle({at(base + face[0], u, 0.0f, 0.0f, 0.0f, -1.0f),
                             at(base + face[1], u, 0.5f, 0.0f, 0.0f, -1.0f),
                             at(base + face[2], 1.0f - u, 1.0f, 0.577350f, -0.577350f, 0.577350f)},
                            (f % 2 == 0) ? first_material : second_material);
    }
}

}  // namespace

host_object& build_builtin_model(standin::host& host)
{
    standin::palette_material skin;
    skin.name = "skin";
    skin.diffuse = {{0.8f, 0.6f, 0.5f}};
    skin.ambient = {{0.2f, 0.2f, 0.2f}};
    skin.emissive = {{0.0f, 0.0f, 0.0f}};
    skin.specular = {{0.5f, 0.5f, 0.5f}};
    skin.shininess = 64.0f;
    skin.transparency = 0.0f;
    const auto skin_index = static_cast<std::uint16_t>(host.add_material(skin));

    standin::palette_material glass;
    glass.name = "Glass 50%";
    glass.diffuse = {{0.0078125f, 1.0f / 3.0f, 100.1f}};
    glass.specular = {{1.0f, 1.0f, 1.0f}};
    glass.shininess = 128.0f;
    glass.transparency = 0.5f;
    const auto glass_index = static_cast<std::uint16_t>(host.add_material(glass));

    // A palette entry that reports nothing but its name, and one with no name.
    standin::palette_material bare;
    bare.name = "SKIN";
    const auto bare_index = static_cast<std::uint16_t>(host.add_material(bare));
    const auto unnamed_index = static_cast<std::uint16_t>(host.add_material(standin::palette_material{}));

    host_object& world = host.root(standin::type_world);
    world.name = "world";

    host_object& body = world.add_child(standin::type_poly, "body");
    body.set_centre(0.0f, 1.0f, -0.0f);
    add_box(body, 0.0f, 1.0f, 0.0f, 0.5f, skin_index, glass_index);
    body.set_texture("C:\\textures\\My Skin.v2.png");

    // Actors below a group below an actor: the group is no actor, its
    // children still hang on the body.
    host_object& limbs = body.add_child(standin::type_group, "limbs");
    host_object& arm = limbs.add_child(standin::type_poly, "arm");
    arm.set_centre(-1.0f / 128.0f, 1.25f, 123456.789f);
    add_box(arm, 1.0f / 128.0f, 1.25f, 0.1f, 0.125f, bare_index, skin_index);
    host_object& second_arm = limbs.add_child(standin::type_poly, "ARM");
    add_box(second_arm, -1e-7f, 1.25f, -3.5f, 0.25f, unnamed_index, unnamed_index);
    second_arm.set_texture("textures/arm.tif");
    host_object& hand = second_arm.add_child(standin::type_poly, "arm");
    add_box(hand, 16777216.0f, -0.0f, 2.5f, 1.0f, glass_index, bare_index);

    // Null actors: by name, and by having two vertices only.
    host_object& pivot = body.add_child(standin::type_poly, "NULL_pivot");
    pivot.set_centre(0.5f, 0.5f, 0.5f);
    add_box(pivot, 0.5f, 0.5f, 0.5f, 0.0625f, skin_index, skin_index);
    host_object& line = world.add_child(standin::type_poly, "wire");
    line.add_vertex(0.0f, 0.0f, 0.0f);
    line.add_vertex(1.0f, 2.0f, 3.0f);

    // A light, and an object with no name.
    world.add_child(standin::type_light, "sun");
    host_object& nameless = world.add_child(standin::type_poly);
    add_box(nameless, -2.0f, 0.0f, 0.0f, 0.75f, glass_index, glass_index);
    return world;
}

}  // namespace vellumark::testhost
