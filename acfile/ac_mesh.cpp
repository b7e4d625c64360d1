#include "acfile/ac_mesh.h"

#include "acfile/ac_numbers.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

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

double texture_coordinate(float value, float repeat, float offset)
{
    return static_cast<double>(value) * repeat + offset;
}

double dot(const vec3& a, const vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

bool is_zero(const vec3& v) { return v.x == 0 && v.y == 0 && v.z == 0; }

}  // namespace

void mesh_builder::gather(const mesh_source& source, const surface_record& surface)
{
    const auto positions = source.positions;
    const auto refs = source.refs;
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
    const auto refs = source.refs;
    const auto surfaces = source.surfaces;
    const std::size_t vertex_count = source.positions.size();
    const auto polygon_count = static_cast<std::uint32_t>(polygons_.size());

    // The polygons around each vertex, in polygon order, in two passes (count,
    // then fill). Each polygon counts once at a vertex even when it uses the
    // vertex twice; polygons are visited in order, so the last one seen
    // suffices.
    auto each_polygon_at_each_vertex = [&](auto&& visit) {
        last_polygon_.assign(vertex_count, no_polygon);
        for (std::uint32_t p = 0; p < polygon_count; ++p) {
            const surface_record& surface = surfaces[polygons_[p].surface];
            for (std::size_t k = 0; k < surface.ref_count; ++k) {
                const std::uint32_t vertex = refs[surface.first_ref + k].vertex;
                if (last_polygon_[vertex] != p) {
                    last_polygon_[vertex] = p;
                    visit(vertex, p);
                }
            }
        }
    };
    around_start_.assign(vertex_count + 1, 0);
    each_polygon_at_each_vertex([&](std::uint32_t vertex, std::uint32_t) { ++around_start_[vertex + 1]; });
    for (std::size_t v = 0; v < vertex_count; ++v) {
        around_start_[v + 1] += around_start_[v];
    }
    around_.resize(around_start_[vertex_count]);
    fill_.assign(around_start_.begin(), around_start_.end() - 1);
    each_polygon_at_each_vertex([&](std::uint32_t vertex, std::uint32_t p) { around_[fill_[vertex]++] = p; });

    // The smoothed normal of each polygon at each of its vertices, vertex by
    // vertex. Around a vertex that many polygons share (the tip of a fan or a
    // cone), a tree of their normals finds those within the crease angle
    // without comparing every pair.
    const double crease_cosine = std::cos(source.crease_degrees * (std::acos(-1.0) / 180.0)) - crease_tolerance;
    around_normals_.assign(around_.size(), vec3{});
    for (std::size_t v = 0; v < vertex_count; ++v) {
        const std::size_t first = around_start_[v];
        const std::size_t last = around_start_[v + 1];
        const bool crowded = last - first > crowded_vertex;
        if (crowded) {
            row_normals_.clear();
            for (std::size_t a = first; a < last; ++a) {
                row_normals_.push_back(polygons_[around_[a]].normal);
            }
            tree_.build(row_normals_);
        }
        for (std::size_t a = first; a < last; ++a) {
            const std::uint32_t p = around_[a];
            const vec3& own = polygons_[p].normal;
            if ((surfaces[polygons_[p].surface].flags & surface_shaded) == 0 || is_zero(own)) {
                continue;  // flat, or degenerate: its corners keep a zero normal
            }
            vec3 sum;
            if (crowded) {
                sum = tree_.sum_within(own, crease_cosine);
            } else {
                for (std::size_t b = first; b < last; ++b) {
                    const std::uint32_t q = around_[b];
                    const vec3& other = polygons_[q].normal;
                    if (q == p || dot(own, other) >= crease_cosine) {
                        sum.x += other.x;
                        sum.y += other.y;
                        sum.z += other.z;
                    }
                }
            }
            around_normals_[a] = normalized(sum);
        }
    }
}

// The smoothed normal of polygon `p` at `vertex`: its entry in the vertex's
// row, which is sorted by polygon.
const vec3& mesh_builder::smoothed_normal(std::uint32_t p, std::uint32_t vertex) const
{
    const auto first = around_.begin() + static_cast<std::ptrdiff_t>(around_start_[vertex]);
    const auto last = around_.begin() + static_cast<std::ptrdiff_t>(around_start_[vertex + 1]);
    const auto found = std::lower_bound(first, last, p);
    return around_normals_[static_cast<std::size_t>(found - around_.begin())];
}

