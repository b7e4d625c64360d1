// The triangle surfaces of one object read from a .ac file: its polygons cut
// into triangles, with texture coordinates after texrep and texoff and a unit
// normal at each corner (flat, or smoothed across the crease angle).
#ifndef VELLUMARK_ACFILE_AC_MESH_H
#define VELLUMARK_ACFILE_AC_MESH_H

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "acfile/polygon_triangulation.h"
#include "standin/standin_host.h"

namespace vellumark::acfile {

// A surface as read: its SURF flags, palette index and corners.
struct surface_record {
    std::uint32_t flags = 0;
    std::uint16_t material = 0;
    std::size_t first_ref = 0;
    std::size_t ref_count = 0;
};

// A corner as read: vertex index and texture coordinates from the file.
struct ref_record {
    std::uint32_t vertex = 0;
    float u = 0, v = 0;
};

// The low four bits of SURF flags give the kind; 0 is a polygon.
inline constexpr std::uint32_t surface_kind_mask = 0xF;
inline constexpr std::uint32_t surface_polygon = 0;
inline constexpr std::uint32_t surface_shaded = 0x10;

// The crease angle, in degrees, of an object without a crease line.
inline constexpr double default_crease_degrees = 61.0;

struct mesh_source {
    // Host positions of the object's vertices.
    const std::vector<std::array<float, 3>>* positions = nullptr;
    const std::vector<surface_record>* surfaces = nullptr;
    const std::vector<ref_record>* refs = nullptr;
    std::array<float, 2> texrep{1, 1};
    std::array<float, 2> texoff{0, 0};
    double crease_degrees = default_crease_degrees;
};

// Builds triangles, reusing its buffers from one object to the next.
class mesh_builder {
public:
    // Appends the object's triangles to `triangles`: polygons in file order,
    // each polygon's triangles in the order its triangulation gives them.
    // Vertex indices must be in range.
    void build(const mesh_source& source, std::vector<standin::triangle>& triangles);

private:
    void gather(const mesh_source& source, const surface_record& surface);
    void smooth_normals(const mesh_source& source);

    struct polygon {
        std::size_t surface = 0;
        vec3 normal;  // unit, or zero when degenerate
    };
    std::vector<polygon> polygons_;
    std::vector<vec3> corner_positions_;
    std::vector<corner_triple> local_triangles_;
    polygon_triangulator triangulator_;
    // Smoothed normal of each corner of the shaded polygons, in ref order.
    std::vector<vec3> corner_normals_;
    std::vector<std::size_t> corner_normal_start_;
    // The polygons around each vertex, in compressed rows.
    std::vector<std::size_t> around_start_;
    std::vector<std::uint32_t> around_;
    std::vector<std::uint32_t> last_polygon_;
    std::vector<std::size_t> fill_;
};

}  // namespace vellumark::acfile

#endif
