#include "pz3/fixed_actors.h"

#include <gtest/gtest.h>

#include "tests/pz3/pz3_reference.h"
#include "tests/pz3/pz3_test_support.h"
#include "tests/support/test_files.h"

namespace vellumark {
namespace {

using testing::to_crlf;
using testing::written;

TEST(FixedFigureActors, WritesBodyThenBothControlPropsExactly)
{
    const std::string expected = reference::body_section() + reference::goal_center_of_mass_section() +
                                 reference::center_of_mass_section();
    EXPECT_EQ(written([](output_file& out) { write_fixed_figure_actors(out); }), to_crlf(expected));
}

TEST(FixedFigureActors, SectionLengths)
{
    // The reference's own sizes, which the bytes above are compared to.
    EXPECT_EQ(reference::line_count(reference::body_section()), 309u);
    EXPECT_EQ(reference::line_count(reference::goal_center_of_mass_section()), 212u);
    EXPECT_EQ(reference::line_count(reference::center_of_mass_section()), 212u);
    EXPECT_EQ(reference::line_count(reference::preview_material("1 1 1", "0 0 0")), 21u);

    const std::string& text = fixed_figure_actors_text();
    const std::size_t goal = text.find("controlProp GoalCenterOfMass:1\n");
    const std::size_t centre = text.find("controlProp CenterOfMass:1\n");
    ASSERT_NE(goal, std::string::npos);
    ASSERT_NE(centre, std::string::npos);
    EXPECT_EQ(reference::line_count(std::string_view(text).substr(0, goal)), 309u);
    EXPECT_EQ(reference::line_count(std::string_view(text).substr(goal, centre - goal)), 212u);
    EXPECT_EQ(reference::line_count(std::string_view(text).substr(centre)), 212u);
    // Each ends with "\t}" and an empty line.
    EXPECT_EQ(std::string_view(text).substr(goal - 4, 4), "\t}\n\n");
    EXPECT_EQ(std::string_view(text).substr(centre - 4, 4), "\t}\n\n");
    EXPECT_TRUE(text.ends_with("\t}\n\n"));
}

TEST(FixedFigureActors, ControlPropsHaveNoGroupsBlock)
{
    const std::string& text = fixed_figure_actors_text();
    for (const char* head : {"controlProp GoalCenterOfMass:1\n", "controlProp CenterOfMass:1\n"}) {
        const std::size_t at = text.find(head);
        ASSERT_NE(at, std::string::npos);
        const std::string_view opening = "\tchannels\n\t\t{\n";
        const std::size_t channels = text.find(opening, at);
        ASSERT_NE(channels, std::string::npos);
        EXPECT_EQ(std::string_view(text).substr(channels + opening.size(), 18), "\t\trotateY yRotate\n") << head;
    }
    EXPECT_EQ(text.find("\t\tgroups\n"), text.rfind("\t\tgroups\n"));
}

TEST(FixedFigureActors, StubsOpenEachFixedActorWithEmptyBraces)
{
    EXPECT_EQ(written([](output_file& out) { write_fixed_actor_stubs(out); }),
              testing::crlf_lines({"actor BODY:1", "\t{", "", "\t}", "controlProp GoalCenterOfMass:1", "\t{", "",
                                   "\t}", "controlProp CenterOfMass:1", "\t{", "", "\t}"}));
}

}  // namespace
}  // namespace vellumark
