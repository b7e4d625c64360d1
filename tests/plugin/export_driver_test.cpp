#include "plugin/export_driver.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "common/output_file.h"
#include "plugin/plugin_entry.h"
#include "scene/object_walk.h"
#include "scene/records.h"
#include "standin/standin_host.h"
#include "tests/support/test_files.h"

namespace vellumark {
namespace {

namespace fs = std::filesystem;
using testing::read_file;
using testing::scratch_dir;
using testing::write_file;

const std::string walk_failure = "Error extracting model information.";

std::string could_not_write(const std::string& file_name) { return "Could not write to file " + file_name + "."; }

// Every regular file below the current folder, by its path relative to it,
// with its bytes.
std::map<std::string, std::string> files_here()
{
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(".")) {
        if (entry.is_regular_file()) {
            files[entry.path().lexically_relative(".").generic_string()] = read_file(entry.path()).value_or("?");
        }
    }
    return files;
}

void write_files(const std::map<std::string, std::string>& files)
{
    for (const auto& [name, bytes] : files) {
        write_file(name, bytes);
    }
}

// While it lives, the process can open no new file: the descriptor limit is
// lowered to the descriptors already in use, so creating any file fails the
// way a full system table or a refused create does, while existing files
// stay as they are.
class no_new_files {
public:
    no_new_files()
    {
        getrlimit(RLIMIT_NOFILE, &saved_);
        const int lowest_free = open("/dev/null", O_RDONLY);
        close(lowest_free);
        rlimit lowered = saved_;
        lowered.rlim_cur = static_cast<rlim_t>(lowest_free);
        active_ = lowest_free >= 0 && setrlimit(RLIMIT_NOFILE, &lowered) == 0;
    }
    ~no_new_files() { setrlimit(RLIMIT_NOFILE, &saved_); }
    no_new_files(const no_new_files&) = delete;
    no_new_files& operator=(const no_new_files&) = delete;
    bool active() const { return active_; }

private:
    rlimit saved_{};
    bool active_ = false;
};

// Each test runs in a scratch folder of its own as the current folder, so
// that relative base paths (and Windows-style names, which are plain file
// names here) land in it. The host is set up with the plug-in registered;
// exports go through the registered command and exporter.
class ExportDriver : public ::testing::Test {
protected:
    void SetUp() override
    {
        previous_folder_ = fs::current_path();
        fs::current_path(scratch_.path());
        ASSERT_EQ(AC3DPluginInit(nullptr), 0);
        ASSERT_EQ(host_.commands.size(), 1u);
        ASSERT_EQ(host_.exporters.size(), 1u);
    }

    void TearDown() override
    {
        fail_record_allocation_after(-1);
        output_file::fail_writes_after(-1);
        fs::current_path(previous_folder_);
        EXPECT_EQ(host_.outstanding(), 0u) << "lists or arrays handed out and never released";
    }

    int export_file(const std::string& file_name, host_object* object)
    {
        return host_.exporters[0].callback(file_name.c_str(), object);
    }
    int command(int silent, const std::string& base_path, host_object* object)
    {
        return host_.commands[0].handler(silent, base_path.c_str(), reinterpret_cast<intptr_t>(object));
    }

    // A small tree with meshes, a texture, a null actor and a group: enough
    // for the walk and the writers to ask for every kind of host list.
    host_object* model()
    {
        standin::palette_material red;
        red.name = "red";
        red.diffuse = std::array<float, 3>{1, 0, 0};
        host_.add_material(red);
        host_object& world = host_.root();
        host_object& hero = world.add_child(standin::type_poly, "hero");
        hero.set_centre(1, 2, 3);
        hero.add_vertex(0, 0, 0);
        hero.add_vertex(1, 0, 0);
        hero.add_vertex(0, 1, 0);
        hero.add_triangle(0, 1, 2);
        host_object& group = hero.add_child(standin::type_group, "group");
        host_object& arm = group.add_child(standin::type_poly, "arm");
        arm.add_vertex(0, 0, 1);
        arm.add_vertex(1, 0, 1);
        arm.add_vertex(0, 1, 1);
        arm.add_vertex(1, 1, 1);
        arm.add_triangle(0, 1, 2);
        arm.add_triangle(1, 3, 2);
        arm.set_texture("C:\\textures\\skin.png");
        hero.add_child(standin::type_poly, "NULL_marker");
        return &world;
    }

