// The converter as a user runs it: its options, where it writes, what it
// prints on which stream, its exit statuses, and the sample model converted
// end to end.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "tests/cli/converter_process.h"
#include "tests/support/test_files.h"

namespace vellumark::testing {
namespace {

namespace fs = std::filesystem;

// Every file below the folder, by its path relative to it ("a/b.obj").
std::set<std::string> files_in(const fs::path& folder)
{
    std::set<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file()) {
            names.insert(fs::relative(entry.path(), folder).generic_string());
        }
    }
    return names;
}

std::set<std::string> with(std::set<std::string> names, std::initializer_list<std::string> more)
{
    names.insert(more);
    return names;
}

std::set<std::string> three_files(const std::string& base)
{
    return {base + ".mtl", base + ".obj", base + ".pz3"};
}

// The sample's summary line; the counts come from the reference script that
// wrote the expected files (tests/cli/make_expected.py).
std::string sample_summary(const std::string& input, const std::string& base)
{
    return input + ": 7 actors (1 null), 6 meshes, 3 materials, 68 triangles; wrote " + base + ".mtl, " + base +
           ".obj, " + base + ".pz3\n";
}

// A folder with a copy of the sample in it, as `figure.ac`.
class converter_test : public ::testing::Test {
protected:
    void SetUp() override { fs::copy_file(samples_dir() / "figure.ac", folder() / "figure.ac"); }
    const fs::path& folder() const { return scratch_.path(); }
    void add_input(const std::string& name, const std::string& bytes)
    {
        fs::create_directories((folder() / name).parent_path());
        write_file(folder() / name, bytes);
    }

private:
    scratch_dir scratch_;
};

