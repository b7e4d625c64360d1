#!/usr/bin/env python3
"""Writes the files that `vellumark samples/figure.ac -o OUT/figure.pz3` must
produce, into tests/cli/expected/: figure.mtl, figure.obj and figure.pz3.

This is a reference of its own, written from the description of the formats
and shares no code with the converter: a small .ac reader for the kinds of
lines the sample uses, the host's answers for the tree (positions placed by
rot and loc, box centres, triangles with their texture coordinates and
normals), the object-tree walk with its names and parent ids, the material
registry, and the three writers. Single-precision values are kept as Python
floats rounded to single precision; the number format works on exact
decimals. The end-to-end test compares the converter's files with these,
byte for byte.

Run it again after changing the sample:

    python3 tests/cli/make_expected.py

It refuses anything in the .ac file that it does not know, so that a change
to the sample cannot slip past it unread.
"""

import math
import os
import struct
import sys
from decimal import ROUND_HALF_UP, Context, Decimal

HERE = os.path.dirname(os.path.abspath(__file__))
SAMPLE = os.path.join(HERE, '..', '..', 'samples', 'figure.ac')
EXPECTED = os.path.join(HERE, 'expected')
BASE_NAME = 'figure'


def f32(value):
    """The single-precision float nearest to value."""
    return struct.unpack('<f', struct.pack('<f', value))[0]


# ---------------------------------------------------------------- numbers

_SEVENTEEN = Context(prec=17, rounding=ROUND_HALF_UP)


def fmt(value):
    """"%f" of a single-precision value widened to double: 17 significant
    digits rounded half up, then six decimals rounded half away from zero;
    the sign stays on a value that rounds to zero."""
    exact = Decimal(value)  # exact binary value
    negative = math.copysign(1.0, value) < 0
    digits = _SEVENTEEN.plus(exact) if exact != 0 else exact
    text = format(abs(digits).quantize(Decimal('0.000001'), rounding=ROUND_HALF_UP), 'f')
    return ('-' if negative else '') + text


# ---------------------------------------------------------------- .ac file

class Material:
    def __init__(self, name, rgb, amb, emis, spec, shi, trans):
        self.name, self.rgb, self.amb, self.emis, self.spec = name, rgb, amb, emis, spec
        self.shi, self.trans = shi, trans


class Surface:
    def __init__(self, flags):
        self.flags = flags
        self.mat = 0
        self.refs = []  # (vertex index, u, v)


class Obj:
    def __init__(self, kind):
        self.type = {'poly': 0, 'group': 1, 'light': 2, 'world': 999}[kind]
        self.name = None
        self.loc = (0.0, 0.0, 0.0)
        self.rot = None  # three rows
        self.texture = None
        self.texrep = (1.0, 1.0)
        self.texoff = (0.0, 0.0)
        self.crease = 61.0
        self.file_vertices = []
        self.surfaces = []
        self.children = []
        self.parent = None


def quoted(line):
    first, last = line.index('"'), line.rindex('"')
    if first == last:
        raise ValueError('unterminated string: ' + line)
    return line[first + 1:last]


