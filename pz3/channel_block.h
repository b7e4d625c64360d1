// The two block shapes inside an actor's "channels": the channel block, which
// declares one animatable channel, and the groups block, which lists the
// transform channels under one group node. Both are fixed text, so they are
// appended to a text that the caller writes (and may keep for reuse).
#ifndef VELLUMARK_PZ3_CHANNEL_BLOCK_H
#define VELLUMARK_PZ3_CHANNEL_BLOCK_H

#include <string>

#include "pz3/channel_tables.h"

namespace vellumark {

// One channel block for one table row: 16 lines, 3 more with the extra key
// lines (the object actors' blocks carry them, the fixed actors' do not), one
// more when the row has a trailer.
void write_channel_block(std::string& text, const channel_spec& channel, bool extra_key_lines);

// The groups block: the ten transform channels of BODY and of every object
// actor, 16 lines.
void write_groups_block(std::string& text);

}  // namespace vellumark

#endif
