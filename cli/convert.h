// One input of the converter: read the .ac file into a stand-in host, pick
// the object, run the plug-in's own export on it and report.
#ifndef VELLUMARK_CLI_CONVERT_H
#define VELLUMARK_CLI_CONVERT_H

#include <string>

#include "cli/command_line.h"
#include "cli/progress_bar.h"

namespace vellumark::cli {

// Converts `input` to the three files of `base_path`. Returns exit_ok when
// all three were written, exit_export_failed when the export reported an
// error or a file was not written (also in silent mode), exit_usage when the
// input cannot be read, is malformed (nothing is exported then) or lacks the
// object asked for.
int convert_input(const command_line& line, const std::string& input, const std::string& base_path,
                  progress_bar& progress);

}  // namespace vellumark::cli

#endif
