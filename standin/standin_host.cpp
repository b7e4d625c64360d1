#include "standin/standin_host.h"

#if defined(__linux__)
#include <sys/mman.h>
#endif

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>

namespace vellumark::standin {
namespace {

host* current_host = nullptr;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool address_sanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool address_sanitizer = true;
#else
constexpr bool address_sanitizer = false;
#endif
#else
constexpr bool address_sanitizer = false;
#endif

// Rebuilds a contiguous list of nodes over items, linked in order.
template <typename Item>
void link_nodes(std::vector<host_list>& nodes, std::vector<Item*> items)
{
    nodes.assign(items.size(), host_list{});
    for (std::size_t i = 0; i < items.size(); ++i) {
        nodes[i].item = items[i];
        nodes[i].next = i + 1 < items.size() ? &nodes[i + 1] : nullptr;
    }
}

}  // namespace

host::host() : previous_(current_host) { current_host = this; }

host::~host()
{
    if (current_host == this) {
        current_host = previous_;
    }
}

host* host::current() { return current_host; }

host_object& host::root(int type)
{
    if (root_ == nullptr) {
        root_ = &add_object(nullptr, type, std::nullopt);
    }
    return *root_;
}

host_object& host::add_object(host_object* parent, int type, std::optional<std::string> name)
{
    objects_.push_back(std::unique_ptr<host_object>(new host_object(*this)));
    host_object& object = *objects_.back();
    object.type = type;
    object.name = std::move(name);
    if (parent != nullptr) {
        parent->children.push_back(&object);
    }
    return object;
}

int host::add_material(palette_material material)
{
    palette_.push_back(std::make_unique<host_entity>(host_entity{std::move(material)}));
    return static_cast<int>(palette_.size() - 1);
}

int host::add_texture(const std::string& path)
{
    textures_.push_back(path);
    return static_cast<int>(textures_.size() - 1);
}

host_list* host::vertex_list(host_object& object)
{
    if (object.faults.null_vertex_list || object.vertices_.empty()) {
        return nullptr;
    }
    if (object.vertex_nodes_.size() != object.vertices_.size()) {
        if (!object.vertex_nodes_.empty()) {
            contiguous_lists_.erase(object.vertex_nodes_.data());
        }
        std::vector<host_vertex*> items;
        items.reserve(object.vertices_.size());
        for (auto& slot : object.vertices_) {
            items.push_back(&slot.position);
        }
        link_nodes(object.vertex_nodes_, std::move(items));
        contiguous_lists_[object.vertex_nodes_.data()] = object.vertex_nodes_.size();
    }
    return object.vertex_nodes_.data();
}

int host::vertex_index(host_object& object, const host_vertex* vertex) const
{
    if (object.faults.vertex_index) {
        return *object.faults.vertex_index;
    }
    if (object.vertices_.empty() || vertex == nullptr) {
        return -1;
    }
    // Constant time: the position of the slot in the object's array, when the
    // vertex is one of them.
    const auto* first = reinterpret_cast<const char*>(object.vertices_.data());
    const auto* last = reinterpret_cast<const char*>(object.vertices_.data() + object.vertices_.size());
    const auto* probe = reinterpret_cast<const char*>(vertex);
    if (std::less<const char*>()(probe, first) || !std::less<const char*>()(probe, last)) {
        return -1;
    }
    return static_cast<int>(static_cast<std::size_t>(probe - first) / sizeof(host_object::slot));
}

host_list* host::children_list(host_object& object)
{
    if (object.children.empty()) {
        return nullptr;
    }
    if (object.child_nodes_.size() != object.children.size() ||
        object.child_nodes_.front().item != object.children.front()) {
        if (!object.child_nodes_.empty()) {
            contiguous_lists_.erase(object.child_nodes_.data());
        }
        link_nodes(object.child_nodes_, object.children);
        contiguous_lists_[object.child_nodes_.data()] = object.child_nodes_.size();
    }
    return object.child_nodes_.data();
}

host_list* host::triangle_surfaces(host_object& object)
{
    const std::size_t count = object.triangles_.size();
    if (count == 0) {
        return nullptr;
    }
    surface_block block;
    if (spare_.capacity >= count) {
        block = std::move(spare_);
        spare_ = surface_block{};
    } else {
        block.capacity = count;
        block.surface_nodes.reset(new host_list[count]);
        block.surfaces.reset(new host_surface[count]);
        block.corner_nodes.reset(new host_list[3 * count]);
        block.corners.reset(new host_surface_vertex[3 * count]);
    }
    const std::uint16_t corner_count = object.faults.corner_count.value_or(3);
    const std::size_t vertex_count = object.vertices_.size();
    for (std::size_t t = 0; t < count; ++t) {
        const host_object::stored_triangle& source = object.triangles_[t];
        host_list* const corner_nodes = &block.corner_nodes[3 * t];
        host_surface_vertex* const corners = &block.corners[3 * t];
        for (std::size_t c = 0; c < 3; ++c) {
            const host_object::stored_corner& from = source.corners[c];
            host_surface_vertex& to = corners[c];
            const bool in_range = from.vertex >= 0 && static_cast<std::size_t>(from.vertex) < vertex_count;
            to.vertex = in_range ? &object.vertices_[static_cast<std::size_t>(from.vertex)].position : nullptr;
            to.u = from.u;
            to.v = from.v;
            const std::array<float, 3>& normal = object.normals_[from.normal];
            to.nx = normal[0];
            to.ny = normal[1];
            to.nz = normal[2];
            corner_nodes[c].item = &to;
            corner_nodes[c].next = c + 1 < 3 ? &corner_nodes[c + 1] : nullptr;
        }
        host_surface& surface = block.surfaces[t];
        surface.corners = corner_nodes;
        surface.corner_count = corner_count;
        surface.palette_index = source.palette_index;
        block.surface_nodes[t].item = &surface;
        block.surface_nodes[t].next = t + 1 < count ? &block.surface_nodes[t + 1] : nullptr;
    }
    host_list* head = block.surface_nodes.get();
    surface_lists_.emplace(head, std::move(block));
    ++handed_out_;
    return head;
}

void host::free_surface_list(host_list** list)
{
    if (list == nullptr || *list == nullptr) {
        return;
    }
    auto found = surface_lists_.find(*list);
    if (found != surface_lists_.end()) {
        // Under AddressSanitizer every list is freed at once, so that a use
        // after its release is caught.
        if (!address_sanitizer && found->second.capacity > spare_.capacity) {
            spare_ = std::move(found->second);
        }
        surface_lists_.erase(found);
    }
    *list = nullptr;
}

void** host::create_array(host_list* list, int count)
{
    const std::size_t size = count > 0 ? static_cast<std::size_t>(count) : 0;
    void** array = new void*[size == 0 ? 1 : size]();
    host_list* node = list;
    for (std::size_t i = 0; i < size && node != nullptr; ++i, node = node->next) {
        array[i] = node->item;
    }
    arrays_.insert(array);
    ++handed_out_;
    return array;
}

void host::free_array(void* array)
{
    auto found = arrays_.find(array);
    if (found != arrays_.end()) {
        arrays_.erase(found);
        delete[] static_cast<void**>(array);
    }
}

void* host::list_item(host_list* list, int index) const
{
    if (list == nullptr || index < 0) {
        return nullptr;
    }
    // A few steps along the list (the corners of a surface) cost less than
    // the lookup below, and give the same item.
    constexpr int short_walk = 4;
    if (index < short_walk) {
        host_list* node = list;
        for (int i = 0; i < index && node != nullptr; ++i) {
            node = node->next;
        }
        return node != nullptr ? node->item : nullptr;
    }
    auto contiguous = contiguous_lists_.find(list);
    if (contiguous != contiguous_lists_.end()) {
        return static_cast<std::size_t>(index) < contiguous->second ? list[index].item : nullptr;
    }
    host_list* node = list;
    for (int i = 0; i < index && node != nullptr; ++i) {
        node = node->next;
    }
    return node != nullptr ? node->item : nullptr;
}

const char* host::texture_name(int texture_id) const
{
    if (texture_id < 0 || static_cast<std::size_t>(texture_id) >= textures_.size()) {
        return nullptr;
    }
    return textures_[static_cast<std::size_t>(texture_id)].c_str();
}

host_entity* host::palette_entity(int index) const
{
    if (index < 0 || static_cast<std::size_t>(index) >= palette_.size()) {
        return nullptr;
    }
    return palette_[static_cast<std::size_t>(index)].get();
}

}  // namespace vellumark::standin

