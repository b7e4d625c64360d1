#include "pz3/object_actor_sections.h"

#include <gtest/gtest.h>

#include "tests/pz3/pz3_reference.h"
#include "tests/pz3/pz3_test_support.h"
#include "tests/support/test_files.h"

namespace vellumark {
namespace {

using testing::actor_input;
using testing::add_actors;
using testing::to_crlf;
using testing::written;

std::string section_of(const actor_record& actor)
{
    return written([&actor](output_file& out) { write_object_actor_section(out, actor); });
}

TEST(ObjectActorSection, MeshActorWithoutParentNamesBody)
{
    export_scene scene;
    add_actors(scene, {{"Box", false, -1, {1.5f, -2.0f, 0.25f}, {0.5f, 1.0f, -3.0f}}});
    const std::string text = section_of(*scene.actors);
    EXPECT_EQ(text, to_crlf(reference::object_section(
                        {"Box", false, "", "0.500000 1.000000 -3.000000", "1.500000 -2.000000 0.250000"})));
    EXPECT_EQ(reference::line_count(text), 360u);
}

TEST(ObjectActorSection, NullActorIsNeitherReflectedNorRendered)
{
    export_scene scene;
    add_actors(scene, {{"Root", false}, {"NULL_pivot", true, 0, {0, 0, 0}, {0, 0, 0.1f}}});
    const std::string text = section_of(*scene.actors->next);
    EXPECT_EQ(text, to_crlf(reference::object_section(
                        {"NULL_pivot", true, "Root", "0.000000 0.000000 0.100000", "0.000000 0.000000 0.000000"})));
    EXPECT_EQ(reference::line_count(text), 360u);
    EXPECT_NE(text.find("\tvisibleInReflections 0\r\n\tvisibleInRender 0\r\n"), std::string::npos);
}

TEST(ObjectActorSection, EndPointIsTheLastChildsOriginWhenThereIsOne)
{
    export_scene scene;
    add_actors(scene, {
                          {"Parent", false, -1, {0, 0, 0}, {9, 9, 9}},
                          {"First", false, 0, {1, 2, 3}, {0, 0, 0}},
                          {"Last", false, 0, {4, 5, 6}, {7, 8, 9}},
                      });
    EXPECT_NE(section_of(*scene.actors).find("\t  endPoint  4.000000 5.000000 6.000000\r\n"), std::string::npos);
    // Without a child, the actor's own end point.
    EXPECT_NE(section_of(*scene.actors->next->next).find("\t  endPoint  7.000000 8.000000 9.000000\r\n"),
              std::string::npos);
}

TEST(ObjectActorSection, CoordinatesPrintInTheSharedNumberFormat)
{
    struct coordinate_case {
        float value;
        const char* text;
    };
    const coordinate_case cases[] = {
        {1.5f, "1.500000"},  {-2.0f, "-2.000000"},         {0.25f, "0.250000"},
        {100.1f, "100.099998"}, {-0.0f, "-0.000000"},      {1.0f / 128, "0.007813"},
        {-1.0f / 128, "-0.007813"}, {-0.0000001f, "-0.000000"},
    };
    for (const auto& c : cases) {
        export_scene scene;
        add_actors(scene, {{"A", false, -1, {c.value, 0, c.value}, {0, c.value, 0}}});
        const std::string text = section_of(*scene.actors);
        const std::string v = c.text;
        EXPECT_NE(text.find("\r\n    origin " + v + " 0.000000 " + v + "\r\n"), std::string::npos) << v;
        EXPECT_NE(text.find("\r\n\t  endPoint  0.000000 " + v + " 0.000000\r\n"), std::string::npos) << v;
    }
}

TEST(ObjectActorSection, NamesWithBlanksAndPercentSignsAreWrittenAsStored)
{
    export_scene scene;
    add_actors(scene, {{"my box %s %d", false}, {"100% child", false, 0}});
    EXPECT_EQ(section_of(*scene.actors->next),
              to_crlf(reference::object_section({"100% child", false, "my box %s %d", "0.000000 0.000000 0.000000",
                                                 "0.000000 0.000000 0.000000"})));
}

TEST(ObjectActorSections, OneSectionPerActorInListOrder)
{
    export_scene empty;
    EXPECT_EQ(written([&empty](output_file& out) { write_object_actor_sections(out, empty); }), "");

    export_scene scene;
    add_actors(scene, {{"A", false}, {"B", true, 0}});
    const std::string expected =
        reference::object_section({"A", false, "", "0.000000 0.000000 0.000000", "0.000000 0.000000 0.000000"}) +
        reference::object_section({"B", true, "A", "0.000000 0.000000 0.000000", "0.000000 0.000000 0.000000"});
    EXPECT_EQ(written([&scene](output_file& out) { write_object_actor_sections(out, scene); }), to_crlf(expected));
}

}  // namespace
}  // namespace vellumark
