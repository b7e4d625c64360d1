// Runs the built converter as a user would: a child process in a folder of
// its own, its output streams captured.
#ifndef VELLUMARK_TESTS_CLI_CONVERTER_PROCESS_H
#define VELLUMARK_TESTS_CLI_CONVERTER_PROCESS_H

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace vellumark::testing {

struct converter_run {
    // The exit status, or -1 when the process did not exit normally (a
    // crash).
    int status = -1;
    std::string out;
    std::string err;
};

// Settings of the child's environment, name and value.
using environment = std::vector<std::pair<std::string, std::string>>;

// `vellumark ARGS...` in `folder`, standard output and standard error each
// going to a file (so neither is a terminal).
converter_run run_converter(const std::filesystem::path& folder, const std::vector<std::string>& arguments,
                            const environment& settings = {});

// The same with standard error on a pseudo-terminal, standard output still
// going to a file; `err` holds what the terminal showed.
converter_run run_converter_on_terminal(const std::filesystem::path& folder,
                                        const std::vector<std::string>& arguments,
                                        const environment& settings = {});

// The source tree's samples/ and tests/cli/expected/ folders.
std::filesystem::path samples_dir();
std::filesystem::path expected_dir();

}  // namespace vellumark::testing

#endif
