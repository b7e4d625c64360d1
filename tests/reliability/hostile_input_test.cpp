// Hostile .ac files: deep nesting, very long lines and names, tens of
// megabytes of garbage, a file that ends in the middle of a line, NUL bytes,
// CR LF and CR-only line ends, a byte-order mark, counts that no line backs.
// Each one either reads correctly (its export is byte for byte that of a
// plain file saying the same) or is refused with "FILE:LINE: what is wrong";
// it finishes (no time is asserted) within bounded memory, and nothing
// overflows the stack: the sanitizer build runs these too.
//
// The files here stop at 64 MiB to keep the suite quick; the same shapes at
// 1 GiB were run once by hand through the converter.
#include <sys/resource.h>

#include <cstdint>
#include <functional>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "acfile/ac_reader.h"
#include "plugin/export_driver.h"
#include "standin/standin_host.h"
#include "tests/reliability/reliability_support.h"
#include "tests/support/test_files.h"

namespace vellumark {
namespace {

constexpr std::size_t mib = std::size_t{1} << 20;

const std::string header =
    "AC3Db\nMATERIAL \"m\" rgb 1 1 1  amb 0 0 0  emis 0 0 0  spec 0 0 0  shi 0  trans 0\n";
const std::string world = "OBJECT world\nkids 1\n";

std::string box(const std::string& name_line = "name \"box\"\n", const std::string& kids_line = "kids 0\n")
{
    return "OBJECT poly\n" + name_line +
           "numvert 3\n0 0 0\n1 0 0\n0 1 0\nnumsurf 1\nSURF 0x20\nrefs 3\n0 0 0\n1 0 0\n2 0 0\n" + kids_line;
}

std::string plain() { return header + world + box(); }

std::string repeat(const std::string& piece, std::size_t times)
{
    std::string text;
    text.reserve(piece.size() * times);
    for (std::size_t i = 0; i < times; ++i) {
        text += piece;
    }
    return text;
}

// Bytes from a fixed seed, so that a failure repeats.
std::string garbage(std::size_t size)
{
    std::mt19937_64 random(20261211);
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i + 8 <= size; i += 8) {
        const std::uint64_t word = random();
        for (int k = 0; k < 8; ++k) {
            bytes[i + static_cast<std::size_t>(k)] = static_cast<char>((word >> (8 * k)) & 0xff);
        }
    }
    return bytes;
}

std::string replaced(std::string text, const std::string& from, const std::string& to)
{
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

enum class expect { same_as, refused_at_line, refused, well_formed };

struct hostile_case {
    const char* name;
    std::function<std::string()> bytes;
    expect outcome;
    // same_as: the plain file whose export this one must equal.
    std::function<std::string()> equivalent;
    // refused_at_line: the line that the error names.
    long line = 0;
};

void PrintTo(const hostile_case& c, std::ostream* out) { *out << c.name; }

const std::vector<hostile_case>& hostile_cases()
{
    static const std::vector<hostile_case> table = {
        // One million groups inside each other around one box: no actor but
        // the box, so the export stays small while the reader and the walk
        // go a million levels deep.
        {"MillionNestedGroups", [] { return header + world + repeat("OBJECT group\nkids 1\n", 1000000) + box(); },
         expect::same_as, [] { return header + world + "OBJECT group\nkids 1\n" + box(); }, 0},
        // The same depth with an error at the bottom: refused, named by its
        // line, with the whole open stack unwound.
        {"MillionNestedGroupsThenAnError",
         [] { return header + world + repeat("OBJECT group\nkids 1\n", 1000000) + box("bogus 1\n"); },
         expect::refused_at_line, {}, 2000006},
        // Three thousand nested polys: one actor each, every one the child
        // of the one above.
        {"ThreeThousandNestedPolys",
         [] { return header + world + repeat("OBJECT poly\nkids 1\n", 3000) + box(); }, expect::well_formed, {}, 0},
        {"NameOf64MiB", [] { return header + world + box("name \"" + std::string(64 * mib, 'n') + "\"\n"); },
         expect::same_as, [] { return header + world + box("name \"" + std::string(999, 'n') + "\"\n"); }, 0},
        {"LineOf64MiB", [] { return header + world + box("name \"box\"\n", "kids 0" + repeat(" x", 32 * mib) + "\n"); },
         expect::same_as, plain, 0},
        {"GarbageOf64MiB", [] { return garbage(64 * mib); }, expect::refused_at_line, {}, 1},
        {"GarbageOf64MiBAfterAValidStart", [] { return header + world + garbage(64 * mib); }, expect::refused, {}, 0},
        {"GarbageOf64MiBInsideData",
         [] {
             const std::string blob = replaced(garbage(64 * mib), "\n", "x");
             return header + world + box("name \"box\"\ndata " + std::to_string(blob.size()) + "\n" + blob + "\n");
         },
         expect::same_as, plain, 0},
        {"EndsInTheMiddleOfAVertexLine",
         [] { return header + world + "OBJECT poly\nnumvert 3\n0 0 0\n1 0"; }, expect::refused_at_line, {}, 8},
        {"EndsInTheMiddleOfAToken", [] { return header + world + "OBJECT poly\nnumv"; }, expect::refused_at_line, {},
         6},
        {"LastLineWithoutLineEnd", [] { return plain().substr(0, plain().size() - 1); }, expect::same_as, plain, 0},
        {"NulByteInAName", [] { return header + world + box(std::string("name \"b\0x\"\n", 11)); },
         expect::refused_at_line, {}, 6},
        {"NulByteInANumber", [] { return replaced(plain(), "1 0 0\n0 1 0", std::string("1 0\0 0\n0 1 0", 11)); },
         expect::refused_at_line, {}, 9},
        {"NulBytesOnly", [] { return std::string(4 * mib, '\0'); }, expect::refused_at_line, {}, 1},
        {"CrLfLineEnds", [] { return replaced(plain(), "\n", "\r\n"); }, expect::same_as, plain, 0},
        {"MixedLineEnds", [] { return replaced(plain(), "0 0\n", "0 0\r\n"); }, expect::same_as, plain, 0},
        {"CrOnlyLineEnds", [] { return replaced(plain(), "\n", "\r"); }, expect::refused_at_line, {}, 1},
        {"ByteOrderMark", [] { return "\xEF\xBB\xBF" + plain(); }, expect::refused_at_line, {}, 1},
        {"EmptyFile", [] { return std::string(); }, expect::refused_at_line, {}, 1},
        {"VertexCountNoLinesBack",
         [] { return header + world + "OBJECT poly\nnumvert 2000000000\n0 0 0\n"; }, expect::refused_at_line, {}, 6},
        {"SurfaceCountNoLinesBack", [] { return replaced(plain(), "numsurf 1", "numsurf 2000000000"); },
         expect::refused, {}, 0},
        {"CornerCountNoLinesBack", [] { return replaced(plain(), "refs 3", "refs 2000000000"); }, expect::refused, {}, 0},
        {"ChildCountNoLinesBack", [] { return header + "OBJECT world\nkids 2000000000\n" + box(); },
         expect::refused_at_line, {}, 4},
        {"MillionMaterials",
         [] { return repeat("MATERIAL \"m\" rgb 1 1 1  amb 0 0 0  emis 0 0 0  spec 0 0 0  shi 0  trans 0\n", 1000000); },
         expect::refused, {}, 0},
    };
    return table;
}

// Reads a file and, when accepted, exports it under folder/model.
acfile::read_result read_and_export(const std::string& path, const testing::scratch_dir& folder)
{
    standin::host host;
    acfile::read_result result = acfile::read_ac_file(path, host);
    if (result.ok) {
        poser_export(0, folder.file("model").c_str(), reinterpret_cast<intptr_t>(result.world));
        EXPECT_EQ(host.dialogs, std::vector<std::string>{});
        EXPECT_EQ(host.outstanding(), 0u);
    }
    result.world = nullptr;
    return result;
}

// "PATH:LINE: text", with the line returned.
bool parse_error(const std::string& error, const std::string& path, long& line)
{
    if (!error.starts_with(path + ":")) {
        return false;
    }
    std::size_t at = path.size() + 1;
    const std::size_t digits_start = at;
    line = 0;
    while (at < error.size() && error[at] >= '0' && error[at] <= '9' && at - digits_start < 12) {
        line = line * 10 + (error[at] - '0');
        ++at;
    }
    return at > digits_start && error.compare(at, 2, ": ") == 0 && error.size() > at + 2;
}

[[maybe_unused]] long peak_memory_mib()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

class hostile_input_test : public ::testing::TestWithParam<hostile_case> {};

INSTANTIATE_TEST_SUITE_P(inputs, hostile_input_test, ::testing::ValuesIn(hostile_cases()),
                         [](const auto& test_info) { return std::string(test_info.param.name); });

TEST_P(hostile_input_test, ReadsCorrectlyOrNamesTheLine)
{
    const hostile_case& c = GetParam();
    testing::scratch_dir scratch;
    const std::string path = scratch.file("hostile.ac");
    testing::write_file(path, c.bytes());

    testing::scratch_dir out;
    const auto result = read_and_export(path, out);
    std::filesystem::remove(path);

    long line = 0;
    switch (c.outcome) {
    case expect::refused_at_line:
        ASSERT_FALSE(result.ok);
        ASSERT_TRUE(parse_error(result.error, path, line)) << result.error.substr(0, 300);
        EXPECT_EQ(line, c.line) << result.error.substr(0, 300);
        break;
    case expect::refused:
        ASSERT_FALSE(result.ok);
        EXPECT_TRUE(parse_error(result.error, path, line)) << result.error.substr(0, 300);
        break;
    case expect::well_formed:
        ASSERT_TRUE(result.ok) << result.error.substr(0, 300);
        EXPECT_EQ(testing::malformation(out.path(), "model"), "");
        break;
    case expect::same_as: {
        ASSERT_TRUE(result.ok) << result.error.substr(0, 300);
        const std::string equivalent_path = scratch.file("equivalent.ac");
        testing::write_file(equivalent_path, c.equivalent());
        testing::scratch_dir equivalent_out;
        ASSERT_TRUE(read_and_export(equivalent_path, equivalent_out).ok);
        for (const char* extension : {".mtl", ".obj", ".pz3"}) {
            const std::string name = std::string("model") + extension;
            EXPECT_EQ(testing::read_file(out.path() / name), testing::read_file(equivalent_out.path() / name))
                << name << " differs from the plain file's";
        }
        EXPECT_EQ(testing::malformation(out.path(), "model"), "");
        break;
    }
    }
    if (!result.ok) {
        EXPECT_TRUE(std::filesystem::is_empty(out.path())) << "a refused file must export nothing";
    }
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
    // The files are at most 64 MiB; the reader maps rather than copies them.
    EXPECT_LT(peak_memory_mib(), 1536) << "memory grew far beyond the input";
#endif
}

}  // namespace
}  // namespace vellumark