def read_ac(path):
    with open(path, 'rb') as stream:
        lines = [l.decode('latin-1').rstrip('\r') for l in stream.read().split(b'\n')]
    lines = [l for l in lines if l.strip()]
    if not (lines[0].startswith('AC3D') and len(lines[0]) == 5):
        raise ValueError('not an AC3D file')
    position = 1
    palette = []
    while lines[position].startswith('MATERIAL '):
        line = lines[position]
        words = line[line.rindex('"') + 1:].split()
        values = dict()
        i = 0
        while i < len(words):
            key = words[i]
            count = 3 if key in ('rgb', 'amb', 'emis', 'spec') else 1
            values[key] = [f32(float(w)) for w in words[i + 1:i + 1 + count]]
            i += 1 + count
        palette.append(Material(quoted(line), values['rgb'], values['amb'], values['emis'], values['spec'],
                                values['shi'][0], values['trans'][0]))
        position += 1

    def read_object(position, parent):
        words = lines[position].split()
        if words[0] != 'OBJECT':
            raise ValueError('expected OBJECT: ' + lines[position])
        obj = Obj(words[1])
        obj.parent = parent
        position += 1
        while True:
            line = lines[position]
            words = line.split()
            key = words[0]
            position += 1
            if key == 'name':
                obj.name = quoted(line)
            elif key == 'loc':
                obj.loc = tuple(float(w) for w in words[1:4])
            elif key == 'rot':
                n = [float(w) for w in words[1:10]]
                obj.rot = (n[0:3], n[3:6], n[6:9])
            elif key == 'texture':
                if obj.texture is None:
                    obj.texture = quoted(line)
            elif key == 'texrep':
                obj.texrep = (float(words[1]), float(words[2]))
            elif key == 'texoff':
                obj.texoff = (float(words[1]), float(words[2]))
            elif key == 'crease':
                obj.crease = float(words[1])
            elif key == 'numvert':
                for _ in range(int(words[1])):
                    obj.file_vertices.append(tuple(float(w) for w in lines[position].split()[0:3]))
                    position += 1
            elif key == 'numsurf':
                for _ in range(int(words[1])):
                    surface = Surface(int(lines[position].split()[1], 0))
                    position += 1
                    if lines[position].split()[0] == 'mat':
                        surface.mat = int(lines[position].split()[1])
                        position += 1
                    refs_words = lines[position].split()
                    if refs_words[0] != 'refs':
                        raise ValueError('expected refs: ' + lines[position])
                    position += 1
                    for _ in range(int(refs_words[1])):
                        w = lines[position].split()
                        surface.refs.append((int(w[0]), float(w[1]), float(w[2])))
                        position += 1
                    obj.surfaces.append(surface)
            elif key == 'kids':
                for _ in range(int(words[1])):
                    child, position = read_object(position, obj)
                    obj.children.append(child)
                return obj, position
            else:
                raise ValueError('a line this reference does not know: ' + line)

    world, position = read_object(position, None)
    if position != len(lines):
        raise ValueError('more than one top-level object')
    return palette, world


# ---------------------------------------------------------------- the host

def place(obj, point):
    """File position to host position: p' = R p + loc for the object, then
    for each ancestor, innermost first; in double, stored as single."""
    x, y, z = point
    node = obj
    while node is not None:
        if node.rot is not None:
            r = node.rot
            x, y, z = (r[0][0] * x + r[0][1] * y + r[0][2] * z,
                       r[1][0] * x + r[1][1] * y + r[1][2] * z,
                       r[2][0] * x + r[2][1] * y + r[2][2] * z)
        x, y, z = x + node.loc[0], y + node.loc[1], z + node.loc[2]
        node = node.parent
    return (f32(x), f32(y), f32(z))


def build_host(world):
    def visit(obj):
        obj.vertices = [place(obj, p) for p in obj.file_vertices]
        for child in obj.children:
            visit(child)
        obj.triangles = triangles_of(obj)
        obj.centre = centre_of(obj)
    visit(world)


def subtree_vertices(obj):
    found = list(obj.vertices)
    for child in obj.children:
        found += subtree_vertices(child)
    return found


def centre_of(obj):
    if obj.type == 999:
        return (0.0, 0.0, 0.0)
    points = subtree_vertices(obj)
    if not points:
        raise ValueError('the sample has no object without vertices below it')
    return tuple(f32(f32(min(p[k] for p in points) + max(p[k] for p in points)) / 2) for k in range(3))


def newell(points):
    nx = ny = nz = 0.0
    for i, (x0, y0, z0) in enumerate(points):
        x1, y1, z1 = points[(i + 1) % len(points)]
        nx += (y0 - y1) * (z0 + z1)
        ny += (z0 - z1) * (x0 + x1)
        nz += (x0 - x1) * (y0 + y1)
    return (nx, ny, nz)


def unit(v):
    length = math.sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2])
    return (v[0] / length, v[1] / length, v[2] / length)


def is_convex(points, normal):
    n = len(points)
    for i in range(n):
        a, b, c = points[i], points[(i + 1) % n], points[(i + 2) % n]
        e1 = (b[0] - a[0], b[1] - a[1], b[2] - a[2])
        e2 = (c[0] - b[0], c[1] - b[1], c[2] - b[2])
        cross = (e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2], e1[0] * e2[1] - e1[1] * e2[0])
        if cross[0] * normal[0] + cross[1] * normal[1] + cross[2] * normal[2] < 0:
            return False
    return True


