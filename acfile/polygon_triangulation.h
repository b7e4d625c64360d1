// Splits one polygon into triangles that keep its winding: a fan from the
// first corner when the polygon is convex, ear clipping in its plane
// otherwise. A polygon of n corners always gives n - 2 triangles.
#ifndef VELLUMARK_ACFILE_POLYGON_TRIANGULATION_H
#define VELLUMARK_ACFILE_POLYGON_TRIANGULATION_H

#include <array>
#include <cstddef>
#include <cstdint>
#include <utility>
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
    void build_grid();
    void leave_grid(std::uint32_t corner);
    std::size_t next_occupied(std::size_t cell) const;
    std::pair<std::size_t, std::size_t> grid_cell(double x, double y) const;

    // Above this many reflex corners, ear tests use the grid.
    static constexpr std::size_t grid_threshold = 32;

    // Reused between polygons so that a model's many polygons allocate only
    // for the largest one.
    std::vector<point2> points_;
    std::vector<std::uint32_t> prev_;
    std::vector<std::uint32_t> next_;
    std::vector<std::uint8_t> reflex_;
    std::vector<std::uint32_t> reflex_list_;
    // The reflex corners in a grid of cells over the polygon's box, in
    // compressed rows.
    std::size_t grid_columns_ = 1;
    std::size_t grid_rows_ = 1;
    double grid_low_x_ = 0, grid_high_x_ = 0, grid_low_y_ = 0, grid_high_y_ = 0;
    static constexpr std::size_t not_in_grid = static_cast<std::size_t>(-1);
    std::vector<std::size_t> grid_start_;
    std::vector<std::size_t> grid_count_;
    std::vector<std::size_t> grid_fill_;
    std::vector<std::uint32_t> grid_items_;
    // Per corner: its slot in grid_items_ (not_in_grid when not there) and
    // its cell.
    std::vector<std::size_t> grid_slot_;
    std::vector<std::size_t> grid_cell_of_;
    // Per cell: itself when occupied (or a row's end), else a cell further
    // along its row, shortened as searches pass.
    mutable std::vector<std::size_t> grid_skip_;
};

}  // namespace vellumark::acfile

#endif