    // Whether the object-tree walk builds actors for the model yet.
    static bool walk_builds_actors(host_object* object)
    {
        export_scene scene;
        std::int32_t actor_counter = 0;
        return collect_actors(object, scene, -1, -1, actor_counter) && scene.actors != nullptr;
    }

    standin::host host_;

private:
    scratch_dir scratch_;
    fs::path previous_folder_;
};

// The exporter drops the chosen extension and writes the three files under
// the rest, whatever the name looks like and however long it is.
TEST_F(ExportDriver, ExporterWritesUnderTheChosenNameWithoutItsExtension)
{
    const std::string long_directory = std::string(200, 'd') + "/" + std::string(200, 'e');
    const std::string long_name = std::string(200, 'n');
    const struct {
        std::string chosen;
        std::string base;
        std::string folder;  // to create first, for names with forward slashes
    } cases[] = {
        {"C:\\scenes\\hero.pz3", "C:\\scenes\\hero", ""},
        {"C:\\scenes\\hero.final.pz3", "C:\\scenes\\hero.final", ""},
        {"C:\\my.scenes\\hero", "C:\\my.scenes\\hero", ""},
        {"D:\\out\\hero.txt", "D:\\out\\hero", ""},
        {"C:hero.pz3", "C:hero", ""},
        {".pz3", "", ""},
        {"hero", "hero", ""},
        {"out/scenes/hero.pz3", "out/scenes/hero", "out/scenes"},
        {"my.out/hero", "my.out/hero", "my.out"},
        {"win\\dir/hero.v2.pz3", "win\\dir/hero.v2", "win\\dir"},
        {long_directory + "/" + long_name + ".pz3", long_directory + "/" + long_name, long_directory},
    };
    host_object* tree = model();
    int index = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.chosen.substr(0, 60));
        const fs::path folder = "case" + std::to_string(index++);
        fs::create_directory(folder);
        fs::current_path(folder);
        if (!c.folder.empty()) {
            fs::create_directories(c.folder);
        }
        host_.dialogs.clear();
        host_.displays.clear();

        EXPECT_EQ(export_file(c.chosen, tree), 1);

        EXPECT_TRUE(host_.dialogs.empty()) << host_.dialogs.front();
        EXPECT_EQ(host_.displays, std::vector<std::string>{"Done."});
        std::vector<std::string> names;
        for (const auto& [name, bytes] : files_here()) {
            names.push_back(name);
        }
        EXPECT_EQ(names, (std::vector<std::string>{c.base + ".mtl", c.base + ".obj", c.base + ".pz3"}));
        fs::current_path("..");
    }
}

// A Windows-style name far beyond 260 characters is one file name too long
// for this file system: the failure messages show the whole base path, cut
// nowhere, in the order the files are written.
TEST_F(ExportDriver, LongWindowsNameIsKeptWholeInTheMessages)
{
    const std::string base = "C:\\" + std::string(300, 'x') + "\\hero.final";
    EXPECT_EQ(export_file(base + ".pz3", model()), 1);
    EXPECT_EQ(host_.dialogs, (std::vector<std::string>{could_not_write(base + ".mtl"), could_not_write(base + ".obj"),
                                                       could_not_write(base + ".pz3")}));
    EXPECT_EQ(host_.displays, std::vector<std::string>{"Done."});
    EXPECT_TRUE(files_here().empty());
}

// The failure messages come in the order the files are written; a name is
// shown as it is, never taken for a format.
TEST_F(ExportDriver, FilesAreWrittenInTheOrderMtlObjPz3)
{
    host_object* tree = model();
    for (const std::string base : {"missing/hero", "100%s%n%d/hero%"}) {
        SCOPED_TRACE(base);
        host_.dialogs.clear();
        host_.displays.clear();
        EXPECT_EQ(export_file(base + ".pz3", tree), 1);
        EXPECT_EQ(host_.dialogs, (std::vector<std::string>{could_not_write(base + ".mtl"),
                                                           could_not_write(base + ".obj"),
                                                           could_not_write(base + ".pz3")}));
        EXPECT_EQ(host_.displays, std::vector<std::string>{"Done."});
    }
    EXPECT_TRUE(files_here().empty());
}

