#include "common/path_split.h"

namespace vellumark {

path_parts split_path(std::string_view path)
{
    path_parts parts;
    std::size_t drive_end = 0;
    if (path.size() >= 2 && path[1] == ':') {
        drive_end = 2;
    }
    std::size_t directory_end = drive_end;
    const std::size_t last_separator = path.find_last_of("\\/");
    if (last_separator != std::string_view::npos && last_separator >= drive_end) {
        directory_end = last_separator + 1;
    }
    std::size_t extension_begin = path.size();
    const std::size_t last_stop = path.rfind('.');
    if (last_stop != std::string_view::npos && last_stop >= directory_end) {
        extension_begin = last_stop;
    }
    parts.drive = path.substr(0, drive_end);
    parts.directory = path.substr(drive_end, directory_end - drive_end);
    parts.file_name = path.substr(directory_end, extension_begin - directory_end);
    parts.extension = path.substr(extension_begin);
    return parts;
}

std::string strip_extension(std::string_view path)
{
    const path_parts parts = split_path(path);
    return parts.drive + parts.directory + parts.file_name;
}

std::string file_name_with_extension(std::string_view path)
{
    const path_parts parts = split_path(path);
    return parts.file_name + parts.extension;
}

}  // namespace vellumark
