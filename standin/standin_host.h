// Our own host: an in-memory object tree behind the 25 host functions, for the
// converter and the tests. A test builds a tree in a few lines; the host
// records what the plug-in registers and every message it shows, and keeps
// count of the lists and arrays it hands out so that a test can check that the
// plug-in released them all.
//
// One host is current at a time (the host functions have no context
// argument): constructing a host makes it current, destroying it restores the
// one before.
#ifndef VELLUMARK_STANDIN_STANDIN_HOST_H
#define VELLUMARK_STANDIN_STANDIN_HOST_H

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "host/ac3d_host.h"

namespace vellumark::standin {

class host;

// Object types as the host reports them.
inline constexpr int type_poly = 0;
inline constexpr int type_group = 1;
inline constexpr int type_light = 2;
inline constexpr int type_world = 999;

// A corner of a triangle: an index into its object's vertices, texture
// coordinates and normal.
struct corner {
    int vertex = 0;
    float u = 0, v = 0;
    float nx = 0, ny = 0, nz = 0;
};

struct triangle {
    std::array<corner, 3> corners{};
    std::uint16_t palette_index = 0;
};

// A palette entry: any subset of the values that the host can report.
struct palette_material {
    std::optional<std::string> name;
    std::optional<std::array<float, 3>> diffuse;
    std::optional<std::array<float, 3>> ambient;
    std::optional<std::array<float, 3>> emissive;
    std::optional<std::array<float, 3>> specular;
    std::optional<float> shininess;
    std::optional<float> transparency;
};

// Odd answers that a host may give within what the interface allows; the
// plug-in must survive every one of them.
struct object_faults {
    // Reported by ac_object_get_num_vertices instead of the real count.
    std::optional<int> vertex_count;
    // ac_object_has_texture says yes, texture_id_to_name gives null.
    bool null_texture_path = false;
    // ac_object_get_vertexlist gives null even when there are vertices.
    bool null_vertex_list = false;
    // ac_object_get_vertex_index answers this for every vertex.
    std::optional<int> vertex_index;
    // Reported by ac_object_get_num_children instead of the real count (the
    // children list itself is unchanged, so it may be shorter or empty).
    std::optional<int> children_count;
    // Reported as every triangle surface's corner count; each surface still
    // lists its three corners.
    std::optional<std::uint16_t> corner_count;
};

}  // namespace vellumark::standin

// A host object. Opaque to the plug-in; defined here for the stand-in host.
struct host_object {
    // Builders.
    host_object& add_child(int type, std::optional<std::string> name = std::nullopt);
    int add_vertex(float x, float y, float z);
    void add_triangle(const std::array<vellumark::standin::corner, 3>& corners, std::uint16_t palette_index);
    // A triangle over three vertex indices with zero texture coordinates and
    // normals.
    void add_triangle(int a, int b, int c, std::uint16_t palette_index = 0);
    // Room for `count` more triangles, asked for before adding many.
    void reserve_triangles(std::size_t count);
    // Ends a run of added triangles: the bookkeeping that lets them share
    // normals is dropped (later triangles still add correctly).
    void finish_triangles();
    void set_centre(float x, float y, float z) { centre = {x, y, z}; }
    void set_texture(const std::string& path);

    // The triangles as added, in order.
    std::size_t triangle_count() const { return triangles_.size(); }
    vellumark::standin::triangle triangle_at(std::size_t index) const;
    std::vector<vellumark::standin::triangle> triangles() const;
    // Makes a corner name another vertex (an odd host's triangle).
    void set_corner_vertex(std::size_t triangle, std::size_t corner, int vertex);

    int type = vellumark::standin::type_poly;
    std::optional<std::string> name;
    host_point3 centre{};
    std::vector<host_object*> children;
    bool textured = false;
    int texture_index = -1;
    vellumark::standin::object_faults faults;

    std::size_t vertex_count() const { return vertices_.size(); }
    const host_vertex& vertex(std::size_t index) const { return vertices_[index].position; }

private:
    friend class vellumark::standin::host;
    struct slot {
        host_vertex position;
    };
    // The triangles are most of a large model's memory, so each corner
    // keeps the index of its normal, and a normal is kept once for the
    // corners that share it one after the other (a flat polygon's) or at
    // one vertex (a smooth surface's).
    struct stored_corner {
        std::int32_t vertex;
        float u, v;
        std::uint32_t normal;
    };
    struct stored_triangle {
        std::array<stored_corner, 3> corners;
        std::uint16_t palette_index;
    };
    std::uint32_t normal_index(const vellumark::standin::corner& corner);

