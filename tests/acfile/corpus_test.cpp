// Real models made by other people with several tools: every one reads, and
// its triangles agree with an independent reader's (assimp) where that reader
// reads the file the same way.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <optional>
#include <sstream>
#include <ostream>
#include <string>
#include <vector>

#include "acfile/ac_reader.h"
#include "tests/support/test_files.h"

namespace vellumark::acfile {
namespace {

std::optional<std::filesystem::path> corpus_dir()
{
    const auto shared = testing::shared_dir();
    if (!shared) {
        return std::nullopt;
    }
    return *shared / "corpus";
}

struct box {
    std::array<double, 3> low{std::numeric_limits<double>::infinity(), std::numeric_limits<double>::infinity(),
                              std::numeric_limits<double>::infinity()};
    std::array<double, 3> high{-std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
                               -std::numeric_limits<double>::infinity()};
    bool empty() const { return low[0] > high[0]; }
    void add(double x, double y, double z)
    {
        const double p[3] = {x, y, z};
        for (int i = 0; i < 3; ++i) {
            low[i] = std::min(low[i], p[i]);
            high[i] = std::max(high[i], p[i]);
        }
    }
};

// Triangle count (n - 2 for each face of n corners) and the box of the
// positions that the triangles use.
struct triangle_summary {
    std::size_t triangles = 0;
    box used;
};

triangle_summary summarize(const host_object* world)
{
    triangle_summary summary;
    std::vector<const host_object*> pending{world};
    while (!pending.empty()) {
        const host_object* object = pending.back();
        pending.pop_back();
        summary.triangles += object->triangle_count();
        for (const standin::triangle& t : object->triangles()) {
            for (const standin::corner& c : t.corners) {
                const host_vertex& v = object->vertex(static_cast<std::size_t>(c.vertex));
                summary.used.add(v.x, v.y, v.z);
            }
        }
        pending.insert(pending.end(), object->children.begin(), object->children.end());
    }
    return summary;
}

// The same from a Wavefront file: "v" lines, and "f" lines of three or more
// corners. Points and lines are left out on both sides: the export makes no
// triangles of line surfaces, and assimp leaves the object's loc off the
// vertices of line surfaces (closedline, openline, relief, clock), so the box
// of all positions would differ there for that reason alone.
triangle_summary summarize_obj(const std::string& text)
{
    triangle_summary summary;
    std::vector<std::array<double, 3>> positions;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream tokens(line);
        std::string keyword;
        tokens >> keyword;
        if (keyword == "v") {
            std::array<double, 3> p{};
            tokens >> p[0] >> p[1] >> p[2];
            positions.push_back(p);
        } else if (keyword == "f") {
            std::vector<long> corners;
            std::string corner;
            while (tokens >> corner) {
                const long index = std::stol(corner.substr(0, corner.find('/')));
                corners.push_back(index > 0 ? index - 1 : static_cast<long>(positions.size()) + index);
            }
            if (corners.size() >= 3) {
                summary.triangles += corners.size() - 2;
                for (long index : corners) {
                    const auto& p = positions.at(static_cast<std::size_t>(index));
                    summary.used.add(p[0], p[1], p[2]);
                }
            }
        }
    }
    return summary;
}

TEST(corpus, every_model_reads)
{
    const auto dir = corpus_dir();
    if (!dir) {
        GTEST_SKIP() << "the shared model corpus (../shared/corpus) is not there";
    }
    std::size_t models = 0;
    for (const auto& entry : std::filesystem::directory_iterator(*dir)) {
        if (entry.path().extension() != ".ac") {
            continue;
        }
        ++models;
        standin::host host;
        const read_result result = read_ac_file(entry.path().string(), host);
        EXPECT_TRUE(result.ok) << result.error;
        EXPECT_NE(result.world, nullptr) << entry.path();
    }
    EXPECT_GT(models, 0u);
}

// Each model of the corpus, with the reason when assimp reads it differently
// from the modeller; then only what that leaves comparable is compared.
struct corpus_model {
    const char* file;
    const char* assimp_differs = nullptr;
    bool triangle_counts_comparable = false;
};

void PrintTo(const corpus_model& c, std::ostream* out) { *out << c.file; }

class corpus_against_assimp : public ::testing::TestWithParam<corpus_model> {};

bool have_assimp() { return std::system("command -v assimp >/dev/null 2>&1") == 0; }

TEST_P(corpus_against_assimp, triangle_count_and_box_agree)
{
    const corpus_model& model = GetParam();
    const auto dir = corpus_dir();
    if (!dir) {
        GTEST_SKIP() << "the shared model corpus (../shared/corpus) is not there";
    }
    const std::filesystem::path path = *dir / model.file;
    standin::host host;
    const read_result result = read_ac_file(path.string(), host);
    ASSERT_TRUE(result.ok) << result.error;
    const triangle_summary ours = summarize(result.world);
    if (model.assimp_differs != nullptr && !model.triangle_counts_comparable) {
        GTEST_SKIP() << model.file << ": assimp reads it differently: " << model.assimp_differs;
    }
    if (!have_assimp()) {
        GTEST_SKIP() << "assimp (Debian package assimp-utils) is not installed";
    }
    testing::scratch_dir scratch;
    const std::string obj = scratch.file("assimp.obj");
    const std::string command = "assimp export '" + path.string() + "' '" + obj + "' >/dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    const auto text = testing::read_file(obj);
    ASSERT_TRUE(text.has_value());
    const triangle_summary theirs = summarize_obj(*text);

    EXPECT_EQ(ours.triangles, theirs.triangles);
    if (model.assimp_differs != nullptr) {
        GTEST_SKIP() << model.file << ": triangle counts agree; positions not compared: " << model.assimp_differs;
    }
    ASSERT_EQ(ours.used.empty(), theirs.used.empty());
    if (ours.used.empty()) {
        return;
    }
    double extent = 1;
    for (int i = 0; i < 3; ++i) {
        extent = std::max(extent, theirs.used.high[i] - theirs.used.low[i]);
    }
    // assimp accumulates placements in single precision and prints rounded
    // values.
    const double tolerance = 2e-5 * extent;
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(ours.used.low[i], theirs.used.low[i], tolerance) << "axis " << i;
        EXPECT_NEAR(ours.used.high[i], theirs.used.high[i], tolerance) << "axis " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    reader, corpus_against_assimp,
    ::testing::Values(
        corpus_model{"worldonly.ac", "it refuses a scene without any mesh"},
        corpus_model{"nullpoly.ac", "it refuses a scene without any mesh"},
        corpus_model{"nosurf.ac", nullptr}, corpus_model{"v12mat.ac", nullptr}, corpus_model{"urltag.ac", nullptr},
        corpus_model{"closedline.ac", nullptr}, corpus_model{"openline.ac", nullptr},
        corpus_model{"alltokens.ac", nullptr}, corpus_model{"icefield.ac", nullptr},
        corpus_model{"standmain.ac", nullptr}, corpus_model{"deviation.ac", nullptr},
        corpus_model{"forest1.ac", nullptr}, corpus_model{"relief.ac", nullptr}, corpus_model{"chezbob.ac", nullptr},
        corpus_model{"clock.ac", nullptr},
        corpus_model{"spherelight.ac", "it subdivides objects with subdiv (Catmull-Clark); we export the base mesh"},
        corpus_model{"melyan.ac", nullptr}, corpus_model{"geekokart.ac", nullptr},
        corpus_model{"legobridge.ac", "it applies the loc of a group that carries geometry twice", true},
        corpus_model{"tuxlogo.ac", nullptr}, corpus_model{"funjet.ac", nullptr}, corpus_model{"autopilot.ac", nullptr},
        corpus_model{"beachtrack.ac", nullptr}, corpus_model{"lightning.ac", nullptr}, corpus_model{"bo105.ac", nullptr},
        corpus_model{"bluebird.ac", nullptr},
        corpus_model{"panthera.ac", "it subdivides objects with subdiv (Catmull-Clark); we export the base mesh"},
        corpus_model{"kia4sm.ac", nullptr}, corpus_model{"f14b.ac", nullptr}, corpus_model{"m2000panel.ac", nullptr}),
    [](const ::testing::TestParamInfo<corpus_model>& param_info) {
        std::string name = param_info.param.file;
        return name.substr(0, name.find('.'));
    });

}  // namespace
}  // namespace vellumark::acfile