def triangles_of(obj):
    polygons = [s for s in obj.surfaces if s.flags & 0xF == 0 and len(s.refs) >= 3]
    normals = [unit(newell([obj.vertices[r[0]] for r in s.refs])) for s in polygons]
    cos_crease = math.cos(math.radians(obj.crease))
    triangles = []
    for s, own in zip(polygons, normals):
        points = [obj.vertices[r[0]] for r in s.refs]
        if not is_convex(points, own):
            raise ValueError('the sample holds only convex polygons')
        corners = []
        for index, u, v in s.refs:
            if s.flags & 0x10:
                total = [0.0, 0.0, 0.0]
                for other, n in zip(polygons, normals):
                    if any(r[0] == index for r in other.refs) and \
                            n[0] * own[0] + n[1] * own[1] + n[2] * own[2] >= cos_crease:
                        total = [total[k] + n[k] for k in range(3)]
                normal = unit(total)
            else:
                normal = own
            corners.append((index,
                            f32(u * obj.texrep[0] + obj.texoff[0]), f32(v * obj.texrep[1] + obj.texoff[1]),
                            tuple(f32(c) for c in normal)))
        for i in range(1, len(corners) - 1):
            triangles.append(((corners[0], corners[i], corners[i + 1]), s.mat))
    return triangles


# ---------------------------------------------------------------- the walk

def fold(text):
    return ''.join(chr(ord(c) + 32) if 'A' <= c <= 'Z' else c for c in text)


def make_unique(base, taken):
    name = base
    k = 1
    while True:
        changed = False
        for other in taken:
            if fold(other) == fold(name):
                name = base + '_' + str(k)
                changed = True
        k += 1
        if not changed:
            return name


class Actor:
    pass


class Geometry:
    pass


class Record:
    pass


def collect(world, palette):
    actors, geometries, materials = [], [], []

    def find_or_add_material(texture_name, palette_index):
        for m in materials:
            if m.palette_index == palette_index and fold(m.texture_name) == fold(texture_name):
                return m
        entry = palette[palette_index]
        m = Record()
        m.ambient, m.diffuse, m.specular, m.emissive = entry.amb, entry.rgb, entry.spec, entry.emis
        m.shininess, m.transparency = entry.shi, entry.trans
        m.palette_index, m.texture_name = palette_index, texture_name
        m.name = make_unique(entry.name[:999] or 'no_name', [o.name for o in materials])
        materials.append(m)
        return m

    counter = [0]

    def walk(obj, candidate, fallback):
        entry_count = counter[0]
        if obj.type == 0:
            if candidate == entry_count:
                candidate = fallback
            a = Actor()
            a.parent_id = candidate
            a.origin = obj.centre
            a.id = len(actors)
            a.is_null = 1
            a.name = make_unique((obj.name or '')[:999] or 'object', [o.name for o in actors])
            a.end_point = (a.origin[0], a.origin[1], f32(a.origin[2] + f32(0.1)))
            a.parent = a.child = None
            actors.append(a)
            if not a.name.startswith('NULL_') and len(obj.vertices) > 2:
                a.is_null = 0
                sx = sy = sz = 0.0
                for x, y, z in obj.vertices:
                    sx, sy, sz = f32(sx + x), f32(sy + y), f32(sz + z)
                n = f32(len(obj.vertices))
                a.end_point = (f32(sx / n), f32(sy / n), f32(sz / n))
                g = Geometry()
                g.actor, g.object = a, obj
                texture = ''
                if obj.texture is not None:
                    texture = obj.texture
                    cut = max(texture.rfind('/'), texture.rfind('\\'))
                    texture = texture[cut + 1:] if cut >= 0 else texture
                g.material = find_or_add_material(texture, obj.triangles[0][1])
                geometries.append(g)
            counter[0] = entry_count + 1
        if candidate != entry_count:
            fallback = candidate
        for child in obj.children:
            walk(child, entry_count, fallback)

    walk(world, -1, -1)
    for a in actors:
        a.parent = next((b for b in actors if b.id == a.parent_id), None)
    for a in actors:
        if a.parent is not None:
            a.parent.child = a
    return actors, geometries, materials


# ---------------------------------------------------------------- .mtl

def mtl_file(materials):
    out = []
    for m in materials:
        out.append('newmtl %s\n' % m.name)
        out.append('Kd %s %s %s\n' % tuple(fmt(c) for c in m.diffuse))
        out.append('Ka %s %s %s\n' % tuple(fmt(c) for c in m.ambient))
        out.append('Ks %s %s %s\n' % tuple(fmt(c) for c in m.specular))
        out.append('Ke %s %s %s\n' % tuple(fmt(c) for c in m.emissive))
        out.append('d %s\n' % fmt(1.0 - m.transparency))
        out.append('Ns %s\n' % fmt(m.shininess))
        if m.texture_name:
            out.append('map_Kd %s\n' % m.texture_name)
    return ''.join(out)


# ---------------------------------------------------------------- .obj

