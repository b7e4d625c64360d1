// Reads an AC3D model file (.ac) into the stand-in host's object tree, so that
// the export can run without the modeller.
#ifndef VELLUMARK_ACFILE_AC_READER_H
#define VELLUMARK_ACFILE_AC_READER_H

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "standin/standin_host.h"

namespace vellumark::acfile {

struct read_result {
    // False when the file was refused; the host's tree is then unusable and
    // nothing may be exported.
    bool ok = false;
    // "FILE:LINE: what is wrong" when refused (FILE as given by the caller).
    std::string error;
    // "FILE:LINE: warning: ..." for what was read but is not exported as the
    // file says (geometry on a group, a wrong data count, ...).
    std::vector<std::string> warnings;
    // The world object (the host's root) when ok.
    host_object* world = nullptr;
};

// Called now and then while a file is read, with the bytes read so far and
// the file's size (about every megabyte, and once at the end).
using read_progress = std::function<void(std::size_t done, std::size_t total)>;

// Reads the file at `path` into `host` (which must be empty). Messages name
// the file as `path`.
read_result read_ac_file(const std::string& path, standin::host& host, const read_progress& progress = {});

// The same from bytes already in memory; messages name the file as
// `file_label`.
read_result read_ac_text(std::string_view bytes, std::string_view file_label, standin::host& host,
                         const read_progress& progress = {});

}  // namespace vellumark::acfile

#endif
