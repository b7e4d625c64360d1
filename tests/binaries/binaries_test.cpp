// The real plug-in libraries, loaded the way the modeller loads them: the
// Linux shared object in its test host, the 32-bit Windows DLL in ac3d.exe
// under Wine. Both must export only the entry points, take the host functions
// from the executable, and write byte for byte the files that the converter
// writes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "tests/binaries/process.h"
#include "tests/support/test_files.h"

namespace vellumark::testing {
namespace {

namespace fs = std::filesystem;

const std::string testhost = VELLUMARK_TESTHOST;
const std::string linux_plugin = VELLUMARK_PLUGIN;
// Empty when the converter is not part of this build.
const std::string converter = VELLUMARK_CONVERTER;
const fs::path mingw_dir = VELLUMARK_MINGW_DIR;
const fs::path wine_prefix = VELLUMARK_WINE_PREFIX;
const fs::path source_dir = VELLUMARK_SOURCE_DIR;

// The modeller's functions that the plug-in calls, and nothing else.
const std::set<std::string> host_functions = {
    "ac_add_command_full",        "ac_register_file_exporter",   "message_dialog",
    "display_message",            "ac_object_get_type",          "ac_object_get_name",
    "ac_object_get_centre",       "ac_object_get_num_vertices",  "ac_object_get_vertexlist",
    "ac_object_get_vertex_index", "ac_object_has_texture",       "ac_object_get_texture_index",
    "texture_id_to_name",         "ac_object_get_triangle_surfaces", "ac_surfacelist_free",
    "ac_object_get_childrenlist", "ac_object_get_num_children",  "list_get_item",
    "list_count",                 "list_create_array",           "myfree",
    "ac_palette_get_material",    "ac_entity_get_rgb_value",     "ac_entity_get_float_value",
    "ac_entity_get_string_value"};

const std::set<std::string> entry_points = {"AC3DPluginInit", "AC3DPluginExit", "AC3DPluginAbout"};

// Functions of the export code (C++ names as nm -C shows them), none of
// which may be in a test host: the plug-in's own copy is what must run.
const std::vector<std::string> export_code_functions = {
    "vellumark::poser_export(",   "vellumark::export_file_callback(", "vellumark::collect_actors(",
    "vellumark::write_mtl_file(", "vellumark::write_obj_file(",       "vellumark::write_pz3_file(",
    "AC3DPluginInit"};

// The DLLs that every Windows machine has; anything else (a MinGW runtime
// DLL) would keep the plug-in from loading on a user's machine.
const std::set<std::string> system_dlls = {"kernel32.dll", "msvcrt.dll"};

bool in_ci()
{
    const char* ci = std::getenv("CI");
    return ci != nullptr && std::string_view(ci) == "true";
}

std::string lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
    return text;
}

std::string joined(const std::set<std::string>& names)
{
    std::string out;
    for (const auto& name : names) {
        out += (out.empty() ? "" : " ") + name;
    }
    return out;
}

// Every line end is CRLF, and nothing follows the last one (an empty file
// is a file of no lines).
bool crlf_only(const std::string& bytes)
{
    if (!bytes.empty() && bytes.back() != '\n') {
        return false;
    }
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r')) {
            return false;
        }
    }
    return true;
}

// ---------------------------------------------------------------- symbols

struct nm_symbol {
    char type = '?';
    std::string name;
};

std::vector<nm_symbol> nm_symbols(const std::vector<std::string>& arguments)
{
    const process_result run = run_process(arguments);
    EXPECT_EQ(run.exit_code, 0) << arguments.front() << ": " << run.errors;
    std::vector<nm_symbol> symbols;
    for (const std::string& line : output_lines(run.output)) {
        // "ADDRESS T name", or "         U name" for an undefined one.
        std::istringstream fields(line);
        std::vector<std::string> parts;
        std::string part;
        while (fields >> part) {
            parts.push_back(part);
        }
        if (parts.size() == 2 && parts[0].size() == 1) {
            symbols.push_back({parts[0][0], parts[1]});
        } else if (parts.size() >= 3 && parts[1].size() == 1) {
            std::string name = line.substr(line.find(parts[1] + " ") + 2);
            symbols.push_back({parts[1][0], name});
        }
    }
    return symbols;
}

// ---------------------------------------------------------------- PE tables

