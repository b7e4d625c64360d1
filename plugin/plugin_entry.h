// The three functions that the host looks up by name when it loads the
// plug-in.
#ifndef VELLUMARK_PLUGIN_PLUGIN_ENTRY_H
#define VELLUMARK_PLUGIN_PLUGIN_ENTRY_H

#if defined(_WIN32)
#define VELLUMARK_ENTRY __declspec(dllexport)
#else
#define VELLUMARK_ENTRY __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

// Registers the command, then the file exporter. Returns 0.
VELLUMARK_ENTRY int AC3DPluginInit(void* plugin_handle);
// Does nothing. Returns 0.
VELLUMARK_ENTRY int AC3DPluginExit(void);
// The About text.
VELLUMARK_ENTRY const char* AC3DPluginAbout(void);

#ifdef __cplusplus
}
#endif

#endif
