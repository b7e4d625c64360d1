// Faults of the disk: a full disk, a read-only folder, a target that is a
// folder, a missing directory, a target held open by another process. Each
// file that cannot be written is reported ("Could not write to file %s."
// unless silent), "Done." is still shown, no temporary file is left behind,
// and an earlier export of the same name stays byte for byte as it was. The
// same holds through the converter, which then exits with status 1.
//
// The full-disk and read-only cases run for real on a tmpfs that the test
// mounts when it runs as root; elsewhere they skip, and the injected write
// failure of the output stream covers the same path.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/output_file.h"
#include "plugin/export_driver.h"
#include "standin/standin_host.h"
#include "tests/reliability/reliability_support.h"
#include "tests/support/test_files.h"

namespace vellumark {
namespace {

using testing::add_box;
using testing::add_grid;
using testing::scratch_dir;
using testing::snapshot;
using testing::temporary_files;
using testing::tmpfs_mount;

constexpr std::array<const char*, 3> extensions = {".mtl", ".obj", ".pz3"};
using folder_state = std::map<std::string, std::string>;

// The earlier export: one small box. The new export: a different material,
// a box and a grid big enough that its geometry file runs to about a
// megabyte, so that each of the three files differs from the earlier one.
void build_earlier_model(standin::host& host)
{
    standin::palette_material red;
    red.name = "red";
    red.diffuse = {{1, 0, 0}};
    host.add_material(red);
    add_box(host.root(), "crate", 0, 0);
}

void build_new_model(standin::host& host)
{
    standin::palette_material blue;
    blue.name = "blue";
    blue.diffuse = {{0, 0, 1}};
    host.add_material(blue);
    add_box(host.root(), "crate", 0, 0);
    add_grid(host.root(), "floor", 60, 0);
}

struct export_outcome {
    std::vector<std::string> dialogs;
    std::vector<std::string> displays;
};

// Exports a model into base, each on a host of its own.
export_outcome export_model(void (*build)(standin::host&), const std::string& base, int silent)
{
    standin::host host;
    build(host);
    poser_export(silent, base.c_str(), reinterpret_cast<intptr_t>(&host.root()));
    EXPECT_EQ(host.outstanding(), 0u) << "host lists left unreleased";
    return {host.dialogs, host.displays};
}

// The files that a healthy export of the new model writes, by extension.
std::map<std::string, std::string> reference_files()
{
    scratch_dir healthy;
    export_model(build_new_model, healthy.file("scene"), 0);
    std::map<std::string, std::string> files;
    for (const char* extension : extensions) {
        files[extension] = testing::read_file(healthy.path() / (std::string("scene") + extension)).value_or("");
    }
    return files;
}

std::string failure_text(const std::string& base, const char* extension)
{
    return "Could not write to file " + base + extension + ".";
}

// Checks one faulty export into folder/scene: every file is either the new
// file, whole, or exactly what was there before; a file left as it was is
// reported (unless silent) and only such a file; "Done." is shown once; no
// temporary file remains. `must_fail` lists the extensions that cannot have
// been written. Returns the extensions that were not written.
std::set<std::string> check_faulty_export(const std::filesystem::path& folder, const folder_state& before,
                                          const export_outcome& outcome, int silent,
                                          const std::set<std::string>& must_fail)
{
    const std::string base = (folder / "scene").string();
    const auto reference = reference_files();
    const folder_state after = snapshot(folder);
    std::set<std::string> not_written;
    for (const char* extension : extensions) {
        const std::string name = std::string("scene") + extension;
        auto now = after.find(name);
        auto earlier = before.find(name);
        const bool is_new = now != after.end() && now->second == reference.at(extension);
        const bool is_earlier = earlier != before.end() ? now != after.end() && now->second == earlier->second
                                                        : now == after.end();
        EXPECT_TRUE(is_new || is_earlier) << name << " is neither the new file nor the earlier one";
        if (!is_new) {
            not_written.insert(extension);
        }
    }
    for (const auto& extension : must_fail) {
        EXPECT_TRUE(not_written.count(extension)) << "scene" << extension << " cannot have been written";
    }
    std::vector<std::string> expected_dialogs;
    if (silent == 0) {
        for (const char* extension : extensions) {
            if (not_written.count(extension)) {
                expected_dialogs.push_back(failure_text(base, extension));
            }
        }
    }
    EXPECT_EQ(outcome.dialogs, expected_dialogs);
    EXPECT_EQ(outcome.displays, std::vector<std::string>{"Done."});
    EXPECT_EQ(temporary_files(folder), std::vector<std::string>{});
    // Nothing else in the folder changed.
    for (const auto& [name, bytes] : before) {
        if (!name.starts_with("scene.")) {
            EXPECT_EQ(after.count(name) ? after.at(name) : "<gone>", bytes) << name;
        }
    }
    return not_written;
}

class disk_fault_test : public ::testing::TestWithParam<int> {
protected:
    int silent() const { return GetParam(); }
    void TearDown() override { output_file::fail_writes_after(-1); }
    scratch_dir scratch_;
};

INSTANTIATE_TEST_SUITE_P(silent_flag, disk_fault_test, ::testing::Values(0, 1),
                         [](const auto& test_info) { return test_info.param ? std::string("silent") : std::string("shown"); });

// Bytes a tmpfs needs for the earlier export, with its pages and some room.
std::size_t tmpfs_kib_for_earlier_export()
{
    scratch_dir probe;
    export_model(build_earlier_model, probe.file("scene"), 1);
    std::size_t kib = 16;
    for (const auto& [name, bytes] : snapshot(probe.path())) {
        kib += (bytes.size() + 4095) / 4096 * 4;
    }
    return kib;
}

#define MOUNT_OR_SKIP(var, where, kib)                                                                          \
    std::string why_not;                                                                                      \
    auto var = tmpfs_mount::create(where, kib, why_not);                                                       \
    if (!var) {                                                                                               \
        GTEST_SKIP() << "real-disk case skipped (" << why_not                                                  \
                     << "); the injected write failure (disk_fault_test.InjectedWriteFailure) covers the same " \
                        "path";                                                                                \
    }

TEST_P(disk_fault_test, FullDiskLeavesEarlierExportIntact)
{
    const auto folder = scratch_.path() / "disk";
    MOUNT_OR_SKIP(disk, folder, tmpfs_kib_for_earlier_export());
    const std::string base = (folder / "scene").string();
    const auto earlier = export_model(build_earlier_model, base, 0);
    ASSERT_EQ(earlier.dialogs, std::vector<std::string>{}) << "the earlier export must fit on the tmpfs";
    testing::fill_disk(folder);
    const auto free_before = disk->free_bytes();
    const folder_state before = snapshot(folder);

    const auto outcome = export_model(build_new_model, base, silent());

    check_faulty_export(folder, before, outcome, silent(), {".mtl", ".obj", ".pz3"});
    EXPECT_EQ(disk->free_bytes(), free_before) << "space of a discarded temporary file was not given back";
}

TEST_P(disk_fault_test, DiskThatFillsDuringTheExport)
{
    const auto folder = scratch_.path() / "disk";
    MOUNT_OR_SKIP(disk, folder, tmpfs_kib_for_earlier_export());
    const std::string base = (folder / "scene").string();
    ASSERT_EQ(export_model(build_earlier_model, base, 0).dialogs, std::vector<std::string>{});
    const folder_state before = snapshot(folder);
    ASSERT_LT(disk->free_bytes(), reference_files().at(".obj").size());

    const auto outcome = export_model(build_new_model, base, silent());

    // The geometry file does not fit; the smaller ones may.
    check_faulty_export(folder, before, outcome, silent(), {".obj"});
}

TEST_P(disk_fault_test, ReadOnlyFolder)
{
    const auto folder = scratch_.path() / "disk";
    std::string why_not;
    const std::string base = (folder / "scene").string();
    std::optional<tmpfs_mount> disk;
    if (geteuid() == 0) {
        // Root writes through permission bits: only a read-only mount stops
        // it.
        disk = tmpfs_mount::create(folder, 1024, why_not);
        if (!disk) {
            GTEST_SKIP() << "read-only folder skipped (" << why_not << "): root ignores permission bits";
        }
        export_model(build_earlier_model, base, 0);
        if (!disk->remount_read_only(why_not)) {
            GTEST_SKIP() << "read-only folder skipped (" << why_not << ")";
        }
    } else {
        std::filesystem::create_directory(folder);
        export_model(build_earlier_model, base, 0);
        std::filesystem::permissions(folder, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    }
    const folder_state before = snapshot(folder);
    ASSERT_EQ(before.size(), 3u);

    const auto outcome = export_model(build_new_model, base, silent());

    check_faulty_export(folder, before, outcome, silent(), {".mtl", ".obj", ".pz3"});
    if (!disk) {
        std::filesystem::permissions(folder, std::filesystem::perms::owner_all);
    }
}

TEST_P(disk_fault_test, TargetThatIsAFolder)
{
    const auto folder = scratch_.path();
    const std::string base = (folder / "scene").string();
    export_model(build_earlier_model, base, 0);
    std::filesystem::remove(folder / "scene.obj");
    std::filesystem::create_directory(folder / "scene.obj");
    testing::write_file(folder / "scene.obj" / "keep.txt", "kept");
    const folder_state before = snapshot(folder);

    const auto outcome = export_model(build_new_model, base, silent());

    const auto not_written = check_faulty_export(folder, before, outcome, silent(), {".obj"});
    EXPECT_EQ(not_written, std::set<std::string>{".obj"});
    EXPECT_EQ(testing::read_file(folder / "scene.obj" / "keep.txt"), "kept");
    EXPECT_EQ(temporary_files(folder / "scene.obj"), std::vector<std::string>{});
}

TEST_P(disk_fault_test, DirectoryThatDoesNotExist)
{
    const auto folder = scratch_.path() / "missing";
    const folder_state before;

    const auto outcome = export_model(build_new_model, (folder / "scene").string(), silent());

    check_faulty_export(folder, before, outcome, silent(), {".mtl", ".obj", ".pz3"});
    EXPECT_FALSE(std::filesystem::exists(folder)) << "the export must not create the directory";
}

// The output stream's seam fails writes after a byte budget, as a disk that
// fills at that point would; it runs without root. Budgets: nothing at all,
// inside the material library, inside the geometry file, inside the scene.
TEST_P(disk_fault_test, InjectedWriteFailure)
{
    const auto reference = reference_files();
    const long long mtl = static_cast<long long>(reference.at(".mtl").size());
    const long long obj = static_cast<long long>(reference.at(".obj").size());
    const long long pz3 = static_cast<long long>(reference.at(".pz3").size());
    struct budget_case {
        long long budget;
        std::set<std::string> not_written;
    };
    const std::vector<budget_case> cases = {
        {0, {".mtl", ".obj", ".pz3"}},
        {mtl / 2, {".mtl", ".obj", ".pz3"}},
        {mtl + obj / 2, {".obj", ".pz3"}},
        {mtl + obj + pz3 - 1, {".pz3"}},
        {mtl + obj + pz3, {}},
    };
    for (const auto& [budget, expected] : cases) {
        SCOPED_TRACE("budget " + std::to_string(budget));
        scratch_dir folder;
        const std::string base = folder.file("scene");
        export_model(build_earlier_model, base, 0);
        const folder_state before = snapshot(folder.path());
        output_file::fail_writes_after(budget);
        const auto outcome = export_model(build_new_model, base, silent());
        output_file::fail_writes_after(-1);
        EXPECT_EQ(check_faulty_export(folder.path(), before, outcome, silent(), expected), expected);
    }
}

// On Linux a file that another process holds open does not stop the
// replacement: the rename gives the name the new, complete file, and the
// holder keeps reading the earlier file, complete, through its descriptor:
// neither ever sees a mixture. (Where the platform refuses to replace an open
// file, the writer reports it and the earlier file stays; that is the same
// rule as every other failure above.)
TEST_P(disk_fault_test, TargetHeldOpenByAnotherProcess)
{
    const std::string base = scratch_.file("scene");
    export_model(build_earlier_model, base, 0);
    const folder_state before = snapshot(scratch_.path());
    const std::string held = base + ".obj";

    int ready[2];
    int go[2];
    int back[2];
    ASSERT_EQ(pipe(ready), 0);
    ASSERT_EQ(pipe(go), 0);
    ASSERT_EQ(pipe(back), 0);
    const pid_t holder = fork();
    ASSERT_GE(holder, 0);
    if (holder == 0) {
        const int fd = open(held.c_str(), O_RDONLY);
        char signal = fd >= 0 ? 'y' : 'n';
        (void)!write(ready[1], &signal, 1);
        (void)!read(go[0], &signal, 1);
        char buffer[4096];
        for (ssize_t got; (got = read(fd, buffer, sizeof buffer)) > 0;) {
            (void)!write(back[1], buffer, static_cast<std::size_t>(got));
        }
        _exit(0);
    }
    close(ready[1]);
    close(go[0]);
    close(back[1]);
    char signal = 0;
    ASSERT_EQ(read(ready[0], &signal, 1), 1);
    ASSERT_EQ(signal, 'y');

    const auto outcome = export_model(build_new_model, base, silent());

    ASSERT_EQ(write(go[1], "g", 1), 1);
    std::string seen_by_holder;
    char buffer[4096];
    for (ssize_t got; (got = read(back[0], buffer, sizeof buffer)) > 0;) {
        seen_by_holder.append(buffer, static_cast<std::size_t>(got));
    }
    int status = 0;
    waitpid(holder, &status, 0);
    close(ready[0]);
    close(go[1]);
    close(back[0]);

    EXPECT_EQ(seen_by_holder, before.at("scene.obj")) << "the holder must keep the whole earlier file";
    const auto not_written = check_faulty_export(scratch_.path(), before, outcome, silent(), {});
    EXPECT_EQ(not_written, std::set<std::string>{});
}


// The converter: the same faults through build/vellumark, which reports each
// file it cannot write on standard error and exits with status 1, also when
// silent (then without the messages).
std::string box_ac(const std::string& material)
{
    std::string text = "AC3Db\nMATERIAL \"" + material +
                       "\" rgb 1 0 0  amb 0.2 0.2 0.2  emis 0 0 0  spec 0.5 0.5 0.5  shi 10  trans 0\n"
                       "OBJECT world\nkids 1\nOBJECT poly\nname \"crate\"\nnumvert 4\n0 0 0\n1 0 0\n1 1 0\n0 1 1\n"
                       "numsurf 2\nSURF 0x20\nmat 0\nrefs 3\n0 0 0\n1 1 0\n2 1 1\nSURF 0x20\nmat 0\nrefs 3\n"
                       "0 0 0\n2 1 1\n3 0 1\nkids 0\n";
    return text;
}

// A grid of side x side vertices: files of hundreds of kilobytes.
std::string grid_ac(int side)
{
    std::string text = "AC3Db\nMATERIAL \"blue\" rgb 0 0 1  amb 0 0 0  emis 0 0 0  spec 0 0 0  shi 0  trans 0\n"
                       "OBJECT world\nkids 1\nOBJECT poly\nname \"floor\"\nnumvert " +
                       std::to_string(side * side) + "\n";
    for (int row = 0; row < side; ++row) {
        for (int column = 0; column < side; ++column) {
            text += std::to_string(column) + " " + std::to_string(row) + " 0\n";
        }
    }
    text += "numsurf " + std::to_string((side - 1) * (side - 1)) + "\n";
    for (int row = 0; row + 1 < side; ++row) {
        for (int column = 0; column + 1 < side; ++column) {
            const int a = row * side + column;
            text += "SURF 0x20\nmat 0\nrefs 4\n" + std::to_string(a) + " 0 0\n" + std::to_string(a + 1) + " 1 0\n" +
                    std::to_string(a + side + 1) + " 1 1\n" + std::to_string(a + side) + " 0 1\n";
        }
    }
    return text + "kids 0\n";
}

enum class converter_fault { full_disk, read_only_folder, target_is_a_folder, folder_cannot_be_made };

struct converter_case {
    converter_fault fault;
    bool silent;
};

std::string case_name(const ::testing::TestParamInfo<converter_case>& param_info)
{
    static const char* const names[] = {"FullDisk", "ReadOnlyFolder", "TargetIsAFolder", "FolderCannotBeMade"};
    return std::string(names[static_cast<int>(param_info.param.fault)]) + (param_info.param.silent ? "Silent" : "");
}

class converter_disk_fault_test : public ::testing::TestWithParam<converter_case> {
protected:
    scratch_dir scratch_;
};

INSTANTIATE_TEST_SUITE_P(
    faults, converter_disk_fault_test,
    ::testing::Values(converter_case{converter_fault::full_disk, false}, converter_case{converter_fault::full_disk, true},
                      converter_case{converter_fault::read_only_folder, false},
                      converter_case{converter_fault::read_only_folder, true},
                      converter_case{converter_fault::target_is_a_folder, false},
                      converter_case{converter_fault::target_is_a_folder, true},
                      converter_case{converter_fault::folder_cannot_be_made, false},
                      converter_case{converter_fault::folder_cannot_be_made, true}),
    case_name);

TEST_P(converter_disk_fault_test, ReportsExitsOneAndKeepsEarlierFiles)
{
    const auto converter = testing::converter_path();
    if (!converter) {
        GTEST_SKIP() << "the converter (build/vellumark) is not built";
    }
    const auto [fault, silent] = GetParam();
    const std::string earlier_input = scratch_.file("earlier.ac");
    const std::string new_input = scratch_.file("new.ac");
    testing::write_file(earlier_input, box_ac("red"));
    testing::write_file(new_input, grid_ac(60));

    auto folder = scratch_.path() / "out";
    std::optional<tmpfs_mount> disk;
    std::string why_not;
    if (fault == converter_fault::full_disk || fault == converter_fault::read_only_folder) {
        disk = tmpfs_mount::create(folder, 1024, why_not);
        if (!disk) {
            GTEST_SKIP() << "real-disk case skipped (" << why_not
                         << "); disk_fault_test.InjectedWriteFailure covers the writers' side";
        }
    } else {
        std::filesystem::create_directory(folder);
    }
    if (fault == converter_fault::folder_cannot_be_made) {
        // A file where the output's folder would have to be.
        testing::write_file(folder / "blocker", "a file, not a folder");
        folder = folder / "blocker" / "sub";
    }
    const std::string target = (folder / "scene.pz3").string();
    const std::string base = (folder / "scene").string();
    if (fault != converter_fault::folder_cannot_be_made) {
        const auto earlier = testing::run_program({*converter, "-q", "-o", target, earlier_input});
        ASSERT_EQ(earlier.status, 0) << earlier.err;
    }
    if (fault == converter_fault::full_disk) {
        testing::fill_disk(folder);
    } else if (fault == converter_fault::read_only_folder) {
        if (!disk->remount_read_only(why_not)) {
            GTEST_SKIP() << why_not;
        }
    } else if (fault == converter_fault::target_is_a_folder) {
        std::filesystem::remove(folder / "scene.obj");
        std::filesystem::create_directory(folder / "scene.obj");
    }
    const folder_state before = fault == converter_fault::folder_cannot_be_made ? folder_state{} : snapshot(folder);

    std::vector<std::string> arguments = {*converter, "-o", target};
    if (silent) {
        arguments.push_back("--silent");
    }
    arguments.push_back(new_input);
    const auto result = testing::run_program(arguments);

    EXPECT_EQ(result.status, 1) << result.err;
    const std::vector<const char*> failing = fault == converter_fault::target_is_a_folder
                                                 ? std::vector<const char*>{".obj"}
                                                 : std::vector<const char*>{".mtl", ".obj", ".pz3"};
    std::string expected_err;
    if (!silent) {
        for (const char* extension : failing) {
            expected_err += "vellumark: " + failure_text(base, extension) + "\n";
        }
    }
    EXPECT_EQ(result.err, expected_err);
    EXPECT_NE(result.out.find("Done."), std::string::npos) << result.out;
    if (fault == converter_fault::folder_cannot_be_made) {
        EXPECT_FALSE(std::filesystem::exists(folder));
        return;
    }
    const folder_state after = snapshot(folder);
    for (const char* extension : failing) {
        const std::string name = std::string("scene") + extension;
        EXPECT_EQ(after.count(name) ? after.at(name) : "<gone>", before.at(name)) << name << " changed";
    }
    EXPECT_EQ(temporary_files(folder), std::vector<std::string>{});
}

}  // namespace
}  // namespace vellumark