def obj_file(geometries, base_name):
    out = ['mtllib %s.mtl\n' % base_name]
    first_vertex = 0
    for g in geometries:
        g.first_vertex = first_vertex
        for v in g.object.vertices:
            out.append('v %s %s %s\n' % tuple(fmt(c) for c in v))
        first_vertex += len(g.object.vertices)
    first_uv = 0
    for g in geometries:
        g.first_uv = first_uv
        for corners, _ in g.object.triangles:
            for c in corners:
                out.append('vt %s %s\n' % (fmt(c[1]), fmt(c[2])))
        first_uv += 3 * len(g.object.triangles)
    for g in geometries:
        for corners, _ in g.object.triangles:
            for c in corners:
                out.append('vn %s %s %s\n' % tuple(fmt(n) for n in c[3]))
    out.append('g g0\n')
    for g in geometries:
        out.append('g %s\n' % g.actor.name)
        out.append('usemtl %s\n' % g.material.name)
        out.append('s 1\n')
        for t, (corners, _) in enumerate(g.object.triangles):
            line = 'f'
            for c, corner in enumerate(corners):
                slot = g.first_uv + 3 * t + c + 1
                line += ' %d/%d/%d' % (corner[0] + g.first_vertex + 1, slot, slot)
            out.append(line + '\n')
    return ''.join(out)


# ---------------------------------------------------------------- .pz3

# type keyword, channel name, name value, initValue, hidden, forceLimits, min,
# max, trackingScale, static, key value, trailer line
BODY_CHANNELS = [
    ('zOffsetA', 'zOffset', 'zOffset', '-0.001', '1', '0', '-100000', '100000', '0.004', '1', '0', '\t\t\tstaticValue -0.001\n'),
    ('yOffsetA', 'yOffset', 'yOffset', '0.465', '1', '0', '-100000', '100000', '0.004', '1', '0', '\t\t\tstaticValue 0.465\n'),
    ('xOffsetA', 'xOffset', 'xOffset', '0', '1', '0', '-100000', '100000', '0.004', '1', '0', '\t\t\tstaticValue 0\n'),
    ('propagatingScale', 'scale', 'scale', '1', '0', '0', '0.001', '100000', '0.004', '0', '1', None),
    ('propagatingScaleX', 'xScale', 'xScale', '1', '0', '0', '0.001', '100000', '0.004', '0', '1', None),
    ('propagatingScaleY', 'yScale', 'yScale', '1', '0', '0', '0.001', '100000', '0.004', '0', '1', None),
    ('propagatingScaleZ', 'zScale', 'zScale', '1', '0', '0', '0.001', '100000', '0.004', '0', '1', None),
    ('rotateY', 'yrot', 'yrot', '0', '0', '0', '-100000', '100000', '1', '0', '0', None),
    ('rotateX', 'xrot', 'xrot', '0', '0', '0', '-100000', '100000', '1', '0', '0', None),
    ('rotateZ', 'zrot', 'zrot', '0', '0', '0', '-100000', '100000', '1', '0', '0', None),
    ('translateX', 'xtran', 'xtran', '0', '0', '0', '-100000', '100000', '0.001', '0', '0', None),
    ('translateY', 'ytran', 'ytran', '0', '0', '0', '-100000', '100000', '0.001', '0', '0', None),
    ('translateZ', 'ztran', 'ztran', '0', '0', '0', '-100000', '100000', '0.001', '0', '0', None),
    ('xOffsetB', 'xTranB', 'xTranB', '0', '1', '0', '-100000', '100000', '0.004', '1', '0', '\t\t\tstaticValue 0\n'),
    ('yOffsetB', 'yTranB', 'yTranB', '-0.465', '1', '0', '-100000', '100000', '0.004', '1', '0', '\t\t\tstaticValue -0.465\n'),
    ('zOffsetB', 'zTranB', 'zTranB', '0.001', '1', '0', '-100000', '100000', '0.004', '1', '0', '\t\t\tstaticValue 0.001\n'),
]