using vellumark::standin::host;

host_object& host_object::add_child(int child_type, std::optional<std::string> child_name)
{
    return owner_->add_object(this, child_type, std::move(child_name));
}

int host_object::add_vertex(float x, float y, float z)
{
    vertices_.push_back(slot{host_vertex{x, y, z}});
    return static_cast<int>(vertices_.size() - 1);
}

namespace {

constexpr std::uint32_t no_normal = 0xFFFFFFFFu;

// The same normal bit for bit (so that -0 and 0 stay apart).
bool same_normal(const std::array<float, 3>& a, const std::array<float, 3>& b)
{
    return std::memcmp(a.data(), b.data(), sizeof(float) * 3) == 0;
}

// Asks the system to back a large block of fresh memory with huge pages
// where it can. Filled page by page, each small page costs a page fault,
// which on some machines (virtual ones above all) takes longer than building
// the triangles on it. Only a hint: nothing changes where it is not followed.
void advise_huge_pages(void* data, std::size_t bytes)
{
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    constexpr std::uintptr_t page = 4096;
    constexpr std::size_t huge_page = std::size_t{2} << 20;
    const auto start = (reinterpret_cast<std::uintptr_t>(data) + page - 1) & ~(page - 1);
    const auto end = (reinterpret_cast<std::uintptr_t>(data) + bytes) & ~(page - 1);
    if (end > start && end - start >= 2 * huge_page) {
        madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
    }
#else
    (void)data;
    (void)bytes;
#endif
}

}  // namespace

