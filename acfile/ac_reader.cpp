#include "acfile/ac_reader.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <deque>
#include <fstream>
#include <limits>
#include <optional>

#include "acfile/ac_file_bytes.h"
#include "acfile/ac_lines.h"
#include "acfile/ac_mesh.h"
#include "acfile/ac_numbers.h"
#include "acfile/ac_transform.h"
#include "acfile/mesh_worker.h"

namespace vellumark::acfile {
namespace {

// Counts index the host's signed 32-bit lists.
constexpr std::uint64_t count_limit = std::numeric_limits<std::int32_t>::max();
// The host keeps palette indices in 16 bits.
constexpr std::uint64_t material_index_limit = 0xFFFF;
// Placements applied one by one, innermost first, before the rest of a deep
// chain of ancestors is applied as one combined placement (which keeps deep
// nesting linear in time).
constexpr std::size_t sequential_placements = 64;

const char* type_word(int type)
{
    switch (type) {
    case standin::type_poly:
        return "poly";
    case standin::type_group:
        return "group";
    case standin::type_light:
        return "light";
    default:
        return "world";
    }
}

std::string with_count(std::uint64_t count, const char* singular, const char* plural)
{
    return std::to_string(count) + " " + (count == 1 ? singular : plural);
}

struct bounding_box {
    bool empty = true;
    std::array<float, 3> low{};
    std::array<float, 3> high{};

    void add(const std::array<float, 3>& p)
    {
        if (empty) {
            low = high = p;
            empty = false;
            return;
        }
        for (std::size_t i = 0; i < 3; ++i) {
            low[i] = std::min(low[i], p[i]);
            high[i] = std::max(high[i], p[i]);
        }
    }
    void add(const bounding_box& other)
    {
        if (!other.empty) {
            add(other.low);
            add(other.high);
        }
    }
};

// An object whose kids line has been read, while its children are read.
struct open_object {
    host_object* object = nullptr;
    std::size_t kids_line = 0;
    std::uint64_t kids_announced = 0;
    std::uint64_t kids_left = 0;
    // Whether the object has a rot or loc (and so an entry on the stack of
    // placements).
    bool moves = false;
    // The loc of this object in the host's coordinates.
    std::array<float, 3> origin{};
    bounding_box box;
};

// The placement of an open object that has a rot or loc. The stack of these
// follows the stack of open objects, so the entry below one belongs to the
// nearest ancestor that moves its vertices.
struct open_placement {
    placement own;
    // This placement and all the ones below it, combined.
    placement combined;
};

class ac_reader {
public:
    ac_reader(std::string_view text, std::string_view label, standin::host& host, const read_progress& progress)
        : lines_(text), label_(label), host_(host), progress_(progress)
    {
    }

    read_result run()
    {
        read_result result;
        try {
            read_header();
            read_palette();
            read_objects();
            if (const auto failed = finish_meshes()) {
                throw mesh_error(*failed);
            }
            if (progress_) {
                progress_(lines_.text().size(), lines_.text().size());
            }
            result.ok = true;
            result.world = world_;
        } catch (const parse_error& caught) {
            // Every object read lies before whatever went wrong: a failure
            // in building one comes first.
            const auto failed = finish_meshes();
            const parse_error error = failed ? mesh_error(*failed) : caught;
            result.error = label_ + ":" + std::to_string(error.line) + ": " + error.message;
            result.world = nullptr;
        }
        result.warnings = std::move(warnings_);
        return result;
    }

private:
    // An object being read, up to its kids line.
    struct object_lines {
        host_object* object = nullptr;
        std::size_t line = 0;
        placement own;
        std::array<float, 2> texrep{1, 1};
        std::array<float, 2> texoff{0, 0};
        double crease = default_crease_degrees;
        bool texture_seen = false;
        bool numvert_seen = false;
        std::size_t numvert_line = 0;
        // The largest vertex index used by a surface so far and its line, for
        // the check against the final vertex count.
        std::uint64_t largest_ref = 0;
        std::size_t largest_ref_line = 0;
        bool any_ref = false;
    };