PROP_CHANNELS = [
    ('rotateY', 'yRotate', 'yrot', '0', '0', '0', '-100000', '100000', '1', '0', '0', None),
    ('rotateX', 'xRotate', 'xrot', '0', '0', '0', '-100000', '100000', '1', '0', '0', None),
    ('rotateZ', 'zRotate', 'zrot', '0', '0', '0', '-100000', '100000', '1', '0', '0', None),
    ('scale', 'Scale', 'scale', '1', '0', '0', '0.001', '100000', '0.004', '0', '1', None),
    ('scaleX', 'xScale', 'xScale', '1', '0', '0', '0.001', '100000', '0.004', '0', '1', None),
    ('scaleY', 'yScale', 'yScale', '1', '0', '0', '0.001', '100000', '0.004', '0', '1', None),
    ('scaleZ', 'zScale', 'zScale', '1', '0', '0', '0.001', '100000', '0.004', '0', '1', None),
    ('translateX', 'xTran', 'xtran', '0', '0', '0', '-100000', '100000', '0.002', '0', '0', None),
    ('translateY', 'yTran', 'ytran', '0', '0', '1', '0', '0', '0.002', '0', '0', None),
    ('translateZ', 'zTran', 'ztran', '0', '0', '0', '-100000', '100000', '0.002', '0', '0', None),
]

# The object actors' table: BODY's, but for the trailers of the translations.
OBJECT_CHANNELS = [row if row[0] not in ('translateX', 'translateY', 'translateZ') else
                   row[:11] + ({'translateX': '\t\t\ttrackingScaleMult 1\n',
                                'translateY': '\t\t\ttrackingScaleMult 1.000000\n',
                                'translateZ': '\t\t\ttrackingScaleMult 1.000000\n'}[row[0]],)
                   for row in BODY_CHANNELS]

# key, name, value text
SURFACE_INPUTS = [
    ('Diffuse_Color', 'Diffuse_Color', '%f %f %f'),
    ('Diffuse_Value', 'Diffuse_Value', '1 0 10'),
    ('Highlight_Color', 'Specular_Color', '%f %f %f'),
    ('Highlight_Value', 'Specular_Value', '1 0 10'),
    ('Roughness', 'Highlight_Size', '%f 0 100'),
    ('Ambient_Color', 'Ambient_Color', '%f %f %f'),
    ('Ambient_Value', 'Ambient_Value', '0 0 10'),
    ('Transparency_Max', 'Transparency', '%f 0 1'),
    ('Transparency_Min', 'Transparency_Edge', '%f 0 1'),
    ('Transparency_Falloff', 'Transparency_Falloff', '0.6 0 100'),
    ('Translucence_Color', 'Translucence_Color', '0 0 0'),
    ('Translucence_Value', 'Translucence_Value', '0 0 10'),
    ('Reflection_Color', 'Reflection_Color', '1 1 1'),
    ('Reflection_Value', 'Reflection_Value', '1 0 10'),
    ('Refraction_Color', 'Refraction_Color', '1 1 1'),
    ('Refraction_Value', 'Refraction_Value', '1 0 10'),
    ('Bump', 'Bump', '1 -10 10'),
    ('Displacement', 'Displacement', '1 -10 10'),
    ('AlternateDiffuse', 'Alternate_Diffuse', '1 1 1'),
    ('AlternateSpecular', 'Alternate_Specular', '1 1 1'),
    ('ReflectionLiteMult', 'Reflection_Lite_Mult', '1 0 1'),
    ('ReflectionKdMult', 'Reflection_Kd_Mult', '0 0 1'),
    ('Gradient_Bump', 'Gradient_Bump', '1 -1 1'),
    ('ShadowCatchOnly', 'Shadow_Catch_Only', '0 0 1'),
    ('ToonID', 'ToonID', '111 0 32768'),
    ('Normals_Forward', 'Normals_Forward', '0 0 1'),
]

IMAGE_MAP_INPUTS = [
    ('Image_Source', 'Image_Source', '0 0 0'),
    ('Auto_Fit', 'Auto_Fit', '0 0 0'),
    ('U_Scale', 'U_Scale', '1 -1 1'),
    ('V_Scale', 'V_Scale', '1 -1 1'),
    ('U_Offset', 'U_Offset', '0 0 1'),
    ('V_Offset', 'V_Offset', '0 0 1'),
    ('Texture_Coords', 'Texture_Coords', '1 0 0'),
    ('Image_Mapped', 'Image_Mapped', '4 0 0'),
    ('Background', 'Background', '1 1 1'),
    ('Global_Coordinates', 'Global_Coordinates', '0 0 1'),
    ('Mirror_U', 'Mirror_U', '0 0 0'),
    ('Mirror_V', 'Mirror_V', '0 0 0'),
    ('Texture_Strength', 'Texture_Strength', '1 0 1'),
]

