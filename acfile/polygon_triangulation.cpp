#include "acfile/polygon_triangulation.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace vellumark::acfile {
namespace {

// Tolerance, relative to the edge lengths, below which a turn counts as
// straight: corners that are collinear up to rounding keep a polygon convex.
constexpr double straight_tolerance = 1e-12;

}  // namespace

vec3 newell_normal(const std::vector<vec3>& corners)
{
    vec3 n;
    const std::size_t count = corners.size();
    for (std::size_t i = 0; i < count; ++i) {
        const vec3& a = corners[i];
        const vec3& b = corners[i + 1 < count ? i + 1 : 0];
        n.x += (a.y - b.y) * (a.z + b.z);
        n.y += (a.z - b.z) * (a.x + b.x);
        n.z += (a.x - b.x) * (a.y + b.y);
    }
    return n;
}

vec3 normalized(const vec3& v)
{
    const double length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    if (!(length > 0) || !std::isfinite(length)) {
        return vec3{};
    }
    return vec3{v.x / length, v.y / length, v.z / length};
}

// Drops the normal's largest component and keeps the polygon's turning sense
// positive in the remaining two, so that a convex corner has a positive cross
// product.
void polygon_triangulator::project(const std::vector<vec3>& corners, const vec3& normal)
{
    const double ax = std::fabs(normal.x);
    const double ay = std::fabs(normal.y);
    const double az = std::fabs(normal.z);
    points_.resize(corners.size());
    for (std::size_t i = 0; i < corners.size(); ++i) {
        const vec3& c = corners[i];
        if (az >= ax && az >= ay) {
            points_[i] = {c.x, normal.z >= 0 ? c.y : -c.y};
        } else if (ax >= ay) {
            points_[i] = {c.y, normal.x >= 0 ? c.z : -c.z};
        } else {
            points_[i] = {c.z, normal.y >= 0 ? c.x : -c.x};
        }
    }
}

bool polygon_triangulator::projected_convex() const
{
    // Every turn must be to the left (or straight), and the turns must add up
    // to one full revolution: a star polygon turns left everywhere but winds
    // twice.
    const std::size_t count = points_.size();
    double total_turn = 0;
    double previous_dx = 0;
    double previous_dy = 0;
    bool have_previous = false;
    double first_dx = 0;
    double first_dy = 0;
    auto turn = [&](double dx0, double dy0, double dx1, double dy1) {
        const double cross = dx0 * dy1 - dy0 * dx1;
        const double dot = dx0 * dx1 + dy0 * dy1;
        const double scale = std::sqrt((dx0 * dx0 + dy0 * dy0) * (dx1 * dx1 + dy1 * dy1));
        if (cross < -straight_tolerance * scale) {
            return false;
        }
        total_turn += std::atan2(cross > 0 ? cross : 0.0, dot);
        return true;
    };
    for (std::size_t i = 0; i < count; ++i) {
        const point2& a = points_[i];
        const point2& b = points_[i + 1 < count ? i + 1 : 0];
        const double dx = b.x - a.x;
        const double dy = b.y - a.y;
        if (dx == 0 && dy == 0) {
            continue;  // a repeated corner makes no turn
        }
        if (!have_previous) {
            first_dx = dx;
            first_dy = dy;
            have_previous = true;
        } else if (!turn(previous_dx, previous_dy, dx, dy)) {
            return false;
        }
        previous_dx = dx;
        previous_dy = dy;
    }
    if (!have_previous) {
        return true;  // all corners in one point
    }
    if (!turn(previous_dx, previous_dy, first_dx, first_dy)) {
        return false;
    }
    return total_turn < 3 * std::acos(-1.0);
}

bool polygon_triangulator::is_convex(const std::vector<vec3>& corners, const vec3& normal)
{
    project(corners, normal);
    return projected_convex();
}

void polygon_triangulator::triangulate(const std::vector<vec3>& corners, const vec3& normal,
                                       std::vector<corner_triple>& triangles)
{
    const auto count = static_cast<std::uint32_t>(corners.size());
    if (count < 3) {
        return;
    }
    const bool degenerate = normal.x == 0 && normal.y == 0 && normal.z == 0;
    if (count == 3 || degenerate || is_convex(corners, normal)) {
        for (std::uint32_t i = 1; i + 1 < count; ++i) {
            triangles.push_back({0, i, i + 1});
        }
        return;
    }
    clip_ears(triangles);
}