    static parse_error mesh_error(const mesh_failure& failed)
    {
        return parse_error{failed.line, "surface " + std::to_string(failed.surface + 1) +
                                            ": texture coordinates beyond single precision after texrep and texoff"};
    }

    [[noreturn]] void fail(std::string message) const { throw parse_error{lines_.line_number(), std::move(message)}; }
    [[noreturn]] static void fail_at(std::size_t line, std::string message)
    {
        throw parse_error{line, std::move(message)};
    }
    void warn(std::size_t line, const std::string& message)
    {
        warnings_.push_back(label_ + ":" + std::to_string(line) + ": warning: " + message);
    }

    // The next line that is not blank; false at the end of the file.
    bool next_content_line(std::string_view& line)
    {
        if (lines_.position() >= next_report_ && progress_) {
            progress_(lines_.position(), lines_.text().size());
            next_report_ = lines_.position() + report_step;
        }
        if (pending_) {
            line = *pending_;
            pending_.reset();
            return true;
        }
        while (lines_.next(line)) {
            if (!is_blank_line(line)) {
                return true;
            }
        }
        return false;
    }

    // The next line of those that a count announced; refused when the file
    // ends first.
    void next_announced_line(std::string_view& line, std::size_t count_line, const char* keyword, std::uint64_t count,
                             std::uint64_t seen, const char* singular, const char* plural)
    {
        if (!next_content_line(line)) {
            fail_at(count_line, std::string(keyword) + " " + std::to_string(count) + ": the file ends after " +
                                    with_count(seen, singular, plural));
        }
    }

    float read_float(token_cursor& tokens, std::string_view what, std::size_t needed, std::size_t index)
    {
        std::string_view token;
        if (!tokens.next(token)) {
            fail(std::string(what) + " needs " + std::to_string(needed) + (needed == 1 ? " number" : " numbers") + ", found " +
                 std::to_string(index));
        }
        float value = 0;
        switch (parse_float(token, value)) {
        case number_status::ok:
            return value;
        case number_status::not_finite:
            fail(std::string(what) + ": " + quoted_for_message(token) + " does not fit a single-precision float");
        case number_status::not_a_number:
            break;
        }
        fail(std::string(what) + ": " + quoted_for_message(token) + " is not a number");
    }

    template <std::size_t N>
    std::array<float, N> read_floats(token_cursor& tokens, std::string_view what)
    {
        std::array<float, N> values{};
        for (std::size_t i = 0; i < N; ++i) {
            values[i] = read_float(tokens, what, N, i);
        }
        return values;
    }

    std::uint64_t read_count(token_cursor& tokens, std::string_view what, std::uint64_t limit = count_limit)
    {
        std::string_view token;
        if (!tokens.next(token)) {
            fail(std::string(what) + " needs a count");
        }
        return count_value(token, what, limit);
    }

    std::uint64_t count_value(std::string_view token, std::string_view what, std::uint64_t limit = count_limit)
    {
        std::uint64_t value = 0;
        switch (parse_count(token, limit, value)) {
        case count_status::ok:
            return value;
        case count_status::negative:
            fail(std::string(what) + ": " + quoted_for_message(token) + " is negative");
        case count_status::too_large:
            fail(std::string(what) + ": " + quoted_for_message(token) + " is too large");
        case count_status::not_a_count:
            break;
        }
        fail(std::string(what) + ": " + quoted_for_message(token) + " is not a whole number");
    }

    // The text between the first and the last double quote of `rest`, which
    // must start (after blanks) with a double quote.
    std::string_view read_quoted(std::string_view rest, const char* what, std::string_view* after = nullptr)
    {
        std::size_t first = 0;
        while (first < rest.size() && is_blank(rest[first])) {
            ++first;
        }
        if (first == rest.size() || rest[first] != '"') {
            fail(std::string(what) + " needs a string in double quotes");
        }
        const std::size_t last = rest.rfind('"');
        if (last == first) {
            fail(std::string(what) + ": the string has no closing double quote");
        }
        if (after != nullptr) {
            *after = rest.substr(last + 1);
        }
        return rest.substr(first + 1, last - first - 1);
    }

