"""Converts Natural Earth 1:50m land and country borders, as the npm package
world-atlas ships them (TopoJSON), into the compact outline file the map
window draws its base map from.

    python3 map_data.py countries-50m.json OUTPUT

The output keeps TopoJSON's quantized integer grid and its transform, so no
precision is lost; each line is stored as zigzag varint deltas.

    "TVMAP" 0x01
    4 little-endian doubles: scale x, scale y, translate x, translate y
    varint ring count, then each land ring: varint point count, (dx, dy)...
    varint line count, then each border line: varint point count, (dx, dy)...

Degrees are translate + scale * grid value; longitude first. Land rings are
the outer edges and holes of the land polygons (filled even-odd); border
lines are the arcs that two different countries share.

The package's land runs across 180 degrees in one ring (Chukotka, Fiji,
Antarctica), jumping from one side of the map to the other. Every line is
made continuous instead, so its longitudes may go past 180 or below -180,
and a ring that goes once round the world (Antarctica) is closed over its
pole. Rings without area are left out.
"""
import json
import struct
import sys
from collections import defaultdict


def varint(value):
    out = bytearray()
    while True:
        byte = value & 0x7F
        value >>= 7
        if value:
            out.append(byte | 0x80)
        else:
            out.append(byte)
            return bytes(out)


def zigzag(value):
    return (value << 1) ^ (value >> 63)


def absolute_arcs(topology):
    arcs = []
    for arc in topology["arcs"]:
        x = y = 0
        points = []
        for dx, dy in arc:
            x += dx
            y += dy
            points.append((x, y))
        arcs.append(points)
    return arcs


def arc_points(arcs, index):
    return arcs[index] if index >= 0 else list(reversed(arcs[~index]))


def ring_points(arcs, ring):
    points = []
    for index in ring:
        part = arc_points(arcs, index)
        points.extend(part if not points else part[1:])
    return points


def continuous(points, turn):
    """Longitudes without jumps of more than half a turn."""
    out = [points[0]]
    for x, y in points[1:]:
        px = out[-1][0]
        x -= turn * round((x - px) / turn)
        out.append((x, y))
    return out


def close_over_pole(ring, turn, pole_y):
    """A ring that went once round the world, closed over its pole."""
    if abs(ring[-1][0] - ring[0][0]) < turn / 2:
        return ring
    return ring + [(ring[-1][0], pole_y), (ring[0][0], pole_y)]


def twice_area(ring):
    return sum(ring[i - 1][0] * ring[i][1] - ring[i][0] * ring[i - 1][1] for i in range(len(ring)))


def encode_line(points):
    out = bytearray(varint(len(points)))
    px = py = 0
    for x, y in points:
        out += varint(zigzag(x - px)) + varint(zigzag(y - py))
        px, py = x, y
    return bytes(out)


def drop_repeats(points):
    kept = [points[0]]
    for p in points[1:]:
        if p != kept[-1]:
            kept.append(p)
    return kept


def main(source, target):
    with open(source, encoding="utf-8") as f:
        topology = json.load(f)
    arcs = absolute_arcs(topology)
    objects = topology["objects"]
    scale_x, scale_y = topology["transform"]["scale"]
    translate_y = topology["transform"]["translate"][1]
    turn = round(360.0 / scale_x)
    north_y = round((90.0 - translate_y) / scale_y)

    rings = []
    for geometry in objects["land"]["geometries"]:
        polygons = geometry["arcs"] if geometry["type"] == "MultiPolygon" else [geometry["arcs"]]
        for polygon in polygons:
            for ring in polygon:
                points = continuous(drop_repeats(ring_points(arcs, ring)), turn)
                south = sum(y for _, y in points) / len(points) < north_y / 2
                points = close_over_pole(points, turn, 0 if south else north_y)
                if len(points) >= 4 and twice_area(points) != 0:
                    rings.append(points)

    users = defaultdict(set)
    for number, geometry in enumerate(objects["countries"]["geometries"]):
        polygons = geometry["arcs"] if geometry["type"] == "MultiPolygon" else [geometry["arcs"]]
        for polygon in polygons:
            for ring in polygon:
                for index in ring:
                    users[index if index >= 0 else ~index].add(number)
    borders = [continuous(drop_repeats(arcs[i]), turn) for i in sorted(users) if len(users[i]) == 2]
    borders = [b for b in borders if len(b) >= 2]

    transform = topology["transform"]
    out = bytearray(b"TVMAP\x01")
    out += struct.pack("<4d", *transform["scale"], *transform["translate"])
    out += varint(len(rings))
    for ring in rings:
        out += encode_line(ring)
    out += varint(len(borders))
    for line in borders:
        out += encode_line(line)
    with open(target, "wb") as f:
        f.write(out)
    points = sum(len(r) for r in rings) + sum(len(b) for b in borders)
    print(f"{target}: {len(rings)} land rings, {len(borders)} border lines, {points} points, {len(out)} bytes")


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit("usage: map_data.py countries-50m.json OUTPUT")
    main(sys.argv[1], sys.argv[2])
