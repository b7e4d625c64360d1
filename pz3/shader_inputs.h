// The inputs of the two shader nodes of a material section, in the order they
// are written.
#ifndef VELLUMARK_PZ3_SHADER_INPUTS_H
#define VELLUMARK_PZ3_SHADER_INPUTS_H

#include <array>
#include <cstddef>
#include <string_view>

namespace vellumark {

// The material value that leads an input's value line, if any.
enum class input_value { none, diffuse, specular, ambient, roughness, transparency };

struct shader_input {
    // The "nodeInput" key and the "name"; ten PoserSurface inputs have a key
    // that differs from their name.
    std::string_view key;
    std::string_view name;
    input_value value;
    // The fixed text of the value line after the material value (all of it
    // when there is none).
    std::string_view value_text;
    // Diffuse_Color: names the Image_Map node when the material has a
    // texture.
    bool fed_by_texture = false;
    // Image_Source: its file line names the texture.
    bool names_texture = false;
};

inline constexpr std::size_t poser_surface_input_count = 26;
inline constexpr std::size_t image_map_input_count = 13;

extern const std::array<shader_input, poser_surface_input_count> poser_surface_inputs;
extern const std::array<shader_input, image_map_input_count> image_map_inputs;

}  // namespace vellumark

#endif
