#include "plugin/export_driver.h"

#include <string>

#include "common/messages.h"
#include "common/path_split.h"
#include "pz3/pz3_writer.h"
#include "scene/object_walk.h"
#include "wavefront/mtl_writer.h"
#include "wavefront/obj_writer.h"

namespace vellumark {

void link_actor_parents(export_scene& scene)
{
    // Ids are list positions, so the parent is found by position rather
    // than by a search of the whole list for each actor.
    for (actor_record* actor = scene.actors; actor != nullptr; actor = actor->next) {
        actor_record* parent = scene.actor_at(actor->parent_id);
        actor->parent = parent != nullptr && parent->id == actor->parent_id ? parent : nullptr;
    }
    for (actor_record* actor = scene.actors; actor != nullptr; actor = actor->next) {
        if (actor->parent != nullptr) {
            actor->parent->child = actor;
        }
    }
}

int poser_export(int silent, const char* base_path, intptr_t object_handle)
{
    auto* object = reinterpret_cast<host_object*>(object_handle);
    const std::string base = base_path != nullptr ? base_path : "";
    bool walked = false;
    {
        export_scene scene;
        std::int32_t actor_counter = 0;
        // A null handle names no object: nothing to walk, reported as a walk
        // failure rather than handed on to the host.
        walked = object != nullptr && collect_actors(object, scene, -1, -1, actor_counter);
        if (walked) {
            scene.release_walk_tables();
            link_actor_parents(scene);
            write_mtl_file(scene, base, silent);
            write_obj_file(scene, base, silent);
            write_pz3_file(scene, base, silent);
        }
    }
    if (!walked) {
        return is_silent(silent) ? 0 : message_dialog(walk_failure_message);
    }
    return display_message(done_message);
}

int export_file_callback(const char* file_name, host_object* object)
{
    const std::string base = strip_extension(file_name != nullptr ? file_name : "");
    poser_export(0, base.c_str(), reinterpret_cast<intptr_t>(object));
    return 1;
}

}  // namespace vellumark
