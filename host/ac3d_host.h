// The modeller's side of the plug-in boundary: the host data that the plug-in
// reads directly and the 25 host functions that it calls. Nothing else of the
// host is used. Handles (objects, lists, palette entities) are opaque and are
// handed back to the host unchanged.
//
// The declarations have C linkage: in the loadable plug-in they resolve against
// the executable that loads it; in the converter and the tests they resolve
// against the in-memory stand-in host (standin/).
#ifndef VELLUMARK_HOST_AC3D_HOST_H
#define VELLUMARK_HOST_AC3D_HOST_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

// A host object (opaque).
typedef struct host_object host_object;
// A palette material entity (opaque).
typedef struct host_entity host_entity;

// A node of a host list: the item, then the next node (null at the tail).
typedef struct host_list {
    void* item;
    struct host_list* next;
} host_list;

// A vertex; the host may keep more after these leading fields.
typedef struct host_vertex {
    float x, y, z;
} host_vertex;

// A corner of a surface: the vertex it uses, its texture coordinates and its
// normal.
typedef struct host_surface_vertex {
    host_vertex* vertex;
    float u, v;
    float nx, ny, nz;
} host_surface_vertex;

// A surface: its corners (items are host_surface_vertex), their number and the
// palette material index.
typedef struct host_surface {
    host_list* corners;
    uint16_t corner_count;
    uint16_t palette_index;
} host_surface;

// A position as the host reports it.
typedef struct host_point3 {
    float x, y, z;
} host_point3;

// The command handler registered with ac_add_command_full: silent flag, base
// path, object handle. The handle is pointer-sized so that it survives 64-bit
// builds; on 32-bit builds it is the host's 32-bit integer.
typedef int (*host_command_handler)(int silent, const char* base_path, intptr_t object);

// The file exporter callback: the chosen file name and the object to export.
typedef int (*host_exporter_callback)(const char* file_name, host_object* object);

// Registration.
int ac_add_command_full(const char* name, host_command_handler handler, int argument_count,
                        const char* argument_types, const char* usage, const char* help);
int ac_register_file_exporter(const char* identifier, const char* extension, const char* label,
                              host_exporter_callback callback, const char* description);

// Messages to the user.
int message_dialog(const char* format, ...);
int display_message(const char* text);

// The object tree.
int ac_object_get_type(host_object* object);
const char* ac_object_get_name(host_object* object);
host_point3* ac_object_get_centre(host_object* object);
int ac_object_get_num_vertices(host_object* object);
host_list* ac_object_get_vertexlist(host_object* object);
int ac_object_get_vertex_index(host_object* object, host_vertex* vertex);
int ac_object_has_texture(host_object* object);
int ac_object_get_texture_index(host_object* object);
const char* texture_id_to_name(int texture_id);
// A new list of triangle surfaces (items are host_surface) at every call;
// released with ac_surfacelist_free given the address of the variable that
// holds it.
host_list* ac_object_get_triangle_surfaces(host_object* object);
void ac_surfacelist_free(host_list** list);
host_list* ac_object_get_childrenlist(host_object* object);
int ac_object_get_num_children(host_object* object);

// Host lists.
void* list_get_item(host_list* list, int index);
int list_count(host_list* list);
// A new array of the list's items, released with myfree.
void** list_create_array(host_list* list, int count);
void myfree(void* array);

// The palette.
host_entity* ac_palette_get_material(int palette_index);
int ac_entity_get_rgb_value(host_entity* entity, const char* key, float* rgb);
int ac_entity_get_float_value(host_entity* entity, const char* key, float* value);
int ac_entity_get_string_value(host_entity* entity, const char* key, char** value);

#ifdef __cplusplus
}
#endif

#endif
