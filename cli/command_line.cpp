#include "cli/command_line.h"

#include <CLI/CLI.hpp>

namespace vellumark::cli {

parsed_command_line parse_command_line(int argc, const char* const* argv, std::ostream& out, std::ostream& err)
{
    command_line line;
    std::string output;
    std::string output_dir;
    std::string object_name;

    CLI::App app{"Converts AC3D model files (.ac) to Poser: for each input it writes a Poser scene (.pz3),\n"
                 "its Wavefront geometry (.obj) and material library (.mtl) side by side.",
                 "vellumark"};
    app.set_version_flag("--version", std::string("vellumark ") + VELLUMARK_VERSION);
    auto* output_option =
        app.add_option("-o,--output", output,
                       "The file to export to, as picked in the modeller's export dialog: its extension is "
                       "dropped and FILE's .mtl, .obj and .pz3 are written (only with a single input)")
            ->type_name("FILE");
    auto* output_dir_option =
        app.add_option("-d,--output-dir", output_dir,
                       "Writes each input's files to DIR, named after the input's file name")
            ->type_name("DIR");
    output_option->excludes(output_dir_option);
    auto* object_option =
        app.add_option("--object", object_name,
                       "Exports the first object named NAME (depth first, in file order) instead of the whole "
                       "model")
            ->type_name("NAME");
    app.add_flag("--silent", line.silent,
                 "The export's silent flag: it shows no error messages (the exit status still tells)");
    app.add_flag("-q,--quiet", line.quiet, "Prints neither \"Done.\" nor the summary of each export");
    app.add_option("INPUT", line.inputs, "The AC3D model files (.ac) to convert")->type_name("FILE.ac")->required();
    app.footer("Without -o or -d each input's files are written beside it, under its own name without its\n"
               "extension. Exit status: 0 when every file of every input was written, 1 when an export\n"
               "reported an error, 2 for a usage error or an input that cannot be read or is malformed.");

    try {
        app.parse(argc, argv);
        if (output_option->count() > 0 && line.inputs.size() > 1) {
            throw CLI::ValidationError("--output", "takes a single input; use --output-dir for several");
        }
    } catch (const CLI::ParseError& error) {
        if (error.get_exit_code() == static_cast<int>(CLI::ExitCodes::Success)) {
            // --help or --version.
            app.exit(error, out, err);
            return {std::nullopt, exit_ok};
        }
        err << "vellumark: " << error.what() << "\n"
            << "Run with --help for more information.\n";
        return {std::nullopt, exit_usage};
    }
    if (output_option->count() > 0) {
        line.output = output;
    }
    if (output_dir_option->count() > 0) {
        line.output_dir = output_dir;
    }
    if (object_option->count() > 0) {
        line.object_name = object_name;
    }
    return {std::move(line), exit_ok};
}

}  // namespace vellumark::cli
