// The texts with which the plug-in presents itself to the host.
#ifndef VELLUMARK_PLUGIN_REGISTRATION_H
#define VELLUMARK_PLUGIN_REGISTRATION_H

namespace vellumark::registration {

inline constexpr const char* command_name = "vellumark_save";
inline constexpr int command_argument_count = 3;
// Silent flag, base path, object handle.
inline constexpr const char* command_argument_types = "dsd";
// One backslash between true and false.
inline constexpr const char* command_usage =
    "<silent mode true\\false> <file name without extension> <pointer to object to export>";
inline constexpr const char* command_help = "Exports the specified object to Poser format.";

inline constexpr const char* exporter_identifier = "POSERPZ3";
inline constexpr const char* exporter_extension = ".pz3";
inline constexpr const char* exporter_label = "Poser";
inline constexpr const char* exporter_description = "plugin, version 1.0, Quillfeather";

inline constexpr const char* about_text =
    "Vellumark 1.0\nExports the model as a Poser scene (.pz3) with its Wavefront geometry (.obj) and "
    "material library (.mtl).";

}  // namespace vellumark::registration

#endif
