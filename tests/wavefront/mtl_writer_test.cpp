#include "wavefront/mtl_writer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/support/test_files.h"
#include "tests/wavefront/wavefront_fixture.h"

namespace vellumark::testing {
namespace {

using mtl_writer_test = wavefront_test;

TEST_F(mtl_writer_test, NoMaterialsLeaveAnEmptyLibrary)
{
    const std::string base = dir.file("scene");
    write_file(base + ".mtl", "an earlier export\r\n");
    write_mtl_file(scene, base, 0);
    EXPECT_EQ(read_file(base + ".mtl"), "");
    EXPECT_TRUE(host.dialogs.empty());
}

TEST_F(mtl_writer_test, WritesOneEntryPerMaterialInRegistryOrder)
{
    material_record& plain = add_material("plain");
    plain.diffuse = {0.8F, 0.2F, 0.1F};
    plain.ambient = {0.25F, 0.5F, 0.75F};
    plain.specular = {1, 1, 1};
    plain.shininess = 64;
    plain.transparency = 0;

    // Two materials that differ only in their texture.
    for (const auto& [name, texture] : {std::pair{"brick", "brick.png"}, std::pair{"brick_1", "BRICK2.jpg"}}) {
        material_record& brick = add_material(name, texture);
        brick.diffuse = {1, 0.5F, 0.25F};
        brick.ambient = {0.125F, 0.125F, 0.125F};
        brick.specular = {0.5F, 0.5F, 0.5F};
        brick.emissive = {0.0625F, 0, 0};
        brick.shininess = 0;
        brick.transparency = 0.25F;
    }

    material_record& glass = add_material("frosted glass");
    glass.diffuse = {-0.0F, 2, 0.3F};
    glass.emissive = {-0.5F, 1.0F / 128, -1.0F / 128};
    glass.shininess = 128;
    glass.transparency = 1;

    const std::string base = dir.file("scene");
    write_mtl_file(scene, base, 0);
    EXPECT_EQ(read_file(base + ".mtl"), crlf_lines({
                                            "newmtl plain",
                                            "Kd 0.800000 0.200000 0.100000",
                                            "Ka 0.250000 0.500000 0.750000",
                                            "Ks 1.000000 1.000000 1.000000",
                                            "Ke 0.000000 0.000000 0.000000",
                                            "d 1.000000",
                                            "Ns 64.000000",
                                            "newmtl brick",
                                            "Kd 1.000000 0.500000 0.250000",
                                            "Ka 0.125000 0.125000 0.125000",
                                            "Ks 0.500000 0.500000 0.500000",
                                            "Ke 0.062500 0.000000 0.000000",
                                            "d 0.750000",
                                            "Ns 0.000000",
                                            "map_Kd brick.png",
                                            "newmtl brick_1",
                                            "Kd 1.000000 0.500000 0.250000",
                                            "Ka 0.125000 0.125000 0.125000",
                                            "Ks 0.500000 0.500000 0.500000",
                                            "Ke 0.062500 0.000000 0.000000",
                                            "d 0.750000",
                                            "Ns 0.000000",
                                            "map_Kd BRICK2.jpg",
                                            "newmtl frosted glass",
                                            "Kd -0.000000 2.000000 0.300000",
                                            "Ka 0.000000 0.000000 0.000000",
                                            "Ks 0.000000 0.000000 0.000000",
                                            "Ke -0.500000 0.007813 -0.007813",
                                            "d 0.000000",
                                            "Ns 128.000000",
                                        }));
    EXPECT_TRUE(host.dialogs.empty());
}

TEST_F(mtl_writer_test, OpacityIsOneMinusTransparencyUnclamped)
{
    struct opacity_case {
        float transparency;
        const char* line;
    };
    const opacity_case cases[] = {
        {0.0F, "d 1.000000"},
        {0.25F, "d 0.750000"},
        {1.0F, "d 0.000000"},
        {0.1F, "d 0.900000"},
        // 1 - t in single precision would round to 0.749020.
        {0x1.01010ap-2F, "d 0.749019"},
        {1.5F, "d -0.500000"},
        {-0.5F, "d 1.500000"},
    };
    for (const opacity_case& c : cases) {
        export_scene one;
        material_record* material = one.append_material();
        material->name = "m";
        material->transparency = c.transparency;
        const std::string base = dir.file("opacity");
        write_mtl_file(one, base, 0);
        const std::string expected = crlf_lines({"newmtl m", "Kd 0.000000 0.000000 0.000000",
                                                 "Ka 0.000000 0.000000 0.000000", "Ks 0.000000 0.000000 0.000000",
                                                 "Ke 0.000000 0.000000 0.000000", c.line, "Ns 0.000000"});
        EXPECT_EQ(read_file(base + ".mtl"), expected) << c.transparency;
    }
}

TEST_F(mtl_writer_test, KeepsEveryFullStopOfTheBasePath)
{
    add_material("m");
    const std::string base = dir.file("scene.final");
    write_mtl_file(scene, base, 0);
    EXPECT_TRUE(std::filesystem::exists(base + ".mtl"));
    EXPECT_FALSE(std::filesystem::exists(dir.file("scene.mtl")));
}

TEST_F(mtl_writer_test, ReportsALibraryThatCannotBeWrittenUnlessSilent)
{
    add_material("m");
    struct failure_case {
        const char* what;
        int silent;
        bool shown;
    };
    // Only the low 8 bits of the flag count.
    const failure_case cases[] = {{"not silent", 0, true}, {"silent", 1, false}, {"high bits only", 0x100, true}};
    for (const failure_case& c : cases) {
        host.dialogs.clear();
        const std::string missing = dir.file("missing") + "/scene";
        write_mtl_file(scene, missing, c.silent);
        if (c.shown) {
            EXPECT_EQ(host.dialogs, std::vector<std::string>{"Could not write to file " + missing + ".mtl."}) << c.what;
        } else {
            EXPECT_TRUE(host.dialogs.empty()) << c.what;
        }
        EXPECT_FALSE(std::filesystem::exists(dir.file("missing"))) << c.what;
    }
}

TEST_F(mtl_writer_test, ReportsALibraryThatCannotTakeItsPlace)
{
    add_material("m");
    // A folder where the library belongs: the file is written in full but
    // cannot be moved there.
    const std::string base = dir.file("scene");
    std::filesystem::create_directory(base + ".mtl");
    write_mtl_file(scene, base, 0);
    EXPECT_EQ(host.dialogs, std::vector<std::string>{"Could not write to file " + base + ".mtl."});
    EXPECT_TRUE(std::filesystem::is_directory(base + ".mtl"));
    // Nothing is left behind beside it.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), std::filesystem::directory_iterator()),
              1);
}

}  // namespace
}  // namespace vellumark::testing