std::uint32_t host_object::normal_index(const vellumark::standin::corner& corner)
{
    const std::array<float, 3> normal{corner.nx, corner.ny, corner.nz};
    if (!normals_.empty() && same_normal(normals_.back(), normal)) {
        return static_cast<std::uint32_t>(normals_.size() - 1);
    }
    std::uint32_t* at_vertex = nullptr;
    if (corner.vertex >= 0 && static_cast<std::size_t>(corner.vertex) < vertices_.size()) {
        if (vertex_normal_.size() < vertices_.size()) {
            vertex_normal_.resize(vertices_.size(), no_normal);
        }
        at_vertex = &vertex_normal_[static_cast<std::size_t>(corner.vertex)];
        if (*at_vertex != no_normal && same_normal(normals_[*at_vertex], normal)) {
            return *at_vertex;
        }
    }
    normals_.push_back(normal);
    const auto index = static_cast<std::uint32_t>(normals_.size() - 1);
    if (at_vertex != nullptr) {
        *at_vertex = index;
    }
    return index;
}

void host_object::add_triangle(const std::array<vellumark::standin::corner, 3>& corners, std::uint16_t palette_index)
{
    stored_triangle stored{};
    for (std::size_t c = 0; c < 3; ++c) {
        stored.corners[c] = {corners[c].vertex, corners[c].u, corners[c].v, normal_index(corners[c])};
    }
    stored.palette_index = palette_index;
    triangles_.push_back(stored);
}

