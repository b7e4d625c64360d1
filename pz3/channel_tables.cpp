#include "pz3/channel_tables.h"

namespace vellumark {

// The A offsets carry BODY's origin (0 0.465 -0.001, listed z, y, x), the B
// offsets the same values negated (x, y, z); all six are hidden and static.
constexpr std::array<channel_spec, body_channel_count> body_channel_table{{
    // type keyword, channel name, name value, initValue, hidden, forceLimits,
    // min, max, trackingScale, static, key value, trailer
    {"zOffsetA", "zOffset", "zOffset", "-0.001", "1", "0", "-100000", "100000", "0.004", "1", "0", "\t\t\tstaticValue -0.001\n"},
    {"yOffsetA", "yOffset", "yOffset", "0.465", "1", "0", "-100000", "100000", "0.004", "1", "0", "\t\t\tstaticValue 0.465\n"},
    {"xOffsetA", "xOffset", "xOffset", "0", "1", "0", "-100000", "100000", "0.004", "1", "0", "\t\t\tstaticValue 0\n"},
    {"propagatingScale", "scale", "scale", "1", "0", "0", "0.001", "100000", "0.004", "0", "1", {}},
    {"propagatingScaleX", "xScale", "xScale", "1", "0", "0", "0.001", "100000", "0.004", "0", "1", {}},
    {"propagatingScaleY", "yScale", "yScale", "1", "0", "0", "0.001", "100000", "0.004", "0", "1", {}},
    {"propagatingScaleZ", "zScale", "zScale", "1", "0", "0", "0.001", "100000", "0.004", "0", "1", {}},
    {"rotateY", "yrot", "yrot", "0", "0", "0", "-100000", "100000", "1", "0", "0", {}},
    {"rotateX", "xrot", "xrot", "0", "0", "0", "-100000", "100000", "1", "0", "0", {}},
    {"rotateZ", "zrot", "zrot", "0", "0", "0", "-100000", "100000", "1", "0", "0", {}},
    {"translateX", "xtran", "xtran", "0", "0", "0", "-100000", "100000", "0.001", "0", "0", {}},
    {"translateY", "ytran", "ytran", "0", "0", "0", "-100000", "100000", "0.001", "0", "0", {}},
    {"translateZ", "ztran", "ztran", "0", "0", "0", "-100000", "100000", "0.001", "0", "0", {}},
    {"xOffsetB", "xTranB", "xTranB", "0", "1", "0", "-100000", "100000", "0.004", "1", "0", "\t\t\tstaticValue 0\n"},
    {"yOffsetB", "yTranB", "yTranB", "-0.465", "1", "0", "-100000", "100000", "0.004", "1", "0", "\t\t\tstaticValue -0.465\n"},
    {"zOffsetB", "zTranB", "zTranB", "0.001", "1", "0", "-100000", "100000", "0.004", "1", "0", "\t\t\tstaticValue 0.001\n"},
}};

// Unlike BODY, the props start with the rotations, scale without
// propagation, have no offsets, and name some channels apart from their
// name values ("yRotate" / "yrot"). Only their translateY has forced limits.
constexpr std::array<channel_spec, prop_channel_count> prop_channel_table{{
    {"rotateY", "yRotate", "yrot", "0", "0", "0", "-100000", "100000", "1", "0", "0", {}},
    {"rotateX", "xRotate", "xrot", "0", "0", "0", "-100000", "100000", "1", "0", "0", {}},
    {"rotateZ", "zRotate", "zrot", "0", "0", "0", "-100000", "100000", "1", "0", "0", {}},
    {"scale", "Scale", "scale", "1", "0", "0", "0.001", "100000", "0.004", "0", "1", {}},
    {"scaleX", "xScale", "xScale", "1", "0", "0", "0.001", "100000", "0.004", "0", "1", {}},
    {"scaleY", "yScale", "yScale", "1", "0", "0", "0.001", "100000", "0.004", "0", "1", {}},
    {"scaleZ", "zScale", "zScale", "1", "0", "0", "0.001", "100000", "0.004", "0", "1", {}},
    {"translateX", "xTran", "xtran", "0", "0", "0", "-100000", "100000", "0.002", "0", "0", {}},
    {"translateY", "yTran", "ytran", "0", "0", "1", "0", "0", "0.002", "0", "0", {}},
    {"translateZ", "zTran", "ztran", "0", "0", "0", "-100000", "100000", "0.002", "0", "0", {}},
}};

namespace {

// BODY's table with the translation rows' trailers replaced. The X trailer
// ends in "1", the Y and Z trailers in "1.000000": both are fixed text.
constexpr std::array<channel_spec, body_channel_count> derive_object_channel_table()
{
    std::array<channel_spec, body_channel_count> table = body_channel_table;
    for (channel_spec& row : table) {
        if (row.type_keyword == "translateX") {
            row.trailer = "\t\t\ttrackingScaleMult 1\n";
        } else if (row.type_keyword == "translateY" || row.type_keyword == "translateZ") {
            row.trailer = "\t\t\ttrackingScaleMult 1.000000\n";
        }
    }
    return table;
}

}  // namespace

constexpr std::array<channel_spec, body_channel_count> object_channel_table = derive_object_channel_table();

}  // namespace vellumark
