#include "pz3/fixed_actors.h"

#include <array>
#include <cstddef>
#include <span>
#include <string_view>

#include "pz3/channel_block.h"
#include "pz3/channel_tables.h"
#include "pz3/surface_lines.h"

namespace vellumark {
namespace {

// The sections in the order they are written; a line row picks its text by
// this position.
enum fixed_actor : std::size_t { body = 0, goal_center_of_mass = 1, center_of_mass = 2 };
constexpr std::size_t fixed_actor_count = 3;

// One line of the three sections: a single text when they share it, else one
// text per section.
struct section_line {
    std::string_view shared;
    std::array<std::string_view, fixed_actor_count> own{};

    constexpr section_line(std::string_view text) : shared(text) {}
    constexpr section_line(std::string_view body_text, std::string_view goal_text, std::string_view centre_text)
        : own{body_text, goal_text, centre_text}
    {
    }
    constexpr std::string_view text(fixed_actor actor) const { return shared.empty() ? own[actor] : shared; }
};

// The separators differ from line to line (one blank, one tab, two tabs) and
// are written exactly so. "creaseAngle" precedes "channels" here.
constexpr std::array<section_line, 15> head_lines{{
    {"actor BODY:1\n", "controlProp GoalCenterOfMass:1\n", "controlProp CenterOfMass:1\n"},
    {"\t{\n"},
    {"\tname    BODY\n", "\tname    GoalCenterOfMass\n", "\tname    CenterOfMass\n"},
    {"\ton\n", "\toff\n", "\toff\n"},
    {"\tbend 1\n"},
    {"\tdynamicsLock\t\t1\n"},
    {"\thidden\t\t0\n", "\thidden\t\t1\n", "\thidden\t\t0\n"},
    {"\taddToMenu\t1\n", "\taddToMenu\t0\n", "\taddToMenu\t1\n"},
    {"\tcastsShadow\t\t1\n", "\tcastsShadow\t\t0\n", "\tcastsShadow\t\t0\n"},
    {"\tincludeInDepthCue\t\t1\n", "\tincludeInDepthCue\t\t0\n", "\tincludeInDepthCue\t\t0\n"},
    {"\tuseZBuffer\t\t1\n", "\tuseZBuffer\t\t1\n", "\tuseZBuffer\t\t0\n"},
    {"\tparent UNIVERSE\n", "\tparent BODY:1\n", "\tparent GoalCenterOfMass:1\n"},
    {"\tcreaseAngle 80\n"},
    {"\tchannels\n"},
    {"\t\t{\n"},
}};

// The tail up to the props' Preview material...
constexpr std::array<section_line, 7> tail_lines_before_material{{
    {"\t\t}\n"},
    {"\tendPoint 0.000948076 0.434632 -0.00361008\n", "\tendPoint 0 0 -0.1\n", "\tendPoint 0 0 -0.1\n"},
    {"\torigin 0 0.465 -0.001\n", "\torigin 0 0 0\n", "\torigin 0 0 0\n"},
    {"\torientation 0 0 0\n"},
    {"\tdisplayOrigin\t\t0\n"},
    {"\tdisplayMode USEPARENT\n", "\tdisplayMode USEPARENT\n", "\tdisplayMode EDGESONLY\n"},
    {"\tcustomMaterial\t0\n", "\tcustomMaterial\t1\n", "\tcustomMaterial\t1\n"},
}};

// ...and after it. Each section ends with "\t}" and an empty line.
constexpr std::array<section_line, 9> tail_lines_after_material{{
    {"\tlocked 0\n"},
    {"\tbackfaceCull 0\n"},
    {"\tvisibleInReflections 1\n", "\tvisibleInReflections 0\n", "\tvisibleInReflections 0\n"},
    {"\tvisibleInRender 1\n"},
    {"\tdisplacementBounds 0\n"},
    {"\tshadingRate 0.2\n"},
    {"\tsmoothPolys 1\n"},
    {"\t}\n"},
    {"\n"},
}};

struct fixed_section {
    fixed_actor actor;
    std::span<const channel_spec> channels;
    // Only BODY lists its transform channels in a groups block.
    bool groups_block;
    // The Preview material's KdColor and KsColor numbers; BODY has none.
    std::string_view preview_kd;
    std::string_view preview_ks;
};

const std::array<fixed_section, fixed_actor_count> sections{{
    {body, body_channel_table, true, {}, {}},
    {goal_center_of_mass, prop_channel_table, false, "0.287271 0.51381 0.747154", "0.0893399 0.0469314 0.0908902"},
    {center_of_mass, prop_channel_table, false, "0.289865 0.0421766 0.921598", "0.107981 0.0837672 0.114029"},
}};

template <std::size_t count>
void append_lines(std::string& text, const std::array<section_line, count>& lines, fixed_actor actor)
{
    for (const section_line& line : lines) {
        text.append(line.text(actor));
    }
}

std::string build_fixed_figure_actors()
{
    std::string text;
    for (const fixed_section& section : sections) {
        append_lines(text, head_lines, section.actor);
        if (section.groups_block) {
            write_groups_block(text);
        }
        for (const channel_spec& channel : section.channels) {
            write_channel_block(text, channel, false);
        }
        append_lines(text, tail_lines_before_material, section.actor);
        if (!section.preview_kd.empty()) {
            write_preview_material(text, section.preview_kd, section.preview_ks);
        }
        append_lines(text, tail_lines_after_material, section.actor);
    }
    return text;
}

}  // namespace

void write_fixed_actor_stubs(output_file& out)
{
    // A stub is the section's opening line and an empty pair of braces.
    for (const fixed_section& section : sections) {
        out.text(head_lines[0].text(section.actor));
        out.text("\t{\n"
                 "\n"
                 "\t}\n");
    }
}

const std::string& fixed_figure_actors_text()
{
    static const std::string text = build_fixed_figure_actors();
    return text;
}

void write_fixed_figure_actors(output_file& out) { out.text(fixed_figure_actors_text()); }

}  // namespace vellumark
