// The channel tables of the scene file: one row per animatable channel of an
// actor, in the order the channels are written. Every field is fixed text.
#ifndef VELLUMARK_PZ3_CHANNEL_TABLES_H
#define VELLUMARK_PZ3_CHANNEL_TABLES_H

#include <array>
#include <cstddef>
#include <string_view>

namespace vellumark {

struct channel_spec {
    // First and second word of the block's opening line ("rotateY yRotate").
    std::string_view type_keyword;
    std::string_view channel_name;
    // The text of the block's "name" line.
    std::string_view name_value;
    std::string_view init_value;
    // "0" or "1".
    std::string_view hidden;
    // "0" or "1".
    std::string_view force_limits;
    std::string_view min;
    std::string_view max;
    std::string_view tracking_scale;
    // "0" or "1": the value of the "static" key line.
    std::string_view is_static;
    // The last number of the "k" key line.
    std::string_view key_value;
    // One whole line written after "interpStyleLocked"; empty for none.
    std::string_view trailer;
};

inline constexpr std::size_t body_channel_count = 16;
inline constexpr std::size_t prop_channel_count = 10;

// The channels of the figure's root actor BODY.
extern const std::array<channel_spec, body_channel_count> body_channel_table;
// The channels of the two control props GoalCenterOfMass and CenterOfMass.
extern const std::array<channel_spec, prop_channel_count> prop_channel_table;
// The channels of every object actor: BODY's, with the three translation
// channels carrying a "trackingScaleMult" trailer.
extern const std::array<channel_spec, body_channel_count> object_channel_table;

}  // namespace vellumark

#endif