    void read_header()
    {
        std::string_view line;
        if (!lines_.next(line)) {
            fail_at(1, "empty file (an AC3D file starts with \"AC3D\" and a version digit)");
        }
        if (line.substr(0, 3) == "\xEF\xBB\xBF") {
            fail("not an AC3D file: it starts with a byte-order mark (an AC3D file starts with \"AC3D\")");
        }
        const auto is_hex = [](char c) {
            return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
        };
        if (line.size() < 5 || line.substr(0, 4) != "AC3D" || !is_hex(line[4]) || !is_blank_line(line.substr(5))) {
            fail("not an AC3D file: the first line must be \"AC3D\" and a version digit, found " +
                 quoted_for_message(line));
        }
    }

    void read_palette()
    {
        std::string_view line;
        while (next_content_line(line)) {
            token_cursor tokens(line);
            std::string_view keyword;
            tokens.next(keyword);
            if (keyword == "MATERIAL") {
                read_material_line(tokens.rest());
            } else if (keyword == "MAT") {
                read_material_block(tokens.rest());
            } else {
                pending_ = line;
                return;
            }
        }
    }

    // MATERIAL "name" rgb r g b amb r g b emis r g b spec r g b shi s trans t
    void read_material_line(std::string_view rest)
    {
        std::string_view after;
        standin::palette_material material;
        material.name = std::string(read_quoted(rest, "MATERIAL", &after));
        token_cursor tokens(after);
        int seen = 0;
        while (seen < 6) {
            std::string_view key;
            if (!tokens.next(key)) {
                fail("MATERIAL needs rgb, amb, emis, spec, shi and trans");
            }
            if (!read_material_value(key, tokens, material)) {
                fail("unknown MATERIAL key " + quoted_for_message(key));
            }
            ++seen;
        }
        if (!material.diffuse || !material.ambient || !material.emissive || !material.specular || !material.shininess ||
            !material.transparency) {
            fail("MATERIAL needs rgb, amb, emis, spec, shi and trans");
        }
        host_.add_material(std::move(material));
    }

    // MAT "name", then one key and its values a line, up to ENDMAT.
    void read_material_block(std::string_view rest)
    {
        const std::size_t start = lines_.line_number();
        standin::palette_material material;
        material.name = std::string(read_quoted(rest, "MAT"));
        std::string_view line;
        while (next_content_line(line)) {
            token_cursor tokens(line);
            std::string_view key;
            tokens.next(key);
            if (key == "ENDMAT") {
                host_.add_material(std::move(material));
                return;
            }
            read_material_value(key, tokens, material);  // other keys are skipped
        }
        fail_at(start, "MAT has no ENDMAT before the end of the file");
    }

    bool read_material_value(std::string_view key, token_cursor& tokens, standin::palette_material& material)
    {
        const std::string_view what = key;
        if (key == "rgb") {
            material.diffuse = read_floats<3>(tokens, what);
        } else if (key == "amb") {
            material.ambient = read_floats<3>(tokens, what);
        } else if (key == "emis") {
            material.emissive = read_floats<3>(tokens, what);
        } else if (key == "spec") {
            material.specular = read_floats<3>(tokens, what);
        } else if (key == "shi") {
            material.shininess = read_floats<1>(tokens, what)[0];
        } else if (key == "trans") {
            material.transparency = read_floats<1>(tokens, what)[0];
        } else {
            return false;
        }
        return true;
    }

