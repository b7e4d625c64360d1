#include "tests/binaries/process.h"

#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>

#include "tests/support/test_files.h"

namespace vellumark::testing {
namespace {

std::string shell_quoted(const std::string& text)
{
    std::string quoted = "'";
    for (const char c : text) {
        if (c == '\'') {
            quoted += "'\\''";
        } else {
            quoted += c;
        }
    }
    return quoted + "'";
}

}  // namespace

process_result run_process(const std::vector<std::string>& arguments, const std::filesystem::path& working_dir,
                           const std::vector<std::pair<std::string, std::string>>& environment)
{
    scratch_dir scratch;
    const std::string errors_file = scratch.file("stderr");
    std::string command;
    if (!working_dir.empty()) {
        command += "cd " + shell_quoted(working_dir.string()) + " && ";
    }
    command += "exec env";
    for (const auto& [name, value] : environment) {
        command += " " + shell_quoted(name + "=" + value);
    }
    for (const std::string& argument : arguments) {
        command += " " + shell_quoted(argument);
    }
    command += " </dev/null 2>" + shell_quoted(errors_file);

    process_result result;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        result.exit_code = 127;
        return result;
    }
    char buffer[65536];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        result.output.append(buffer, got);
    }
    const int status = pclose(pipe);
    result.exit_code = status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.errors = read_file(errors_file).value_or("");
    return result;
}

std::vector<std::string> output_lines(const std::string& output)
{
    std::vector<std::string> lines;
    std::istringstream in(output);
    std::string line;
    while (std::getline(in, line)) {
        lines.push_back(line);
    }
    return lines;
}

}  // namespace vellumark::testing
