#include "pz3/channel_block.h"

#include <gtest/gtest.h>

#include "pz3/channel_tables.h"
#include "tests/pz3/pz3_reference.h"

namespace vellumark {
namespace {

std::string block(const channel_spec& channel, bool extra_key_lines)
{
    std::string text;
    write_channel_block(text, channel, extra_key_lines);
    return text;
}

template <std::size_t count>
void expect_table_matches(const std::array<channel_spec, count>& table, const std::vector<std::string_view>& rows,
                          const char* table_name)
{
    ASSERT_EQ(table.size(), rows.size()) << table_name;
    for (std::size_t row = 0; row < count; ++row) {
        for (bool extra : {false, true}) {
            EXPECT_EQ(block(table[row], extra), reference::channel_block(rows[row], extra))
                << table_name << " row " << row + 1 << (extra ? " with" : " without") << " extra key lines";
        }
    }
}

TEST(ChannelBlock, EveryRowOfEveryTableWritesItsBlock)
{
    expect_table_matches(body_channel_table, reference::body_rows, "body");
    expect_table_matches(prop_channel_table, reference::prop_rows, "prop");
    expect_table_matches(object_channel_table, reference::object_rows, "object");
}

TEST(ChannelBlock, FirstBodyBlockReadsExactly)
{
    EXPECT_EQ(block(body_channel_table[0], false),
              "\t\tzOffsetA zOffset\n"
              "\t\t\t{\n"
              "\t\t\tname zOffset\n"
              "\t\t\tinitValue -0.001\n"
              "\t\t\thidden 1\n"
              "\t\t\tforceLimits 0\n"
              "\t\t\tmin -100000\n"
              "\t\t\tmax 100000\n"
              "\t\t\ttrackingScale 0.004\n"
              "\t\t\tkeys\n"
              "\t\t\t\t{\n"
              "\t\t\t\tstatic  1\n"
              "\t\t\t\tk  0  0\n"
              "\t\t\t\t}\n"
              "\t\t\tinterpStyleLocked 0\n"
              "\t\t\tstaticValue -0.001\n"
              "\t\t\t}\n");
}

TEST(ChannelBlock, LineCountsWithAndWithoutExtraKeyLinesAndTrailer)
{
    const channel_spec& plain = body_channel_table[3];   // propagatingScale, no trailer
    const channel_spec& trailed = body_channel_table[0]; // zOffsetA, staticValue trailer
    ASSERT_TRUE(plain.trailer.empty());
    ASSERT_FALSE(trailed.trailer.empty());
    EXPECT_EQ(reference::line_count(block(plain, false)), 16u);
    EXPECT_EQ(reference::line_count(block(plain, true)), 19u);
    EXPECT_EQ(reference::line_count(block(trailed, false)), 17u);
    EXPECT_EQ(reference::line_count(block(trailed, true)), 20u);
}

TEST(ChannelBlock, ObjectTableDiffersFromBodyTableOnlyInTheTranslationTrailers)
{
    const auto without_trailer = [](channel_spec channel) {
        channel.trailer = {};
        return block(channel, true);
    };
    for (std::size_t row = 0; row < body_channel_count; ++row) {
        EXPECT_EQ(without_trailer(object_channel_table[row]), without_trailer(body_channel_table[row]))
            << "row " << row + 1;
        if (row < 10 || row > 12) {
            EXPECT_EQ(object_channel_table[row].trailer, body_channel_table[row].trailer) << "row " << row + 1;
        }
    }
    EXPECT_EQ(object_channel_table[10].trailer, "\t\t\ttrackingScaleMult 1\n");
    EXPECT_EQ(object_channel_table[11].trailer, "\t\t\ttrackingScaleMult 1.000000\n");
    EXPECT_EQ(object_channel_table[12].trailer, "\t\t\ttrackingScaleMult 1.000000\n");
}

TEST(GroupsBlock, ListsTheTenTransformChannels)
{
    std::string text;
    write_groups_block(text);
    EXPECT_EQ(text, reference::groups_block());
    EXPECT_EQ(reference::line_count(text), 16u);
}

}  // namespace
}  // namespace vellumark
