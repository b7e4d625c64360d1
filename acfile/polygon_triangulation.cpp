#include "acfile/polygon_triangulation.h"

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
    auto update = [&](std::uint32_t i) {
        const bool is_reflex = !(cross(prev_[i], i, next_[i]) > 0);
        if (is_reflex && reflex_[i] == 0) {
            reflex_list_.push_back(i);
        }
        reflex_[i] = is_reflex ? 1 : 0;
    };
    for (std::uint32_t i = 0; i < count; ++i) {
        update(i);
    }
    auto same_point = [this](std::uint32_t a, std::uint32_t b) {
        return points_[a].x == points_[b].x && points_[a].y == points_[b].y;
    };
    auto is_ear = [&](std::uint32_t i) {
        const std::uint32_t a = prev_[i];
        const std::uint32_t c = next_[i];
        if (!(cross(a, i, c) > 0)) {
            return false;
        }
        for (std::uint32_t j : reflex_list_) {
            if (reflex_[j] == 0 || j == a || j == i || j == c) {
                continue;
            }
            if (same_point(j, a) || same_point(j, i) || same_point(j, c)) {
                continue;
            }
            if (cross(a, i, j) >= 0 && cross(i, c, j) >= 0 && cross(c, a, j) >= 0) {
                return false;
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

}  // namespace vellumark::acfile