    void read_objects()
    {
        std::vector<host_object*> top_level;
        std::string_view line;
        while (next_content_line(line)) {
            token_cursor tokens(line);
            std::string_view keyword;
            tokens.next(keyword);
            if (keyword != "OBJECT") {
                if (!open_.empty()) {
                    const open_object& parent = open_.back();
                    fail("expected OBJECT for child " +
                         std::to_string(parent.kids_announced - parent.kids_left + 1) + " of " +
                         std::to_string(parent.kids_announced) + " (kids at line " +
                         std::to_string(parent.kids_line) + "), found " + quoted_for_message(line));
                }
                if (keyword == "MATERIAL" || keyword == "MAT") {
                    fail("material after the first object (the palette comes before the objects)");
                }
                fail("expected OBJECT, found " + quoted_for_message(line));
            }
            const bool at_top = open_.empty();
            host_object& object = read_object(tokens);
            if (at_top) {
                top_level.push_back(&object);
            }
            close_finished_objects();
        }
        if (!open_.empty()) {
            const open_object& parent = open_.back();
            fail_at(parent.kids_line, "kids " + std::to_string(parent.kids_announced) + ": the file ends after " +
                                          with_count(parent.kids_announced - parent.kids_left, "child", "children"));
        }
        if (top_level.size() == 1 && top_level.front()->type == standin::type_world) {
            world_ = top_level.front();
        } else {
            // A file without a world at its top: the objects go, in file
            // order, under a world of the host's own.
            world_ = &host_.add_object(nullptr, standin::type_world, std::nullopt);
            world_->children = top_level;
        }
        host_.set_root(*world_);
    }

    // Reads one object from the line after its OBJECT line to its kids line,
    // places its vertices and builds its triangles. The object stays open
    // while its children are read.
    host_object& read_object(token_cursor& tokens)
    {
        object_lines current;
        current.line = lines_.line_number();
        std::string_view type_token;
        if (!tokens.next(type_token)) {
            fail("OBJECT needs a type (world, poly, group or light)");
        }
        int type = 0;
        if (type_token == "poly") {
            type = standin::type_poly;
        } else if (type_token == "group") {
            type = standin::type_group;
        } else if (type_token == "light") {
            type = standin::type_light;
        } else if (type_token == "world") {
            type = standin::type_world;
        } else {
            fail("unknown object type " + quoted_for_message(type_token));
        }
        host_object* parent = nullptr;
        if (!open_.empty()) {
            parent = open_.back().object;
            --open_.back().kids_left;
        }
        current.object = &host_.add_object(parent, type, std::nullopt);
        positions_.clear();
        surfaces_.clear();
        refs_.clear();

        std::string_view line;
        for (;;) {
            if (!next_content_line(line)) {
                fail_at(current.line, std::string("OBJECT ") + type_word(type) +
                                          " has no kids line before the end of the file");
            }
            token_cursor line_tokens(line);
            std::string_view keyword;
            line_tokens.next(keyword);
            if (keyword == "kids") {
                const std::uint64_t kids = read_count(line_tokens, "kids");
                finish_object(current, kids);
                return *current.object;
            }
            read_object_line(current, keyword, line_tokens);
        }
    }

