#include "scene/material_registry.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "standin/standin_host.h"

namespace vellumark {
namespace {

struct request {
    std::int32_t palette_index;
    std::string texture_name;
};

struct expected_material {
    std::int32_t palette_index;
    std::string texture_name;
    std::string name;
};

std::vector<expected_material> material_list(const export_scene& scene)
{
    std::vector<expected_material> list;
    for (const material_record* m = scene.materials; m != nullptr; m = m->next) {
        list.push_back({m->palette_index, m->texture_name, m->name});
    }
    return list;
}

bool operator==(const expected_material& a, const expected_material& b)
{
    return a.palette_index == b.palette_index && a.texture_name == b.texture_name && a.name == b.name;
}

void PrintTo(const expected_material& m, std::ostream* out)
{
    *out << "{" << m.palette_index << ", \"" << m.texture_name << "\", \"" << m.name << "\"}";
}

class MaterialRegistry : public ::testing::Test {
protected:
    void TearDown() override { fail_record_allocation_after(-1); }

    // Palette entries 0 to 4 with these names (nullopt: the entry has none).
    void name_palette(const std::vector<std::optional<std::string>>& names)
    {
        for (const auto& name : names) {
            standin::palette_material entry;
            entry.name = name;
            host.add_material(entry);
        }
    }

