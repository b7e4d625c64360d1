#include "pz3/pz3_writer.h"

#include <string_view>

#include "common/messages.h"
#include "common/output_file.h"
#include "common/path_split.h"
#include "pz3/fixed_actors.h"
#include "pz3/material_sections.h"
#include "pz3/object_actor_sections.h"

namespace vellumark {
namespace {

// A stub names the actor and, for a mesh actor, its group in the geometry
// file; a null actor's braces hold an empty line.
void write_actor_stub(output_file& out, const actor_record& actor)
{
    out.text("actor ");
    out.text(actor.name);
    out.text(":1\n"
             "\t{\n");
    if (actor.is_null != 0) {
        out.text("\n");
    } else {
        out.text("\tstorageOffset 0 0 0\n"
                 "\tgeomHandlerGeom 13 ");
        out.text(actor.name);
        out.text("\n");
    }
    out.text("\t}\n"
             "\n");
}

// An actor without a parent becomes a child of BODY, and its line has four
// blanks after "addChild"; with a parent there is one.
void write_child_lines(output_file& out, const actor_record& actor)
{
    out.text(actor.parent != nullptr ? "\taddChild " : "\taddChild    ");
    out.text(actor.name);
    out.text(":1 \n"
             "\t\t\t ");
    out.text(actor.parent != nullptr ? std::string_view(actor.parent->name) : std::string_view("BODY"));
    out.text(":1\n");
}

// Mesh actors are welded to mesh parents, the last actor of the list first.
// Unlike the child lines, the parent's line has no blank after the tabs.
void write_weld_lines(output_file& out, const actor_record* tail)
{
    for (const actor_record* actor = tail; actor != nullptr; actor = actor->prev) {
        const actor_record* parent = actor->parent;
        if (parent == nullptr || actor->is_null != 0 || parent->is_null != 0) {
            continue;
        }
        out.text("\tweld    ");
        out.text(actor->name);
        out.text(":1 \n"
                 "\t\t\t");
        out.text(parent->name);
        out.text(":1\n");
    }
}

void write_document(output_file& out, const export_scene& scene, std::string_view figure_name,
                    std::string_view geometry_file)
{
    out.text("{ \n"
             "\n"
             "version\n"
             "    { \n"
             "    number 6\n"
             "    } \n"
             "figureResFile ");
    out.text(geometry_file);
    out.text("\n");

    write_fixed_actor_stubs(out);
    const actor_record* tail = nullptr;
    for (const actor_record* actor = scene.actors; actor != nullptr; actor = actor->next) {
        write_actor_stub(out, *actor);
        tail = actor;
    }

    write_fixed_figure_actors(out);
    write_object_actor_sections(out, scene);

    out.text("figure \n"
             "\t{\n"
             "\tname    ");
    out.text(figure_name);
    out.text("\n"
             "\troot    BODY:1\n"
             "\taddChild    GoalCenterOfMass:1 \n"
             "\t\t\t BODY:1\n"
             "\taddChild    CenterOfMass:1 \n"
             "\t\t\t GoalCenterOfMass:1\n");
    for (const actor_record* actor = scene.actors; actor != nullptr; actor = actor->next) {
        write_child_lines(out, *actor);
    }

    // With no actor at all the pick falls to the figure's root, which always
    // exists.
    const actor_record* pick = choose_default_pick(scene);
    out.text("\tdefaultPick ");
    out.text(pick != nullptr ? std::string_view(pick->name) : std::string_view("BODY"));
    out.text(":1 \n"
             "\tdisplayOn 1 \n");
    write_weld_lines(out, tail);

    write_material_sections(out, scene);

    out.text("\tdisplayMode USEPARENT\n"
             "\tlocked 0\n"
             "\tattribute\tpmd_0\n"
             "    }\n"
             "    \n"
             "\n"
             "    setGeomHandlerOffset 0 0.3487 0\n"
             "}\n");
}

}  // namespace

const actor_record* choose_default_pick(const export_scene& scene)
{
    const auto last_where = [&scene](auto qualifies) {
        const actor_record* found = nullptr;
        for (const actor_record* actor = scene.actors; actor != nullptr; actor = actor->next) {
            if (qualifies(*actor)) {
                found = actor;
            }
        }
        return found;
    };
    const actor_record* pick = last_where([](const actor_record& actor) {
        return actor.is_null == 0 && actor.parent == nullptr;
    });
    if (pick == nullptr) {
        pick = last_where([](const actor_record& actor) {
            return actor.is_null == 0 && actor.parent != nullptr && actor.parent->parent == nullptr;
        });
    }
    if (pick == nullptr) {
        pick = last_where([](const actor_record& actor) { return actor.parent == nullptr; });
    }
    return pick;
}

void write_pz3_file(const export_scene& scene, const std::string& base_path, int silent)
{
    output_file out(base_path + ".pz3");
    if (!out.is_open()) {
        report_write_failure(out.target(), silent);
        return;
    }
    // The figure takes the file-name part of the base path; the geometry file
    // is named after the whole last component, so that a base path such as
    // "scene.final" refers to the "scene.final.obj" actually written beside
    // this file.
    const std::string figure_name = split_path(base_path).file_name;
    const std::string geometry_file = file_name_with_extension(base_path) + ".obj";
    write_document(out, scene, figure_name, geometry_file);
    if (!out.commit()) {
        report_write_failure(out.target(), silent);
    }
}

}  // namespace vellumark
