#!/usr/bin/env python3
"""Writes the seed inputs of zvsd_calls_fuzz into corpus/zvsd_calls_fuzz.

The target reads its input with FuzzedDataProvider: numbers are taken byte by
byte from the end of the data (the first byte taken is the most significant),
byte strings (the callback script) from the front.  A Seed collects both in
the order the target reads them and lays them out that way."""
import os

OPS = dict(create=0, free=1, setdata=2, open=3, close=4, add=5, hole=6, changed=7, draw=8, get=9, clear=10, script=11)


class Seed:
    def __init__(self):
        self.front = b""
        self.numbers = []  # in the order the target consumes them

    def byte(self, v):
        self.numbers.append(v & 0xFF)

    def word(self, v, size):
        for k in reversed(range(size)):
            self.byte(v >> (8 * k))

    def op(self, name, slot=0):
        self.byte(OPS[name] + 16 * slot)  # slot s: code >> 4 == s

    def setdata(self, slot=0, which=0, front=1, project=0, depth=0, interpolate=0, abort_after=0, script_at=0):
        self.op("setdata", slot)
        self.word(which, 2)
        self.byte(front)
        self.word(0, 4)  # HostValue1
        self.word(7, 4)  # ItemCount, ignored
        for v in (project, depth, interpolate, abort_after, script_at):
            self.byte(v)

    def contour(self, points, hole=False, slot=0, planar=False):
        """Points on the grid -6..6 (kind 0), or with X and Y far away (kind 219: X, Y on the grid + 1e12, Z on the grid)."""
        self.op("hole" if hole else "add", slot)
        self.byte(1 if planar else 3)  # shape: 1 = z is 0, 3 = z read
        self.byte(len(points))
        for p in points:
            far = any(abs(c) > 6 for c in p)
            self.byte(219 if far else 0)
            if far:
                self.byte(int(p[0] - 1e12) + 6)
                self.byte(int(p[1] - 1e12) + 6)
                if not planar:
                    self.byte(int(p[2]) + 6)
            else:
                for c in (p if not planar else p[:2]):
                    self.byte(int(c) + 6)

    def script(self, codes):
        self.op("script")
        self.byte(len(codes))
        self.front += bytes(codes)

    def data(self):
        return self.front + bytes(reversed(self.numbers))


def square(x0, y0, x1, y1, z):
    # Clockwise in a y-up plane: faces the viewer with FrontPositive.
    return [(x0, y0, z), (x0, y1, z), (x1, y1, z), (x1, y0, z)]


ALL_CALLBACKS = 0x00E4  # projection, depth, interpolation, line, move, abort query, begin, end


def seeds():
    s = Seed()  # two squares, the front one covering part of the back one
    s.setdata(which=ALL_CALLBACKS)
    s.op("open"); s.word(0, 2)
    s.contour(square(-5, -5, 3, 3, 0))
    s.contour(square(-1, -1, 5, 5, 2))
    s.op("close"); s.op("get"); s.op("draw"); s.word(0, 4)
    yield "two_squares", s

    s = Seed()  # a face with a hole, an edge behind it, drawn with hidden lines
    s.setdata(which=ALL_CALLBACKS | 0x0100)
    s.op("open"); s.word(0, 2)
    s.contour(square(-6, -6, 6, 6, 2))
    s.contour(square(-2, -2, 2, 2, 2)[::-1], hole=True)
    s.contour(square(-4, -5, 5, 0, 0))
    s.op("close"); s.op("get"); s.op("draw"); s.word(0, 4)
    yield "hole", s

    s = Seed()  # degenerate contours: two points, collinear, repeated points, a leading hole
    s.setdata(which=ALL_CALLBACKS)
    s.contour([(1, 1, 0), (2, 2, 0)], hole=True)
    s.contour([(0, 0, 0), (1, 1, 0), (3, 3, 0)])
    s.contour([(0, 0, 0), (0, 0, 0), (0, 4, 0), (0, 4, 0), (4, 4, 0), (4, 0, 0), (0, 0, 0)])
    s.op("get")
    yield "degenerate", s

    s = Seed()  # a projection that answers NaN every third time, a depth of infinity
    s.setdata(which=ALL_CALLBACKS, project=5, depth=2)
    s.contour(square(-5, -5, 3, 3, 0))
    s.contour(square(-1, -1, 5, 5, 2))
    s.op("changed"); s.op("get")
    yield "nonfinite_answers", s

    s = Seed()  # callbacks that add, clear, draw and free, on their own and on another handle
    s.op("create", 1)
    s.setdata(which=ALL_CALLBACKS, script_at=1)
    s.script([0x30, 0x32, 0x34, 0x07, 0x09, 0x0A, 0x39])
    s.contour(square(-5, -5, 3, 3, 0))
    s.contour(square(-1, -1, 5, 5, 2))
    s.op("draw"); s.word(0, 4); s.op("get")
    yield "reentrant", s

    s = Seed()  # the two squares far from the origin
    s.setdata(which=ALL_CALLBACKS)
    s.op("open"); s.word(0, 2)
    s.contour([(x + 1e12, y + 1e12, 0.0) for x, y, _ in square(-5, -5, 3, 3, 0)])
    s.contour([(x + 1e12, y + 1e12, 2.0) for x, y, _ in square(-1, -1, 5, 5, 2)])
    s.op("close"); s.op("get")
    yield "far_away", s


if __name__ == "__main__":
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus", "zvsd_calls_fuzz")
    os.makedirs(out, exist_ok=True)
    for name, seed in seeds():
        with open(os.path.join(out, name), "wb") as f:
            f.write(seed.data())
