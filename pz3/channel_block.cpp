#include "pz3/channel_block.h"

#include <string_view>

namespace vellumark {
namespace {

void append_line(std::string& text, std::string_view head, std::string_view value)
{
    text.append(head);
    text.append(value);
    text.push_back('\n');
}

}  // namespace

void write_channel_block(std::string& text, const channel_spec& channel, bool extra_key_lines)
{
    // "static" and "k" are followed by two blanks, and "k  0" by two more;
    // every other separator is one blank, and no line ends in one.
    text.append("\t\t");
    text.append(channel.type_keyword);
    append_line(text, " ", channel.channel_name);
    text.append("\t\t\t{\n");
    append_line(text, "\t\t\tname ", channel.name_value);
    append_line(text, "\t\t\tinitValue ", channel.init_value);
    append_line(text, "\t\t\thidden ", channel.hidden);
    append_line(text, "\t\t\tforceLimits ", channel.force_limits);
    append_line(text, "\t\t\tmin ", channel.min);
    append_line(text, "\t\t\tmax ", channel.max);
    append_line(text, "\t\t\ttrackingScale ", channel.tracking_scale);
    text.append("\t\t\tkeys\n"
                "\t\t\t\t{\n");
    append_line(text, "\t\t\t\tstatic  ", channel.is_static);
    append_line(text, "\t\t\t\tk  0  ", channel.key_value);
    if (extra_key_lines) {
        text.append("\t\t\t\tsl  1\n"
                    "\t\t\t\tspl\n"
                    "\t\t\t\tsm\n");
    }
    text.append("\t\t\t\t}\n"
                "\t\t\tinterpStyleLocked 0\n");
    text.append(channel.trailer);
    text.append("\t\t\t}\n");
}

void write_groups_block(std::string& text)
{
    text.append("\t\tgroups\n"
                "\t\t\t{\n"
                "\t\t\tgroupNode Transform\n"
                "\t\t\t\t{\n");
    // The scale, rotation and translation channels of BODY's table, in its
    // order (rows 4 to 13).
    for (std::size_t row = 3; row < 13; ++row) {
        append_line(text, "\t\t\t\tparmNode ", body_channel_table[row].channel_name);
    }
    text.append("\t\t\t\t}\n"
                "\t\t\t}\n");
}

}  // namespace vellumark
