// Runs a program for the binary tests and collects what it printed.
#ifndef VELLUMARK_TESTS_BINARIES_PROCESS_H
#define VELLUMARK_TESTS_BINARIES_PROCESS_H

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace vellumark::testing {

struct process_result {
    // The exit status; -1 when the program did not exit normally, 127 when
    // it could not be started.
    int exit_code = -1;
    std::string output;
    std::string errors;
};

// Runs arguments[0] with the rest as its arguments, in `working_dir` when
// given, with `environment` added to this process's environment.
process_result run_process(const std::vector<std::string>& arguments, const std::filesystem::path& working_dir = {},
                           const std::vector<std::pair<std::string, std::string>>& environment = {});

// The output as lines, without their line feeds.
std::vector<std::string> output_lines(const std::string& output);

}  // namespace vellumark::testing

#endif