void host_object::reserve_triangles(std::size_t count)
{
    const std::size_t first_new = triangles_.size();
    triangles_.reserve(first_new + count);
    advise_huge_pages(triangles_.data() + first_new, count * sizeof(stored_triangle));
}

void host_object::finish_triangles()
{
    vertex_normal_ = {};
    normals_.shrink_to_fit();
}

vellumark::standin::triangle host_object::triangle_at(std::size_t index) const
{
    const stored_triangle& stored = triangles_[index];
    vellumark::standin::triangle result;
    for (std::size_t c = 0; c < 3; ++c) {
        const stored_corner& from = stored.corners[c];
        const std::array<float, 3>& normal = normals_[from.normal];
        result.corners[c] = {from.vertex, from.u, from.v, normal[0], normal[1], normal[2]};
    }
    result.palette_index = stored.palette_index;
    return result;
}

std::vector<vellumark::standin::triangle> host_object::triangles() const
{
    std::vector<vellumark::standin::triangle> all;
    all.reserve(triangles_.size());
    for (std::size_t t = 0; t < triangles_.size(); ++t) {
        all.push_back(triangle_at(t));
    }
    return all;
}

void host_object::set_corner_vertex(std::size_t triangle, std::size_t corner, int vertex)
{
    triangles_[triangle].corners[corner].vertex = vertex;
}

void host_object::add_triangle(int a, int b, int c, std::uint16_t palette_index)
{
    vellumark::standin::corner first;
    vellumark::standin::corner second;
    vellumark::standin::corner third;
    first.vertex = a;
    second.vertex = b;
    third.vertex = c;
    add_triangle({first, second, third}, palette_index);
}

void host_object::set_texture(const std::string& path)
{
    textured = true;
    texture_index = owner_->add_texture(path);
}

