// The path rule shared by the exporter callback and the three writers: a path
// splits into drive, directory, file-name part and extension.
#ifndef VELLUMARK_COMMON_PATH_SPLIT_H
#define VELLUMARK_COMMON_PATH_SPLIT_H

#include <string>
#include <string_view>

namespace vellumark {

struct path_parts {
    // The first two characters when the second is a colon, else empty.
    std::string drive;
    // After the drive, up to and including the last backslash or slash.
    std::string directory;
    // Between directory and extension.
    std::string file_name;
    // From the last full stop after the directory to the end, the full stop
    // included; empty when there is none.
    std::string extension;
};

path_parts split_path(std::string_view path);

// Drive, directory and file-name part back to back: the path without its
// extension.
std::string strip_extension(std::string_view path);

// File-name part and extension together: everything after drive and
// directory.
std::string file_name_with_extension(std::string_view path);

}  // namespace vellumark

#endif
