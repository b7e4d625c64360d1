#include "pz3/object_actor_sections.h"

#include <string>

#include "pz3/channel_block.h"
#include "pz3/channel_tables.h"
#include "pz3/vec3_text.h"

namespace vellumark {
namespace {

// The channels of a section, from "\t\t{" to "\t\t}": the same for every
// actor, so built once, in the file's form (CR LF line ends) so that each
// actor's copy is a plain copy.
const std::string& object_channels_text()
{
    static const std::string text = [] {
        std::string built = "\t\t{\n";
        write_groups_block(built);
        for (const channel_spec& channel : object_channel_table) {
            write_channel_block(built, channel, true);
        }
        built.append("\t\t}\n");
        return output_file::file_form(built);
    }();
    return text;
}

}  // namespace

void write_object_actor_section(output_file& out, const actor_record& actor)
{
    // Indentation mixes a tab and four blanks from line to line, and the
    // closing brace is indented by blanks while the opening one is a tab.
    out.text("actor ");
    out.text(actor.name);
    out.text(":1\n"
             "\t{\n"
             "\tname    ");
    out.text(actor.name);
    out.text("\n"
             "\ton\n"
             "    bend 1\n"
             "    dynamicsLock 0\n"
             "    hidden 0\n"
             "    addToMenu 1\n"
             "    castsShadow 1\n"
             "    includeInDepthCue 1\n"
             "    useZBuffer 1\n"
             "    parent ");
    out.text(actor.parent != nullptr ? std::string_view(actor.parent->name) : std::string_view("BODY"));
    out.text(":1\n"
             "\tchannels\n");
    out.file_form_text(object_channels_text());
    // Unlike in the fixed actors, creaseAngle follows the channels.
    out.text("    creaseAngle 80\n"
             "\t  endPoint  ");
    // The end point reaches to the child, when there is one.
    write_vec3(out, actor.child != nullptr ? actor.child->origin : actor.end_point);
    out.text("\n"
             "    origin ");
    write_vec3(out, actor.origin);
    out.text("\n"
             "    orientation 0 0 0\n"
             "    displayOrigin 0\n"
             "    displayMode USEPARENT\n"
             "    customMaterial 0\n"
             "    locked 0\n"
             "    backfaceCull 1\n");
    // A null actor is neither reflected nor rendered.
    out.text(actor.is_null != 0 ? "\tvisibleInReflections 0\n"
                                  "\tvisibleInRender 0\n"
                                : "\tvisibleInReflections 1\n"
                                  "\tvisibleInRender 1\n");
    out.text("\tdisplacementBounds 0\n"
             "\tshadingRate 0.2\n"
             "\tsmoothPolys 1\n"
             "    }\n"
             "\n");
}

void write_object_actor_sections(output_file& out, const export_scene& scene)
{
    for (const actor_record* actor = scene.actors; actor != nullptr; actor = actor->next) {
        write_object_actor_section(out, *actor);
    }
}

}  // namespace vellumark
