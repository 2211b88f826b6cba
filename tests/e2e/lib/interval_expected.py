#!/usr/bin/env python3
"""The points an equal-interval run must draw, worked out here on their own from the input.

    interval_expected.py full|quick INTERVAL_MM < INPUT > EXPECTED

INPUT is a CloudCompare text export (X Y Z R G B, blanks, LF); EXPECTED gets the input lines that
the thinning keeps, in file order.

full: in file order, a point that is still kept drops every later point, at most 1,200 points on,
whose distance from it is smaller than the interval (metres). Coordinates and distances are
32-bit floats: float differences, the root of the sum of their squares taken in double precision
and rounded to a float.

quick: the first point is the reference and is not drawn; a later point is kept when its
distance d from the reference (float differences, the rest in double precision, in millimetres)
lies strictly within 5 mm of k x I, k being round(d) divided by round(I) (halves to even) without
the remainder; an interval that rounds to 0 keeps every point.

Both take the coordinates relative to a local origin: per axis, when the first point's coordinate
is 10,000 m or more in magnitude (and below 10^21 m), that coordinate rounded to whole kilometres
(halves away from zero), subtracted exactly in decimal before the value is taken to a float.
"""
import decimal
import math
import struct
import sys

WINDOW = 1200


def f32(value):
    return struct.unpack("f", struct.pack("f", value))[0]


def full(points, interval_mm):
    limit = f32(f32(interval_mm) / 1000)
    dropped = [False] * len(points)
    for i, (xi, yi, zi) in enumerate(points):
        if dropped[i]:
            continue
        for j in range(i + 1, min(i + WINDOW, len(points) - 1) + 1):
            if dropped[j]:
                continue
            xj, yj, zj = points[j]
            # Far from the limit the double distance decides as the float one does.
            rough = math.sqrt((xi - xj) ** 2 + (yi - yj) ** 2 + (zi - zj) ** 2)
            if rough > limit * 1.001:
                continue
            dx, dy, dz = f32(xi - xj), f32(yi - yj), f32(zi - zj)
            if f32(math.sqrt(dx * dx + dy * dy + dz * dz)) < limit:
                dropped[j] = True
    return [not d for d in dropped]


def quick(points, interval_mm):
    interval = f32(interval_mm)
    rounded = round(interval)
    x0, y0, z0 = points[0]
    kept = [False]
    for x, y, z in points[1:]:
        dx, dy, dz = f32(x - x0), f32(y - y0), f32(z - z0)
        d = math.sqrt(dx * dx + dy * dy + dz * dz) * 1000
        if rounded == 0:
            kept.append(True)
            continue
        k = int(round(d) / rounded)  # truncated toward zero
        kept.append(k * interval - 5 < d < k * interval + 5)
    return kept


def local_origin(reference):
    origin = []
    for text in reference:
        value = decimal.Decimal(text)
        kilometres = (abs(value) / 1000).to_integral_value(rounding=decimal.ROUND_HALF_UP)
        origin.append(0 if abs(value) < 10000 or abs(value) >= 10 ** 21
                      else decimal.Decimal(1).copy_sign(value) * kilometres * 1000)
    return origin


def main():
    kind, interval = sys.argv[1], float(sys.argv[2])
    lines = sys.stdin.read().splitlines()
    decimal.getcontext().prec = 100
    texts = [line.split(" ")[:3] for line in lines]
    origin = local_origin(texts[0]) if texts else [0, 0, 0]
    points = [tuple(f32(float(decimal.Decimal(v) - s)) for v, s in zip(t, origin)) for t in texts]
    kept = full(points, interval) if kind == "full" else quick(points, interval)
    sys.stdout.write("".join(line + "\n" for line, k in zip(lines, kept) if k))


if __name__ == "__main__":
    main()