    standin::host host;
    export_scene scene;
};

TEST(MaterialRegistryCases, OneMaterialPerPaletteIndexAndTexture)
{
    struct registry_case {
        const char* label;
        std::vector<std::optional<std::string>> palette;
        std::vector<request> requests;
        std::vector<int> results;
        std::vector<expected_material> materials;
    };
    const registry_case cases[] = {
        {"same index, no texture: shared",
         {"p0", "p1", "skin"},
         {{2, ""}, {2, ""}},
         {0, 0},
         {{2, "", "skin"}}},
        {"texture compared without regard to case, first spelling kept",
         {"p0", "p1", "skin"},
         {{2, "wood.png"}, {2, "WOOD.PNG"}},
         {0, 0},
         {{2, "wood.png", "skin"}}},
        {"same entry with and without texture",
         {"p0", "p1", "skin"},
         {{2, ""}, {2, "wood.png"}, {2, "Wood.png"}, {2, ""}},
         {0, 1, 1, 0},
         {{2, "", "skin"}, {2, "wood.png", "skin_1"}}},
        {"different entries with one name",
         {"p0", "skin", "p2", "p3", "Skin"},
         {{1, ""}, {4, ""}},
         {0, 1},
         {{1, "", "skin"}, {4, "", "Skin_1"}}},
        {"same texture, different entries",
         {"p0", "p1", "p2"},
         {{1, "t.png"}, {2, "t.png"}},
         {0, 1},
         {{1, "t.png", "p1"}, {2, "t.png", "p2"}}},
        {"entries without a name, or an empty one",
         {std::nullopt, std::nullopt, ""},
         {{0, ""}, {1, ""}, {2, ""}},
         {0, 1, 2},
         {{0, "", "no_name"}, {1, "", "no_name_1"}, {2, "", "no_name_2"}}},
        {"index that names no entry",
         {"p0"},
         {{7, ""}},
         {0},
         {{7, "", "no_name"}}},
        {"line breaks in a name",
         {"skin\r\ntone", "skin__tone"},
         {{0, ""}, {1, ""}},
         {0, 1},
         {{0, "", "skin__tone"}, {1, "", "skin__tone_1"}}},
        {"order of first use",
         {"p0", "p1", "p2", "p3"},
         {{2, ""}, {1, ""}, {2, ""}, {3, "x"}, {1, ""}, {3, "X"}},
         {0, 1, 0, 2, 1, 2},
         {{2, "", "p2"}, {1, "", "p1"}, {3, "x", "p3"}}},
        {"names cut to 999 characters",
         {std::string(1200, 'm'), std::string(999, 'm')},
         {{0, ""}, {1, ""}},
         {0, 1},
         {{0, "", std::string(999, 'm')}, {1, "", std::string(999, 'm') + "_1"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        standin::host case_host;
        export_scene case_scene;
        for (const auto& name : c.palette) {
            standin::palette_material entry;
            entry.name = name;
            case_host.add_material(entry);
        }
        std::vector<material_record*> results;
        for (const request& r : c.requests) {
            material_record* slot = nullptr;
            ASSERT_TRUE(find_or_add_material(case_scene, r.texture_name, r.palette_index, slot));
            results.push_back(slot);
        }
        EXPECT_EQ(material_list(case_scene), c.materials);
        std::vector<int> positions;
        for (material_record* result : results) {
            int position = 0;
            const material_record* m = case_scene.materials;
            for (; m != nullptr && m != result; m = m->next) {
                ++position;
            }
            positions.push_back(m != nullptr ? position : -1);
        }
        EXPECT_EQ(positions, c.results);
    }
}

TEST_F(MaterialRegistry, ReadsTheEntrysValuesAndZeroForWhatItLacks)
{
    standin::palette_material full;
    full.name = "skin";
    full.ambient = {{0.1f, 0.2f, 0.3f}};
    full.diffuse = {{0.4f, 0.5f, 0.6f}};
    full.specular = {{0.7f, 0.8f, 0.9f}};
    full.emissive = {{1.0f, 1.5f, 2.0f}};
    full.shininess = 64.0f;
    full.transparency = 0.25f;
    standin::palette_material sparse;
    sparse.name = "bare";
    sparse.diffuse = {{0.5f, 0.25f, 0.125f}};
    host.add_material(full);
    host.add_material(sparse);

    material_record* first = nullptr;
    material_record* second = nullptr;
    ASSERT_TRUE(find_or_add_material(scene, "", 0, first));
    ASSERT_TRUE(find_or_add_material(scene, "", 1, second));

    auto rgb = [](const vec3& v) { return std::vector<float>{v.x, v.y, v.z}; };
    EXPECT_EQ(rgb(first->ambient), (std::vector<float>{0.1f, 0.2f, 0.3f}));
    EXPECT_EQ(rgb(first->diffuse), (std::vector<float>{0.4f, 0.5f, 0.6f}));
    EXPECT_EQ(rgb(first->specular), (std::vector<float>{0.7f, 0.8f, 0.9f}));
    EXPECT_EQ(rgb(first->emissive), (std::vector<float>{1.0f, 1.5f, 2.0f}));
    EXPECT_EQ(first->shininess, 64.0f);
    EXPECT_EQ(first->transparency, 0.25f);

    EXPECT_EQ(rgb(second->ambient), (std::vector<float>{0, 0, 0}));
    EXPECT_EQ(rgb(second->diffuse), (std::vector<float>{0.5f, 0.25f, 0.125f}));
    EXPECT_EQ(rgb(second->specular), (std::vector<float>{0, 0, 0}));
    EXPECT_EQ(rgb(second->emissive), (std::vector<float>{0, 0, 0}));
    EXPECT_EQ(second->shininess, 0.0f);
    EXPECT_EQ(second->transparency, 0.0f);
}

// Random requests with case variants of a few textures: every result must be
// the material that a search of the list from its head finds first, and a new
// material only when that search finds none.
TEST_F(MaterialRegistry, FindsWhatASearchFromTheHeadFinds)
{
    name_palette({"a", "b", std::nullopt, "a", "c"});
    const std::vector<std::string> textures = {"", "wood.png", "WOOD.png", "Wood.PNG", "bark.jpg", "BARK.JPG", "\xC4.png",
                                               "\xE4.png"};
    std::mt19937 random(7);
    auto plain_first_match = [&](std::int32_t palette_index, const std::string& texture) -> material_record* {
        auto equal = [](const std::string& a, const std::string& b) {
            if (a.size() != b.size()) {
                return false;
            }
            for (std::size_t i = 0; i < a.size(); ++i) {
                char x = a[i];
                char y = b[i];
                x = x >= 'A' && x <= 'Z' ? static_cast<char>(x + 32) : x;
                y = y >= 'A' && y <= 'Z' ? static_cast<char>(y + 32) : y;
                if (x != y) {
                    return false;
                }
            }
            return true;
        };
        for (material_record* m = scene.materials; m != nullptr; m = m->next) {
            if (m->palette_index == palette_index && equal(m->texture_name, texture)) {
                return m;
            }
        }
        return nullptr;
    };
    for (int i = 0; i < 2000; ++i) {
        const auto palette_index = static_cast<std::int32_t>(random() % 5);
        const std::string& texture = textures[random() % textures.size()];
        material_record* expected = plain_first_match(palette_index, texture);
        const std::size_t count_before = scene.material_count();
        material_record* slot = nullptr;
        ASSERT_TRUE(find_or_add_material(scene, texture, palette_index, slot));
        if (expected != nullptr) {
            ASSERT_EQ(slot, expected) << i;
            ASSERT_EQ(scene.material_count(), count_before);
        } else {
            ASSERT_EQ(scene.material_count(), count_before + 1);
            ASSERT_EQ(slot->texture_name, texture);
            ASSERT_EQ(slot->palette_index, palette_index);
        }
    }
    // Five entries, texture none, wood, bark and the two letters \xC4 and
    // \xE4 (not folded into each other).
    EXPECT_EQ(scene.material_count(), 25u);
}

TEST_F(MaterialRegistry, FailedAllocationChangesNothing)
{
    name_palette({"skin"});
    material_record stale;
    material_record* slot = &stale;
    fail_record_allocation_after(0);
    EXPECT_FALSE(find_or_add_material(scene, "", 0, slot));
    EXPECT_EQ(slot, nullptr);
    EXPECT_EQ(scene.materials, nullptr);

    ASSERT_TRUE(find_or_add_material(scene, "", 0, slot));
    ASSERT_NE(slot, nullptr);
    EXPECT_EQ(slot->name, "skin");
    EXPECT_EQ(scene.material_count(), 1u);
}

}  // namespace
}  // namespace vellumark
