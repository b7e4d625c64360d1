// Replays every input that once crashed, hung or leaked in the fuzzer
// (fuzz/regressions/), and the fuzzer's own seeds (fuzz/seeds/), through the
// same read and export as the fuzz target: each must finish without a crash
// (the sanitizer build runs this too), release every host list, and either be
// refused with a FILE:LINE error or export a well-formed set of files.
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "fuzz/read_and_export.h"
#include "tests/reliability/reliability_support.h"
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
            EXPECT_EQ(testing::malformation(out.path(), "replay"), "");
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

// Any folder of inputs, such as the fuzzer's working corpus
// (build-fuzz/corpus), when VELLUMARK_REPLAY_DIR names one.
TEST(fuzz_regressions, InputsOfAFolderGivenByTheEnvironment)
{
    const char* folder = std::getenv("VELLUMARK_REPLAY_DIR");
    if (folder == nullptr) {
        GTEST_SKIP() << "VELLUMARK_REPLAY_DIR is not set";
    }
    replay_folder(folder);
}

}  // namespace
}  // namespace vellumark
