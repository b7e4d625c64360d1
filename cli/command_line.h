// The converter's command line: `vellumark [options] INPUT.ac...`.
#ifndef VELLUMARK_CLI_COMMAND_LINE_H
#define VELLUMARK_CLI_COMMAND_LINE_H

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace vellumark::cli {

// Exit statuses of the converter.
inline constexpr int exit_ok = 0;
// An export reported an error (a file that could not be written).
inline constexpr int exit_export_failed = 1;
// A usage error, or an input that cannot be read or is malformed.
inline constexpr int exit_usage = 2;

struct command_line {
    std::vector<std::string> inputs;
    // -o: the file to export to, as chosen in the modeller's export dialog.
    std::optional<std::string> output;
    // -d: the folder that every input's files go to.
    std::optional<std::string> output_dir;
    // --object: the name of the object to export instead of the whole model.
    std::optional<std::string> object_name;
    // --silent: the export's own silent flag.
    bool silent = false;
    // -q: no "Done." and no summary.
    bool quiet = false;
};

struct parsed_command_line {
    // Set when the converter is to run; otherwise it ends with exit_status
    // (0 after --help or --version, exit_usage after an error, which has
    // been written to `err`).
    std::optional<command_line> line;
    int exit_status = exit_ok;
};

parsed_command_line parse_command_line(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

}  // namespace vellumark::cli

#endif
