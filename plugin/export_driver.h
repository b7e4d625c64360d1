// The export driver: one complete export from an object to the three files.
#ifndef VELLUMARK_PLUGIN_EXPORT_DRIVER_H
#define VELLUMARK_PLUGIN_EXPORT_DRIVER_H

#include <cstdint>

#include "host/ac3d_host.h"
#include "scene/records.h"

namespace vellumark {

// The handler of the host command: walks the tree below `object`, writes the
// base path's .mtl, .obj and .pz3 files, releases every record and shows
// "Done.". Returns 0 after a walk failure in silent mode, else the result of
// the last host call (message_dialog after a reported walk failure,
// display_message after an export).
int poser_export(int silent, const char* base_path, intptr_t object);

// The file exporter callback: drops the chosen file name's extension and
// exports under the rest, not silent. Returns 1 whatever happened.
int export_file_callback(const char* file_name, host_object* object);

// Sets every actor's parent (the actor whose id is its parent_id) and every
// parent's child (the last actor in list order that names it).
void link_actor_parents(export_scene& scene);

}  // namespace vellumark

#endif
