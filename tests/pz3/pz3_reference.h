// An independent rendering of the scene file for the tests: the fixed texts
// of the format held as plain strings, and the simplest possible assembly of
// them. Numbers come in already formatted, written out by hand by each test.
// Everything here uses "\n"; the tests turn it into CRLF.
#ifndef VELLUMARK_TESTS_PZ3_PZ3_REFERENCE_H
#define VELLUMARK_TESTS_PZ3_PZ3_REFERENCE_H

#include <string>
#include <string_view>
#include <vector>

namespace vellumark::reference {

// Channel rows as "type|channel|name|init|hidden|forceLimits|min|max|
// trackingScale|static|key|trailer", the trailer without its tabs and end
// of line, empty for none.
extern const std::vector<std::string_view> body_rows;
extern const std::vector<std::string_view> prop_rows;
extern const std::vector<std::string_view> object_rows;

std::string channel_block(std::string_view row, bool extra_key_lines);
std::string groups_block();
std::string preview_material(std::string_view kd, std::string_view ks);
std::string body_section();
std::string goal_center_of_mass_section();
std::string center_of_mass_section();

struct actor {
    std::string name;
    bool is_null = false;
    // Empty: no parent (the section names BODY).
    std::string parent;
    // "x y z", formatted by the test; the child's origin when there is one.
    std::string end_point;
    std::string origin;
};
std::string object_section(const actor& a);

struct material {
    std::string name;
    std::string texture;
    // "r g b", formatted by the test.
    std::string diffuse, ambient, specular;
    std::string shininess, roughness, transparency;
};
std::string material_section(const material& m);

struct document {
    std::string geometry_file;
    std::string figure_name;
    std::vector<actor> actors;
    // Written by each test: the child lines and the pick line, the weld lines.
    std::vector<std::string> child_lines;
    std::string pick_line;
    std::vector<std::string> weld_lines;
    std::vector<material> materials;
};
std::string whole_file(const document& d);

// The number of "\n" in text.
std::size_t line_count(std::string_view text);

}  // namespace vellumark::reference

#endif
