#include "common/path_split.h"

#include <gtest/gtest.h>

namespace vellumark {
namespace {

struct split_case {
    const char* path;
    const char* drive;
    const char* directory;
    const char* file_name;
    const char* extension;
};

TEST(PathSplit, SplitsDriveDirectoryFileNameAndExtension)
{
    const split_case cases[] = {
        {"C:\\scenes\\hero.pz3", "C:", "\\scenes\\", "hero", ".pz3"},
        {"C:\\scenes\\hero.final.pz3", "C:", "\\scenes\\", "hero.final", ".pz3"},
        {"C:\\my.scenes\\hero", "C:", "\\my.scenes\\", "hero", ""},
        {"D:\\out\\hero.txt", "D:", "\\out\\", "hero", ".txt"},
        {"C:hero.pz3", "C:", "", "hero", ".pz3"},
        {".pz3", "", "", "", ".pz3"},
        {"", "", "", "", ""},
        {"/home/user/models/hero.pz3", "", "/home/user/models/", "hero", ".pz3"},
        {"models/sub\\mixed.name/hero", "", "models/sub\\mixed.name/", "hero", ""},
        {"C:", "C:", "", "", ""},
        {"dir/", "", "dir/", "", ""},
        {"hero.", "", "", "hero", "."},
        {"a:b:c.d", "a:", "", "b:c", ".d"},
    };
    for (const auto& c : cases) {
        const path_parts parts = split_path(c.path);
        EXPECT_EQ(parts.drive, c.drive) << c.path;
        EXPECT_EQ(parts.directory, c.directory) << c.path;
        EXPECT_EQ(parts.file_name, c.file_name) << c.path;
        EXPECT_EQ(parts.extension, c.extension) << c.path;
    }
}

TEST(PathSplit, StripsOnlyTheLastComponentsExtension)
{
    EXPECT_EQ(strip_extension("C:\\scenes\\hero.final.pz3"), "C:\\scenes\\hero.final");
    EXPECT_EQ(strip_extension("C:\\my.scenes\\hero"), "C:\\my.scenes\\hero");
    EXPECT_EQ(file_name_with_extension("D:\\out\\scene.final"), "scene.final");
    EXPECT_EQ(file_name_with_extension("C:scene"), "scene");
}

TEST(PathSplit, KeepsLongPathsWhole)
{
    const std::string directory = "C:\\" + std::string(400, 'd') + "\\";
    const std::string name(300, 'n');
    const path_parts parts = split_path(directory + name + ".pz3");
    EXPECT_EQ(parts.directory, directory.substr(2));
    EXPECT_EQ(parts.file_name, name);
    EXPECT_EQ(parts.extension, ".pz3");
}

}  // namespace
}  // namespace vellumark