// "Done." ends every export that got past the walk, silent or not, whether
// or not the files could be created; the silent flag is the low 8 bits.
TEST_F(ExportDriver, DoneIsShownAlsoWhenSilentAndWhenAFileCannotBeCreated)
{
    const struct {
        int silent;
        bool shows_errors;
    } cases[] = {{0, true}, {1, false}, {0xff, false}, {0x100, true}, {0x201, false}, {-1, false}};
    host_object* tree = model();
    const int done_result = display_message("probe");  // what the host answers
    for (const auto& c : cases) {
        SCOPED_TRACE(c.silent);
        host_.dialogs.clear();
        host_.displays.clear();
        EXPECT_EQ(command(c.silent, "missing/hero", tree), done_result);
        const std::vector<std::string> errors = {could_not_write("missing/hero.mtl"),
                                                 could_not_write("missing/hero.obj"),
                                                 could_not_write("missing/hero.pz3")};
        EXPECT_EQ(host_.dialogs, c.shows_errors ? errors : std::vector<std::string>{});
        EXPECT_EQ(host_.displays, std::vector<std::string>{"Done."});
    }
    EXPECT_TRUE(files_here().empty());

    host_.dialogs.clear();
    host_.displays.clear();
    EXPECT_EQ(command(1, "hero", tree), done_result);
    EXPECT_TRUE(host_.dialogs.empty());
    EXPECT_EQ(host_.displays, std::vector<std::string>{"Done."});
    EXPECT_EQ(files_here().size(), 3u);
}

// A null object handle walks nothing and writes nothing: it is a walk
// failure, reported unless silent, and "Done." is not shown.
TEST_F(ExportDriver, NullObjectIsAWalkFailureAndTouchesNoFile)
{
    write_file("hero.obj", "earlier export\r\n");
    const int dialog_result = message_dialog("probe");  // what the host answers
    const struct {
        int silent;
        int result;
        bool shown;
    } cases[] = {{0, dialog_result, true}, {1, 0, false}, {0x100, dialog_result, true}, {0x1ff, 0, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.silent);
        host_.dialogs.clear();
        host_.displays.clear();
        EXPECT_EQ(command(c.silent, "hero", nullptr), c.result);
        EXPECT_EQ(host_.dialogs, c.shown ? std::vector<std::string>{walk_failure} : std::vector<std::string>{});
        EXPECT_TRUE(host_.displays.empty());
    }
    host_.dialogs.clear();
    EXPECT_EQ(export_file("hero.pz3", nullptr), 1);
    EXPECT_EQ(host_.dialogs, std::vector<std::string>{walk_failure});
    EXPECT_TRUE(host_.displays.empty());
    EXPECT_EQ(files_here(), (std::map<std::string, std::string>{{"hero.obj", "earlier export\r\n"}}));
}

// A record that cannot be allocated fails the walk: the exporter still
// returns 1, the command 0 when silent; nothing is written, "Done." is not
// shown, and every host list is released (checked on tear-down).
TEST_F(ExportDriver, FailedWalkWritesNothingAndTheExporterStillReturnsOne)
{
    host_object* tree = model();
    const bool walk_is_real = walk_builds_actors(tree);
    write_file("hero.pz3", "earlier export\r\n");

    for (long long fail_after : {0, 1, 2, 3}) {
        SCOPED_TRACE(fail_after);
        host_.dialogs.clear();
        host_.displays.clear();
        fail_record_allocation_after(fail_after);
        EXPECT_EQ(export_file("hero.pz3", tree), 1);
        fail_record_allocation_after(fail_after);
        const int silent_result = command(1, "hero", tree);
        fail_record_allocation_after(-1);
        if (!walk_is_real) {
            continue;
        }
        EXPECT_EQ(silent_result, 0);
        EXPECT_EQ(host_.dialogs, std::vector<std::string>{walk_failure});
        EXPECT_TRUE(host_.displays.empty());
        EXPECT_EQ(files_here(), (std::map<std::string, std::string>{{"hero.pz3", "earlier export\r\n"}}));
    }
    if (!walk_is_real) {
        GTEST_SKIP() << "the object-tree walk builds no actors yet, so no allocation can fail";
    }
}