    void read_object_line(object_lines& current, std::string_view keyword, token_cursor& tokens)
    {
        host_object& object = *current.object;
        if (keyword == "name") {
            object.name = std::string(read_quoted(tokens.rest(), "name"));
        } else if (keyword == "data") {
            skip_data(read_count(tokens, "data", std::numeric_limits<std::uint64_t>::max()));
        } else if (keyword == "texture") {
            const std::string_view path = read_quoted(tokens.rest(), "texture");
            if (!current.texture_seen) {
                object.set_texture(std::string(path));
                current.texture_seen = true;
            }
        } else if (keyword == "texrep") {
            current.texrep = read_floats<2>(tokens, "texrep");
        } else if (keyword == "texoff") {
            current.texoff = read_floats<2>(tokens, "texoff");
        } else if (keyword == "rot") {
            const auto values = read_floats<9>(tokens, "rot");
            std::copy(values.begin(), values.end(), current.own.rot.begin());
            current.own.has_rot = true;
        } else if (keyword == "loc") {
            const auto values = read_floats<3>(tokens, "loc");
            std::copy(values.begin(), values.end(), current.own.loc.begin());
            current.own.has_loc = true;
        } else if (keyword == "crease") {
            current.crease = read_floats<1>(tokens, "crease")[0];
        } else if (keyword == "subdiv") {
            // The export uses the base mesh; the level is checked and dropped.
            read_count(tokens, "subdiv");
        } else if (keyword == "url" || keyword == "hidden" || keyword == "locked" || keyword == "folded") {
            // Nothing of these reaches the export.
        } else if (keyword == "numvert") {
            read_vertices(current, read_count(tokens, "numvert"));
        } else if (keyword == "numsurf") {
            read_surfaces(current, read_count(tokens, "numsurf"));
        } else if (keyword == "OBJECT") {
            fail_at(lines_.line_number(), "OBJECT inside the object at line " + std::to_string(current.line) +
                                              " before its kids line");
        } else {
            fail("unknown token " + quoted_for_message(keyword));
        }
    }

    // data N: the N characters after the data line. Some exporters count
    // wrongly, so the data always ends at a line end: when the count ends
    // inside the data's first line, at the end of that line; inside a later
    // line, before that line. A count that ends inside a line end (or takes
    // a line's end with it) ends the data with that line.
    void skip_data(std::uint64_t count)
    {
        const std::size_t data_line = lines_.line_number();
        const std::string_view text = lines_.text();
        const std::size_t start = lines_.position();
        if (count == 0) {
            return;
        }
        if (count > text.size() - start) {
            fail("data " + std::to_string(count) + " runs past the end of the file");
        }
        const std::size_t end = start + static_cast<std::size_t>(count);
        std::size_t line_start = start;
        std::size_t passed = 0;  // data lines before the one that holds the last character
        for (;;) {
            const std::size_t newline = text.find('\n', line_start);
            const std::size_t next_start = newline == std::string_view::npos ? text.size() : newline + 1;
            std::size_t content_end = newline == std::string_view::npos ? text.size() : newline;
            if (content_end > line_start && text[content_end - 1] == '\r') {
                --content_end;
            }
            if (end > next_start) {
                line_start = next_start;
                ++passed;
                continue;
            }
            std::size_t data_lines = passed + 1;
            if (end == content_end) {
                lines_.skip_to(next_start, data_lines);
                return;
            }
            if (passed > 0 && end < content_end) {
                data_lines = passed;  // this line is the object's again
                lines_.skip_to(line_start, data_lines);
            } else {
                lines_.skip_to(next_start, data_lines);
            }
            warn(data_line, "data " + std::to_string(count) + " does not end at a line end; the data is taken to end with line " +
                                std::to_string(data_line + data_lines));
            return;
        }
    }

    void read_vertices(object_lines& current, std::uint64_t count)
    {
        const std::size_t start = lines_.line_number();
        positions_.clear();
        current.numvert_seen = true;
        current.numvert_line = start;
        // A vertex line takes at least six bytes ("0 0 0\n"), so the file's
        // size bounds what may be reserved before the lines are seen.
        const std::size_t left = lines_.text().size() - lines_.position();
        positions_.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(count, left / 6)));
        std::string_view line;
        for (std::uint64_t i = 0; i < count; ++i) {
            next_announced_line(line, start, "numvert", count, i, "vertex", "vertices");
            token_cursor tokens(line);
            std::array<float, 3> p{};
            std::string_view first;
            tokens.next(first);
            const number_status status = parse_float(first, p[0]);
            if (status == number_status::not_a_number) {
                fail("expected vertex " + std::to_string(i + 1) + " of " + std::to_string(count) +
                     " (numvert at line " + std::to_string(start) + "), found " + quoted_for_message(line));
            }
            if (status == number_status::not_finite) {
                fail("vertex: " + quoted_for_message(first) + " does not fit a single-precision float");
            }
            p[1] = read_float(tokens, "vertex", 3, 1);
            p[2] = read_float(tokens, "vertex", 3, 2);
            positions_.push_back(p);
        }
        if (current.any_ref && current.largest_ref >= positions_.size()) {
            fail_at(current.largest_ref_line, vertex_range_message(current.largest_ref, positions_.size()));
        }
    }

