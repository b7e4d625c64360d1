// Splits one polygon into triangles that keep its winding: a fan from the
// first corner when the polygon is convex, ear clipping in its plane
// otherwise. A polygon of n corners always gives n - 2 triangles.
#ifndef VELLUMARK_ACFILE_POLYGON_TRIANGULATION_H
#define VELLUMARK_ACFILE_POLYGON_TRIANGULATION_H

#include <array>
#include <cstdint>
#include <vector>

namespace vellumark::acfile {

struct vec3 {
    double x = 0, y = 0, z = 0;
};

// The polygon's Newell normal, not normalized; zero for a degenerate
// polygon.
vec3 newell_normal(const std::vector<vec3>& corners);

// The unit vector along `v`, or zero when `v` has no length.
vec3 normalized(const vec3& v);

using corner_triple = std::array<std::uint32_t, 3>;

class polygon_triangulator {
public:
    // Appends the polygon's triangles to `triangles` as indices into
    // `corners` (at least 3 of them), each triangle in the polygon's winding.
    // `normal` is the polygon's Newell normal.
    void triangulate(const std::vector<vec3>& corners, const vec3& normal, std::vector<corner_triple>& triangles);

    // Whether the polygon, seen along `normal`, is convex (collinear corners
    // allowed) and winds once.
    bool is_convex(const std::vector<vec3>& corners, const vec3& normal);

private:
    struct point2 {
        double x, y;
    };
    void project(const std::vector<vec3>& corners, const vec3& normal);
    bool projected_convex() const;
    void clip_ears(std::vector<corner_triple>& triangles);

    // Reused between polygons so that a model's many polygons allocate only
    // for the largest one.
    std::vector<point2> points_;
    std::vector<std::uint32_t> prev_;
    std::vector<std::uint32_t> next_;
    std::vector<std::uint8_t> reflex_;
    std::vector<std::uint32_t> reflex_list_;
};

}  // namespace vellumark::acfile

#endif