    explicit host_object(vellumark::standin::host& owner) : owner_(&owner) {}

    vellumark::standin::host* owner_;
    std::vector<stored_triangle> triangles_;
    std::vector<std::array<float, 3>> normals_;
    // While triangles are added: the last normal given to each vertex.
    std::vector<std::uint32_t> vertex_normal_;
    std::vector<slot> vertices_;
    std::vector<host_list> vertex_nodes_;
    std::vector<host_list> child_nodes_;
};

// A palette entity. Opaque to the plug-in.
struct host_entity {
    vellumark::standin::palette_material values;
};

namespace vellumark::standin {

struct command_registration {
    std::string name;
    host_command_handler handler = nullptr;
    int argument_count = 0;
    std::string argument_types;
    std::string usage;
    std::string help;
};

struct exporter_registration {
    std::string identifier;
    std::string extension;
    std::string label;
    host_exporter_callback callback = nullptr;
    std::string description;
};

class host {
public:
    host();
    ~host();
    host(const host&) = delete;
    host& operator=(const host&) = delete;

    // The host that the host functions answer for, or null.
    static host* current();

    // The tree. The root is created on first use, of type world unless
    // given.
    host_object& root(int type = type_world);
    bool has_root() const { return root_ != nullptr; }
    // Makes an object already in the tree the root (a reader that learns only
    // at the end of a file which object is the root).
    void set_root(host_object& object) { root_ = &object; }
    host_object& add_object(host_object* parent, int type, std::optional<std::string> name);
    int add_material(palette_material material);
    int add_texture(const std::string& path);
    std::size_t palette_size() const { return palette_.size(); }
    const palette_material& material(std::size_t index) const { return palette_[index]->values; }
    std::size_t object_count() const { return objects_.size(); }

    // What the plug-in registered and showed.
    std::vector<command_registration> commands;
    std::vector<exporter_registration> exporters;
    // The registration calls in the order made, by host function name.
    std::vector<std::string> registration_order;
    std::vector<std::string> dialogs;
    std::vector<std::string> displays;
    // Called with each text as it is shown, when set (the converter prints
    // them).
    std::function<void(const std::string&)> on_dialog;
    std::function<void(const std::string&)> on_display;

    // Lists and arrays handed out and not yet released.
    std::size_t outstanding() const { return surface_lists_.size() + arrays_.size(); }
    // All lists and arrays ever handed out.
    std::size_t handed_out() const { return handed_out_; }

    // The host functions' side, called from the C entry points.
    host_list* vertex_list(host_object& object);
    int vertex_index(host_object& object, const host_vertex* vertex) const;
    host_list* children_list(host_object& object);
    host_list* triangle_surfaces(host_object& object);
    void free_surface_list(host_list** list);
    void** create_array(host_list* list, int count);
    void free_array(void* array);
    void* list_item(host_list* list, int index) const;
    const char* texture_name(int texture_id) const;
    host_entity* palette_entity(int index) const;

private:
    // One list of triangle surfaces as handed out. Each kind of node and
    // record lies in an array of its own, so that following the list reads
    // the list nodes only, one after the other.
    struct surface_block {
        // Surfaces that the arrays have room for.
        std::size_t capacity = 0;
        std::unique_ptr<host_list[]> surface_nodes;
        std::unique_ptr<host_surface[]> surfaces;
        std::unique_ptr<host_list[]> corner_nodes;
        std::unique_ptr<host_surface_vertex[]> corners;
    };

    host* previous_ = nullptr;
    host_object* root_ = nullptr;
    // Every object, owned flat so that a deep tree needs no deep recursion
    // to build or to destroy.
    std::vector<std::unique_ptr<host_object>> objects_;
    std::vector<std::unique_ptr<host_entity>> palette_;
    std::vector<std::string> textures_;
    std::unordered_map<const host_list*, surface_block> surface_lists_;
    // The storage of the largest list released so far, for the next list
    // that fits: the writers ask for the same object's list pass after pass,
    // and each page of fresh memory costs a page fault.
    surface_block spare_;
    std::unordered_set<void*> arrays_;
    // Lists whose nodes are contiguous, with their length, so that
    // list_get_item answers them in constant time.
    std::unordered_map<const host_list*, std::size_t> contiguous_lists_;
    std::size_t handed_out_ = 0;
};

}  // namespace vellumark::standin

#endif
