#include "pz3/material_sections.h"

#include <gtest/gtest.h>

#include "tests/pz3/pz3_reference.h"
#include "tests/pz3/pz3_test_support.h"
#include "tests/support/test_files.h"

namespace vellumark {
namespace {

using testing::add_materials;
using testing::material_input;
using testing::to_crlf;
using testing::written;

const material_input red_plain{"red", "", {0.75f, 0.25f, 0.5f}, {0.125f, 0.0f, 1.0f},
                               {1.0f, 0.5f, 0.0625f}, {0.3f, 0.3f, 0.3f}, 64.0f, 0.5f};
const reference::material red_plain_expected{"red", "", "0.750000 0.250000 0.500000", "0.125000 0.000000 1.000000",
                                             "1.000000 0.500000 0.062500", "64.000000", "0.500000", "0.500000"};

std::string section_of(const material_input& input)
{
    export_scene scene;
    add_materials(scene, {input});
    return written([&scene](output_file& out) { write_material_section(out, *scene.materials); });
}

TEST(MaterialSection, WithoutTextureHasNoImageMapNode)
{
    const std::string text = section_of(red_plain);
    EXPECT_EQ(text, to_crlf(reference::material_section(red_plain_expected)));
    EXPECT_EQ(reference::line_count(text), 290u);
    EXPECT_NE(text.find("\t\ttextureMap NO_MAP\r\n"), std::string::npos);
    EXPECT_EQ(text.find("Image_Map"), std::string::npos);
    // The emissive colour (0.3) is written nowhere.
    EXPECT_EQ(text.find("0.300000"), std::string::npos);
}

TEST(MaterialSection, WithTextureFeedsDiffuseFromAnImageMapNode)
{
    material_input input = red_plain;
    input.name = "red_1";
    input.texture = "bricks 100%.png";
    reference::material expected = red_plain_expected;
    expected.name = "red_1";
    expected.texture = "bricks 100%.png";
    const std::string text = section_of(input);
    EXPECT_EQ(text, to_crlf(reference::material_section(expected)));
    EXPECT_EQ(reference::line_count(text), 426u);
    EXPECT_NE(text.find("\t\ttextureMap \"bricks 100%.png\"\r\n            0 0 \r\n"), std::string::npos);
    EXPECT_NE(text.find("\t\t\t\t\tfile \"bricks 100%.png\" \r\n"), std::string::npos);
    EXPECT_NE(text.find("\t\t\t\tnodeInput \"Diffuse_Color\"\r\n"), std::string::npos);
}

TEST(MaterialSection, ShininessAndTransparencyValues)
{
    struct value_case {
        float shininess;
        float transparency;
        const char* exponent;
        const char* roughness;
        const char* transparency_text;
    };
    const value_case cases[] = {
        {128.0f, 0.0f, "128.000000", "1.000000", "0.000000"},
        {64.0f, 0.5f, "64.000000", "0.500000", "0.500000"},
        {0.0f, 1.0f, "0.000000", "0.000000", "1.000000"},
        // 1/128 rounds half away from zero; nothing is clamped.
        {1.0f, 0.25f, "1.000000", "0.007813", "0.250000"},
        {256.0f, -0.5f, "256.000000", "2.000000", "-0.500000"},
    };
    for (const auto& c : cases) {
        material_input input = red_plain;
        input.shininess = c.shininess;
        input.transparency = c.transparency;
        reference::material expected = red_plain_expected;
        expected.shininess = c.exponent;
        expected.roughness = c.roughness;
        expected.transparency = c.transparency_text;
        EXPECT_EQ(section_of(input), to_crlf(reference::material_section(expected))) << c.shininess;
    }
}

TEST(MaterialSections, OneSectionPerMaterialInRegistryOrder)
{
    export_scene empty;
    EXPECT_EQ(written([&empty](output_file& out) { write_material_sections(out, empty); }), "");

    material_input second = red_plain;
    second.name = "blue";
    second.texture = "sky.jpg";
    export_scene scene;
    add_materials(scene, {red_plain, second});
    reference::material second_expected = red_plain_expected;
    second_expected.name = "blue";
    second_expected.texture = "sky.jpg";
    EXPECT_EQ(written([&scene](output_file& out) { write_material_sections(out, scene); }),
              to_crlf(reference::material_section(red_plain_expected) +
                      reference::material_section(second_expected)));
}

}  // namespace
}  // namespace vellumark
