// Every malformed file is refused as a whole, with the line where the fault
// lies and what is wrong.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "acfile/ac_reader.h"
#include "tests/support/test_files.h"

namespace vellumark::acfile {
namespace {

const std::string material_line =
    "MATERIAL \"m\" rgb 1 1 1  amb 0.2 0.2 0.2  emis 0 0 0  spec 0.5 0.5 0.5  shi 10  trans 0\n";

// A world holding one poly with a triangle, with `lines` placed inside the
// poly before its numvert.
std::string poly_with(const std::string& lines)
{
    return "AC3Db\n" + material_line + "OBJECT world\nkids 1\nOBJECT poly\n" + lines +
           "numvert 3\n0 0 0\n1 0 0\n0 1 0\nnumsurf 1\nSURF 0x10\nmat 0\nrefs 3\n0 0 0\n1 0 0\n2 0 0\nkids 0\n";
}

struct malformed_case {
    const char* what;
    std::string text;
    std::string message;
};

void PrintTo(const malformed_case& c, std::ostream* out) { *out << c.what; }

class malformed_input : public ::testing::TestWithParam<malformed_case> {};

TEST_P(malformed_input, is_refused_with_its_line_and_fault)
{
    const malformed_case& c = GetParam();
    standin::host host;
    const read_result result = read_ac_text(c.text, "model.ac", host);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error, c.message);
    EXPECT_EQ(result.world, nullptr);
}

const std::string long_garbage(100000, 'x');

INSTANTIATE_TEST_SUITE_P(
    reader, malformed_input,
    ::testing::Values(
        malformed_case{"empty file", "", "model.ac:1: empty file (an AC3D file starts with \"AC3D\" and a version digit)"},
        malformed_case{"wrong header", "AC3X\nOBJECT world\nkids 0\n",
                       "model.ac:1: not an AC3D file: the first line must be \"AC3D\" and a version digit, found "
                       "\"AC3X\""},
        malformed_case{"header without version", "AC3D\nOBJECT world\nkids 0\n",
                       "model.ac:1: not an AC3D file: the first line must be \"AC3D\" and a version digit, found "
                       "\"AC3D\""},
        malformed_case{"header with more text", "AC3Db model\nOBJECT world\nkids 0\n",
                       "model.ac:1: not an AC3D file: the first line must be \"AC3D\" and a version digit, found "
                       "\"AC3Db model\""},
        malformed_case{"byte-order mark", "\xEF\xBB\xBF" "AC3Db\nOBJECT world\nkids 0\n",
                       "model.ac:1: not an AC3D file: it starts with a byte-order mark (an AC3D file starts with "
                       "\"AC3D\")"},
        malformed_case{"lines ending in CR only", "AC3Db\rOBJECT world\rkids 0\r",
                       "model.ac:1: carriage return inside a line (lines must end in LF or CR LF)"},
        malformed_case{"NUL byte", std::string("AC3Db\nOBJECT wo\0rld\nkids 0\n", 26), "model.ac:2: NUL byte in the line"},
        malformed_case{"binary garbage", std::string("\x7F" "ELF\x02\x01\x01\0\0\0", 10),
                       "model.ac:1: NUL byte in the line"},
        malformed_case{"unknown token", poly_with("colour 1 0 0\n"), "model.ac:6: unknown token \"colour\""},
        malformed_case{"unknown object type", "AC3Db\nOBJECT mesh\nkids 0\n",
                       "model.ac:2: unknown object type \"mesh\""},
        malformed_case{"object without type", "AC3Db\nOBJECT\nkids 0\n",
                       "model.ac:2: OBJECT needs a type (world, poly, group or light)"},
        malformed_case{"no object after the palette", "AC3Db\n" + material_line + "numvert 3\n",
                       "model.ac:3: expected OBJECT, found \"numvert 3\""},
        malformed_case{"very long garbage line", "AC3Db\n" + long_garbage + "\n",
                       "model.ac:2: expected OBJECT, found \"xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx...\""},
        malformed_case{"material after the objects", "AC3Db\nOBJECT world\nkids 0\n" + material_line,
                       "model.ac:4: material after the first object (the palette comes before the objects)"},
        malformed_case{"missing number", poly_with("loc 1 2\n"), "model.ac:6: loc needs 3 numbers, found 2"},
        malformed_case{"non-numeric number", poly_with("loc 1 x 2\n"), "model.ac:6: loc: \"x\" is not a number"},
        malformed_case{"number with trailing text", poly_with("texrep 1.5cm 1\n"),
                       "model.ac:6: texrep: \"1.5cm\" is not a number"},
        malformed_case{"infinity", poly_with("loc inf 0 0\n"), "model.ac:6: loc: \"inf\" is not a number"},
        malformed_case{"not a number", poly_with("crease nan\n"), "model.ac:6: crease: \"nan\" is not a number"},
        malformed_case{"hexadecimal number", poly_with("loc 0x10 0 0\n"), "model.ac:6: loc: \"0x10\" is not a number"},
        malformed_case{"beyond single precision", poly_with("loc 1e39 0 0\n"),
                       "model.ac:6: loc: \"1e39\" does not fit a single-precision float"},
        malformed_case{"vertex beyond single precision", "AC3Db\nOBJECT poly\nnumvert 1\n-4e38 0 0\nkids 0\n",
                       "model.ac:4: vertex: \"-4e38\" does not fit a single-precision float"},
        malformed_case{"vertex placed beyond single precision",
                       "AC3Db\nOBJECT poly\nloc 3e38 0 0\nnumvert 2\n0 0 0\n3e38 0 0\nkids 0\n",
                       "model.ac:4: vertex 2 lies beyond single precision once placed by rot and loc"},
        malformed_case{"loc placed beyond single precision",
                       "AC3Db\nOBJECT group\nloc 0 -3e38 0\nkids 1\nOBJECT group\nloc 0 -3e38 0\nkids 0\n",
                       "model.ac:5: the object's loc lies beyond single precision once placed by its ancestors"},
        malformed_case{"texture coordinates beyond single precision",
                       "AC3Db\nOBJECT poly\ntexrep 3e38 1\nnumvert 3\n0 0 0\n1 0 0\n0 1 0\nnumsurf 1\nSURF "
                       "0\nrefs 3\n0 2 0\n1 0 0\n2 0 0\nkids 0\n",
                       "model.ac:2: surface 1: texture coordinates beyond single precision after texrep and texoff"},
        malformed_case{"vertex missing a number", "AC3Db\nOBJECT poly\nnumvert 1\n0 0\nkids 0\n",
                       "model.ac:4: vertex needs 3 numbers, found 2"},
        malformed_case{"fewer vertices than numvert", "AC3Db\nOBJECT poly\nnumvert 3\n0 0 0\n1 0 0\nkids 0\n",
                       "model.ac:6: expected vertex 3 of 3 (numvert at line 3), found \"kids 0\""},
        malformed_case{"numvert far beyond the file", "AC3Db\nOBJECT poly\nnumvert 2000000000\n",
                       "model.ac:3: numvert 2000000000: the file ends after 0 vertices"},
        malformed_case{"negative count", "AC3Db\nOBJECT poly\nnumvert -1\nkids 0\n",
                       "model.ac:3: numvert: \"-1\" is negative"},
        malformed_case{"count too large", "AC3Db\nOBJECT poly\nnumsurf 99999999999\nkids 0\n",
                       "model.ac:3: numsurf: \"99999999999\" is too large"},
        malformed_case{"fractional count", "AC3Db\nOBJECT poly\nnumvert 1.5\nkids 0\n",
                       "model.ac:3: numvert: \"1.5\" is not a whole number"},
        malformed_case{"kids without count", "AC3Db\nOBJECT poly\nkids\n", "model.ac:3: kids needs a count"},
        malformed_case{"vertex index out of range",
                       "AC3Db\nOBJECT poly\nnumvert 3\n0 0 0\n1 0 0\n0 1 0\nnumsurf 1\nSURF 0\nrefs 3\n0 0 0\n3 0 "
                       "0\n2 0 0\nkids 0\n",
                       "model.ac:11: vertex index 3 out of range (the object has 3 vertices)"},
        malformed_case{"vertex index out of range, surfaces before vertices",
                       "AC3Db\nOBJECT poly\nnumsurf 1\nSURF 0\nrefs 3\n0 0 0\n5 0 0\n2 0 0\nnumvert 3\n0 0 0\n1 0 "
                       "0\n0 1 0\nkids 0\n",
                       "model.ac:7: vertex index 5 out of range (the object has 3 vertices)"},
        malformed_case{"surface on an object without vertices",
                       "AC3Db\nOBJECT poly\nnumsurf 1\nSURF 0\nrefs 1\n0 0 0\nkids 0\n",
                       "model.ac:6: vertex index 0 out of range (the object has 0 vertices)"},
        malformed_case{"material index out of range",
                       "AC3Db\n" + material_line +
                           "OBJECT poly\nnumvert 3\n0 0 0\n1 0 0\n0 1 0\nnumsurf 1\nSURF 0\nmat 1\nrefs 0\nkids 0\n",
                       "model.ac:10: material index 1 out of range (the palette has 1 material)"},
        malformed_case{"material index without a palette",
                       "AC3Db\nOBJECT poly\nnumsurf 1\nSURF 0\nmat 0\nrefs 0\nkids 0\n",
                       "model.ac:5: material index 0 out of range (the palette has 0 materials)"},
        malformed_case{"bad SURF flags", "AC3Db\nOBJECT poly\nnumsurf 1\nSURF 0xZZ\nrefs 0\nkids 0\n",
                       "model.ac:4: SURF flags \"0xZZ\" are not a number"},
        malformed_case{"SURF without flags", "AC3Db\nOBJECT poly\nnumsurf 1\nSURF\nrefs 0\nkids 0\n",
                       "model.ac:4: SURF needs its flags"},
        malformed_case{"fewer surfaces than numsurf",
                       "AC3Db\nOBJECT poly\nnumsurf 2\nSURF 0\nrefs 0\nkids 0\n",
                       "model.ac:6: expected SURF for surface 2 of 2 (numsurf at line 3), found \"kids 0\""},
        malformed_case{"surface with mat but without refs",
                       "AC3Db\n" + material_line + "OBJECT poly\nnumsurf 1\nSURF 0\nmat 0\nkids 0\n",
                       "model.ac:7: expected refs for surface 1 of 1 (numsurf at line 4), found \"kids 0\""},
        malformed_case{"surface without refs line", "AC3Db\nOBJECT poly\nnumsurf 1\nSURF 0\nkids 0\n",
                       "model.ac:5: expected refs for surface 1 of 1 (numsurf at line 3), found \"kids 0\""},
        malformed_case{"fewer corners than refs",
                       "AC3Db\nOBJECT poly\nnumvert 3\n0 0 0\n1 0 0\n0 1 0\nnumsurf 1\nSURF 0\nrefs 3\n0 0 0\n1 0 "
                       "0\nkids 0\n",
                       "model.ac:12: expected corner 3 of 3 (refs at line 9), found \"kids 0\""},
        malformed_case{"corner without texture coordinates",
                       "AC3Db\nOBJECT poly\nnumvert 1\n0 0 0\nnumsurf 1\nSURF 0\nrefs 1\n0\nkids 0\n",
                       "model.ac:8: corner u v needs 2 numbers, found 0"},
        malformed_case{"fewer children than kids", "AC3Db\nOBJECT world\nkids 2\nOBJECT poly\nkids 0\n",
                       "model.ac:3: kids 2: the file ends after 1 child"},
        malformed_case{"child that is not an object", "AC3Db\nOBJECT world\nkids 1\nnumvert 0\n",
                       "model.ac:4: expected OBJECT for child 1 of 1 (kids at line 3), found \"numvert 0\""},
        malformed_case{"object without kids", "AC3Db\nOBJECT world\nname \"w\"\n",
                       "model.ac:2: OBJECT world has no kids line before the end of the file"},
        malformed_case{"object inside an object", "AC3Db\nOBJECT world\nOBJECT poly\nkids 0\n",
                       "model.ac:3: OBJECT inside the object at line 2 before its kids line"},
        malformed_case{"unclosed string", poly_with("name \"wing\n"),
                       "model.ac:6: name: the string has no closing double quote"},
        malformed_case{"unquoted name", poly_with("name wing\n"), "model.ac:6: name needs a string in double quotes"},
        malformed_case{"texture without path", poly_with("texture\n"),
                       "model.ac:6: texture needs a string in double quotes"},
        malformed_case{"data beyond the end", poly_with("data 100000\nabc\n"),
                       "model.ac:6: data 100000 runs past the end of the file"},
        malformed_case{"MATERIAL missing a value",
                       "AC3Db\nMATERIAL \"m\" rgb 1 1 1 amb 0.2 0.2 0.2 emis 0 0 0 spec 0.5 0.5 0.5 shi 10\nOBJECT "
                       "world\nkids 0\n",
                       "model.ac:2: MATERIAL needs rgb, amb, emis, spec, shi and trans"},
        malformed_case{"MATERIAL with an unknown key",
                       "AC3Db\nMATERIAL \"m\" rgb 1 1 1 amb 0.2 0.2 0.2 glow 1 emis 0 0 0 spec 0.5 0.5 0.5 shi 10 "
                       "trans 0\nOBJECT world\nkids 0\n",
                       "model.ac:2: unknown MATERIAL key \"glow\""},
        malformed_case{"MATERIAL with a bad colour",
                       "AC3Db\nMATERIAL \"m\" rgb 1 one 1 amb 0.2 0.2 0.2 emis 0 0 0 spec 0.5 0.5 0.5 shi 10 trans "
                       "0\nOBJECT world\nkids 0\n",
                       "model.ac:2: rgb: \"one\" is not a number"},
        malformed_case{"MAT without ENDMAT", "AC3Db\nMAT \"m\"\nrgb 1 1 1\n",
                       "model.ac:2: MAT has no ENDMAT before the end of the file"},
        malformed_case{"MAT with a short value", "AC3Db\nMAT \"m\"\nrgb 1 1\nENDMAT\nOBJECT world\nkids 0\n",
                       "model.ac:3: rgb needs 3 numbers, found 2"}),
    [](const ::testing::TestParamInfo<malformed_case>& param_info) {
        std::string name;
        for (const char* c = param_info.param.what; *c != '\0'; ++c) {
            name += (*c >= 'a' && *c <= 'z') || (*c >= 'A' && *c <= 'Z') || (*c >= '0' && *c <= '9') ? *c : '_';
        }
        return name;
    });

TEST(malformed_input, crlf_file_reports_the_same_lines)
{
    standin::host host;
    const read_result result =
        read_ac_text(testing::to_crlf("AC3Db\nOBJECT world\nkids 1\nOBJECT poly\nloc 1 2\nkids 0\n"), "m.ac", host);
    EXPECT_EQ(result.error, "m.ac:5: loc needs 3 numbers, found 2");
}

TEST(malformed_input, missing_file_names_the_path)
{
    testing::scratch_dir dir;
    standin::host host;
    const std::string path = dir.file("absent.ac");
    const read_result result = read_ac_file(path, host);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error, path + ": cannot open the file: No such file or directory");
}

