#include "cli/convert.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "acfile/ac_reader.h"
#include "cli/export_summary.h"
#include "cli/object_search.h"
#include "cli/output_targets.h"
#include "common/messages.h"
#include "common/path_split.h"
#include "plugin/export_driver.h"
#include "standin/standin_host.h"

namespace vellumark::cli {

int convert_input(const command_line& line, const std::string& input, const std::string& base_path,
                  progress_bar& progress)
{
    standin::host host;
    progress.begin_reading(input);
    const acfile::read_result model = acfile::read_ac_file(
        input, host, [&progress](std::size_t done, std::size_t total) { progress.report_reading(done, total); });
    progress.end();
    for (const std::string& warning : model.warnings) {
        progress.print(stderr, warning + "\n");
    }
    if (!model.ok) {
        progress.print(stderr, model.error + "\n");
        return exit_usage;
    }

    host_object* object = model.world;
    if (line.object_name) {
        object = find_object_by_name(model.world, *line.object_name);
        if (object == nullptr) {
            progress.print(stderr, "vellumark: " + input + ": no object named \"" + *line.object_name + "\"\n");
            return exit_usage;
        }
    }

    // What the modeller shows in its dialogs goes to standard error, what it
    // shows on its status line to standard output.
    host.on_dialog = [&progress](const std::string& text) { progress.print(stderr, "vellumark: " + text + "\n"); };
    host.on_display = [&progress, &line](const std::string& text) {
        if (!line.quiet) {
            progress.print(stdout, text + "\n");
        }
    };

    // The folder of the files, as a save dialog would have it: made when
    // missing. When it cannot be made, the export reports the files that it
    // cannot write.
    const path_parts parts = split_path(base_path);
    if (const std::string folder = parts.drive + parts.directory; !folder.empty()) {
        std::error_code ignored;
        std::filesystem::create_directories(folder, ignored);
    }

    const target_snapshot targets(base_path);
    progress.begin_writing(targets);
    poser_export(line.silent ? 1 : 0, base_path.c_str(), reinterpret_cast<intptr_t>(object));
    progress.end();

    // "Done." comes only from an export that got past the walk.
    bool walked = false;
    for (const std::string& text : host.displays) {
        walked = walked || text == done_message;
    }
    std::array<bool, 3> written{};
    bool all_written = true;
    for (std::size_t i = 0; i < written.size(); ++i) {
        written[i] = targets.replaced(i);
        all_written = all_written && written[i];
    }
    if (walked && !line.quiet) {
        if (const std::optional<export_counts> counts = count_export(object)) {
            progress.print(stdout, format_summary(input, *counts, targets.files(), written) + "\n");
        }
    }
    return walked && all_written && host.dialogs.empty() ? exit_ok : exit_export_failed;
}

}  // namespace vellumark::cli
