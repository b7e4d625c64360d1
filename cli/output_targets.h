// Where each input's files go, and whether an export really replaced them.
#ifndef VELLUMARK_CLI_OUTPUT_TARGETS_H
#define VELLUMARK_CLI_OUTPUT_TARGETS_H

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "cli/command_line.h"

namespace vellumark::cli {

// The base path of one input: -o's file without its extension (by the
// export's path rule), or DIR/ and the input's file-name part with -d, or
// else the input's own path without its extension.
std::string base_path_for(const command_line& line, const std::string& input);

// The three files of a base path, in the order the export writes them.
std::array<std::string, 3> output_files(const std::string& base_path);

// A message for the first input whose files would overwrite another input's
// files, or an input itself; nullopt when every file is written once.
std::optional<std::string> find_target_clash(const std::vector<std::string>& inputs,
                                             const std::vector<std::string>& base_paths);

// The identity of a base path's three files before an export. The export
// writes each file beside its target and moves it over the target only once
// it is complete, so a file that was written has a new identity afterwards;
// one that could not be written is missing or unchanged. This tells a failed
// write also when the export was silent.
class target_snapshot {
public:
    explicit target_snapshot(const std::string& base_path);
    const std::array<std::string, 3>& files() const { return files_; }
    // Whether file i (0 .mtl, 1 .obj, 2 .pz3) was written since the snapshot.
    bool replaced(std::size_t index) const;

private:
    struct identity {
        unsigned long long device = 0;
        unsigned long long inode = 0;
    };
    static std::optional<identity> identify(const std::string& file);

    std::array<std::string, 3> files_;
    std::array<std::optional<identity>, 3> before_;
};

}  // namespace vellumark::cli

#endif
