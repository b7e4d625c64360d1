#include "tests/pz3/pz3_reference.h"

#include <algorithm>
#include <initializer_list>

namespace vellumark::reference {
namespace {

std::vector<std::string_view> split(std::string_view row)
{
    std::vector<std::string_view> fields;
    for (;;) {
        const std::size_t bar = row.find('|');
        fields.push_back(row.substr(0, bar));
        if (bar == std::string_view::npos) {
            return fields;
        }
        row.remove_prefix(bar + 1);
    }
}

std::string join(std::initializer_list<std::string_view> lines)
{
    std::string text;
    for (std::string_view line : lines) {
        text.append(line);
        text.push_back('\n');
    }
    return text;
}

std::string cat(std::initializer_list<std::string_view> pieces)
{
    std::string text;
    for (std::string_view piece : pieces) {
        text.append(piece);
    }
    return text;
}

const std::vector<std::string_view> poser_surface_rows = {
    "Diffuse_Color|Diffuse_Color|%f %f %f",
    "Diffuse_Value|Diffuse_Value|1 0 10",
    "Highlight_Color|Specular_Color|%f %f %f",
    "Highlight_Value|Specular_Value|1 0 10",
    "Roughness|Highlight_Size|%f 0 100",
    "Ambient_Color|Ambient_Color|%f %f %f",
    "Ambient_Value|Ambient_Value|0 0 10",
    "Transparency_Max|Transparency|%f 0 1",
    "Transparency_Min|Transparency_Edge|%f 0 1",
    "Transparency_Falloff|Transparency_Falloff|0.6 0 100",
    "Translucence_Color|Translucence_Color|0 0 0",
    "Translucence_Value|Translucence_Value|0 0 10",
    "Reflection_Color|Reflection_Color|1 1 1",
    "Reflection_Value|Reflection_Value|1 0 10",
    "Refraction_Color|Refraction_Color|1 1 1",
    "Refraction_Value|Refraction_Value|1 0 10",
    "Bump|Bump|1 -10 10",
    "Displacement|Displacement|1 -10 10",
    "AlternateDiffuse|Alternate_Diffuse|1 1 1",
    "AlternateSpecular|Alternate_Specular|1 1 1",
    "ReflectionLiteMult|Reflection_Lite_Mult|1 0 1",
    "ReflectionKdMult|Reflection_Kd_Mult|0 0 1",
    "Gradient_Bump|Gradient_Bump|1 -1 1",
    "ShadowCatchOnly|Shadow_Catch_Only|0 0 1",
    "ToonID|ToonID|111 0 32768",
    "Normals_Forward|Normals_Forward|0 0 1",
};

const std::vector<std::string_view> image_map_rows = {
    "Image_Source|Image_Source|0 0 0",
    "Auto_Fit|Auto_Fit|0 0 0",
    "U_Scale|U_Scale|1 -1 1",
    "V_Scale|V_Scale|1 -1 1",
    "U_Offset|U_Offset|0 0 1",
    "V_Offset|V_Offset|0 0 1",
    "Texture_Coords|Texture_Coords|1 0 0",
    "Image_Mapped|Image_Mapped|4 0 0",
    "Background|Background|1 1 1",
    "Global_Coordinates|Global_Coordinates|0 0 1",
    "Mirror_U|Mirror_U|0 0 0",
    "Mirror_V|Mirror_V|0 0 0",
    "Texture_Strength|Texture_Strength|1 0 1",
};

std::string replace_first(std::string text, std::string_view what, std::string_view with)
{
    const std::size_t at = text.find(what);
    if (at != std::string::npos) {
        text.replace(at, what.size(), with);
    }
    return text;
}

std::string node_input(std::string_view row, const material& m)
{
    const auto f = split(row);
    const std::string_view key = f[0];
    std::string value(f[2]);
    if (key == "Diffuse_Color") {
        value = replace_first(value, "%f %f %f", m.diffuse);
    } else if (key == "Highlight_Color") {
        value = replace_first(value, "%f %f %f", m.specular);
    } else if (key == "Ambient_Color") {
        value = replace_first(value, "%f %f %f", m.ambient);
    } else if (key == "Roughness") {
        value = replace_first(value, "%f", m.roughness);
    } else if (key == "Transparency_Max" || key == "Transparency_Min") {
        value = replace_first(value, "%f", m.transparency);
    }
    const bool linked = key == "Diffuse_Color" && !m.texture.empty();
    const std::string file = key == "Image_Source" ? m.texture : std::string();
    return join({
        cat({"\t\t\t\tnodeInput \"", key, "\""}),
        "\t\t\t\t\t{",
        cat({"\t\t\t\t\tname \"", f[1], "\""}),
        cat({"\t\t\t\t\tvalue ", value}),
        "\t\t\t\t\tparmR NO_PARM",
        "\t\t\t\t\tparmG NO_PARM",
        "\t\t\t\t\tparmB NO_PARM",
        linked ? "\t\t\t\t\tnode \"Image_Map\"" : "\t\t\t\t\tnode NO_NODE",
        cat({"\t\t\t\t\tfile \"", file, "\" "}),
        "\t\t\t\t\t}",
    });
}

}  // namespace

const std::vector<std::string_view> body_rows = {
    "zOffsetA|zOffset|zOffset|-0.001|1|0|-100000|100000|0.004|1|0|staticValue -0.001",
    "yOffsetA|yOffset|yOffset|0.465|1|0|-100000|100000|0.004|1|0|staticValue 0.465",
    "xOffsetA|xOffset|xOffset|0|1|0|-100000|100000|0.004|1|0|staticValue 0",
    "propagatingScale|scale|scale|1|0|0|0.001|100000|0.004|0|1|",
    "propagatingScaleX|xScale|xScale|1|0|0|0.001|100000|0.004|0|1|",
    "propagatingScaleY|yScale|yScale|1|0|0|0.001|100000|0.004|0|1|",
    "propagatingScaleZ|zScale|zScale|1|0|0|0.001|100000|0.004|0|1|",
    "rotateY|yrot|yrot|0|0|0|-100000|100000|1|0|0|",
    "rotateX|xrot|xrot|0|0|0|-100000|100000|1|0|0|",
    "rotateZ|zrot|zrot|0|0|0|-100000|100000|1|0|0|",
    "translateX|xtran|xtran|0|0|0|-100000|100000|0.001|0|0|",
    "translateY|ytran|ytran|0|0|0|-100000|100000|0.001|0|0|",
    "translateZ|ztran|ztran|0|0|0|-100000|100000|0.001|0|0|",
    "xOffsetB|xTranB|xTranB|0|1|0|-100000|100000|0.004|1|0|staticValue 0",
    "yOffsetB|yTranB|yTranB|-0.465|1|0|-100000|100000|0.004|1|0|staticValue -0.465",
    "zOffsetB|zTranB|zTranB|0.001|1|0|-100000|100000|0.004|1|0|staticValue 0.001",
};

const std::vector<std::string_view> prop_rows = {
    "rotateY|yRotate|yrot|0|0|0|-100000|100000|1|0|0|",
    "rotateX|xRotate|xrot|0|0|0|-100000|100000|1|0|0|",
    "rotateZ|zRotate|zrot|0|0|0|-100000|100000|1|0|0|",
    "scale|Scale|scale|1|0|0|0.001|100000|0.004|0|1|",
    "scaleX|xScale|xScale|1|0|0|0.001|100000|0.004|0|1|",
    "scaleY|yScale|yScale|1|0|0|0.001|100000|0.004|0|1|",
    "scaleZ|zScale|zScale|1|0|0|0.001|100000|0.004|0|1|",
    "translateX|xTran|xtran|0|0|0|-100000|100000|0.002|0|0|",
    "translateY|yTran|ytran|0|0|1|0|0|0.002|0|0|",
    "translateZ|zTran|ztran|0|0|0|-100000|100000|0.002|0|0|",
};

const std::vector<std::string_view> object_rows = {
    "zOffsetA|zOffset|zOffset|-0.001|1|0|-100000|100000|0.004|1|0|staticValue -0.001",
    "yOffsetA|yOffset|yOffset|0.465|1|0|-100000|100000|0.004|1|0|staticValue 0.465",
    "xOffsetA|xOffset|xOffset|0|1|0|-100000|100000|0.004|1|0|staticValue 0",
    "propagatingScale|scale|scale|1|0|0|0.001|100000|0.004|0|1|",
    "propagatingScaleX|xScale|xScale|1|0|0|0.001|100000|0.004|0|1|",
    "propagatingScaleY|yScale|yScale|1|0|0|0.001|100000|0.004|0|1|",
    "propagatingScaleZ|zScale|zScale|1|0|0|0.001|100000|0.004|0|1|",
    "rotateY|yrot|yrot|0|0|0|-100000|100000|1|0|0|",
    "rotateX|xrot|xrot|0|0|0|-100000|100000|1|0|0|",
    "rotateZ|zrot|zrot|0|0|0|-100000|100000|1|0|0|",
    "translateX|xtran|xtran|0|0|0|-100000|100000|0.001|0|0|trackingScaleMult 1",
    "translateY|ytran|ytran|0|0|0|-100000|100000|0.001|0|0|trackingScaleMult 1.000000",
    "translateZ|ztran|ztran|0|0|0|-100000|100000|0.001|0|0|trackingScaleMult 1.000000",
    "xOffsetB|xTranB|xTranB|0|1|0|-100000|100000|0.004|1|0|staticValue 0",
    "yOffsetB|yTranB|yTranB|-0.465|1|0|-100000|100000|0.004|1|0|staticValue -0.465",
    "zOffsetB|zTranB|zTranB|0.001|1|0|-100000|100000|0.004|1|0|staticValue 0.001",
};

std::size_t line_count(std::string_view text)
{
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

std::string channel_block(std::string_view row, bool extra_key_lines)
{
    const auto f = split(row);
    std::string text = join({
        cat({"\t\t", f[0], " ", f[1]}),
        "\t\t\t{",
        cat({"\t\t\tname ", f[2]}),
        cat({"\t\t\tinitValue ", f[3]}),
        cat({"\t\t\thidden ", f[4]}),
        cat({"\t\t\tforceLimits ", f[5]}),
        cat({"\t\t\tmin ", f[6]}),
        cat({"\t\t\tmax ", f[7]}),
        cat({"\t\t\ttrackingScale ", f[8]}),
        "\t\t\tkeys",
        "\t\t\t\t{",
        cat({"\t\t\t\tstatic  ", f[9]}),
        cat({"\t\t\t\tk  0  ", f[10]}),
    });
    if (extra_key_lines) {
        text += join({"\t\t\t\tsl  1", "\t\t\t\tspl", "\t\t\t\tsm"});
    }
    text += join({"\t\t\t\t}", "\t\t\tinterpStyleLocked 0"});
    if (!f[11].empty()) {
        text += join({cat({"\t\t\t", f[11]})});
    }
    text += join({"\t\t\t}"});
    return text;
}

std::string groups_block()
{
    return join({
        "\t\tgroups",
        "\t\t\t{",
        "\t\t\tgroupNode Transform",
        "\t\t\t\t{",
        "\t\t\t\tparmNode scale",
        "\t\t\t\tparmNode xScale",
        "\t\t\t\tparmNode yScale",
        "\t\t\t\tparmNode zScale",
        "\t\t\t\tparmNode yrot",
        "\t\t\t\tparmNode xrot",
        "\t\t\t\tparmNode zrot",
        "\t\t\t\tparmNode xtran",
        "\t\t\t\tparmNode ytran",
        "\t\t\t\tparmNode ztran",
        "\t\t\t\t}",
        "\t\t\t}",
    });
}

std::string preview_material(std::string_view kd, std::string_view ks)
{
    return join({
        "\tmaterial Preview",
        "\t\t{",
        cat({"\t\tKdColor ", kd, " 1 "}),
        "\t\tKaColor 0 0 0 1 ",
        cat({"\t\tKsColor ", ks, " 1 "}),
        "\t\tTextureColor 1 1 1 1 ",
        "\t\tNsExponent 50 ",
        "\t\ttMin 0 ",
        "\t\ttMax 0 ",
        "\t\ttExpo 0.6 ",
        "\t\tbumpStrength 1 ",
        "\t\tksIgnoreTexture 0 ",
        "\t\treflectThruLights 1 ",
        "\t\treflectThruKd 0 ",
        "\t\ttextureMap NO_MAP",
        "\t\tbumpMap NO_MAP",
        "\t\treflectionMap NO_MAP",
        "\t\ttransparencyMap NO_MAP",
        "\t\tReflectionColor 1 1 1 1 ",
        "\t\treflectionStrength 1 ",
        "\t\t}",
    });
}

std::string body_section()
{
    std::string text = join({
        "actor BODY:1",
        "\t{",
        "\tname    BODY",
        "\ton",
        "\tbend 1",
        "\tdynamicsLock\t\t1",
        "\thidden\t\t0",
        "\taddToMenu\t1",
        "\tcastsShadow\t\t1",
        "\tincludeInDepthCue\t\t1",
        "\tuseZBuffer\t\t1",
        "\tparent UNIVERSE",
        "\tcreaseAngle 80",
        "\tchannels",
        "\t\t{",
    });
    text += groups_block();
    for (std::string_view row : body_rows) {
        text += channel_block(row, false);
    }
    text += join({
        "\t\t}",
        "\tendPoint 0.000948076 0.434632 -0.00361008",
        "\torigin 0 0.465 -0.001",
        "\torientation 0 0 0",
        "\tdisplayOrigin\t\t0",
        "\tdisplayMode USEPARENT",
        "\tcustomMaterial\t0",
        "\tlocked 0",
        "\tbackfaceCull 0",
        "\tvisibleInReflections 1",
        "\tvisibleInRender 1",
        "\tdisplacementBounds 0",
        "\tshadingRate 0.2",
        "\tsmoothPolys 1",
        "\t}",
        "",
    });
    return text;
}

namespace {

// The two control props differ only in these lines.
struct prop_lines {
    std::string_view name, hidden, add_to_menu, z_buffer, parent, display_mode, kd, ks;
};

std::string control_prop_section(const prop_lines& p)
{
    std::string text = join({
        cat({"controlProp ", p.name, ":1"}),
        "\t{",
        cat({"\tname    ", p.name}),
        "\toff",
        "\tbend 1",
        "\tdynamicsLock\t\t1",
        p.hidden,
        p.add_to_menu,
        "\tcastsShadow\t\t0",
        "\tincludeInDepthCue\t\t0",
        p.z_buffer,
        p.parent,
        "\tcreaseAngle 80",
        "\tchannels",
        "\t\t{",
    });
    for (std::string_view row : prop_rows) {
        text += channel_block(row, false);
    }
    text += join({
        "\t\t}",
        "\tendPoint 0 0 -0.1",
        "\torigin 0 0 0",
        "\torientation 0 0 0",
        "\tdisplayOrigin\t\t0",
        p.display_mode,
        "\tcustomMaterial\t1",
    });
    text += preview_material(p.kd, p.ks);
    text += join({
        "\tlocked 0",
        "\tbackfaceCull 0",
        "\tvisibleInReflections 0",
        "\tvisibleInRender 1",
        "\tdisplacementBounds 0",
        "\tshadingRate 0.2",
        "\tsmoothPolys 1",
        "\t}",
        "",
    });
    return text;
}

}  // namespace

std::string goal_center_of_mass_section()
{
    return control_prop_section({"GoalCenterOfMass", "\thidden\t\t1", "\taddToMenu\t0", "\tuseZBuffer\t\t1",
                                 "\tparent BODY:1", "\tdisplayMode USEPARENT", "0.287271 0.51381 0.747154",
                                 "0.0893399 0.0469314 0.0908902"});
}

std::string center_of_mass_section()
{
    return control_prop_section({"CenterOfMass", "\thidden\t\t0", "\taddToMenu\t1", "\tuseZBuffer\t\t0",
                                 "\tparent GoalCenterOfMass:1", "\tdisplayMode EDGESONLY",
                                 "0.289865 0.0421766 0.921598", "0.107981 0.0837672 0.114029"});
}

std::string object_section(const actor& a)
{
    std::string text = join({
        cat({"actor ", a.name, ":1"}),
        "\t{",
        cat({"\tname    ", a.name}),
        "\ton",
        "    bend 1",
        "    dynamicsLock 0",
        "    hidden 0",
        "    addToMenu 1",
        "    castsShadow 1",
        "    includeInDepthCue 1",
        "    useZBuffer 1",
        cat({"    parent ", a.parent.empty() ? std::string_view("BODY") : std::string_view(a.parent), ":1"}),
        "\tchannels",
        "\t\t{",
    });
    text += groups_block();
    for (std::string_view row : object_rows) {
        text += channel_block(row, true);
    }
    text += join({
        "\t\t}",
        "    creaseAngle 80",
        cat({"\t  endPoint  ", a.end_point}),
        cat({"    origin ", a.origin}),
        "    orientation 0 0 0",
        "    displayOrigin 0",
        "    displayMode USEPARENT",
        "    customMaterial 0",
        "    locked 0",
        "    backfaceCull 1",
        a.is_null ? "\tvisibleInReflections 0" : "\tvisibleInReflections 1",
        a.is_null ? "\tvisibleInRender 0" : "\tvisibleInRender 1",
        "\tdisplacementBounds 0",
        "\tshadingRate 0.2",
        "\tsmoothPolys 1",
        "    }",
        "",
    });
    return text;
}

std::string material_section(const material& m)
{
    std::string text = join({
        cat({"\tmaterial ", m.name}),
        "\t\t{",
        cat({"\t\tKdColor ", m.diffuse, " 1 "}),
        cat({"\t\tKaColor ", m.ambient, " 1 "}),
        cat({"\t\tKsColor ", m.specular, " 1 "}),
        "\t\tTextureColor 1 1 1 1 ",
        cat({"\t\tNsExponent ", m.shininess, " "}),
        cat({"\t\ttMin ", m.transparency, " "}),
        cat({"\t\ttMax ", m.transparency, " "}),
        "\t\ttExpo 0.6 ",
        "\t\tbumpStrength 1 ",
        "\t\tksIgnoreTexture 0 ",
        "\t\treflectThruLights 1 ",
        "\t\treflectThruKd 0 ",
    });
    if (m.texture.empty()) {
        text += join({"\t\ttextureMap NO_MAP"});
    } else {
        text += join({cat({"\t\ttextureMap \"", m.texture, "\""}), "            0 0 "});
    }
    text += join({
        "\t\tbumpMap NO_MAP",
        "\t\treflectionMap NO_MAP",
        "\t\ttransparencyMap NO_MAP",
        "\t\tReflectionColor 1 1 1 1 ",
        "\t\treflectionStrength 1 ",
        "\t\tshaderTree",
        "\t\t\t{",
        "\t\t\tnode \"poser\" \"PoserSurface\"",
        "\t\t\t\t{",
        "\t\t\t\tname \"PoserSurface\"",
        "\t\t\t\tpos 10 10",
        "\t\t\t\tshowPreview 1",
    });
    for (std::string_view row : poser_surface_rows) {
        text += node_input(row, m);
    }
    text += join({"\t\t\t\t}"});
    if (!m.texture.empty()) {
        text += join({
            "\t\t\tnode \"image_map\" \"Image_Map\"",
            "\t\t\t\t{",
            "\t\t\t\tname \"Image_Map\"",
            "\t\t\t\tpos 271 47",
        });
        for (std::string_view row : image_map_rows) {
            text += node_input(row, m);
        }
        text += join({"\t\t\t\t}"});
    }
    text += join({"\t\t\t\t\t}", "\t\t\t\t}"});
    return text;
}

std::string whole_file(const document& d)
{
    std::string text = join({
        "{ ",
        "",
        "version",
        "    { ",
        "    number 6",
        "    } ",
        cat({"figureResFile ", d.geometry_file}),
        "actor BODY:1",
        "\t{",
        "",
        "\t}",
        "controlProp GoalCenterOfMass:1",
        "\t{",
        "",
        "\t}",
        "controlProp CenterOfMass:1",
        "\t{",
        "",
        "\t}",
    });
    for (const actor& a : d.actors) {
        text += join({cat({"actor ", a.name, ":1"}), "\t{"});
        if (a.is_null) {
            text += join({""});
        } else {
            text += join({"\tstorageOffset 0 0 0", cat({"\tgeomHandlerGeom 13 ", a.name})});
        }
        text += join({"\t}", ""});
    }
    text += body_section() + goal_center_of_mass_section() + center_of_mass_section();
    for (const actor& a : d.actors) {
        text += object_section(a);
    }
    text += join({
        "figure ",
        "\t{",
        cat({"\tname    ", d.figure_name}),
        "\troot    BODY:1",
        "\taddChild    GoalCenterOfMass:1 ",
        "\t\t\t BODY:1",
        "\taddChild    CenterOfMass:1 ",
        "\t\t\t GoalCenterOfMass:1",
    });
    for (const std::string& line : d.child_lines) {
        text += line;
    }
    text += d.pick_line;
    text += join({"\tdisplayOn 1 "});
    for (const std::string& line : d.weld_lines) {
        text += line;
    }
    for (const material& m : d.materials) {
        text += material_section(m);
    }
    text += join({
        "\tdisplayMode USEPARENT",
        "\tlocked 0",
        "\tattribute\tpmd_0",
        "    }",
        "    ",
        "",
        "    setGeomHandlerOffset 0 0.3487 0",
        "}",
    });
    return text;
}

}  // namespace vellumark::reference
