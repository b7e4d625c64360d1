#include "wavefront/obj_writer.h"

#include <cstddef>
#include <vector>

#include "common/messages.h"
#include "common/output_file.h"
#include "common/path_split.h"
#include "host/ac3d_host.h"
#include "wavefront/obj_lines.h"
#include "wavefront/repeated_lines.h"

namespace vellumark {
namespace {

// Texture coordinates and normals share one numbering with three slots for
// every triangle surface: the k-th "vt" and the k-th "vn" line belong to the
// same corner, and a face names both by the same number.
constexpr long long slots_per_surface = 3;

// The items of a host list as an array (list_count, list_create_array),
// released with myfree. Empty for a null list, a count below one or an array
// that the host could not make.
class host_array {
public:
    explicit host_array(host_list* list)
    {
        if (list == nullptr) {
            return;
        }
        const int count = list_count(list);
        if (count <= 0) {
            return;
        }
        items_ = list_create_array(list, count);
        if (items_ != nullptr) {
            size_ = static_cast<std::size_t>(count);
        }
    }
    ~host_array()
    {
        if (items_ != nullptr) {
            myfree(items_);
        }
    }
    host_array(const host_array&) = delete;
    host_array& operator=(const host_array&) = delete;

    std::size_t size() const { return size_; }
    void* operator[](std::size_t index) const { return items_[index]; }

private:
    void** items_ = nullptr;
    std::size_t size_ = 0;
};

// A list of triangle surfaces that the host built for us, released with
// ac_surfacelist_free.
class surface_list_owner {
public:
    explicit surface_list_owner(host_object* object)
        : list_(object != nullptr ? ac_object_get_triangle_surfaces(object) : nullptr)
    {
    }
    ~surface_list_owner()
    {
        if (list_ != nullptr) {
            ac_surfacelist_free(&list_);
        }
    }
    surface_list_owner(const surface_list_owner&) = delete;
    surface_list_owner& operator=(const surface_list_owner&) = delete;

    host_list* get() const { return list_; }

private:
    host_list* list_;
};

// An object's triangle surfaces for one pass: a new list from the host and
// its array; the array is released first, then the list.
class triangle_surfaces {
public:
    explicit triangle_surfaces(host_object* object) : list_(object), array_(list_.get()) {}