// Two actors naming the same parent: both get it as parent, and the
// parent's child is the later one.
TEST(LinkActorParents, SharedParentKeepsTheLastChildInListOrder)
{
    export_scene scene;
    const std::int32_t parent_ids[] = {-1, 0, 0, 1, 0};
    std::vector<actor_record*> actors;
    for (const std::int32_t parent_id : parent_ids) {
        actor_record* actor = scene.append_actor();
        ASSERT_NE(actor, nullptr);
        actor->id = static_cast<std::int32_t>(actors.size());
        actor->parent_id = parent_id;
        actors.push_back(actor);
    }
    scene.next_actor_id = static_cast<std::int32_t>(actors.size());

    link_actor_parents(scene);

    const struct {
        actor_record* parent;
        actor_record* child;
    } expected[] = {
        {nullptr, actors[4]}, {actors[0], actors[3]}, {actors[0], nullptr}, {actors[1], nullptr}, {actors[0], nullptr},
    };
    for (std::size_t i = 0; i < actors.size(); ++i) {
        EXPECT_EQ(actors[i]->parent, expected[i].parent) << "actor " << i;
        EXPECT_EQ(actors[i]->child, expected[i].child) << "actor " << i;
    }
}

TEST(LinkActorParents, EmptySceneHasNothingToLink)
{
    export_scene scene;
    link_actor_parents(scene);
    EXPECT_EQ(scene.actors, nullptr);
}

// Files that cannot be created: earlier files of those names stay byte for
// byte, each failure is reported, and nothing else appears in the folder.
TEST_F(ExportDriver, FilesThatCannotBeCreatedLeaveEarlierFilesIntact)
{
    const std::map<std::string, std::string> earlier = {
        {"hero.mtl", "newmtl old\r\n"}, {"hero.obj", "mtllib hero.mtl\r\ng g0\r\n"}, {"hero.pz3", "{\r\n}\r\n"}};
    write_files(earlier);
    host_object* tree = model();
    int result = 0;
    {
        no_new_files guard;
        if (!guard.active()) {
            GTEST_SKIP() << "the descriptor limit cannot be lowered here";
        }
        result = export_file("hero.pz3", tree);
    }
    EXPECT_EQ(result, 1);
    EXPECT_EQ(host_.dialogs, (std::vector<std::string>{could_not_write("hero.mtl"), could_not_write("hero.obj"),
                                                       could_not_write("hero.pz3")}));
    EXPECT_EQ(host_.displays, std::vector<std::string>{"Done."});
    EXPECT_EQ(files_here(), earlier);
}

// A target that is a folder cannot be replaced: that one file is reported,
// the folder stays as it was, and the other two files are written.
TEST_F(ExportDriver, TargetThatIsAFolderIsReportedAndTheOthersAreWritten)
{
    fs::create_directory("hero.obj");
    write_file("hero.obj/inside", "keep");
    EXPECT_EQ(export_file("hero.pz3", model()), 1);
    EXPECT_EQ(host_.dialogs, std::vector<std::string>{could_not_write("hero.obj")});
    EXPECT_EQ(host_.displays, std::vector<std::string>{"Done."});
    const auto files = files_here();
    EXPECT_EQ(files.size(), 3u);
    EXPECT_EQ(files.count("hero.mtl"), 1u);
    EXPECT_EQ(files.count("hero.pz3"), 1u);
    ASSERT_EQ(files.count("hero.obj/inside"), 1u);
    EXPECT_EQ(files.at("hero.obj/inside"), "keep");
}

// A write that fails part way (a full disk): every file reported stays as
// it was, every other one is replaced, no temporary file is left. The
// geometry file always has content, so it is always among the failures.
TEST_F(ExportDriver, FailedWritesLeaveEarlierFilesIntact)
{
    const std::map<std::string, std::string> earlier = {
        {"hero.mtl", "earlier mtl\r\n"}, {"hero.obj", "earlier obj\r\n"}, {"hero.pz3", "earlier pz3\r\n"}};
    write_files(earlier);
    host_object* tree = model();
    output_file::fail_writes_after(0);
    EXPECT_EQ(export_file("hero.pz3", tree), 1);
    output_file::fail_writes_after(-1);

    EXPECT_EQ(host_.displays, std::vector<std::string>{"Done."});
    const auto files = files_here();
    EXPECT_EQ(files.size(), 3u) << "a temporary file was left";
    for (const auto& [name, bytes] : earlier) {
        const bool reported =
            std::find(host_.dialogs.begin(), host_.dialogs.end(), could_not_write(name)) != host_.dialogs.end();
        ASSERT_EQ(files.count(name), 1u) << name;
        if (reported) {
            EXPECT_EQ(files.at(name), bytes) << name;
        } else {
            EXPECT_NE(files.at(name), bytes) << name << " neither reported nor replaced";
        }
    }
    EXPECT_NE(std::find(host_.dialogs.begin(), host_.dialogs.end(), could_not_write("hero.obj")),
              host_.dialogs.end());
}

}  // namespace
}  // namespace vellumark
