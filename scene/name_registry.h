// Name uniquing: a new record's name is the first of base, base_1, base_2, ...
// that no other record of its list has, names compared with only the letters
// A to Z folded onto a to z. The suffix always goes on the base name.
//
// This is what repeated passes over the list arrive at (each pass that meets
// the current name moves it one step along that sequence); the registry gets
// there in constant time per name by remembering, for each base, the suffix
// below which every name is already taken.
#ifndef VELLUMARK_SCENE_NAME_REGISTRY_H
#define VELLUMARK_SCENE_NAME_REGISTRY_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace vellumark {

// The longest base name. A unique name adds at most an underscore and a
// counter to it.
inline constexpr std::size_t base_name_limit = 999;

// Each carriage return and line feed becomes "_": a line break in a name
// would split a line of every output file. Other bytes stay as they are.
std::string replace_line_breaks(std::string_view text);

// A record's base name from the name that the host gives: `fallback` when the
// host gives none or an empty one, else the name with its line breaks
// replaced, cut to its first base_name_limit characters.
std::string base_name(const char* host_name, std::string_view fallback);

// Folds only A to Z onto a to z; other bytes stay as they are.
std::string fold_ascii_case(std::string_view text);
bool equal_ignoring_ascii_case(std::string_view a, std::string_view b);

class name_registry {
public:
    // The unique name for a new record with this base name; the name is
    // taken from then on.
    std::string make_unique(std::string_view base);

private:
    std::unordered_set<std::string> taken_;
    std::unordered_map<std::string, std::uint64_t> next_suffix_;
};

}  // namespace vellumark

#endif