struct pe_tables {
    std::string format;
    std::set<std::string> exports;
    // DLL name (lower case) to the functions imported from it.
    std::map<std::string, std::set<std::string>> imports;
};

pe_tables read_pe_tables(const fs::path& file)
{
    pe_tables tables;
    const process_result run = run_process({"i686-w64-mingw32-objdump", "-p", file.string()});
    EXPECT_EQ(run.exit_code, 0) << run.errors;
    enum class section { none, exports, imports } in = section::none;
    std::string dll;
    for (const std::string& line : output_lines(run.output)) {
        if (line.find("file format ") != std::string::npos && tables.format.empty()) {
            tables.format = line.substr(line.find("file format ") + 12);
        }
        if (line.empty()) {
            in = section::none;
            continue;
        }
        if (line.rfind("[Ordinal/Name Pointer] Table", 0) == 0) {
            in = section::exports;
            continue;
        }
        if (const auto at = line.find("DLL Name: "); at != std::string::npos) {
            dll = lower(line.substr(at + 10));
            tables.imports[dll];
            in = section::imports;
            continue;
        }
        std::istringstream fields(line);
        std::vector<std::string> parts;
        std::string part;
        while (fields >> part) {
            parts.push_back(part);
        }
        if (in == section::exports && parts.size() == 3 && parts[0] == "[") {
            tables.exports.insert(parts[2]);
        } else if (in == section::exports && parts.size() == 2 && parts[0].front() == '[') {
            tables.exports.insert(parts[1]);
        } else if (in == section::imports && parts.size() == 3 && parts[0] != "vma:") {
            tables.imports[dll].insert(parts[2]);
        }
    }
    return tables;
}

// ---------------------------------------------------------------- models

struct model {
    // The file-name part of every export of it.
    std::string name;
    // Empty for the model built into the test host.
    fs::path file;
};

// The model built into the test host, the sample figure, and every file of
// the shared corpus when it is there.
std::vector<model> models()
{
    std::vector<model> list{{"builtin", {}}};
    const fs::path figure = source_dir / "samples" / "figure.ac";
    if (fs::exists(figure)) {
        list.push_back({"figure", figure});
    }
    if (const auto shared = shared_dir()) {
        std::vector<fs::path> files;
        for (const auto& entry : fs::directory_iterator(*shared / "corpus")) {
            if (entry.path().extension() == ".ac") {
                files.push_back(entry.path());
            }
        }
        std::sort(files.begin(), files.end());
        for (const auto& file : files) {
            list.push_back({"corpus-" + file.stem().string(), file});
        }
    } else {
        std::printf("the shared corpus is absent: only the built-in model and the sample are compared\n");
    }
    return list;
}

// The Windows view of a file of this machine under Wine (drive Z: is /).
std::string wine_path(const fs::path& path)
{
    std::string text = "Z:" + fs::absolute(path).string();
    std::replace(text.begin(), text.end(), '/', '\\');
    return text;
}

// The test host's steps: every model exported through the exporter into
// out/ and through the silent command into out/cmd/, all paths relative
// with forward slashes so that both platforms get the same arguments; then
// the failures that go through the host's dialogs.
std::vector<std::string> export_steps(const std::vector<model>& list, bool windows)
{
    std::vector<std::string> steps;
    for (const model& m : list) {
        if (m.file.empty()) {
            steps.push_back("--builtin");
        } else {
            steps.push_back("--model");
            steps.push_back(windows ? wine_path(m.file) : m.file.string());
        }
        steps.insert(steps.end(), {"--exporter", "out/" + m.name + ".pz3", "--silent-command", "out/cmd/" + m.name});
    }
    steps.insert(steps.end(), {"--builtin", "--exporter", "missing/x.pz3", "--silent-command", "missing/y",
                               "--null-object", "--command", "out/null", "--silent-command", "out/null"});
    return steps;
}

void make_output_folders(const fs::path& dir)
{
    fs::create_directories(dir / "out" / "cmd");
}

// The files of a folder tree by relative path.
std::set<std::string> files_below(const fs::path& dir)
{
    std::set<std::string> files;
    if (fs::exists(dir)) {
        for (const auto& entry : fs::recursive_directory_iterator(dir)) {
            if (entry.is_regular_file()) {
                files.insert(fs::relative(entry.path(), dir).generic_string());
            }
        }
    }
    return files;
}

