// The one-line summary that the converter prints after each export.
#ifndef VELLUMARK_CLI_EXPORT_SUMMARY_H
#define VELLUMARK_CLI_EXPORT_SUMMARY_H

#include <array>
#include <cstddef>
#include <optional>
#include <string>

#include "host/ac3d_host.h"

namespace vellumark::cli {

struct export_counts {
    std::size_t actors = 0;
    std::size_t null_actors = 0;
    std::size_t meshes = 0;
    std::size_t materials = 0;
    // Triangle surfaces of all meshes: the faces of the geometry file.
    std::size_t triangles = 0;
};

// What an export of `object` holds, found by the export's own walk over the
// stand-in host's tree; nullopt when the walk fails.
std::optional<export_counts> count_export(host_object* object);

// "INPUT: 7 actors (1 null), 6 meshes, 3 materials, 68 triangles; wrote A, B, C",
// naming after "not written:" any of the three files that the export could
// not write.
std::string format_summary(const std::string& input, const export_counts& counts,
                           const std::array<std::string, 3>& files, const std::array<bool, 3>& written);

}  // namespace vellumark::cli

#endif