GROUPS_BLOCK = ['\t\tgroups\n', '\t\t\t{\n', '\t\t\tgroupNode Transform\n', '\t\t\t\t{\n'] + \
    ['\t\t\t\tparmNode %s\n' % n for n in
     ('scale', 'xScale', 'yScale', 'zScale', 'yrot', 'xrot', 'zrot', 'xtran', 'ytran', 'ztran')] + \
    ['\t\t\t\t}\n', '\t\t\t}\n']


def channel_block(row, extra_key_lines):
    out = ['\t\t%s %s\n' % (row[0], row[1]), '\t\t\t{\n', '\t\t\tname %s\n' % row[2],
           '\t\t\tinitValue %s\n' % row[3], '\t\t\thidden %s\n' % row[4], '\t\t\tforceLimits %s\n' % row[5],
           '\t\t\tmin %s\n' % row[6], '\t\t\tmax %s\n' % row[7], '\t\t\ttrackingScale %s\n' % row[8],
           '\t\t\tkeys\n', '\t\t\t\t{\n', '\t\t\t\tstatic  %s\n' % row[9], '\t\t\t\tk  0  %s\n' % row[10]]
    if extra_key_lines:
        out += ['\t\t\t\tsl  1\n', '\t\t\t\tspl\n', '\t\t\t\tsm\n']
    out += ['\t\t\t\t}\n', '\t\t\tinterpStyleLocked 0\n']
    if row[11] is not None:
        out.append(row[11])
    out.append('\t\t\t}\n')
    return out


def preview_material(kd, ks):
    return ['\tmaterial Preview\n', '\t\t{\n', '\t\tKdColor %s 1 \n' % kd, '\t\tKaColor 0 0 0 1 \n',
            '\t\tKsColor %s 1 \n' % ks, '\t\tTextureColor 1 1 1 1 \n', '\t\tNsExponent 50 \n', '\t\ttMin 0 \n',
            '\t\ttMax 0 \n', '\t\ttExpo 0.6 \n', '\t\tbumpStrength 1 \n', '\t\tksIgnoreTexture 0 \n',
            '\t\treflectThruLights 1 \n', '\t\treflectThruKd 0 \n', '\t\ttextureMap NO_MAP\n',
            '\t\tbumpMap NO_MAP\n', '\t\treflectionMap NO_MAP\n', '\t\ttransparencyMap NO_MAP\n',
            '\t\tReflectionColor 1 1 1 1 \n', '\t\treflectionStrength 1 \n', '\t\t}\n']


def fixed_actor(kind):
    body = kind == 'BODY'
    goal = kind == 'GoalCenterOfMass'
    head = ['actor BODY:1\n' if body else 'controlProp %s:1\n' % kind, '\t{\n', '\tname    %s\n' % kind,
            '\ton\n' if body else '\toff\n', '\tbend 1\n', '\tdynamicsLock\t\t1\n',
            '\thidden\t\t1\n' if goal else '\thidden\t\t0\n',
            '\taddToMenu\t0\n' if goal else '\taddToMenu\t1\n',
            '\tcastsShadow\t\t1\n' if body else '\tcastsShadow\t\t0\n',
            '\tincludeInDepthCue\t\t1\n' if body else '\tincludeInDepthCue\t\t0\n',
            '\tuseZBuffer\t\t0\n' if kind == 'CenterOfMass' else '\tuseZBuffer\t\t1\n',
            {'BODY': '\tparent UNIVERSE\n', 'GoalCenterOfMass': '\tparent BODY:1\n',
             'CenterOfMass': '\tparent GoalCenterOfMass:1\n'}[kind],
            '\tcreaseAngle 80\n', '\tchannels\n', '\t\t{\n']
    out = head + (GROUPS_BLOCK if body else [])
    for row in BODY_CHANNELS if body else PROP_CHANNELS:
        out += channel_block(row, False)
    out += ['\t\t}\n',
            '\tendPoint 0.000948076 0.434632 -0.00361008\n' if body else '\tendPoint 0 0 -0.1\n',
            '\torigin 0 0.465 -0.001\n' if body else '\torigin 0 0 0\n',
            '\torientation 0 0 0\n', '\tdisplayOrigin\t\t0\n',
            '\tdisplayMode EDGESONLY\n' if kind == 'CenterOfMass' else '\tdisplayMode USEPARENT\n',
            '\tcustomMaterial\t0\n' if body else '\tcustomMaterial\t1\n']
    if goal:
        out += preview_material('0.287271 0.51381 0.747154', '0.0893399 0.0469314 0.0908902')
    elif not body:
        out += preview_material('0.289865 0.0421766 0.921598', '0.107981 0.0837672 0.114029')
    out += ['\tlocked 0\n', '\tbackfaceCull 0\n',
            '\tvisibleInReflections 1\n' if body else '\tvisibleInReflections 0\n',
            '\tvisibleInRender 1\n', '\tdisplacementBounds 0\n', '\tshadingRate 0.2\n', '\tsmoothPolys 1\n',
            '\t}\n', '\n']
    return out