void polygon_triangulator::clip_ears(std::vector<corner_triple>& triangles)
{
    const auto count = static_cast<std::uint32_t>(points_.size());
    prev_.resize(count);
    next_.resize(count);
    reflex_.assign(count, 0);
    reflex_list_.clear();
    for (std::uint32_t i = 0; i < count; ++i) {
        prev_[i] = i == 0 ? count - 1 : i - 1;
        next_[i] = i + 1 == count ? 0 : i + 1;
    }
    auto cross = [this](std::uint32_t a, std::uint32_t b, std::uint32_t c) {
        const point2& pa = points_[a];
        const point2& pb = points_[b];
        const point2& pc = points_[c];
        return (pb.x - pa.x) * (pc.y - pa.y) - (pb.y - pa.y) * (pc.x - pa.x);
    };
    // A corner that does not turn left may lie inside an ear; only those are
    // tested against candidate ears.
    bool gridded = false;
    auto update = [&](std::uint32_t i) {
        const bool is_reflex = !(cross(prev_[i], i, next_[i]) > 0);
        if (is_reflex && reflex_[i] == 0) {
            reflex_list_.push_back(i);
        } else if (!is_reflex && reflex_[i] != 0 && gridded) {
            leave_grid(i);
        }
        reflex_[i] = is_reflex ? 1 : 0;
    };
    for (std::uint32_t i = 0; i < count; ++i) {
        update(i);
    }
    // With many reflex corners, they go into a grid over the polygon's box
    // so that an ear is tested only against those near it; corners that turn
    // reflex later (only in outlines that are not simple) stay in the list.
    gridded = reflex_list_.size() > grid_threshold;
    if (gridded) {
        build_grid();
        reflex_list_.clear();
    }
    auto same_point = [this](std::uint32_t a, std::uint32_t b) {
        return points_[a].x == points_[b].x && points_[a].y == points_[b].y;
    };
    // Containment tests are budgeted: an outline that crosses itself all
    // over (garbage rather than a model) can make ear clipping quadratic or
    // worse; past the budget, any corner that turns left is clipped, which
    // still gives n - 2 triangles in the polygon's winding.
    std::uint64_t tests_left = 64 * std::uint64_t{count} + 100000;
    auto blocks = [&](std::uint32_t a, std::uint32_t i, std::uint32_t c, std::uint32_t j) {
        if (tests_left > 0) {
            --tests_left;
        }
        if (reflex_[j] == 0 || j == a || j == i || j == c) {
            return false;
        }
        if (same_point(j, a) || same_point(j, i) || same_point(j, c)) {
            return false;
        }
        return cross(a, i, j) >= 0 && cross(i, c, j) >= 0 && cross(c, a, j) >= 0;
    };
    auto is_ear = [&](std::uint32_t i) {
        const std::uint32_t a = prev_[i];
        const std::uint32_t c = next_[i];
        if (!(cross(a, i, c) > 0)) {
            return false;
        }
        if (tests_left == 0) {
            return true;
        }
        for (std::uint32_t j : reflex_list_) {
            if (blocks(a, i, c, j)) {
                return false;
            }
        }
        if (gridded) {
            const auto [x0, y0] = grid_cell(std::min({points_[a].x, points_[i].x, points_[c].x}),
                                            std::min({points_[a].y, points_[i].y, points_[c].y}));
            const auto [x1, y1] = grid_cell(std::max({points_[a].x, points_[i].x, points_[c].x}),
                                            std::max({points_[a].y, points_[i].y, points_[c].y}));
            for (std::size_t gy = y0; gy <= y1; ++gy) {
                const std::size_t row = gy * (grid_columns_ + 1);
                for (std::size_t cell = next_occupied(row + x0); cell <= row + x1;
                     cell = next_occupied(cell + 1)) {
                    const std::size_t first = grid_start_[cell];
                    for (std::size_t k = first; k < first + grid_count_[cell]; ++k) {
                        if (blocks(a, i, c, grid_items_[k])) {
                            return false;
                        }
                    }
                }
            }
        }
        return true;
    };
    auto remove = [&](std::uint32_t i) {
        const std::uint32_t a = prev_[i];
        const std::uint32_t c = next_[i];
        triangles.push_back({a, i, c});
        next_[a] = c;
        prev_[c] = a;
        if (reflex_[i] != 0 && gridded) {
            leave_grid(i);
        }
        reflex_[i] = 0;
        update(a);
        update(c);
    };

    std::uint32_t remaining = count;
    std::uint32_t current = 0;
    std::uint32_t since_last_ear = 0;
    while (remaining > 3) {
        if (is_ear(current)) {
            const std::uint32_t after = next_[current];
            remove(current);
            --remaining;
            current = after;
            since_last_ear = 0;
            if (reflex_list_.size() > 2 * remaining + 16) {
                // Drop stale entries so that ear tests stay proportional to
                // the reflex corners left.
                std::size_t kept = 0;
                for (std::uint32_t j : reflex_list_) {
                    if (reflex_[j] != 0) {
                        reflex_list_[kept++] = j;
                    }
                }
                reflex_list_.resize(kept);
            }
            continue;
        }
        current = next_[current];
        if (++since_last_ear < remaining) {
            continue;
        }
        // No proper ear (a self-intersecting or degenerate outline): clip a
        // corner that turns left, else the current one, so that the polygon
        // still gives its n - 2 triangles.
        std::uint32_t chosen = current;
        for (std::uint32_t k = 0, i = current; k < remaining; ++k, i = next_[i]) {
            if (cross(prev_[i], i, next_[i]) > 0) {
                chosen = i;
                break;
            }
        }
        current = next_[chosen];
        remove(chosen);
        --remaining;
        since_last_ear = 0;
    }
    triangles.push_back({prev_[current], current, next_[current]});
}