// Every file of `expected_dir` is in `actual_dir` with the same bytes, and
// there is no other; every file is all CRLF.
void expect_same_files(const fs::path& expected_dir, const fs::path& actual_dir, const std::string& what)
{
    const auto expected = files_below(expected_dir);
    const auto actual = files_below(actual_dir);
    EXPECT_FALSE(expected.empty()) << what << ": nothing was written";
    EXPECT_EQ(actual, expected) << what << ": not the same files";
    for (const auto& name : expected) {
        if (actual.count(name) == 0) {
            continue;
        }
        const auto want = read_file(expected_dir / name);
        const auto got = read_file(actual_dir / name);
        ASSERT_TRUE(want && got) << name;
        EXPECT_TRUE(crlf_only(*want)) << name << " has a line that does not end in CRLF";
        if (*got != *want) {
            std::size_t at = 0;
            while (at < got->size() && at < want->size() && (*got)[at] == (*want)[at]) {
                ++at;
            }
            ADD_FAILURE() << what << ": " << name << " differs from byte " << at << " on ("
                          << got->size() << " bytes against " << want->size() << ")";
        }
    }
}

// ---------------------------------------------------------------- Windows

std::string wine_probe()
{
    const process_result run = run_process({"wine", "--version"});
    return run.output + run.errors;
}

// Whether the Windows binaries are there to inspect; skips (or, under CI,
// fails) when the cross tools were missing.
#define REQUIRE_WINDOWS_BUILD()                                                                                   \
    do {                                                                                                          \
        if (!fs::exists(mingw_dir / "vellumark.dll") || !fs::exists(mingw_dir / "ac3d.exe")) {                   \
            if (in_ci()) {                                                                                        \
                FAIL() << "the Windows plug-in was not built in " << mingw_dir << " (see binaries.cross_build)"; \
            }                                                                                                     \
            GTEST_SKIP() << "the Windows plug-in was not built (MinGW-w64 missing?)";                            \
        }                                                                                                         \
    } while (false)

// Whether Wine can run ac3d.exe here; skips when it cannot (a machine whose
// kernel runs no 32-bit x86 code, or Wine missing on a developer's machine),
// fails when Wine is missing under CI.
#define REQUIRE_WINE()                                                                                      \
    do {                                                                                                    \
        if (!fs::exists(wine_prefix / "system.reg")) {                                                      \
            const std::string probe = wine_probe();                                                         \
            if (probe.find("Exec format error") != std::string::npos) {                                     \
                GTEST_SKIP() << "this machine cannot run 32-bit x86 programs, so Wine cannot run ac3d.exe"; \
            }                                                                                               \
            if (in_ci()) {                                                                                  \
                FAIL() << "no Wine prefix in " << wine_prefix << " (wine --version: " << probe << ")";     \
            }                                                                                               \
            GTEST_SKIP() << "Wine is not ready (wine --version: " << probe << ")";                         \
        }                                                                                                   \
    } while (false)

process_result run_under_wine(const std::vector<std::string>& steps, const fs::path& working_dir)
{
    std::vector<std::string> arguments{"wine", (mingw_dir / "ac3d.exe").string(),
                                       wine_path(mingw_dir / "vellumark.dll")};
    arguments.insert(arguments.end(), steps.begin(), steps.end());
    return run_process(arguments, working_dir,
                       {{"WINEPREFIX", wine_prefix.string()}, {"WINEDEBUG", "-all"},
                        {"WINEDLLOVERRIDES", "mscoree,mshtml="}, {"DISPLAY", ""}});
}

process_result run_linux_host(const std::vector<std::string>& steps, const fs::path& working_dir)
{
    std::vector<std::string> arguments{testhost, linux_plugin};
    arguments.insert(arguments.end(), steps.begin(), steps.end());
    return run_process(arguments, working_dir);
}

// ================================================================= Linux

