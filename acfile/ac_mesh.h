// The triangle surfaces of one object read from a .ac file: its polygons cut
// into triangles, with texture coordinates after texrep and texoff and a unit
// normal at each corner (flat, or smoothed across the crease angle).
#ifndef VELLUMARK_ACFILE_AC_MESH_H
#define VELLUMARK_ACFILE_AC_MESH_H

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
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
    std::span<const std::array<float, 3>> positions;
    std::span<const surface_record> surfaces;
    // The object's corners; a surface's first_ref counts from the first.
    std::span<const ref_record> refs;
    std::array<float, 2> texrep{1, 1};
    std::array<float, 2> texoff{0, 0};
    double crease_degrees = default_crease_degrees;
};

// The unit normals of the polygons around one vertex, in a tree whose nodes
// know their box and their sum, so that the sum of those within an angle of
// a given normal takes far fewer than one comparison each.
class normal_tree {
public:
    void build(const std::vector<vec3>& normals);
    // The sum of the normals whose dot product with `n` is at least `limit`.
    vec3 sum_within(const vec3& n, double limit) const;

private:
    static constexpr std::uint32_t leaf_size = 8;
    struct node {
        vec3 low, high, sum;
        std::uint32_t begin = 0, end = 0;
        // The first of the two children (the second follows it); 0 for a
        // leaf.
        std::uint32_t left = 0;
    };
    std::vector<vec3> points_;
    std::vector<node> nodes_;
    mutable std::vector<std::uint32_t> stack_;
};

// Builds triangles, reusing its buffers from one object to the next.
class mesh_builder {
public:
    // Adds the object's triangles to it: polygons in file order,
    // each polygon's triangles in the order its triangulation gives them.
    // Vertex indices must be in range. Gives the index of the first surface
    // whose texture coordinates leave single precision after texrep and
    // texoff, and then appends nothing.
    std::optional<std::size_t> build(const mesh_source& source, host_object& object);

private:
    // Above this many polygons at a vertex, smoothing uses a normal_tree.
    static constexpr std::size_t crowded_vertex = 64;

    void gather(const mesh_source& source, const surface_record& surface);
    void smooth_normals(const mesh_source& source);
    const vec3& smoothed_normal(std::uint32_t polygon, std::uint32_t vertex) const;

    struct polygon {
        std::size_t surface = 0;
        vec3 normal;  // unit, or zero when degenerate
    };
    std::vector<polygon> polygons_;
    std::vector<vec3> corner_positions_;
    std::vector<corner_triple> local_triangles_;
    polygon_triangulator triangulator_;
    // The polygons around each vertex in compressed rows (sorted by
    // polygon), and the smoothed normal of each polygon at that vertex.
    std::vector<std::size_t> around_start_;
    std::vector<std::uint32_t> around_;
    std::vector<vec3> around_normals_;
    std::vector<std::uint32_t> last_polygon_;
    std::vector<std::size_t> fill_;
    std::vector<vec3> row_normals_;
    normal_tree tree_;
};

}  // namespace vellumark::acfile

#endif
