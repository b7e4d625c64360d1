// vellumark: converts AC3D model files (.ac) to Poser with the plug-in's own
// export, our stand-in host answering the host functions.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "cli/convert.h"
#include "cli/output_targets.h"
#include "cli/progress_bar.h"

namespace {

// How long a step runs before its progress bar shows. The tests shorten it
// through VELLUMARK_PROGRESS_DELAY_MS to see the bar on a short run.
std::chrono::milliseconds progress_delay()
{
    const char* setting = std::getenv("VELLUMARK_PROGRESS_DELAY_MS");
    if (setting != nullptr && *setting != '\0') {
        char* end = nullptr;
        const long value = std::strtol(setting, &end, 10);
        if (end != nullptr && *end == '\0' && value >= 0) {
            return std::chrono::milliseconds(value);
        }
    }
    return std::chrono::milliseconds(1000);
}

}  // namespace

int main(int argc, char** argv)
{
    using namespace vellumark::cli;
    const parsed_command_line parsed = parse_command_line(argc, argv, std::cout, std::cerr);
    if (!parsed.line) {
        return parsed.exit_status;
    }
    const command_line& line = *parsed.line;

    std::vector<std::string> base_paths;
    for (const std::string& input : line.inputs) {
        base_paths.push_back(base_path_for(line, input));
    }
    if (const auto clash = find_target_clash(line.inputs, base_paths)) {
        std::cerr << "vellumark: " << *clash << "\n";
        return exit_usage;
    }

    // Each input is converted on its own; one that fails does not stop the
    // others, and the worst outcome is the exit status.
    progress_bar progress(standard_error_is_terminal(), progress_delay());
    int status = exit_ok;
    for (std::size_t i = 0; i < line.inputs.size(); ++i) {
        status = std::max(status, convert_input(line, line.inputs[i], base_paths[i], progress));
    }
    return status;
}