TEST(linux_plugin, exports_only_the_entry_points_and_leaves_the_host_functions_to_the_executable)
{
    std::set<std::string> defined;
    for (const auto& symbol : nm_symbols({"nm", "-D", "--defined-only", linux_plugin})) {
        defined.insert(symbol.name);
    }
    EXPECT_EQ(defined, entry_points) << "exported: " << joined(defined);

    // Undefined and found in none of the libraries that it needs: what the
    // executable must provide. (The C and C++ libraries provide the rest; in
    // the sanitizer build the sanitizers' runtime provides some of them.)
    std::set<std::string> from_libraries;
    const process_result needed = run_process({"ldd", linux_plugin});
    ASSERT_EQ(needed.exit_code, 0) << needed.output << needed.errors;
    for (const std::string& line : output_lines(needed.output)) {
        // "\tlibc.so.6 => /lib/x86_64-linux-gnu/libc.so.6 (0x...)"
        const auto arrow = line.find("=> /");
        if (arrow == std::string::npos) {
            continue;
        }
        const std::string library = line.substr(arrow + 3, line.find(" (", arrow) - arrow - 3);
        for (const auto& symbol : nm_symbols({"nm", "-D", "--defined-only", library})) {
            from_libraries.insert(symbol.name.substr(0, symbol.name.find('@')));
        }
    }
    EXPECT_FALSE(from_libraries.empty()) << "ldd named no library of " << linux_plugin;
    std::set<std::string> from_executable;
    for (const auto& symbol : nm_symbols({"nm", "-D", "--undefined-only", linux_plugin})) {
        const std::string name = symbol.name.substr(0, symbol.name.find('@'));
        if (symbol.type == 'U' && from_libraries.count(name) == 0) {
            from_executable.insert(name);
        }
    }
    EXPECT_EQ(from_executable, host_functions) << "left to the executable: " << joined(from_executable);
}

TEST(linux_plugin, test_host_provides_the_host_functions_and_none_of_the_export_code)
{
    std::set<std::string> exported;
    for (const auto& symbol : nm_symbols({"nm", "-D", "--defined-only", testhost})) {
        exported.insert(symbol.name);
    }
    for (const auto& name : host_functions) {
        EXPECT_EQ(exported.count(name), 1u) << "the test host does not export " << name;
    }
    for (const auto& symbol : nm_symbols({"nm", "-C", testhost})) {
        for (const auto& function : export_code_functions) {
            EXPECT_EQ(symbol.name.find(function), std::string::npos) << "the test host contains " << symbol.name;
        }
    }
}

// The transcript of the built-in model's exports and of the failures, as the
// host shows them.
const std::vector<std::string> builtin_transcript = {
    "registered: command vellumark_save, exporter POSERPZ3",
    "model: built in",
    "display: Done.",
    "export exporter out/builtin.pz3 -> 1",
    "display: Done.",
    "export silent-command out/cmd/builtin -> 2",
    "model: built in",
    "dialog: Could not write to file missing/x.mtl.",
    "dialog: Could not write to file missing/x.obj.",
    "dialog: Could not write to file missing/x.pz3.",
    "display: Done.",
    "export exporter missing/x.pz3 -> 1",
    "display: Done.",
    "export silent-command missing/y -> 2",
    "dialog: Error extracting model information.",
    "export command out/null -> 1",
    "export silent-command out/null -> 0",
    "ok"};

// The transcript without the About text (which is the plug-in's own) and
// without the lines of models other than the built-in one.
std::vector<std::string> builtin_lines(const std::vector<std::string>& lines)
{
    std::vector<std::string> kept;
    bool in_builtin = false;
    for (const auto& line : lines) {
        if (line.rfind("about: ", 0) == 0 || line == "init -> 0") {
            continue;
        }
        if (line.rfind("model: ", 0) == 0 || line.rfind("refused: ", 0) == 0) {
            in_builtin = line == "model: built in";
        }
        if (in_builtin || line.rfind("registered: ", 0) == 0 || line == "ok") {
            kept.push_back(line);
        }
    }
    return kept;
}

TEST(linux_plugin, registers_itself_and_exports_through_the_exporter_and_the_command)
{
    scratch_dir dir;
    make_output_folders(dir.path());
    const process_result run = run_linux_host(export_steps({{"builtin", {}}}, false), dir.path());
    ASSERT_EQ(run.exit_code, 0) << run.output << run.errors;
    const auto lines = output_lines(run.output);
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[0], "init -> 0");
    EXPECT_EQ(lines[1].rfind("about: ", 0), 0u) << lines[1];
    EXPECT_GT(lines[1].size(), std::string("about: ").size());
    EXPECT_EQ(builtin_lines(lines), builtin_transcript) << run.output;

    // Both entries wrote the same three files; the failures wrote nothing.
    EXPECT_EQ(files_below(dir.path() / "out"),
              (std::set<std::string>{"builtin.mtl", "builtin.obj", "builtin.pz3", "cmd/builtin.mtl", "cmd/builtin.obj",
                                     "cmd/builtin.pz3"}));
    for (const char* extension : {".mtl", ".obj", ".pz3"}) {
        const auto by_exporter = read_file(dir.path() / "out" / (std::string("builtin") + extension));
        const auto by_command = read_file(dir.path() / "out" / "cmd" / (std::string("builtin") + extension));
        ASSERT_TRUE(by_exporter && by_command) << extension;
        EXPECT_EQ(*by_exporter, *by_command) << extension;
        EXPECT_TRUE(crlf_only(*by_exporter)) << extension;
    }
    EXPECT_FALSE(fs::exists(dir.path() / "missing"));
}

