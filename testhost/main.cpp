// The test host: a stand-in for the modeller that loads the real plug-in
// library. The executable provides the 25 host functions (the stand-in
// host's), loads the plug-in by path, finds its three entry points by name,
// checks what AC3DPluginInit registered and runs exports the two ways the
// modeller does: through the registered exporter with a chosen file name, and
// through the registered command with the silent flag, a base path and an
// object handle.
//
//   vellumark_testhost PLUGIN [STEP...]
//
// Steps run in order:
//   --builtin          the model built in code (the default: an empty world)
//   --model FILE.ac    a model read from FILE.ac
//   --null-object      the exports that follow get a null object handle
//   --exporter NAME    export through the exporter, chosen file name NAME
//   --command BASE     export through the command, silent flag 0
//   --silent-command BASE  the same with the silent flag 1
//
// Every host message is printed as it is shown ("dialog: ..." and
// "display: ..."), every export as "export KIND ARGUMENT -> RESULT". The exit
// status is 0 when everything matched, 1 on any mismatch, 2 on a usage
// error. A model that the reader refuses is reported ("refused: ...") and its
// exports are skipped ("skipped: ..."), which is no mismatch.
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "standin/standin_host.h"
#include "testhost/builtin_model.h"
#include "testhost/plugin_library.h"

#ifdef VELLUMARK_TESTHOST_ACFILE
#include "acfile/ac_reader.h"
#endif