def object_actor(a):
    out = ['actor %s:1\n' % a.name, '\t{\n', '\tname    %s\n' % a.name, '\ton\n', '    bend 1\n',
           '    dynamicsLock 0\n', '    hidden 0\n', '    addToMenu 1\n', '    castsShadow 1\n',
           '    includeInDepthCue 1\n', '    useZBuffer 1\n',
           '    parent %s:1\n' % a.parent.name if a.parent else '    parent BODY:1\n',
           '\tchannels\n', '\t\t{\n'] + GROUPS_BLOCK
    for row in OBJECT_CHANNELS:
        out += channel_block(row, True)
    end = a.child.origin if a.child else a.end_point
    out += ['\t\t}\n', '    creaseAngle 80\n', '\t  endPoint  %s %s %s\n' % tuple(fmt(c) for c in end),
            '    origin %s %s %s\n' % tuple(fmt(c) for c in a.origin), '    orientation 0 0 0\n',
            '    displayOrigin 0\n', '    displayMode USEPARENT\n', '    customMaterial 0\n', '    locked 0\n',
            '    backfaceCull 1\n',
            '\tvisibleInReflections 0\n' if a.is_null else '\tvisibleInReflections 1\n',
            '\tvisibleInRender 0\n' if a.is_null else '\tvisibleInRender 1\n',
            '\tdisplacementBounds 0\n', '\tshadingRate 0.2\n', '\tsmoothPolys 1\n', '    }\n', '\n']
    return out


def node_input(key, name, value, node='\t\t\t\t\tnode NO_NODE\n', file_line='\t\t\t\t\tfile "" \n'):
    return ['\t\t\t\tnodeInput "%s"\n' % key, '\t\t\t\t\t{\n', '\t\t\t\t\tname "%s"\n' % name,
            '\t\t\t\t\tvalue %s\n' % value, '\t\t\t\t\tparmR NO_PARM\n', '\t\t\t\t\tparmG NO_PARM\n',
            '\t\t\t\t\tparmB NO_PARM\n', node, file_line, '\t\t\t\t\t}\n']


def material_section(m):
    textured = m.texture_name != ''
    out = ['\tmaterial %s\n' % m.name, '\t\t{\n',
           '\t\tKdColor %s %s %s 1 \n' % tuple(fmt(c) for c in m.diffuse),
           '\t\tKaColor %s %s %s 1 \n' % tuple(fmt(c) for c in m.ambient),
           '\t\tKsColor %s %s %s 1 \n' % tuple(fmt(c) for c in m.specular),
           '\t\tTextureColor 1 1 1 1 \n', '\t\tNsExponent %s \n' % fmt(m.shininess),
           '\t\ttMin %s \n' % fmt(m.transparency), '\t\ttMax %s \n' % fmt(m.transparency),
           '\t\ttExpo 0.6 \n', '\t\tbumpStrength 1 \n', '\t\tksIgnoreTexture 0 \n', '\t\treflectThruLights 1 \n',
           '\t\treflectThruKd 0 \n']
    if textured:
        out += ['\t\ttextureMap "%s"\n' % m.texture_name, '            0 0 \n']
    else:
        out += ['\t\ttextureMap NO_MAP\n']
    out += ['\t\tbumpMap NO_MAP\n', '\t\treflectionMap NO_MAP\n', '\t\ttransparencyMap NO_MAP\n',
            '\t\tReflectionColor 1 1 1 1 \n', '\t\treflectionStrength 1 \n', '\t\tshaderTree\n', '\t\t\t{\n',
            '\t\t\tnode "poser" "PoserSurface"\n', '\t\t\t\t{\n', '\t\t\t\tname "PoserSurface"\n',
            '\t\t\t\tpos 10 10\n', '\t\t\t\tshowPreview 1\n']
    values = {'Diffuse_Color': '%s %s %s' % tuple(fmt(c) for c in m.diffuse),
              'Highlight_Color': '%s %s %s' % tuple(fmt(c) for c in m.specular),
              'Roughness': '%s 0 100' % fmt(m.shininess * 0.0078125),
              'Ambient_Color': '%s %s %s' % tuple(fmt(c) for c in m.ambient),
              'Transparency_Max': '%s 0 1' % fmt(m.transparency),
              'Transparency_Min': '%s 0 1' % fmt(m.transparency)}
    for key, name, value in SURFACE_INPUTS:
        if key == 'Diffuse_Color' and textured:
            out += node_input(key, name, values[key], node='\t\t\t\t\tnode "Image_Map"\n')
        else:
            out += node_input(key, name, values.get(key, value))
    out.append('\t\t\t\t}\n')
    if textured:
        out += ['\t\t\tnode "image_map" "Image_Map"\n', '\t\t\t\t{\n', '\t\t\t\tname "Image_Map"\n',
                '\t\t\t\tpos 271 47\n']
        for key, name, value in IMAGE_MAP_INPUTS:
            if key == 'Image_Source':
                out += node_input(key, name, value, file_line='\t\t\t\t\tfile "%s" \n' % m.texture_name)
            else:
                out += node_input(key, name, value)
        out.append('\t\t\t\t}\n')
    out += ['\t\t\t\t\t}\n', '\t\t\t\t}\n']
    return out