TEST(linux_plugin, writes_the_same_files_as_the_converter)
{
    if (converter.empty()) {
        GTEST_SKIP() << "the converter is not part of this build";
    }
    const auto list = models();
    scratch_dir dir;
    const fs::path plugin_dir = dir.path() / "plugin";
    const fs::path converter_dir = dir.path() / "converter";
    make_output_folders(plugin_dir);
    fs::create_directories(converter_dir / "out" / "cmd");

    const process_result run = run_linux_host(export_steps(list, false), plugin_dir);
    ASSERT_EQ(run.exit_code, 0) << run.output << run.errors;
    const auto lines = output_lines(run.output);

    for (const model& m : list) {
        if (m.file.empty()) {
            continue;
        }
        const bool refused = std::find(lines.begin(), lines.end(), "model: " + m.file.string()) == lines.end();
        const process_result converted =
            run_process({converter, "-q", "-o", (converter_dir / "out" / (m.name + ".pz3")).string(), m.file.string()});
        if (refused) {
            EXPECT_NE(converted.exit_code, 0) << m.name << ": the test host refused it, the converter did not";
            continue;
        }
        EXPECT_EQ(converted.exit_code, 0) << m.name << ": " << converted.output << converted.errors;
        fs::copy_file(converter_dir / "out" / (m.name + ".mtl"), converter_dir / "out" / "cmd" / (m.name + ".mtl"));
        fs::copy_file(converter_dir / "out" / (m.name + ".obj"), converter_dir / "out" / "cmd" / (m.name + ".obj"));
        fs::copy_file(converter_dir / "out" / (m.name + ".pz3"), converter_dir / "out" / "cmd" / (m.name + ".pz3"));
    }
    // The built-in model has no file for the converter: only the plug-in's
    // own two entries are compared for it (above).
    for (const std::string& file : files_below(plugin_dir / "out")) {
        if (file.find("builtin.") != std::string::npos) {
            fs::remove(plugin_dir / "out" / file);
        }
    }
    expect_same_files(converter_dir / "out", plugin_dir / "out", "plug-in against converter");
}

// ================================================================= Windows

TEST(windows_plugin, dll_exports_the_entry_points_only_and_imports_from_ac3d_exe_and_the_system)
{
    REQUIRE_WINDOWS_BUILD();
    const pe_tables dll = read_pe_tables(mingw_dir / "vellumark.dll");
    EXPECT_EQ(dll.format, "pei-i386") << "not a 32-bit Windows DLL";
    EXPECT_EQ(dll.exports, entry_points) << "exported: " << joined(dll.exports);
    ASSERT_EQ(dll.imports.count("ac3d.exe"), 1u) << "no imports from ac3d.exe";
    EXPECT_EQ(dll.imports.at("ac3d.exe"), host_functions)
        << "imported from ac3d.exe: " << joined(dll.imports.at("ac3d.exe"));
    for (const auto& [name, functions] : dll.imports) {
        EXPECT_TRUE(name == "ac3d.exe" || system_dlls.count(name) == 1) << "the DLL imports from " << name;
    }
}

TEST(windows_plugin, ac3d_exe_provides_the_host_functions_and_none_of_the_export_code)
{
    REQUIRE_WINDOWS_BUILD();
    const pe_tables exe = read_pe_tables(mingw_dir / "ac3d.exe");
    EXPECT_EQ(exe.format, "pei-i386");
    EXPECT_EQ(exe.exports, host_functions) << "exported: " << joined(exe.exports);
    for (const auto& [name, functions] : exe.imports) {
        EXPECT_EQ(system_dlls.count(name), 1u) << "ac3d.exe imports from " << name;
    }
    for (const auto& symbol : nm_symbols({"i686-w64-mingw32-nm", "-C", (mingw_dir / "ac3d.exe").string()})) {
        for (const auto& function : export_code_functions) {
            EXPECT_EQ(symbol.name.find(function), std::string::npos) << "ac3d.exe contains " << symbol.name;
        }
    }
}

