// Replays every input that once crashed, hung or leaked in the fuzzer
// (fuzz/regressions/), and the fuzzer's own seeds (fuzz/seeds/), through the
// same read and export as the fuzz target: each must finish without a crash
// (the sanitizer build runs this too) and release every host list.
#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "fuzz/read_and_export.h"
#include "tests/support/test_files.h"

namespace vellumark {
namespace {

std::vector<std::filesystem::path> inputs_in(const std::filesystem::path& folder)
{
    std::vector<std::filesystem::path> inputs;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        if (entry.is_regular_file() && entry.path().filename() != "README.md") {
            inputs.push_back(entry.path());
        }
    }
    std::sort(inputs.begin(), inputs.end());
    return inputs;
}

void replay_folder(const std::filesystem::path& folder)
{
    for (const auto& input : inputs_in(folder)) {
        SCOPED_TRACE(input.string());
        const auto bytes = testing::read_file(input);
        ASSERT_TRUE(bytes.has_value());
        testing::scratch_dir out;
        const auto outcome = fuzz::read_and_export(*bytes, out.file("replay"));
        EXPECT_EQ(outcome.outstanding, 0u);
        if (outcome.accepted) {
            for (const char* extension : {".mtl", ".obj", ".pz3"}) {
                EXPECT_TRUE(std::filesystem::exists(out.path() / (std::string("replay") + extension))) << extension;
            }
        } else {
            // A refusal names the input and the line.
            EXPECT_TRUE(outcome.error.starts_with("input.ac:")) << outcome.error;
        }
    }
}

TEST(fuzz_regressions, EveryKeptInputReadsAndExportsWithoutCrash)
{
    replay_folder(VELLUMARK_FUZZ_DIR "/regressions");
}

TEST(fuzz_regressions, EverySeedReadsAndExportsWithoutCrash)
{
    const auto seeds = inputs_in(VELLUMARK_FUZZ_DIR "/seeds");
    ASSERT_FALSE(seeds.empty()) << "no seeds in fuzz/seeds";
    replay_folder(VELLUMARK_FUZZ_DIR "/seeds");
}

}  // namespace
}  // namespace vellumark
