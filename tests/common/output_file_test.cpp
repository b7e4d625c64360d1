#include "common/output_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "tests/support/test_files.h"

namespace vellumark {
namespace {

namespace fs = std::filesystem;
using testing::read_file;
using testing::scratch_dir;
using testing::to_crlf;
using testing::write_file;

// Every entry of a folder, by name.
std::set<std::string> entries(const fs::path& folder)
{
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

class OutputFile : public ::testing::Test {
protected:
    void TearDown() override { output_file::fail_writes_after(-1); }

    scratch_dir scratch;
};

TEST_F(OutputFile, WritesLineFeedsAsCrLfAndEveryOtherByteAsItIs)
{
    std::string all_bytes;
    for (int byte = 0; byte < 256; ++byte) {
        all_bytes.push_back(static_cast<char>(byte));
    }
    const std::string target = scratch.file("out.txt");
    {
        output_file out(target);
        ASSERT_TRUE(out.is_open());
        out.text("first line\n");
        out.text(std::string_view("a\0b", 3));
        out.text("\r\n\r\r\n\n");
        out.text('x');
        out.text('\n');
        out.text('\t');
        out.text(all_bytes);
        out.text("\xef\xbb\xbf");
        out.text("v ");
        out.number(1.0f / 128);
        out.text(' ');
        out.number(1.0 - static_cast<double>(0.25f));
        out.text(' ');
        out.integer(-42);
        out.text("\n");
        out.text("no line feed at the end");
        ASSERT_TRUE(out.commit());
    }
    const std::string expected = std::string("first line\r\n") + std::string("a\0b", 3) + "\r\r\n\r\r\r\n\r\n" +
                                 "x\r\n\t" + all_bytes.substr(0, 10) + "\r\n" + all_bytes.substr(11) +
                                 "\xef\xbb\xbf" + "v 0.007813 0.750000 -42\r\n" + "no line feed at the end";
    EXPECT_EQ(read_file(target), expected);
}

TEST_F(OutputFile, StartsWithNoByteOrderMarkAndAnEmptyFileStaysEmpty)
{
    const std::string text_target = scratch.file("text.obj");
    const std::string empty_target = scratch.file("empty.obj");
    {
        output_file out(text_target);
        out.text("v 1\n");
        ASSERT_TRUE(out.commit());
        output_file empty(empty_target);
        ASSERT_TRUE(empty.commit());
    }
    EXPECT_EQ(read_file(text_target), "v 1\r\n");
    EXPECT_EQ(read_file(empty_target), "");
}

// Several MiB in pieces of every size, from single characters to pieces
// larger than the buffer, with numbers and texts already in the file's form
// in between: the file holds exactly the text with its line feeds widened.
TEST_F(OutputFile, LargeOutputsArriveExactly)
{
    std::mt19937 random(7);
    std::string expected;
    const std::string target = scratch.file("large.pz3");
    {
        output_file out(target);
        ASSERT_TRUE(out.is_open());
        std::size_t written = 0;
        while (written < (std::size_t{7} << 20)) {
            const unsigned kind = random() % 100;
            if (kind < 2) {
                // A piece larger than any buffer.
                std::string piece(std::size_t{3} << 20 | random() % 4096, 'p');
                for (std::size_t i = 0; i < piece.size(); i += 1 + random() % 200) {
                    piece[i] = '\n';
                }
                out.text(piece);
                expected += to_crlf(piece);
                written += piece.size();
            } else if (kind < 40) {
                const char c = static_cast<char>(random() % 3 == 0 ? '\n' : 'a' + random() % 26);
                out.text(c);
                expected += to_crlf(std::string(1, c));
                written += 1;
            } else if (kind < 50) {
                out.number(1.0f / 128);
                expected += "0.007813";
                out.integer(-2147483647 - 1);
                expected += "-2147483648";
                written += 19;
            } else if (kind < 55) {
                // A text converted once to the file's form, copied as it is.
                std::string piece(random() % 9000, 'f');
                for (std::size_t i = 0; i < piece.size(); i += 1 + random() % 60) {
                    piece[i] = '\n';
                }
                out.file_form_text(output_file::file_form(piece));
                expected += to_crlf(piece);
                written += piece.size();
            } else {
                std::string piece(random() % 5000, 'q');
                for (char& c : piece) {
                    const unsigned r = random() % 40;
                    c = r == 0 ? '\n' : r == 1 ? '\r' : static_cast<char>(' ' + r);
                }
                out.text(piece);
                expected += to_crlf(piece);
                written += piece.size();
            }
        }
        ASSERT_TRUE(out.commit());
    }
    const auto actual = read_file(target);
    ASSERT_TRUE(actual.has_value());
    ASSERT_EQ(actual->size(), expected.size());
    EXPECT_TRUE(*actual == expected) << "first difference at byte "
                                     << std::mismatch(actual->begin(), actual->end(), expected.begin()).first -
                                            actual->begin();
}

TEST_F(OutputFile, NothingReachesTheTargetBeforeCommit)
{
    const std::string fresh = scratch.file("fresh.mtl");
    const std::string existing = scratch.file("existing.mtl");
    write_file(existing, "earlier export\r\n");
    {
        output_file first(fresh);
        output_file second(existing);
        first.text(std::string(3 << 20, 'a'));  // beyond the buffer: some of it is on disk
        second.text(std::string(3 << 20, 'b'));
        EXPECT_FALSE(fs::exists(fresh));
        EXPECT_EQ(read_file(existing), "earlier export\r\n");
        ASSERT_TRUE(first.commit());
        ASSERT_TRUE(second.commit());
    }
    EXPECT_EQ(read_file(fresh), std::string(3 << 20, 'a'));
    EXPECT_EQ(read_file(existing), std::string(3 << 20, 'b'));
    EXPECT_EQ(entries(scratch.path()), (std::set<std::string>{"existing.mtl", "fresh.mtl"}));
}

TEST_F(OutputFile, CommitReplacesALongerExistingFile)
{
    const std::string target = scratch.file("hero.obj");
    write_file(target, std::string(10000, 'o'));
    {
        output_file out(target);
        out.text("short\n");
        ASSERT_TRUE(out.commit());
    }
    EXPECT_EQ(read_file(target), "short\r\n");
    EXPECT_EQ(entries(scratch.path()), (std::set<std::string>{"hero.obj"}));
}

TEST_F(OutputFile, DestroyedWithoutCommitLeavesNoTrace)
{
    const std::string existing = scratch.file("kept.pz3");
    write_file(existing, "old\r\n");
    {
        output_file fresh(scratch.file("never.pz3"));
        output_file replaced(existing);
        fresh.text(std::string(2 << 20, '\n'));
        replaced.text("new\n");
    }
    EXPECT_EQ(read_file(existing), "old\r\n");
    EXPECT_EQ(entries(scratch.path()), (std::set<std::string>{"kept.pz3"}));
}

// A file name as long as the platform allows, in a path well beyond 260
// characters, is written like any other.
TEST_F(OutputFile, WritesTheLongestFileNameThePlatformTakes)
{
    const fs::path folder = scratch.path() / std::string(200, 'd') / std::string(200, 'e');
    fs::create_directories(folder);
    const std::string name = std::string(251, 'n') + ".pz3";
    const std::string target = (folder / name).string();
    {
        output_file out(target);
        ASSERT_TRUE(out.is_open());
        out.text("x\n");
        ASSERT_TRUE(out.commit());
    }
    EXPECT_EQ(read_file(target), "x\r\n");
    EXPECT_EQ(entries(folder), (std::set<std::string>{name}));
}

TEST_F(OutputFile, MissingFolderFailsWithoutCreatingAnything)
{
    const std::string target = scratch.file("missing/hero.mtl");
    output_file out(target);
    EXPECT_FALSE(out.is_open());
    out.text("anything\n");
    out.number(1.0f);
    out.integer(1);
    EXPECT_FALSE(out.commit());
    EXPECT_EQ(out.target(), target);
    EXPECT_TRUE(entries(scratch.path()).empty());
}

TEST_F(OutputFile, TargetThatIsAFolderStaysAndNoTemporaryRemains)
{
    const fs::path folder = scratch.path() / "hero.obj";
    fs::create_directory(folder);
    write_file(folder / "inside", "keep");
    {
        output_file out(folder.string());
        out.text("v 0 0 0\n");
        EXPECT_FALSE(out.commit());
    }
    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_EQ(read_file(folder / "inside"), "keep");
    EXPECT_EQ(entries(scratch.path()), (std::set<std::string>{"hero.obj"}));
}

// A write that fails part way (a full disk) at any point of the file: the
// earlier file stays byte for byte, the commit says so, nothing is left over.
// A budget that covers the whole file lets it through.
TEST_F(OutputFile, FailedWriteLeavesTheEarlierFileIntact)
{
    const std::string earlier = "earlier export\r\nwith two lines\r\n";
    const std::string text = std::string((1 << 20) + 5000, 'z') + "\n" + std::string(2 << 20, 'y');
    const long long size = static_cast<long long>(text.size()) + 1;  // the line feed widens
    const struct {
        long long budget;
        bool succeeds;
    } cases[] = {
        {0, false},        {1, false},         {4096, false}, {1 << 20, false}, {(1 << 20) + 1, false},
        {size - 1, false}, {size, true},
    };
    for (const auto& c : cases) {
        const std::string target = scratch.file("hero.pz3");
        write_file(target, earlier);
        output_file::fail_writes_after(c.budget);
        {
            output_file out(target);
            ASSERT_TRUE(out.is_open());
            out.text(text);
            EXPECT_EQ(out.commit(), c.succeeds) << "budget " << c.budget;
        }
        output_file::fail_writes_after(-1);
        if (c.succeeds) {
            EXPECT_EQ(read_file(target), to_crlf(text));
        } else {
            EXPECT_EQ(read_file(target), earlier) << "budget " << c.budget;
        }
        EXPECT_EQ(entries(scratch.path()), (std::set<std::string>{"hero.pz3"})) << "budget " << c.budget;
    }
}

// After one file fails, the next file of the same export is unaffected once
// the fault is gone, and the two do not share a temporary name.
TEST_F(OutputFile, FilesOfOneExportAreIndependent)
{
    const std::string mtl = scratch.file("hero.mtl");
    const std::string obj = scratch.file("hero.obj");
    write_file(mtl, "old mtl");
    {
        output_file first(mtl);
        output_file second(obj);
        output_file::fail_writes_after(0);
        first.text(std::string(2 << 20, 'm'));
        output_file::fail_writes_after(-1);
        second.text("mtllib hero.mtl\n");
        EXPECT_FALSE(first.commit());
        EXPECT_TRUE(second.commit());
    }
    EXPECT_EQ(read_file(mtl), "old mtl");
    EXPECT_EQ(read_file(obj), "mtllib hero.mtl\r\n");
    EXPECT_EQ(entries(scratch.path()), (std::set<std::string>{"hero.mtl", "hero.obj"}));
}

}  // namespace
}  // namespace vellumark