TEST(windows_plugin, under_wine_registers_and_writes_the_same_files_as_linux)
{
    REQUIRE_WINDOWS_BUILD();
    REQUIRE_WINE();
    const auto list = models();
    scratch_dir dir;
    const fs::path linux_dir = dir.path() / "linux";
    const fs::path windows_dir = dir.path() / "windows";
    make_output_folders(linux_dir);
    make_output_folders(windows_dir);

    const process_result on_linux = run_linux_host(export_steps(list, false), linux_dir);
    ASSERT_EQ(on_linux.exit_code, 0) << on_linux.output << on_linux.errors;
    const process_result on_windows = run_under_wine(export_steps(list, true), windows_dir);
    ASSERT_EQ(on_windows.exit_code, 0) << on_windows.output << on_windows.errors;

    // The same transcript once the model files are named as on Linux.
    std::string transcript = on_windows.output;
    for (const model& m : list) {
        if (m.file.empty()) {
            continue;
        }
        const std::string from = wine_path(m.file);
        for (auto at = transcript.find(from); at != std::string::npos; at = transcript.find(from, at)) {
            transcript.replace(at, from.size(), m.file.string());
            at += m.file.string().size();
        }
    }
    EXPECT_EQ(transcript, on_linux.output);
    EXPECT_EQ(builtin_lines(output_lines(on_windows.output)), builtin_transcript);
    expect_same_files(linux_dir / "out", windows_dir / "out", "Windows DLL against Linux shared object");
}

TEST(windows_plugin, under_wine_a_windows_path_chosen_in_the_exporter_places_the_files)
{
    REQUIRE_WINDOWS_BUILD();
    REQUIRE_WINE();
    scratch_dir dir;
    const fs::path scenes = dir.path() / "my.scenes";
    fs::create_directories(scenes);
    // Drive C: is the prefix's own drive_c.
    const fs::path drive_c = wine_prefix / "drive_c" / ("vellumark test " + dir.path().filename().string());
    fs::create_directories(drive_c / "my.scenes");

    const std::string z_scenes = wine_path(scenes);
    const std::string c_scenes = "C:\\" + drive_c.filename().string() + "\\my.scenes";
    const process_result run = run_under_wine({"--builtin", "--exporter", z_scenes + "\\hero.final.pz3",
                                               "--exporter", z_scenes + "\\plain", "--exporter",
                                               c_scenes + "\\hero.txt", "--command", z_scenes + "\\by.command"},
                                              dir.path());
    const auto written_c = files_below(drive_c);
    fs::remove_all(drive_c);
    ASSERT_EQ(run.exit_code, 0) << run.output << run.errors;
    EXPECT_EQ(run.output.find("dialog: "), std::string::npos) << run.output;

    // The extension goes, the full stops of the directory and of the name
    // stay; each file gets its own extension.
    EXPECT_EQ(files_below(scenes),
              (std::set<std::string>{"hero.final.mtl", "hero.final.obj", "hero.final.pz3", "plain.mtl", "plain.obj",
                                     "plain.pz3", "by.command.mtl", "by.command.obj", "by.command.pz3"}));
    EXPECT_EQ(written_c, (std::set<std::string>{"my.scenes/hero.mtl", "my.scenes/hero.obj", "my.scenes/hero.pz3"}));

    // The same bytes as the Linux plug-in writes under the same file name:
    // the files name each other by file name only.
    scratch_dir linux_dir;
    const process_result on_linux =
        run_linux_host({"--builtin", "--exporter", linux_dir.file("hero.final.pz3")}, linux_dir.path());
    ASSERT_EQ(on_linux.exit_code, 0) << on_linux.output;
    for (const char* extension : {".mtl", ".obj", ".pz3"}) {
        const auto want = read_file(linux_dir.path() / (std::string("hero.final") + extension));
        const auto got = read_file(scenes / (std::string("hero.final") + extension));
        ASSERT_TRUE(want && got) << extension;
        EXPECT_TRUE(*got == *want) << "hero.final" << extension << " differs from the Linux export";
    }
}

}  // namespace
}  // namespace vellumark::testing
