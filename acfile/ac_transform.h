// An object's rot and loc as they place its vertices in the host's
// coordinates: p' = R p + loc, with the nine numbers of rot as R's rows. An
// object without rot has no rotation and one without loc no translation; the
// arithmetic is done in double precision.
#ifndef VELLUMARK_ACFILE_AC_TRANSFORM_H
#define VELLUMARK_ACFILE_AC_TRANSFORM_H

#include <array>

#include "acfile/polygon_triangulation.h"

namespace vellumark::acfile {

struct placement {
    bool has_rot = false;
    bool has_loc = false;
    std::array<double, 9> rot{1, 0, 0, 0, 1, 0, 0, 0, 1};
    std::array<double, 3> loc{0, 0, 0};

    bool moves() const { return has_rot || has_loc; }

    vec3 apply(const vec3& p) const
    {
        vec3 q = p;
        if (has_rot) {
            q.x = rot[0] * p.x + rot[1] * p.y + rot[2] * p.z;
            q.y = rot[3] * p.x + rot[4] * p.y + rot[5] * p.z;
            q.z = rot[6] * p.x + rot[7] * p.y + rot[8] * p.z;
        }
        if (has_loc) {
            q.x += loc[0];
            q.y += loc[1];
            q.z += loc[2];
        }
        return q;
    }

    // The placement that applies `inner` first and then this one.
    placement after(const placement& inner) const
    {
        placement combined;
        combined.has_rot = has_rot || inner.has_rot;
        combined.has_loc = has_loc || inner.has_loc;
        if (combined.has_rot) {
            for (int row = 0; row < 3; ++row) {
                for (int column = 0; column < 3; ++column) {
                    combined.rot[row * 3 + column] = rot[row * 3] * inner.rot[column] +
                                                     rot[row * 3 + 1] * inner.rot[3 + column] +
                                                     rot[row * 3 + 2] * inner.rot[6 + column];
                }
            }
        }
        const vec3 moved = apply(vec3{inner.loc[0], inner.loc[1], inner.loc[2]});
        combined.loc = {moved.x, moved.y, moved.z};
        return combined;
    }
};

}  // namespace vellumark::acfile

#endif