def default_pick(actors):
    for test in (lambda a: not a.is_null and a.parent is None,
                 lambda a: not a.is_null and a.parent is not None and a.parent.parent is None,
                 lambda a: a.parent is None):
        found = None
        for a in actors:
            if test(a):
                found = a
        if found is not None:
            return found
    raise ValueError('the sample has actors')


def pz3_file(actors, materials, figure_name):
    out = ['{ \n', '\n', 'version\n', '    { \n', '    number 6\n', '    } \n',
           'figureResFile %s.obj\n' % figure_name]
    for kind in ('actor BODY:1\n', 'controlProp GoalCenterOfMass:1\n', 'controlProp CenterOfMass:1\n'):
        out += [kind, '\t{\n', '\n', '\t}\n']
    for a in actors:
        out += ['actor %s:1\n' % a.name, '\t{\n']
        out += ['\n'] if a.is_null else ['\tstorageOffset 0 0 0\n', '\tgeomHandlerGeom 13 %s\n' % a.name]
        out += ['\t}\n', '\n']
    for kind in ('BODY', 'GoalCenterOfMass', 'CenterOfMass'):
        out += fixed_actor(kind)
    for a in actors:
        out += object_actor(a)
    out += ['figure \n', '\t{\n', '\tname    %s\n' % figure_name, '\troot    BODY:1\n',
            '\taddChild    GoalCenterOfMass:1 \n', '\t\t\t BODY:1\n', '\taddChild    CenterOfMass:1 \n',
            '\t\t\t GoalCenterOfMass:1\n']
    for a in actors:
        if a.parent is None:
            out += ['\taddChild    %s:1 \n' % a.name, '\t\t\t BODY:1\n']
        else:
            out += ['\taddChild %s:1 \n' % a.name, '\t\t\t %s:1\n' % a.parent.name]
    out += ['\tdefaultPick %s:1 \n' % default_pick(actors).name, '\tdisplayOn 1 \n']
    for a in reversed(actors):
        if a.parent is not None and not a.is_null and not a.parent.is_null:
            out += ['\tweld    %s:1 \n' % a.name, '\t\t\t%s:1\n' % a.parent.name]
    for m in materials:
        out += material_section(m)
    out += ['\tdisplayMode USEPARENT\n', '\tlocked 0\n', '\tattribute\tpmd_0\n', '    }\n', '    \n', '\n',
            '    setGeomHandlerOffset 0 0.3487 0\n', '}\n']
    return ''.join(out)


# ---------------------------------------------------------------- main

def crlf(text):
    return text.replace('\n', '\r\n').encode('latin-1')


def main():
    palette, world = read_ac(SAMPLE)
    build_host(world)
    actors, geometries, materials = collect(world, palette)
    os.makedirs(EXPECTED, exist_ok=True)
    files = {'.mtl': mtl_file(materials), '.obj': obj_file(geometries, BASE_NAME),
             '.pz3': pz3_file(actors, materials, BASE_NAME)}
    for extension, text in files.items():
        with open(os.path.join(EXPECTED, BASE_NAME + extension), 'wb') as stream:
            stream.write(crlf(text))
    triangles = sum(len(g.object.triangles) for g in geometries)
    print('%d actors (%d null), %d meshes, %d materials, %d triangles' %
          (len(actors), sum(a.is_null for a in actors), len(geometries), len(materials), triangles))
    return 0


if __name__ == '__main__':
    sys.exit(main())
