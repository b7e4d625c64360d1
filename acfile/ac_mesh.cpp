#include "acfile/ac_mesh.h"

#include <cmath>

namespace vellumark::acfile {
namespace {

constexpr std::uint32_t no_polygon = 0xFFFFFFFFu;
// Normals whose angle equals the crease angle up to rounding still count as
// within it.
constexpr double crease_tolerance = 1e-12;

bool is_polygon(const surface_record& surface)
{
    return (surface.flags & surface_kind_mask) == surface_polygon && surface.ref_count >= 3;
}

float texture_coordinate(float value, float repeat, float offset)
{
    return static_cast<float>(static_cast<double>(value) * repeat + offset);
}

double dot(const vec3& a, const vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

}  // namespace

void mesh_builder::gather(const mesh_source& source, const surface_record& surface)
{
    const auto& positions = *source.positions;
    const auto& refs = *source.refs;
    corner_positions_.resize(surface.ref_count);
    for (std::size_t k = 0; k < surface.ref_count; ++k) {
        const auto& p = positions[refs[surface.first_ref + k].vertex];
        corner_positions_[k] = vec3{p[0], p[1], p[2]};
    }
}

// For every corner of a shaded polygon: the normalized sum of the unit
// normals of the object's polygons that use the corner's vertex and whose
// normal lies within the crease angle of this polygon's.
void mesh_builder::smooth_normals(const mesh_source& source)
{
    const auto& refs = *source.refs;
    const auto& surfaces = *source.surfaces;
    const std::size_t vertex_count = source.positions->size();
    const auto polygon_count = static_cast<std::uint32_t>(polygons_.size());

    // Each polygon counts once at a vertex even when it uses the vertex
    // twice; polygons are visited in order, so the last one seen suffices.
    around_start_.assign(vertex_count + 1, 0);
    last_polygon_.assign(vertex_count, no_polygon);
    for (std::uint32_t p = 0; p < polygon_count; ++p) {
        const surface_record& surface = surfaces[polygons_[p].surface];
        for (std::size_t k = 0; k < surface.ref_count; ++k) {
            const std::uint32_t vertex = refs[surface.first_ref + k].vertex;
            if (last_polygon_[vertex] != p) {
                last_polygon_[vertex] = p;
                ++around_start_[vertex + 1];
            }
        }
    }
    for (std::size_t v = 0; v < vertex_count; ++v) {
        around_start_[v + 1] += around_start_[v];
    }
    around_.resize(around_start_[vertex_count]);
    std::vector<std::size_t>& fill = fill_;
    fill.assign(around_start_.begin(), around_start_.end() - 1);
    last_polygon_.assign(vertex_count, no_polygon);
    for (std::uint32_t p = 0; p < polygon_count; ++p) {
        const surface_record& surface = surfaces[polygons_[p].surface];
        for (std::size_t k = 0; k < surface.ref_count; ++k) {
            const std::uint32_t vertex = refs[surface.first_ref + k].vertex;
            if (last_polygon_[vertex] != p) {
                last_polygon_[vertex] = p;
                around_[fill[vertex]++] = p;
            }
        }
    }

    const double crease_cosine = std::cos(source.crease_degrees * (std::acos(-1.0) / 180.0)) - crease_tolerance;
    corner_normal_start_.assign(polygon_count + 1, 0);
    for (std::uint32_t p = 0; p < polygon_count; ++p) {
        const surface_record& surface = surfaces[polygons_[p].surface];
        const bool smoothed = (surface.flags & surface_shaded) != 0;
        corner_normal_start_[p + 1] = corner_normal_start_[p] + (smoothed ? surface.ref_count : 0);
    }
    corner_normals_.assign(corner_normal_start_[polygon_count], vec3{});
    for (std::uint32_t p = 0; p < polygon_count; ++p) {
        const surface_record& surface = surfaces[polygons_[p].surface];
        const vec3& own = polygons_[p].normal;
        if ((surface.flags & surface_shaded) == 0 || (own.x == 0 && own.y == 0 && own.z == 0)) {
            continue;  // flat, or degenerate: its corners keep a zero normal
        }
        for (std::size_t k = 0; k < surface.ref_count; ++k) {
            const std::uint32_t vertex = refs[surface.first_ref + k].vertex;
            vec3 sum;
            for (std::size_t a = around_start_[vertex]; a < around_start_[vertex + 1]; ++a) {
                const std::uint32_t q = around_[a];
                const vec3& other = polygons_[q].normal;
                if (q == p || dot(own, other) >= crease_cosine) {
                    sum.x += other.x;
                    sum.y += other.y;
                    sum.z += other.z;
                }
            }
            corner_normals_[corner_normal_start_[p] + k] = normalized(sum);
        }
    }
}

void mesh_builder::build(const mesh_source& source, std::vector<standin::triangle>& triangles)
{
    const auto& surfaces = *source.surfaces;
    const auto& refs = *source.refs;
    polygons_.clear();
    bool any_shaded = false;
    std::size_t triangle_count = 0;
    for (std::size_t s = 0; s < surfaces.size(); ++s) {
        const surface_record& surface = surfaces[s];
        if (!is_polygon(surface)) {
            continue;
        }
        gather(source, surface);
        polygons_.push_back(polygon{s, normalized(newell_normal(corner_positions_))});
        any_shaded = any_shaded || (surface.flags & surface_shaded) != 0;
        triangle_count += surface.ref_count - 2;
    }
    if (any_shaded) {
        smooth_normals(source);
    }
    triangles.reserve(triangles.size() + triangle_count);

    for (std::size_t p = 0; p < polygons_.size(); ++p) {
        const surface_record& surface = surfaces[polygons_[p].surface];
        const bool smoothed = any_shaded && (surface.flags & surface_shaded) != 0;
        gather(source, surface);
        local_triangles_.clear();
        triangulator_.triangulate(corner_positions_, polygons_[p].normal, local_triangles_);
        for (const corner_triple& local : local_triangles_) {
            standin::triangle out;
            out.palette_index = surface.material;
            for (std::size_t c = 0; c < 3; ++c) {
                const std::uint32_t k = local[c];
                const ref_record& ref = refs[surface.first_ref + k];
                const vec3& normal = smoothed ? corner_normals_[corner_normal_start_[p] + k] : polygons_[p].normal;
                standin::corner& corner = out.corners[c];
                corner.vertex = static_cast<int>(ref.vertex);
                corner.u = texture_coordinate(ref.u, source.texrep[0], source.texoff[0]);
                corner.v = texture_coordinate(ref.v, source.texrep[1], source.texoff[1]);
                corner.nx = static_cast<float>(normal.x);
                corner.ny = static_cast<float>(normal.y);
                corner.nz = static_cast<float>(normal.z);
            }
            triangles.push_back(out);
        }
    }
}

}  // namespace vellumark::acfile
