// The three actors that every scene file carries whatever was exported: the
// figure's root actor BODY and the control props GoalCenterOfMass (below BODY)
// and CenterOfMass (below GoalCenterOfMass). Their sections are the same, byte
// for byte, in every export.
#ifndef VELLUMARK_PZ3_FIXED_ACTORS_H
#define VELLUMARK_PZ3_FIXED_ACTORS_H

#include <string>

#include "common/output_file.h"

namespace vellumark {

// The three short stubs that open the scene file, twelve lines.
void write_fixed_actor_stubs(output_file& out);

// The full sections of BODY (309 lines), GoalCenterOfMass and CenterOfMass
// (212 lines each), in this order.
void write_fixed_figure_actors(output_file& out);

// The text that write_fixed_figure_actors writes, built once.
const std::string& fixed_figure_actors_text();

}  // namespace vellumark

#endif