void normal_tree::build(const std::vector<vec3>& normals)
{
    points_ = normals;
    nodes_.clear();
    nodes_.push_back(node{});
    nodes_[0].begin = 0;
    nodes_[0].end = static_cast<std::uint32_t>(points_.size());
    // Breadth first, without recursion: each node is split at the median of
    // its widest axis until it holds few normals or only one direction.
    for (std::size_t i = 0; i < nodes_.size(); ++i) {
        node current = nodes_[i];
        current.low = current.high = points_[current.begin];
        for (std::uint32_t k = current.begin; k < current.end; ++k) {
            const vec3& n = points_[k];
            current.low = {std::min(current.low.x, n.x), std::min(current.low.y, n.y), std::min(current.low.z, n.z)};
            current.high = {std::max(current.high.x, n.x), std::max(current.high.y, n.y),
                            std::max(current.high.z, n.z)};
            current.sum.x += n.x;
            current.sum.y += n.y;
            current.sum.z += n.z;
        }
        const double extent[3] = {current.high.x - current.low.x, current.high.y - current.low.y,
                                  current.high.z - current.low.z};
        if (current.end - current.begin > leaf_size && (extent[0] > 0 || extent[1] > 0 || extent[2] > 0)) {
            const int axis = extent[0] >= extent[1] && extent[0] >= extent[2] ? 0 : (extent[1] >= extent[2] ? 1 : 2);
            const std::uint32_t middle = current.begin + (current.end - current.begin) / 2;
            auto component = [axis](const vec3& n) { return axis == 0 ? n.x : (axis == 1 ? n.y : n.z); };
            std::nth_element(points_.begin() + current.begin, points_.begin() + middle, points_.begin() + current.end,
                             [&](const vec3& a, const vec3& b) { return component(a) < component(b); });
            current.left = static_cast<std::uint32_t>(nodes_.size());
            node left;
            left.begin = current.begin;
            left.end = middle;
            node right;
            right.begin = middle;
            right.end = current.end;
            nodes_[i] = current;
            nodes_.push_back(left);
            nodes_.push_back(right);
        } else {
            nodes_[i] = current;
        }
    }
}

vec3 normal_tree::sum_within(const vec3& n, double limit) const
{
    // A node whose whole box lies within (or beyond) the limit, with a margin
    // above the rounding of the dot products, is taken (or dropped) whole; the
    // rest is decided normal by normal exactly as a direct comparison would.
    constexpr double margin = 4e-15;
    vec3 sum;
    stack_.clear();
    stack_.push_back(0);
    while (!stack_.empty()) {
        const node& current = nodes_[stack_.back()];
        stack_.pop_back();
        const double most = (n.x >= 0 ? n.x * current.high.x : n.x * current.low.x) +
                            (n.y >= 0 ? n.y * current.high.y : n.y * current.low.y) +
                            (n.z >= 0 ? n.z * current.high.z : n.z * current.low.z);
        const double least = (n.x >= 0 ? n.x * current.low.x : n.x * current.high.x) +
                             (n.y >= 0 ? n.y * current.low.y : n.y * current.high.y) +
                             (n.z >= 0 ? n.z * current.low.z : n.z * current.high.z);
        if (most < limit - margin) {
            continue;
        }
        if (least >= limit + margin) {
            sum.x += current.sum.x;
            sum.y += current.sum.y;
            sum.z += current.sum.z;
            continue;
        }
        if (current.left != 0) {
            stack_.push_back(current.left);
            stack_.push_back(current.left + 1);
            continue;
        }
        if (current.low.x == current.high.x && current.low.y == current.high.y && current.low.z == current.high.z) {
            // All the same normal: one comparison decides for all of them.
            if (dot(n, current.low) >= limit) {
                sum.x += current.sum.x;
                sum.y += current.sum.y;
                sum.z += current.sum.z;
            }
            continue;
        }
        for (std::uint32_t k = current.begin; k < current.end; ++k) {
            const vec3& other = points_[k];
            if (dot(n, other) >= limit) {
                sum.x += other.x;
                sum.y += other.y;
                sum.z += other.z;
            }
        }
    }
    return sum;
}

std::optional<std::size_t> mesh_builder::build(const mesh_source& source, host_object& object)
{
    const auto surfaces = source.surfaces;
    const auto refs = source.refs;
    polygons_.clear();
    for (std::size_t s = 0; s < surfaces.size(); ++s) {
        const surface_record& surface = surfaces[s];
        if (!is_polygon(surface)) {
            continue;
        }
        for (std::size_t k = 0; k < surface.ref_count; ++k) {
            const ref_record& ref = refs[surface.first_ref + k];
            float ignored = 0;
            if (!narrow_to_float(texture_coordinate(ref.u, source.texrep[0], source.texoff[0]), ignored) ||
                !narrow_to_float(texture_coordinate(ref.v, source.texrep[1], source.texoff[1]), ignored)) {
                return s;
            }
        }
    }
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
    object.reserve_triangles(triangle_count);

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
                const vec3& normal =
                    smoothed ? smoothed_normal(static_cast<std::uint32_t>(p), ref.vertex) : polygons_[p].normal;
                standin::corner& corner = out.corners[c];
                corner.vertex = static_cast<int>(ref.vertex);
                corner.u = static_cast<float>(texture_coordinate(ref.u, source.texrep[0], source.texoff[0]));
                corner.v = static_cast<float>(texture_coordinate(ref.v, source.texrep[1], source.texoff[1]));
                corner.nx = static_cast<float>(normal.x);
                corner.ny = static_cast<float>(normal.y);
                corner.nz = static_cast<float>(normal.z);
            }
            object.add_triangle(out.corners, out.palette_index);
        }
    }
    object.finish_triangles();
    return std::nullopt;
}

}  // namespace vellumark::acfile
