// The surface lines of a material block: colours, highlight exponent,
// transparency and the four map slots. The control props' fixed "Preview"
// material and every material section of the figure use the same keywords
// and layout; only the values differ, so both take their texts from here.
#ifndef VELLUMARK_PZ3_SURFACE_LINES_H
#define VELLUMARK_PZ3_SURFACE_LINES_H

#include <string>
#include <string_view>

namespace vellumark::surface_lines {

inline constexpr std::string_view material_head = "\tmaterial ";
inline constexpr std::string_view open = "\t\t{\n";
// Each colour line is its keyword, three numbers and a fixed fourth "1".
inline constexpr std::string_view kd_color = "\t\tKdColor ";
inline constexpr std::string_view ka_color = "\t\tKaColor ";
inline constexpr std::string_view ks_color = "\t\tKsColor ";
inline constexpr std::string_view colour_end = " 1 \n";
inline constexpr std::string_view texture_color = "\t\tTextureColor 1 1 1 1 \n";
// Each scalar line is its keyword, the number and a trailing blank.
inline constexpr std::string_view ns_exponent = "\t\tNsExponent ";
inline constexpr std::string_view t_min = "\t\ttMin ";
inline constexpr std::string_view t_max = "\t\ttMax ";
inline constexpr std::string_view scalar_end = " \n";
inline constexpr std::string_view fixed_options = "\t\ttExpo 0.6 \n"
                                                  "\t\tbumpStrength 1 \n"
                                                  "\t\tksIgnoreTexture 0 \n"
                                                  "\t\treflectThruLights 1 \n"
                                                  "\t\treflectThruKd 0 \n";
// With a texture: the quoted file name, then a line of twelve blanks and
// "0 0 ".
inline constexpr std::string_view texture_map_head = "\t\ttextureMap \"";
inline constexpr std::string_view texture_map_end = "\"\n"
                                                    "            0 0 \n";
inline constexpr std::string_view no_texture_map = "\t\ttextureMap NO_MAP\n";
inline constexpr std::string_view other_maps = "\t\tbumpMap NO_MAP\n"
                                               "\t\treflectionMap NO_MAP\n"
                                               "\t\ttransparencyMap NO_MAP\n"
                                               "\t\tReflectionColor 1 1 1 1 \n"
                                               "\t\treflectionStrength 1 \n";

}  // namespace vellumark::surface_lines

namespace vellumark {

// A control prop's "Preview" material block, 21 lines, with the fixed texts of
// its KdColor and KsColor numbers ("0.287271 0.51381 0.747154").
void write_preview_material(std::string& text, std::string_view kd_color, std::string_view ks_color);

}  // namespace vellumark

#endif
