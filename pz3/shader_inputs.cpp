#include "pz3/shader_inputs.h"

namespace vellumark {

constexpr std::array<shader_input, poser_surface_input_count> poser_surface_inputs{{
    {"Diffuse_Color", "Diffuse_Color", input_value::diffuse, "", true},
    {"Diffuse_Value", "Diffuse_Value", input_value::none, "1 0 10"},
    {"Highlight_Color", "Specular_Color", input_value::specular, ""},
    {"Highlight_Value", "Specular_Value", input_value::none, "1 0 10"},
    {"Roughness", "Highlight_Size", input_value::roughness, " 0 100"},
    {"Ambient_Color", "Ambient_Color", input_value::ambient, ""},
    {"Ambient_Value", "Ambient_Value", input_value::none, "0 0 10"},
    {"Transparency_Max", "Transparency", input_value::transparency, " 0 1"},
    {"Transparency_Min", "Transparency_Edge", input_value::transparency, " 0 1"},
    {"Transparency_Falloff", "Transparency_Falloff", input_value::none, "0.6 0 100"},
    {"Translucence_Color", "Translucence_Color", input_value::none, "0 0 0"},
    {"Translucence_Value", "Translucence_Value", input_value::none, "0 0 10"},
    {"Reflection_Color", "Reflection_Color", input_value::none, "1 1 1"},
    {"Reflection_Value", "Reflection_Value", input_value::none, "1 0 10"},
    {"Refraction_Color", "Refraction_Color", input_value::none, "1 1 1"},
    {"Refraction_Value", "Refraction_Value", input_value::none, "1 0 10"},
    {"Bump", "Bump", input_value::none, "1 -10 10"},
    {"Displacement", "Displacement", input_value::none, "1 -10 10"},
    {"AlternateDiffuse", "Alternate_Diffuse", input_value::none, "1 1 1"},
    {"AlternateSpecular", "Alternate_Specular", input_value::none, "1 1 1"},
    {"ReflectionLiteMult", "Reflection_Lite_Mult", input_value::none, "1 0 1"},
    {"ReflectionKdMult", "Reflection_Kd_Mult", input_value::none, "0 0 1"},
    {"Gradient_Bump", "Gradient_Bump", input_value::none, "1 -1 1"},
    {"ShadowCatchOnly", "Shadow_Catch_Only", input_value::none, "0 0 1"},
    {"ToonID", "ToonID", input_value::none, "111 0 32768"},
    {"Normals_Forward", "Normals_Forward", input_value::none, "0 0 1"},
}};

constexpr std::array<shader_input, image_map_input_count> image_map_inputs{{
    {"Image_Source", "Image_Source", input_value::none, "0 0 0", false, true},
    {"Auto_Fit", "Auto_Fit", input_value::none, "0 0 0"},
    {"U_Scale", "U_Scale", input_value::none, "1 -1 1"},
    {"V_Scale", "V_Scale", input_value::none, "1 -1 1"},
    {"U_Offset", "U_Offset", input_value::none, "0 0 1"},
    {"V_Offset", "V_Offset", input_value::none, "0 0 1"},
    {"Texture_Coords", "Texture_Coords", input_value::none, "1 0 0"},
    {"Image_Mapped", "Image_Mapped", input_value::none, "4 0 0"},
    {"Background", "Background", input_value::none, "1 1 1"},
    {"Global_Coordinates", "Global_Coordinates", input_value::none, "0 0 1"},
    {"Mirror_U", "Mirror_U", input_value::none, "0 0 0"},
    {"Mirror_V", "Mirror_V", input_value::none, "0 0 0"},
    {"Texture_Strength", "Texture_Strength", input_value::none, "1 0 1"},
}};

}  // namespace vellumark