TEST(malformed_input, huge_garbage_file_is_refused_at_its_first_line)
{
    // A sparse gigabyte of zeros: refused at once, without reading it all.
    testing::scratch_dir dir;
    const std::string path = dir.file("garbage.ac");
    {
        std::FILE* file = std::fopen(path.c_str(), "wb");
        ASSERT_NE(file, nullptr);
        ASSERT_EQ(std::fseek(file, (1L << 30) - 1, SEEK_SET), 0);
        std::fputc('\n', file);
        std::fclose(file);
    }
    standin::host host;
    const read_result result = read_ac_file(path, host);
    EXPECT_EQ(result.error, path + ":1: NUL byte in the line");
}

TEST(malformed_input, counts_far_beyond_the_file_are_refused_without_allocating)
{
    // Each count claims far more lines than the file holds; a reader that
    // reserved for the count would need gigabytes.
    for (const std::string& text :
         {std::string("AC3Db\nOBJECT poly\nnumvert 2147483647\n0 0 0\n"),
          std::string("AC3Db\nOBJECT poly\nnumsurf 2147483647\nSURF 0\nrefs 0\n"),
          std::string("AC3Db\nOBJECT poly\nnumvert 1\n0 0 0\nnumsurf 1\nSURF 0\nrefs 2147483647\n0 0 0\n"),
          std::string("AC3Db\nOBJECT world\nkids 2147483647\nOBJECT poly\nkids 0\n")}) {
        standin::host host;
        const read_result result = read_ac_text(text, "m.ac", host);
        EXPECT_FALSE(result.ok) << text;
        EXPECT_NE(result.error.find("the file ends after 1"), std::string::npos) << result.error;
    }
}

}  // namespace
}  // namespace vellumark::acfile