void polygon_triangulator::build_grid()
{
    grid_low_x_ = grid_high_x_ = points_[reflex_list_.front()].x;
    grid_low_y_ = grid_high_y_ = points_[reflex_list_.front()].y;
    for (const point2& p : points_) {
        grid_low_x_ = std::min(grid_low_x_, p.x);
        grid_high_x_ = std::max(grid_high_x_, p.x);
        grid_low_y_ = std::min(grid_low_y_, p.y);
        grid_high_y_ = std::max(grid_high_y_, p.y);
    }
    // About one reflex corner a cell, the cells about square.
    const double corners = static_cast<double>(reflex_list_.size());
    const double width = grid_high_x_ - grid_low_x_;
    const double height = grid_high_y_ - grid_low_y_;
    double across = std::sqrt(corners);
    if (width > 0 && height > 0) {
        across = std::sqrt(corners * (width / height));
    } else if (width > 0) {
        across = corners;
    } else {
        across = 1;
    }
    constexpr double most_cells = 1 << 20;
    grid_columns_ = static_cast<std::size_t>(std::clamp(std::ceil(across), 1.0, std::min(corners, most_cells)));
    grid_rows_ = static_cast<std::size_t>(
        std::clamp(std::ceil(corners / static_cast<double>(grid_columns_)), 1.0, most_cells / grid_columns_));
    // Each row has one more cell, always occupied, that ends the skipping
    // of empty cells.
    const std::size_t cells = (grid_columns_ + 1) * grid_rows_;
    grid_start_.assign(cells + 1, 0);
    grid_count_.assign(cells, 0);
    for (std::uint32_t j : reflex_list_) {
        const auto [gx, gy] = grid_cell(points_[j].x, points_[j].y);
        ++grid_count_[gy * (grid_columns_ + 1) + gx];
    }
    for (std::size_t cell = 0; cell < cells; ++cell) {
        grid_start_[cell + 1] = grid_start_[cell] + grid_count_[cell];
    }
    grid_items_.resize(reflex_list_.size());
    grid_slot_.assign(points_.size(), not_in_grid);
    grid_cell_of_.assign(points_.size(), 0);
    grid_fill_.assign(grid_start_.begin(), grid_start_.end() - 1);
    for (std::uint32_t j : reflex_list_) {
        const auto [gx, gy] = grid_cell(points_[j].x, points_[j].y);
        const std::size_t cell = gy * (grid_columns_ + 1) + gx;
        grid_slot_[j] = grid_fill_[cell];
        grid_cell_of_[j] = cell;
        grid_items_[grid_fill_[cell]++] = j;
    }
    grid_skip_.resize(cells);
    for (std::size_t cell = 0; cell < cells; ++cell) {
        const bool row_end = cell % (grid_columns_ + 1) == grid_columns_;
        grid_skip_[cell] = row_end || grid_count_[cell] != 0 ? cell : cell + 1;
    }
}

// Takes a corner that no longer turns right out of its cell; an emptied cell
// is skipped from then on.
void polygon_triangulator::leave_grid(std::uint32_t corner)
{
    const std::size_t slot = grid_slot_[corner];
    if (slot == not_in_grid) {
        return;
    }
    const std::size_t cell = grid_cell_of_[corner];
    const std::size_t last = grid_start_[cell] + --grid_count_[cell];
    const std::uint32_t moved = grid_items_[last];
    grid_items_[slot] = moved;
    grid_slot_[moved] = slot;
    grid_slot_[corner] = not_in_grid;
    if (grid_count_[cell] == 0) {
        grid_skip_[cell] = cell + 1;
    }
}

// The first occupied cell at or after `cell` in its row, or the row's end.
std::size_t polygon_triangulator::next_occupied(std::size_t cell) const
{
    std::size_t found = cell;
    while (grid_skip_[found] != found) {
        found = grid_skip_[found];
    }
    // Shorten the path for the next search.
    while (grid_skip_[cell] != found) {
        const std::size_t next = grid_skip_[cell];
        grid_skip_[cell] = found;
        cell = next;
    }
    return found;
}

std::pair<std::size_t, std::size_t> polygon_triangulator::grid_cell(double x, double y) const
{
    auto axis = [](double value, double low, double high, std::size_t cells) {
        const double extent = high - low;
        if (!(extent > 0)) {
            return std::size_t{0};
        }
        const double scaled = (value - low) / extent * static_cast<double>(cells);
        if (!(scaled > 0)) {
            return std::size_t{0};
        }
        if (scaled >= static_cast<double>(cells - 1)) {
            return cells - 1;
        }
        return static_cast<std::size_t>(scaled);
    };
    return {axis(x, grid_low_x_, grid_high_x_, grid_columns_), axis(y, grid_low_y_, grid_high_y_, grid_rows_)};
}

}  // namespace vellumark::acfile
