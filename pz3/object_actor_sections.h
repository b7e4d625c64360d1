// The full section of each exported actor: its transform channels, parent,
// end point, origin and display and render settings.
#ifndef VELLUMARK_PZ3_OBJECT_ACTOR_SECTIONS_H
#define VELLUMARK_PZ3_OBJECT_ACTOR_SECTIONS_H

#include "common/output_file.h"
#include "scene/records.h"

namespace vellumark {

// One section per actor, from the head of the list along `next`.
void write_object_actor_sections(output_file& out, const export_scene& scene);

// One actor's section, 360 lines. Needs the parent and child links set.
void write_object_actor_section(output_file& out, const actor_record& actor);

}  // namespace vellumark

#endif