namespace {

using vellumark::standin::host;
using vellumark::testhost::plugin_library;

using init_function = int (*)(void*);
using exit_function = int (*)();
using about_function = const char* (*)();

// The stand-in host's answers, by which the command's result tells which
// host call it returned.
constexpr int dialog_result = 1;
constexpr int display_result = 2;

int mismatches = 0;

void print_line(std::string_view text)
{
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void mismatch(const std::string& what)
{
    ++mismatches;
    print_line("MISMATCH: " + what);
}

// Control characters shown as escapes, so that every message stays on one
// line of the transcript.
std::string escaped(std::string_view text)
{
    std::string out;
    for (const char c : text) {
        if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c == '\\') {
            out += "\\\\";
        } else {
            out += c;
        }
    }
    return out;
}

void print_messages_of(host& h)
{
    h.on_dialog = [](const std::string& text) { print_line("dialog: " + escaped(text)); };
    h.on_display = [](const std::string& text) { print_line("display: " + escaped(text)); };
}

template <typename Value>
void expect_equal(const char* what, const Value& actual, const Value& expected)
{
    if (!(actual == expected)) {
        mismatch(std::string(what) + " differs");
    }
}

// What AC3DPluginInit must have registered, in the host's own terms.
bool check_registration(const host& registry, const plugin_library& plugin)
{
    const int before = mismatches;
    if (registry.commands.size() != 1) {
        mismatch("the plug-in registered " + std::to_string(registry.commands.size()) + " commands, not 1");
    } else {
        const auto& command = registry.commands.front();
        expect_equal("command name", command.name, std::string("vellumark_save"));
        expect_equal("command argument count", command.argument_count, 3);
        expect_equal("command argument types", command.argument_types, std::string("dsd"));
        expect_equal("command usage", command.usage,
                     std::string("<silent mode true\\false> <file name without extension> "
                                 "<pointer to object to export>"));
        expect_equal("command help", command.help, std::string("Exports the specified object to Poser format."));
        if (command.handler == nullptr) {
            mismatch("the command has no handler");
        } else if (!plugin.contains(reinterpret_cast<const void*>(command.handler))) {
            mismatch("the command handler is not the plug-in's code");
        }
    }
    if (registry.exporters.size() != 1) {
        mismatch("the plug-in registered " + std::to_string(registry.exporters.size()) + " exporters, not 1");
    } else {
        const auto& exporter = registry.exporters.front();
        expect_equal("exporter identifier", exporter.identifier, std::string("POSERPZ3"));
        expect_equal("exporter extension", exporter.extension, std::string(".pz3"));
        expect_equal("exporter label", exporter.label, std::string("Poser"));
        expect_equal("exporter description", exporter.description,
                     std::string("plugin, version 1.0, Quillfeather"));
        if (exporter.callback == nullptr) {
            mismatch("the exporter has no callback");
        } else if (!plugin.contains(reinterpret_cast<const void*>(exporter.callback))) {
            mismatch("the exporter callback is not the plug-in's code");
        }
    }
    return mismatches == before;
}

enum class entry { exporter, command, silent_command };

struct model_state {
    std::unique_ptr<host> model_host;
    host_object* world = nullptr;
    std::string refusal;
    bool null_object = false;
};

void new_model(model_state& model)
{
    // The old host goes first, so that the registry host is current again
    // before the new one takes over.
    model.model_host.reset();
    model.model_host = std::make_unique<host>();
    print_messages_of(*model.model_host);
    model.world = nullptr;
    model.refusal.clear();
    model.null_object = false;
}

void run_export(model_state& model, const vellumark::standin::command_registration& command,
                const vellumark::standin::exporter_registration& exporter, entry kind, const std::string& argument)
{
    static constexpr const char* kind_names[] = {"exporter", "command", "silent-command"};
    const char* kind_name = kind_names[static_cast<int>(kind)];
    if (!model.refusal.empty()) {
        print_line(std::string("skipped: ") + kind_name + " " + escaped(argument));
        return;
    }
    host& h = *model.model_host;
    host_object* object = model.null_object ? nullptr : model.world;
    const std::size_t dialogs_before = h.dialogs.size();
    const std::size_t displays_before = h.displays.size();

    int result = 0;
    if (kind == entry::exporter) {
        result = exporter.callback(argument.c_str(), object);
    } else {
        result = command.handler(kind == entry::silent_command ? 1 : 0, argument.c_str(),
                                 reinterpret_cast<intptr_t>(object));
    }
    print_line(std::string("export ") + kind_name + " " + escaped(argument) + " -> " + std::to_string(result));

    const std::size_t dialogs = h.dialogs.size() - dialogs_before;
    const std::size_t displays = h.displays.size() - displays_before;
    if (kind == entry::exporter) {
        if (result != 1) {
            mismatch("the exporter returned " + std::to_string(result) + ", not 1");
        }
    } else {
        // The result of the last host call: display_message after an export,
        // message_dialog after a reported walk failure, else 0.
        const int expected = displays != 0 ? display_result : (dialogs != 0 ? dialog_result : 0);
        if (result != expected) {
            mismatch("the command returned " + std::to_string(result) + ", not " + std::to_string(expected));
        }
    }
    if (kind == entry::silent_command && dialogs != 0) {
        mismatch("a silent export showed a dialog");
    }
    if (object != nullptr && (displays != 1 || h.displays.back() != "Done.")) {
        mismatch("an export did not end with exactly one \"Done.\"");
    }
    if (h.outstanding() != 0) {
        mismatch(std::to_string(h.outstanding()) + " host lists or arrays were not released");
    }
}

int usage()
{
    std::fputs("usage: vellumark_testhost PLUGIN [--builtin | --model FILE.ac | --null-object |\n"
               "       --exporter NAME | --command BASE | --silent-command BASE]...\n",
               stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
#ifdef _WIN32
    // The transcript has the same bytes on both platforms.
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    if (argc < 2) {
        return usage();
    }
    const std::vector<std::string> arguments(argv + 2, argv + argc);
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& step = arguments[i];
        const bool takes_value = step == "--model" || step == "--exporter" || step == "--command" ||
                                 step == "--silent-command";
        if (takes_value) {
            if (++i == arguments.size()) {
                return usage();
            }
        } else if (step != "--builtin" && step != "--null-object") {
            return usage();
        }
    }

    // Registration goes to a host of its own, current while the plug-in
    // initialises; each model then gets a fresh host.
    host registry;
    print_messages_of(registry);

    plugin_library plugin(argv[1]);
    if (!plugin.loaded()) {
        print_line(std::string("cannot load ") + argv[1] + ": " + plugin.error());
        return 1;
    }
    const auto init = reinterpret_cast<init_function>(plugin.symbol("AC3DPluginInit"));
    const auto exit = reinterpret_cast<exit_function>(plugin.symbol("AC3DPluginExit"));
    const auto about = reinterpret_cast<about_function>(plugin.symbol("AC3DPluginAbout"));
    if (init == nullptr || exit == nullptr || about == nullptr) {
        print_line("the plug-in lacks an entry point (AC3DPluginInit, AC3DPluginExit, AC3DPluginAbout)");
        return 1;
    }

    const int init_result = init(nullptr);
    print_line("init -> " + std::to_string(init_result));
    if (init_result != 0) {
        mismatch("AC3DPluginInit returned " + std::to_string(init_result) + ", not 0");
    }
    const char* about_text = about();
    if (about_text == nullptr || *about_text == '\0') {
        mismatch("AC3DPluginAbout gave no text");
    } else {
        print_line(std::string("about: ") + escaped(about_text));
    }
    if (!check_registration(registry, plugin)) {
        return 1;
    }
    print_line("registered: command vellumark_save, exporter POSERPZ3");
    const auto command = registry.commands.front();
    const auto exporter = registry.exporters.front();

    model_state model;
    new_model(model);
    model.world = &model.model_host->root();
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& step = arguments[i];
        if (step == "--builtin") {
            new_model(model);
            model.world = &vellumark::testhost::build_builtin_model(*model.model_host);
            print_line("model: built in");
        } else if (step == "--model") {
            const std::string& file = arguments[++i];
            new_model(model);
#ifdef VELLUMARK_TESTHOST_ACFILE
            const auto read = vellumark::acfile::read_ac_file(file, *model.model_host);
            if (read.ok) {
                model.world = read.world;
                print_line("model: " + file);
            } else {
                model.refusal = read.error;
                print_line("refused: " + read.error);
            }
#else
            model.refusal = "this test host was built without the .ac reader";
            print_line("refused: " + file + ": " + model.refusal);
#endif
        } else if (step == "--null-object") {
            model.null_object = true;
        } else if (step == "--exporter") {
            run_export(model, command, exporter, entry::exporter, arguments[++i]);
        } else if (step == "--command") {
            run_export(model, command, exporter, entry::command, arguments[++i]);
        } else if (step == "--silent-command") {
            run_export(model, command, exporter, entry::silent_command, arguments[++i]);
        }
    }
    model.model_host.reset();

    const int exit_result = exit();
    if (exit_result != 0) {
        mismatch("AC3DPluginExit returned " + std::to_string(exit_result) + ", not 0");
    }
    print_line(mismatches == 0 ? "ok" : std::to_string(mismatches) + " mismatches");
    return mismatches == 0 ? 0 : 1;
}
