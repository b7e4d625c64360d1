#include "scene/name_registry.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace vellumark {
namespace {

// The uniquing rule written out as repeated passes over the list, as slowly
// and plainly as it reads: the new name starts as the base; each pass goes
// through every other name and, whenever one equals the current name (only A
// to Z folded), sets the name to base_k; passes repeat, k counting up, until
// one changes nothing.
bool plain_equal(const std::string& a, const std::string& b)
{
    auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c; };
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (fold(a[i]) != fold(b[i])) {
            return false;
        }
    }
    return true;
}

std::string plain_unique(const std::vector<std::string>& others, const std::string& base)
{
    std::string name = base;
    for (long k = 1;; ++k) {
        bool changed = false;
        for (const std::string& other : others) {
            if (plain_equal(other, name)) {
                name = base + "_" + std::to_string(k);
                changed = true;
            }
        }
        if (!changed) {
            return name;
        }
    }
}

std::vector<std::string> unique_names(const std::vector<std::string>& bases)
{
    name_registry registry;
    std::vector<std::string> names;
    for (const std::string& base : bases) {
        names.push_back(registry.make_unique(base));
    }
    return names;
}

TEST(NameUniquing, SuffixesGoOnTheBaseName)
{
    struct uniquing_case {
        std::vector<std::string> bases;
        std::vector<std::string> names;
    };
    const uniquing_case cases[] = {
        {{"red", "red", "red"}, {"red", "red_1", "red_2"}},
        {{"Box", "box"}, {"Box", "box_1"}},
        {{"red", "red_1", "red"}, {"red", "red_1", "red_2"}},
        {{"a_1", "a", "a"}, {"a_1", "a", "a_2"}},
        {{"red", "red", "red_1"}, {"red", "red_1", "red_1_1"}},
        {{"a", "A_1", "a", "a"}, {"a", "A_1", "a_2", "a_3"}},
        // Only A to Z fold: these two bytes are different letters.
        {{"\xC4", "\xE4"}, {"\xC4", "\xE4"}},
        {{"object", "object", "object_1", "Object"}, {"object", "object_1", "object_1_1", "Object_2"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(unique_names(c.bases), c.names) << ::testing::PrintToString(c.bases);
    }
}

TEST(NameUniquing, LongestBaseStillTakesItsSuffix)
{
    const std::string base(base_name_limit, 'n');
    EXPECT_EQ(unique_names({base, base}), (std::vector<std::string>{base, base + "_1"}));
}

// Random lists from a few stems, in random case, often carrying suffixes of
// their own: every name must be the one the passes give.
TEST(NameUniquing, AgreesWithRepeatedPassesOnRandomLists)
{
    const std::vector<std::string> stems = {"a", "red", "Box", "x_y", "\xC4", "_", ""};
    for (unsigned seed = 1; seed <= 300; ++seed) {
        std::mt19937 random(seed);
        auto pick = [&](int below) { return static_cast<int>(random() % static_cast<unsigned>(below)); };
        std::vector<std::string> bases(static_cast<std::size_t>(1 + pick(150)));
        for (std::string& base : bases) {
            base = stems[static_cast<std::size_t>(pick(static_cast<int>(stems.size())))];
            for (int suffixes = pick(4) == 0 ? 1 + pick(2) : 0; suffixes > 0; --suffixes) {
                const int kind = pick(6);
                base += kind == 0 ? "_0" + std::to_string(pick(3)) : kind == 1 ? "_" : "_" + std::to_string(pick(12));
            }
            for (char& c : base) {
                if (c >= 'a' && c <= 'z' && pick(3) == 0) {
                    c = static_cast<char>(c - ('a' - 'A'));
                }
            }
        }
        name_registry registry;
        std::vector<std::string> plain;
        for (std::size_t i = 0; i < bases.size(); ++i) {
            const std::string expected = plain_unique(plain, bases[i]);
            ASSERT_EQ(registry.make_unique(bases[i]), expected) << "seed " << seed << ", name " << i;
            plain.push_back(expected);
        }
    }
}

TEST(BaseName, ReplacesLineBreaksThenCuts)
{
    struct base_case {
        const char* host_name;
        std::string base;
    };
    const std::string long_name = std::string(998, 'x') + "\r\n" + "tail";
    const base_case cases[] = {
        {nullptr, "object"},
        {"", "object"},
        {"arm\r\nleft", "arm__left"},
        {"\n", "_"},
        {" 50% of it \t", " 50% of it \t"},
        {long_name.c_str(), std::string(998, 'x') + "_"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(base_name(c.host_name, "object"), c.base);
    }
    EXPECT_EQ(base_name(std::string(1200, 'q').c_str(), "object"), std::string(999, 'q'));
}

}  // namespace
}  // namespace vellumark