    static std::string vertex_range_message(std::uint64_t index, std::size_t count)
    {
        return "vertex index " + std::to_string(index) + " out of range (the object has " +
               with_count(count, "vertex", "vertices") + ")";
    }

    void read_surfaces(object_lines& current, std::uint64_t count)
    {
        const std::size_t start = lines_.line_number();
        surfaces_.clear();
        refs_.clear();
        current.any_ref = false;
        current.largest_ref = 0;
        const std::size_t left = lines_.text().size() - lines_.position();
        surfaces_.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(count, left / 16)));
        std::string_view line;
        for (std::uint64_t i = 0; i < count; ++i) {
            const auto which = [&] {
                return "surface " + std::to_string(i + 1) + " of " + std::to_string(count) + " (numsurf at line " +
                       std::to_string(start) + ")";
            };
            next_announced_line(line, start, "numsurf", count, i, "surface", "surfaces");
            token_cursor tokens(line);
            std::string_view keyword;
            tokens.next(keyword);
            if (keyword != "SURF") {
                fail("expected SURF for " + which() + ", found " + quoted_for_message(line));
            }
            surface_record surface;
            std::string_view flags;
            if (!tokens.next(flags)) {
                fail("SURF needs its flags");
            }
            if (!parse_surface_flags(flags, surface.flags)) {
                fail("SURF flags " + quoted_for_message(flags) + " are not a number");
            }
            if (!next_content_line(line)) {
                fail_at(lines_.line_number(), "SURF without refs before the end of the file");
            }
            token_cursor refs_tokens(line);
            refs_tokens.next(keyword);
            if (keyword == "mat") {
                const std::uint64_t index = read_count(refs_tokens, "mat", std::numeric_limits<std::uint64_t>::max());
                if (index >= host_.palette_size() || index > material_index_limit) {
                    fail("material index " + std::to_string(index) + " out of range (the palette has " +
                         with_count(host_.palette_size(), "material", "materials") + ")");
                }
                surface.material = static_cast<std::uint16_t>(index);
                if (!next_content_line(line)) {
                    fail_at(lines_.line_number(), "SURF without refs before the end of the file");
                }
                refs_tokens = token_cursor(line);
                refs_tokens.next(keyword);
            }
            if (keyword != "refs") {
                fail("expected refs for " + which() + ", found " + quoted_for_message(line));
            }
            const std::size_t refs_line = lines_.line_number();
            const std::uint64_t corners = read_count(refs_tokens, "refs");
            surface.first_ref = refs_.size();
            surface.ref_count = static_cast<std::size_t>(corners);
            read_refs(current, corners, refs_line);
            surfaces_.push_back(surface);
        }
    }

    void read_refs(object_lines& current, std::uint64_t count, std::size_t refs_line)
    {
        std::string_view line;
        for (std::uint64_t k = 0; k < count; ++k) {
            next_announced_line(line, refs_line, "refs", count, k, "corner", "corners");
            token_cursor tokens(line);
            std::string_view first;
            tokens.next(first);
            std::uint64_t index = 0;
            const count_status status = parse_count(first, count_limit, index);
            if (status != count_status::ok) {
                float ignored = 0;
                if (status == count_status::not_a_count && parse_float(first, ignored) == number_status::not_a_number) {
                    fail("expected corner " + std::to_string(k + 1) + " of " + std::to_string(count) +
                         " (refs at line " + std::to_string(refs_line) + "), found " + quoted_for_message(line));
                }
                count_value(first, "vertex index");  // names what is wrong with it
            }
            if (current.numvert_seen && index >= positions_.size()) {
                fail(vertex_range_message(index, positions_.size()));
            }
            if (!current.any_ref || index > current.largest_ref) {
                current.largest_ref = index;
                current.largest_ref_line = lines_.line_number();
                current.any_ref = true;
            }
            ref_record ref;
            ref.vertex = static_cast<std::uint32_t>(index);
            const auto uv = read_floats<2>(tokens, "corner u v");
            ref.u = uv[0];
            ref.v = uv[1];
            refs_.push_back(ref);
        }
    }

    // Places the object's vertices, builds its triangles and opens it for
    // its children.
    void finish_object(object_lines& current, std::uint64_t kids)
    {
        host_object& object = *current.object;
        if (current.any_ref && current.largest_ref >= positions_.size()) {
            fail_at(current.largest_ref_line, vertex_range_message(current.largest_ref, positions_.size()));
        }
        open_object opened;
        opened.object = &object;
        opened.kids_line = lines_.line_number();
        opened.kids_announced = kids;
        opened.kids_left = kids;
        // The object's loc, and its vertices, in the host's coordinates:
        // its own placement first, then each moving ancestor's.
        const vec3 origin = place_by_ancestors(vec3{current.own.loc[0], current.own.loc[1], current.own.loc[2]});
        if (!narrow(origin, opened.origin)) {
            fail_at(current.line, "the object's loc lies beyond single precision once placed by its ancestors");
        }
        opened.moves = current.own.moves();
        if (opened.moves) {
            open_placement entry;
            entry.own = current.own;
            entry.combined = placements_.empty() ? current.own : placements_.back().combined.after(current.own);
            placements_.push_back(entry);
        }
        for (std::size_t i = 0; i < positions_.size(); ++i) {
            std::array<float, 3>& p = positions_[i];
            if (!narrow(place_by_ancestors(vec3{p[0], p[1], p[2]}, placements_.size()), p)) {
                fail_at(current.numvert_line, "vertex " + std::to_string(i + 1) +
                                                  " lies beyond single precision once placed by rot and loc");
            }
            object.add_vertex(p[0], p[1], p[2]);
            opened.box.add(p);
        }
        if (object.type != standin::type_poly && (!positions_.empty() || !surfaces_.empty())) {
            const std::string shown = object.name ? quoted_for_message(*object.name) : std::string("(unnamed)");
            warn(current.line, std::string(type_word(object.type)) + " " + shown + " carries " +
                                   with_count(positions_.size(), "vertex", "vertices") + " and " +
                                   with_count(surfaces_.size(), "surface", "surfaces") +
                                   "; its geometry is not exported");
        }
        build_triangles(current);
        open_.push_back(std::move(opened));
    }

    // The object's triangles, on the mesh thread: the object's geometry
    // joins the batch in hand, which is handed over once it holds enough
    // corners to be worth it.
    void build_triangles(const object_lines& current)
    {
        if (surfaces_.empty()) {
            return;  // no triangles to build
        }
        mesh_job::piece piece;
        piece.object = current.object;
        piece.line = current.line;
        piece.texrep = current.texrep;
        piece.texoff = current.texoff;
        piece.crease_degrees = current.crease;
        batch_.add(piece, positions_, surfaces_, refs_);
        if (batch_.refs.size() >= corners_for_a_batch) {
            hand_over_batch();
            if (const auto failed = meshes_.failure()) {
                throw mesh_error(*failed);  // stop reading at once
            }
        }
    }

    void hand_over_batch()
    {
        if (!batch_.pieces.empty()) {
            meshes_.submit(std::move(batch_));
            batch_ = mesh_job{};
        }
    }

    // Every object read so far built; the first failure among them.
    std::optional<mesh_failure> finish_meshes()
    {
        hand_over_batch();
        return meshes_.finish();
    }

    static bool narrow(const vec3& p, std::array<float, 3>& narrowed)
    {
        return narrow_to_float(p.x, narrowed[0]) && narrow_to_float(p.y, narrowed[1]) &&
               narrow_to_float(p.z, narrowed[2]);
    }

    // Applies the first `count` placements of the stack, innermost (the
    // top) first.
    vec3 place_by_ancestors(vec3 p) const { return place_by_ancestors(p, placements_.size()); }
    vec3 place_by_ancestors(vec3 p, std::size_t count) const
    {
        for (std::size_t applied = 0; count > 0; --count, ++applied) {
            const open_placement& entry = placements_[count - 1];
            if (applied == sequential_placements) {
                return entry.combined.apply(p);
            }
            p = entry.own.apply(p);
        }
        return p;
    }

    // Closes every open object whose children have all been read: its centre
    // is the middle of the box around its own and its descendants' vertices,
    // or its loc when there is none.
    void close_finished_objects()
    {
        while (!open_.empty() && open_.back().kids_left == 0) {
            open_object& done = open_.back();
            host_object& object = *done.object;
            if (object.type == standin::type_world) {
                object.centre = host_point3{0, 0, 0};
            } else if (done.box.empty) {
                object.centre = host_point3{done.origin[0], done.origin[1], done.origin[2]};
            } else {
                // In double, the sum cannot overflow; halving and rounding
                // once give the single-precision (min + max) / 2.
                auto middle = [](float low, float high) {
                    return static_cast<float>((static_cast<double>(low) + high) / 2);
                };
                object.centre = host_point3{middle(done.box.low[0], done.box.high[0]),
                                            middle(done.box.low[1], done.box.high[1]),
                                            middle(done.box.low[2], done.box.high[2])};
            }
            const bounding_box box = done.box;
            if (done.moves) {
                placements_.pop_back();
            }
            open_.pop_back();
            if (!open_.empty()) {
                open_.back().box.add(box);
            }
        }
    }

    static constexpr std::size_t report_step = 1 << 20;
    // A batch of objects goes to the mesh thread once it holds this many
    // corners (a large object goes on its own).
    static constexpr std::size_t corners_for_a_batch = 4096;

    line_cursor lines_;
    std::string label_;
    standin::host& host_;
    const read_progress& progress_;
    std::size_t next_report_ = report_step;
    std::optional<std::string_view> pending_;
    std::vector<std::string> warnings_;
    // Deques: a deeply nested file grows them without copying them over.
    std::deque<open_object> open_;
    std::deque<open_placement> placements_;
    host_object* world_ = nullptr;
    // The object being read: its vertices (file positions, then host
    // positions), surfaces and corners; reused from object to object.
    std::vector<std::array<float, 3>> positions_;
    std::vector<surface_record> surfaces_;
    std::vector<ref_record> refs_;
    // The objects read since the last batch was handed over.
    mesh_job batch_;
    // Declared last, so that it is stopped before anything that its jobs use
    // goes.
    mesh_worker meshes_;
};

}  // namespace

read_result read_ac_text(std::string_view bytes, std::string_view file_label, standin::host& host,
                         const read_progress& progress)
{
    if (host.has_root() || host.object_count() != 0) {
        read_result refused;
        refused.error = std::string(file_label) + ":0: the host already holds a model";
        return refused;
    }
    return ac_reader(bytes, file_label, host, progress).run();
}

read_result read_ac_file(const std::string& path, standin::host& host, const read_progress& progress)
{
    file_bytes bytes;
    std::string problem;
    if (!bytes.open(path, problem)) {
        read_result refused;
        refused.error = path + ": " + problem;
        return refused;
    }
    // The pages that the reader has left behind (all but the last
    // megabyte) are given back as it goes, so that the file adds little to
    // the memory that the tree takes.
    constexpr std::size_t kept_behind = std::size_t{1} << 20;
    const read_progress releasing = [&](std::size_t done, std::size_t total) {
        if (done > kept_behind) {
            bytes.release_before(done - kept_behind);
        }
        if (progress) {
            progress(done, total);
        }
    };
    return read_ac_text(bytes.view(), path, host, releasing);
}

}  // namespace vellumark::acfile
