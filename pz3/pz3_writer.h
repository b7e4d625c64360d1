// The Poser scene file: the base path followed by ".pz3". One figure whose
// root actor BODY carries the two control props and one actor per exported
// object; its geometry is the OBJ file written beside it.
#ifndef VELLUMARK_PZ3_PZ3_WRITER_H
#define VELLUMARK_PZ3_PZ3_WRITER_H

#include <string>

#include "scene/records.h"

namespace vellumark {

// Writes "<base_path>.pz3" from the linked scene. Shows "Could not write to
// file %s." unless silent when the file cannot be written; an earlier file of
// that name is then left as it was.
void write_pz3_file(const export_scene& scene, const std::string& base_path, int silent);

// The actor that the figure selects first: the last, in list order, of the
// first of these groups that is not empty: mesh actors without a parent; mesh
// actors whose parent has no parent; actors without a parent. Null only for
// an empty actor list.
const actor_record* choose_default_pick(const export_scene& scene);

}  // namespace vellumark

#endif