    std::size_t size() const { return array_.size(); }
    // Null when the host gave no surface at that place.
    const host_surface* operator[](std::size_t index) const { return static_cast<const host_surface*>(array_[index]); }

private:
    surface_list_owner list_;
    host_array array_;
};

// The corner at an index of a surface's corner list; null when the list has
// none there.
const host_surface_vertex* corner_at(const host_surface& surface, int index)
{
    if (surface.corners == nullptr) {
        return nullptr;
    }
    return static_cast<const host_surface_vertex*>(list_get_item(surface.corners, index));
}

// Calls visit with the three corner slots of every triangle surface of the
// object, in list order, and returns the number of surfaces. A slot that the
// surface does not fill (a corner count below three, a corner list that ends
// early, a surface that the host does not give) is visited as a null corner,
// and corners past the third are not visited, so that every surface has
// exactly its three slots and later corners keep their slot numbers.
template <typename Visit>
std::size_t for_each_corner(host_object* object, Visit&& visit)
{
    const triangle_surfaces surfaces(object);
    for (std::size_t t = 0; t < surfaces.size(); ++t) {
        const host_surface* surface = surfaces[t];
        for (int c = 0; c < slots_per_surface; ++c) {
            visit(surface != nullptr && c < surface->corner_count ? corner_at(*surface, c) : nullptr);
        }
    }
    return surfaces.size();
}

// All vertex positions, geometry by geometry; sets first_vertex. Returns the
// number of vertex lines of each geometry. A vertex that the host does not
// give is written at the origin, so that every later vertex keeps the number
// that the host's vertex index gives it.
std::vector<std::size_t> write_positions(output_file& out, export_scene& scene)
{
    std::vector<std::size_t> counts;
    counts.reserve(scene.geometry_count());
    long long written = 0;
    for (geometry_record* geometry = scene.geometries; geometry != nullptr; geometry = geometry->next) {
        geometry->first_vertex = static_cast<std::int32_t>(written);
        host_list* list = geometry->object != nullptr ? ac_object_get_vertexlist(geometry->object) : nullptr;
        const host_array vertices(list);
        for (std::size_t i = 0; i < vertices.size(); ++i) {
            if (const auto* vertex = static_cast<const host_vertex*>(vertices[i])) {
                write_vertex_line(out, vertex->x, vertex->y, vertex->z);
            } else {
                write_vertex_line(out, 0.0F, 0.0F, 0.0F);
            }
        }
        counts.push_back(vertices.size());
        written += static_cast<long long>(vertices.size());
    }
    return counts;
}

// The texture coordinates of every corner; sets first_uv.
void write_texture_coordinates(output_file& out, export_scene& scene)
{
    repeated_lines lines;
    long long slots = 0;
    for (geometry_record* geometry = scene.geometries; geometry != nullptr; geometry = geometry->next) {
        geometry->first_uv = static_cast<std::int32_t>(slots);
        const std::size_t surfaces = for_each_corner(geometry->object, [&](const host_surface_vertex* corner) {
            const float u = corner != nullptr ? corner->u : 0.0F;
            const float v = corner != nullptr ? corner->v : 0.0F;
            lines.write(out, u, v, 0.0F, [&] { write_texture_coordinate_line(out, u, v); });
        });
        slots += slots_per_surface * static_cast<long long>(surfaces);
    }
}

// The normal of every corner, in the order of the texture coordinates.
void write_normals(output_file& out, const export_scene& scene)
{
    repeated_lines lines;
    for (const geometry_record* geometry = scene.geometries; geometry != nullptr; geometry = geometry->next) {
        for_each_corner(geometry->object, [&](const host_surface_vertex* corner) {
            const float x = corner != nullptr ? corner->nx : 0.0F;
            const float y = corner != nullptr ? corner->ny : 0.0F;
            const float z = corner != nullptr ? corner->nz : 0.0F;
            lines.write(out, x, y, z, [&] { write_normal_line(out, x, y, z); });
        });
    }
}

// A corner of a face line: its vertex number and its slot number.
struct face_corner {
    long long vertex_number;
    long long slot_number;
};

// The faces of one geometry, three corners each, as its texture
// coordinates and normals were. A face with a corner whose vertex the host
// does not give, or whose vertex lies outside the object's vertex list,
// would name another geometry's vertex or none at all, and a face with fewer
// than three corners is no face, so such a face is left out.
void write_faces(output_file& out, const geometry_record& geometry, std::size_t vertex_count,
                 std::vector<face_corner>& corners)
{
    const triangle_surfaces surfaces(geometry.object);
    const long long first_vertex = geometry.first_vertex;
    const long long first_uv = geometry.first_uv;
    for (std::size_t t = 0; t < surfaces.size(); ++t) {
        const host_surface* surface = surfaces[t];
        if (surface == nullptr) {
            continue;
        }
        const long long first_slot = first_uv + slots_per_surface * static_cast<long long>(t) + 1;
        corners.clear();
        bool usable = true;
        for (int c = 0; c < surface->corner_count && c < slots_per_surface && usable; ++c) {
            const host_surface_vertex* corner = corner_at(*surface, c);
            if (corner == nullptr) {
                break;
            }
            const int index =
                corner->vertex != nullptr ? ac_object_get_vertex_index(geometry.object, corner->vertex) : -1;
            usable = index >= 0 && static_cast<std::size_t>(index) < vertex_count;
            corners.push_back({first_vertex + index + 1, first_slot + c});
        }
        if (!usable || corners.size() != static_cast<std::size_t>(slots_per_surface)) {
            continue;
        }
        write_face_start(out);
        for (const face_corner& corner : corners) {
            write_face_corner(out, corner.vertex_number, corner.slot_number);
        }
        write_face_end(out);
    }
}

}  // namespace

void write_obj_file(export_scene& scene, const std::string& base_path, int silent)
{
    output_file out(base_path + ".obj");
    if (!out.is_open()) {
        report_write_failure(out.target(), silent);
        return;
    }
    // The library is named by the base path's last component, full stops
    // and all, as the material writer names its file.
    write_mtllib_line(out, file_name_with_extension(base_path) + ".mtl");

    const std::vector<std::size_t> vertex_counts = write_positions(out, scene);
    write_texture_coordinates(out, scene);
    write_normals(out, scene);

    write_empty_group_line(out);
    // Reused for every face, so that no face allocates.
    std::vector<face_corner> face_corners;
    std::size_t position = 0;
    for (const geometry_record* geometry = scene.geometries; geometry != nullptr; geometry = geometry->next) {
        write_group_line(out, geometry->actor != nullptr ? geometry->actor->name : std::string_view());
        write_usemtl_line(out, geometry->material != nullptr ? geometry->material->name : std::string_view());
        write_smoothing_line(out);
        write_faces(out, *geometry, vertex_counts[position++], face_corners);
    }

    if (!out.commit()) {
        report_write_failure(out.target(), silent);
    }
}

}  // namespace vellumark
