#include "plugin/plugin_entry.h"

#include "host/ac3d_host.h"
#include "plugin/export_driver.h"
#include "plugin/registration.h"

namespace {

int command_handler(int silent, const char* base_path, intptr_t object)
{
    return vellumark::poser_export(silent, base_path, object);
}

int exporter_callback(const char* file_name, host_object* object)
{
    return vellumark::export_file_callback(file_name, object);
}

}  // namespace

extern "C" {

int AC3DPluginInit(void*)
{
    using namespace vellumark::registration;
    ac_add_command_full(command_name, command_handler, command_argument_count, command_argument_types,
                        command_usage, command_help);
    ac_register_file_exporter(exporter_identifier, exporter_extension, exporter_label, exporter_callback,
                              exporter_description);
    return 0;
}

int AC3DPluginExit(void) { return 0; }

const char* AC3DPluginAbout(void) { return vellumark::registration::about_text; }

}  // extern "C"