// The host functions. Each answers for the current host; with none, they
// answer as an empty host would.
extern "C" {

int ac_add_command_full(const char* name, host_command_handler handler, int argument_count,
                        const char* argument_types, const char* usage, const char* help)
{
    if (host* h = host::current()) {
        h->registration_order.emplace_back("ac_add_command_full");
        h->commands.push_back({name ? name : "", handler, argument_count, argument_types ? argument_types : "",
                               usage ? usage : "", help ? help : ""});
    }
    return 1;
}

int ac_register_file_exporter(const char* identifier, const char* extension, const char* label,
                              host_exporter_callback callback, const char* description)
{
    if (host* h = host::current()) {
        h->registration_order.emplace_back("ac_register_file_exporter");
        h->exporters.push_back({identifier ? identifier : "", extension ? extension : "", label ? label : "",
                                callback, description ? description : ""});
    }
    return 1;
}

int message_dialog(const char* format, ...)
{
    std::va_list arguments;
    va_start(arguments, format);
    std::va_list copy;
    va_copy(copy, arguments);
    const int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string text(length > 0 ? static_cast<std::size_t>(length) : 0, '\0');
    if (length > 0) {
        std::vsnprintf(text.data(), text.size() + 1, format, arguments);
    }
    va_end(arguments);
    if (host* h = host::current()) {
        h->dialogs.push_back(text);
        if (h->on_dialog) {
            h->on_dialog(text);
        }
    }
    return 1;
}

int display_message(const char* text)
{
    if (host* h = host::current()) {
        h->displays.emplace_back(text ? text : "");
        if (h->on_display) {
            h->on_display(h->displays.back());
        }
    }
    return 2;
}

int ac_object_get_type(host_object* object) { return object ? object->type : -1; }

const char* ac_object_get_name(host_object* object)
{
    return object && object->name ? object->name->c_str() : nullptr;
}

host_point3* ac_object_get_centre(host_object* object) { return object ? &object->centre : nullptr; }

int ac_object_get_num_vertices(host_object* object)
{
    if (object == nullptr) {
        return 0;
    }
    return object->faults.vertex_count ? *object->faults.vertex_count : static_cast<int>(object->vertex_count());
}

host_list* ac_object_get_vertexlist(host_object* object)
{
    host* h = host::current();
    return h && object ? h->vertex_list(*object) : nullptr;
}

int ac_object_get_vertex_index(host_object* object, host_vertex* vertex)
{
    host* h = host::current();
    return h && object ? h->vertex_index(*object, vertex) : -1;
}

int ac_object_has_texture(host_object* object) { return object && object->textured ? 1 : 0; }

int ac_object_get_texture_index(host_object* object)
{
    if (object == nullptr) {
        return -1;
    }
    // A texture whose path the host has lost: an id that names nothing.
    return object->faults.null_texture_path ? -1 : object->texture_index;
}

const char* texture_id_to_name(int texture_id)
{
    host* h = host::current();
    return h ? h->texture_name(texture_id) : nullptr;
}

host_list* ac_object_get_triangle_surfaces(host_object* object)
{
    host* h = host::current();
    return h && object ? h->triangle_surfaces(*object) : nullptr;
}

void ac_surfacelist_free(host_list** list)
{
    if (host* h = host::current()) {
        h->free_surface_list(list);
    }
}

host_list* ac_object_get_childrenlist(host_object* object)
{
    host* h = host::current();
    return h && object ? h->children_list(*object) : nullptr;
}

int ac_object_get_num_children(host_object* object)
{
    if (object == nullptr) {
        return 0;
    }
    return object->faults.children_count ? *object->faults.children_count : static_cast<int>(object->children.size());
}

void* list_get_item(host_list* list, int index)
{
    host* h = host::current();
    return h ? h->list_item(list, index) : nullptr;
}

int list_count(host_list* list)
{
    int count = 0;
    for (host_list* node = list; node != nullptr; node = node->next) {
        ++count;
    }
    return count;
}

void** list_create_array(host_list* list, int count)
{
    host* h = host::current();
    return h ? h->create_array(list, count) : nullptr;
}

void myfree(void* array)
{
    if (host* h = host::current()) {
        h->free_array(array);
    }
}

host_entity* ac_palette_get_material(int palette_index)
{
    host* h = host::current();
    return h ? h->palette_entity(palette_index) : nullptr;
}

int ac_entity_get_rgb_value(host_entity* entity, const char* key, float* rgb)
{
    if (entity == nullptr || key == nullptr || rgb == nullptr) {
        return 0;
    }
    const auto& values = entity->values;
    const std::optional<std::array<float, 3>>* source = nullptr;
    if (std::strcmp(key, "diffuse") == 0) {
        source = &values.diffuse;
    } else if (std::strcmp(key, "ambient") == 0) {
        source = &values.ambient;
    } else if (std::strcmp(key, "emissive") == 0) {
        source = &values.emissive;
    } else if (std::strcmp(key, "specular") == 0) {
        source = &values.specular;
    }
    if (source == nullptr || !source->has_value()) {
        return 0;
    }
    std::memcpy(rgb, (*source)->data(), 3 * sizeof(float));
    return 1;
}

int ac_entity_get_float_value(host_entity* entity, const char* key, float* value)
{
    if (entity == nullptr || key == nullptr || value == nullptr) {
        return 0;
    }
    const auto& values = entity->values;
    const std::optional<float>* source = nullptr;
    if (std::strcmp(key, "shininess") == 0) {
        source = &values.shininess;
    } else if (std::strcmp(key, "transparency") == 0) {
        source = &values.transparency;
    }
    if (source == nullptr || !source->has_value()) {
        return 0;
    }
    *value = **source;
    return 1;
}

int ac_entity_get_string_value(host_entity* entity, const char* key, char** value)
{
    if (entity == nullptr || key == nullptr || value == nullptr || std::strcmp(key, "name") != 0 ||
        !entity->values.name) {
        return 0;
    }
    *value = entity->values.name->data();
    return 1;
}

}  // extern "C"