TEST_F(converter_test, converts_the_sample_to_the_expected_files)
{
    const converter_run run = run_converter(folder(), {"figure.ac", "-o", "out/figure.pz3"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "Done.\n" + sample_summary("figure.ac", "out/figure"));
    EXPECT_EQ(run.err, "");
    for (const char* name : {"figure.mtl", "figure.obj", "figure.pz3"}) {
        const auto expected = read_file(expected_dir() / name);
        ASSERT_TRUE(expected.has_value()) << name;
        const auto written = read_file(folder() / "out" / name);
        ASSERT_TRUE(written.has_value()) << name << " was not written";
        EXPECT_TRUE(*written == *expected) << name << " differs from tests/cli/expected/" << name;
    }
    EXPECT_EQ(files_in(folder()), with(three_files("out/figure"), {"figure.ac"}));

    // Again over the files of the first run: they are replaced, and that
    // counts as written.
    const converter_run again = run_converter(folder(), {"figure.ac", "-o", "out/figure.pz3"});
    EXPECT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(again.out, run.out);
}

TEST_F(converter_test, output_file_loses_its_extension_by_the_path_rule)
{
    struct output_case {
        const char* output;
        const char* base;
    };
    for (const output_case& c : std::initializer_list<output_case>{
             {"model.pz3", "model"},
             {"model.final.pz3", "model.final"},
             {"model.txt", "model"},
             {"model", "model"},
             {"my.scenes/hero", "my.scenes/hero"},
             {"deep/er/model.pz3", "deep/er/model"},
         }) {
        scratch_dir out;
        const converter_run run = run_converter(out.path(), {(folder() / "figure.ac").string(), "-q", "-o", c.output});
        EXPECT_EQ(run.status, 0) << c.output << ": " << run.err;
        EXPECT_EQ(files_in(out.path()), three_files(c.base)) << c.output;
    }
}

TEST_F(converter_test, without_output_options_the_files_go_beside_the_input)
{
    fs::create_directories(folder() / "models");
    fs::copy_file(folder() / "figure.ac", folder() / "models" / "robot.v2.ac");
    const converter_run run = run_converter(folder(), {"-q", "models/robot.v2.ac"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(files_in(folder()), with(three_files("models/robot.v2"), {"figure.ac", "models/robot.v2.ac"}));
}

TEST_F(converter_test, output_dir_takes_each_input_under_its_file_name)
{
    fs::create_directories(folder() / "a");
    fs::create_directories(folder() / "b");
    fs::copy_file(folder() / "figure.ac", folder() / "a" / "first.ac");
    fs::copy_file(folder() / "figure.ac", folder() / "b" / "second.model.ac");
    const converter_run run = run_converter(folder(), {"-d", "out", "a/first.ac", "b/second.model.ac"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "Done.\n" + sample_summary("a/first.ac", "out/first") + "Done.\n" +
                           sample_summary("b/second.model.ac", "out/second.model"));
    std::set<std::string> expected = {"figure.ac", "a/first.ac", "b/second.model.ac"};
    expected.merge(three_files("out/first"));
    expected.merge(three_files("out/second.model"));
    EXPECT_EQ(files_in(folder()), expected);
    // Each input's own files: the figure is named after its base path.
    const auto scene = read_file(folder() / "out" / "second.model.pz3");
    ASSERT_TRUE(scene.has_value());
    EXPECT_NE(scene->find("\tname    second\r\n"), std::string::npos);
}

TEST_F(converter_test, inputs_whose_files_would_collide_are_refused_before_anything_is_written)
{
    fs::create_directories(folder() / "a");
    fs::create_directories(folder() / "b");
    fs::copy_file(folder() / "figure.ac", folder() / "a" / "same.ac");
    fs::copy_file(folder() / "figure.ac", folder() / "b" / "same.ac");
    const auto before = files_in(folder());

    const converter_run collide = run_converter(folder(), {"-d", "out", "a/same.ac", "b/same.ac"});
    EXPECT_EQ(collide.status, 2);
    EXPECT_EQ(collide.err, "vellumark: a/same.ac and b/same.ac would both write out/same.mtl\n");

    // An input named like one of its own outputs would be overwritten.
    fs::copy_file(folder() / "figure.ac", folder() / "scene.obj");
    const converter_run self = run_converter(folder(), {"scene.obj"});
    EXPECT_EQ(self.status, 2);
    EXPECT_EQ(self.err, "vellumark: scene.obj would overwrite the input scene.obj\n");
    EXPECT_EQ(files_in(folder()), with(before, {"scene.obj"}));
}

TEST_F(converter_test, object_option_exports_the_first_object_of_that_name)
{
    // A second "chest" later in the file: the first one, depth first, wins.
    auto text = read_file(folder() / "figure.ac");
    ASSERT_TRUE(text.has_value());
    const std::string renamed = "name \"right_leg\"";
    const auto at = text->find(renamed);
    ASSERT_NE(at, std::string::npos);
    text->replace(at, renamed.size(), "name \"chest\"");
    add_input("twice.ac", *text);

    struct object_case {
        const char* input;
        const char* name;
        const char* summary;
        const char* first_actor;
    };
    for (const object_case& c : std::initializer_list<object_case>{
             {"figure.ac", "chest", "4 actors (1 null), 3 meshes, 3 materials, 32 triangles", "chest"},
             {"twice.ac", "chest", "4 actors (1 null), 3 meshes, 3 materials, 32 triangles", "chest"},
             {"figure.ac", "legs", "2 actors (0 null), 2 meshes, 1 material, 24 triangles", "left_leg"},
             {"figure.ac", "NULL_neck", "2 actors (1 null), 1 mesh, 1 material, 12 triangles", "NULL_neck"},
         }) {
        const converter_run run = run_converter(folder(), {"--object", c.name, c.input, "-o", "part.pz3"});
        EXPECT_EQ(run.status, 0) << c.name << ": " << run.err;
        EXPECT_EQ(run.out, std::string("Done.\n") + c.input + ": " + c.summary +
                               "; wrote part.mtl, part.obj, part.pz3\n")
            << c.name;
        const auto scene = read_file(folder() / "part.pz3");
        ASSERT_TRUE(scene.has_value());
        // The actor stubs come right after the three fixed ones.
        const std::string fixed_stubs = "controlProp CenterOfMass:1\r\n\t{\r\n\r\n\t}\r\n";
        const auto stubs = scene->find(fixed_stubs);
        ASSERT_NE(stubs, std::string::npos);
        EXPECT_EQ(scene->compare(stubs + fixed_stubs.size(), std::string("actor ").size() + std::strlen(c.first_actor),
                                 std::string("actor ") + c.first_actor),
                  0)
            << c.name;
    }
}

TEST_F(converter_test, object_option_with_an_unknown_name_exports_nothing)
{
    const converter_run run = run_converter(folder(), {"--object", "tail", "figure.ac", "-o", "out/x.pz3"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "vellumark: figure.ac: no object named \"tail\"\n");
    EXPECT_EQ(files_in(folder()), std::set<std::string>{"figure.ac"});
}

TEST_F(converter_test, usage_errors_and_bad_inputs_exit_with_2_and_write_nothing)
{
    // A vertex index past the object's two vertices, on line 9.
    add_input("bad.ac", "AC3Db\nOBJECT world\nkids 1\nOBJECT poly\nnumvert 2\n0 0 0\n1 0 0\nnumsurf 1\nSURF 0x10\n"
                        "refs 3\n0 0 0\n1 0 0\n2 0 0\nkids 0\n");
    add_input("empty.ac", "");
    struct usage_case {
        std::vector<std::string> arguments;
        // The start of the first line on standard error.
        const char* message;
    };
    for (const usage_case& c : std::vector<usage_case>{
             {{}, "vellumark: INPUT is required"},
             {{"--frobnicate", "figure.ac"}, "vellumark: The following argument was not expected: --frobnicate"},
             {{"figure.ac", "-o"}, "vellumark: --output: 1 required FILE missing"},
             {{"figure.ac", "figure.ac", "-o", "x.pz3"}, "vellumark: --output: takes a single input"},
             {{"figure.ac", "-o", "x.pz3", "-d", "out"}, "vellumark: --output excludes --output-dir"},
             {{"missing.ac"}, "missing.ac:"},
             {{"bad.ac"}, "bad.ac:1"},
             {{"empty.ac"}, "empty.ac:"},
             {{"-q", "-d", "out", "bad.ac"}, "bad.ac:1"},
         }) {
        std::string shown;
        for (const auto& argument : c.arguments) {
            shown += " " + argument;
        }
        const auto before = files_in(folder());
        const converter_run run = run_converter(folder(), c.arguments);
        EXPECT_EQ(run.status, 2) << shown << ": " << run.err;
        EXPECT_EQ(run.out, "") << shown;
        EXPECT_EQ(run.err.rfind(c.message, 0), 0u) << shown << ": " << run.err;
        EXPECT_EQ(files_in(folder()), before) << shown;
    }

    // A bad input among good ones: the good one is still converted, the
    // exit status tells of the bad one.
    const converter_run mixed = run_converter(folder(), {"-q", "-d", "out", "bad.ac", "figure.ac"});
    EXPECT_EQ(mixed.status, 2);
    EXPECT_EQ(files_in(folder() / "out"), three_files("figure"));
}

TEST_F(converter_test, malformed_input_names_its_line)
{
    add_input("bad.ac", "AC3Db\nOBJECT world\nkids 1\nOBJECT poly\nnumvert 2\n0 0 0\n1 0 0\nnumsurf 1\nSURF 0x10\n"
                        "refs 3\n0 0 0\n1 0 0\n2 0 0\nkids 0\n");
    const converter_run run = run_converter(folder(), {"bad.ac"});
    EXPECT_EQ(run.status, 2);
    // The index 2 on line 13 names no vertex.
    EXPECT_EQ(run.err.rfind("bad.ac:13: ", 0), 0u) << run.err;
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
}

TEST_F(converter_test, a_file_that_cannot_be_written_exits_with_1_also_when_silent)
{
    // A plain file where the output folder should be: nothing can be
    // written below it.
    write_file(folder() / "blocked", "");
    const converter_run loud = run_converter(folder(), {"figure.ac", "-o", "blocked/figure.pz3"});
    EXPECT_EQ(loud.status, 1);
    EXPECT_EQ(loud.err, "vellumark: Could not write to file blocked/figure.mtl.\n"
                        "vellumark: Could not write to file blocked/figure.obj.\n"
                        "vellumark: Could not write to file blocked/figure.pz3.\n");
    EXPECT_EQ(loud.out, "Done.\nfigure.ac: 7 actors (1 null), 6 meshes, 3 materials, 68 triangles; not written: "
                        "blocked/figure.mtl, blocked/figure.obj, blocked/figure.pz3\n");

    const converter_run silent = run_converter(folder(), {"--silent", "-q", "figure.ac", "-o", "blocked/figure.pz3"});
    EXPECT_EQ(silent.status, 1);
    EXPECT_EQ(silent.err, "");
    EXPECT_EQ(silent.out, "");
    EXPECT_EQ(files_in(folder()), (std::set<std::string>{"blocked", "figure.ac"}));
}

TEST_F(converter_test, one_file_that_cannot_be_written_is_told_apart_from_the_two_that_were)
{
    // A folder in the place of the geometry file: it alone fails.
    fs::create_directories(folder() / "out" / "figure.obj");
    for (const bool silent : {false, true}) {
        std::vector<std::string> arguments = {"figure.ac", "-o", "out/figure.pz3"};
        if (silent) {
            arguments.push_back("--silent");
        }
        const converter_run run = run_converter(folder(), arguments);
        EXPECT_EQ(run.status, 1) << "silent " << silent;
        EXPECT_EQ(run.err, silent ? "" : "vellumark: Could not write to file out/figure.obj.\n");
        EXPECT_EQ(run.out, "Done.\nfigure.ac: 7 actors (1 null), 6 meshes, 3 materials, 68 triangles; wrote "
                           "out/figure.mtl, out/figure.pz3; not written: out/figure.obj\n");
        EXPECT_EQ(files_in(folder()), with(std::set<std::string>{"figure.ac"}, {"out/figure.mtl", "out/figure.pz3"}));
    }
}

TEST_F(converter_test, messages_go_to_their_streams)
{
    // A group carrying geometry: the reader warns, the export goes on.
    add_input("grouped.ac", "AC3Db\nMATERIAL \"m\" rgb 1 1 1 amb 0 0 0 emis 0 0 0 spec 0 0 0 shi 0 trans 0\n"
                            "OBJECT world\nkids 1\nOBJECT group\nname \"box\"\nnumvert 3\n0 0 0\n1 0 0\n0 1 0\n"
                            "numsurf 1\nSURF 0x10\nmat 0\nrefs 3\n0 0 0\n1 0 0\n2 0 0\nkids 0\n");
    const converter_run warned = run_converter(folder(), {"grouped.ac"});
    EXPECT_EQ(warned.status, 0) << warned.err;
    EXPECT_EQ(warned.err.rfind("grouped.ac:", 0), 0u) << warned.err;
    EXPECT_NE(warned.err.find("warning"), std::string::npos) << warned.err;
    EXPECT_EQ(warned.out, "Done.\ngrouped.ac: 0 actors (0 null), 0 meshes, 0 materials, 0 triangles; wrote grouped.mtl, "
                          "grouped.obj, grouped.pz3\n");

    // Quiet: neither "Done." nor the summary; warnings still show.
    const converter_run quiet = run_converter(folder(), {"-q", "grouped.ac"});
    EXPECT_EQ(quiet.status, 0);
    EXPECT_EQ(quiet.out, "");
    EXPECT_EQ(quiet.err, warned.err);

    const converter_run help = run_converter(folder(), {"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("Converts AC3D model files", 0), 0u) << help.out;
    EXPECT_NE(help.out.find("--output-dir"), std::string::npos);
    EXPECT_EQ(help.err, "");

    const converter_run version = run_converter(folder(), {"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "vellumark 1.0\n");
}

TEST_F(converter_test, progress_bar_shows_on_a_terminal_only)
{
    // No waiting before the bar, so that even the small sample would show
    // it.
    const environment at_once = {{"VELLUMARK_PROGRESS_DELAY_MS", "0"}};

    const converter_run piped = run_converter(folder(), {"figure.ac", "-o", "piped.pz3"}, at_once);
    EXPECT_EQ(piped.status, 0);
    EXPECT_EQ(piped.err, "");
    EXPECT_EQ(piped.out, "Done.\n" + sample_summary("figure.ac", "piped"));

    const converter_run shown = run_converter_on_terminal(folder(), {"figure.ac", "-o", "shown.pz3"}, at_once);
    EXPECT_EQ(shown.status, 0);
    EXPECT_NE(shown.err.find("vellumark: reading figure.ac ["), std::string::npos) << shown.err;
    EXPECT_NE(shown.err.find("vellumark: writing shown.mtl ["), std::string::npos) << shown.err;
    // Every bar is cleared again: the terminal ends on an empty line.
    EXPECT_EQ(shown.err.substr(shown.err.size() - 4), "\r\033[K") << shown.err;
    EXPECT_EQ(shown.out, "Done.\n" + sample_summary("figure.ac", "shown"));
    EXPECT_TRUE(read_file(folder() / "shown.mtl") == read_file(folder() / "piped.mtl"));
}

}  // namespace
}  // namespace vellumark::testing
