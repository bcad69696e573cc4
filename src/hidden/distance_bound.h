// A quick double-precision answer to "is point c farther than band from the
// segment p-q?", for the hot paths that otherwise measure the distance in
// extended precision. It answers true only where the double evaluation is
// far enough above the band that the exact distance is too: the rounding of
// this evaluation stays below 1e-12 of the largest coordinate (plus a trace
// for underflow), so anything it leaves undecided goes to the exact measure.
#pragma once

#include <algorithm>
#include <cmath>

#include "zvhlr.h"  // TXY

namespace zv {

inline bool SurelyBeyond(const TXY& c, const TXY& p, const TXY& q, double band) {
    const double size =
        std::max({std::abs(p.X), std::abs(p.Y), std::abs(q.X), std::abs(q.Y), std::abs(c.X), std::abs(c.Y)});
    if (!(size < 1e150)) return false;  // squares could overflow (or a value is not a number)
    const double dx = q.X - p.X, dy = q.Y - p.Y, px = c.X - p.X, py = c.Y - p.Y;
    const double length2 = dx * dx + dy * dy;
    double f = length2 > 0 ? (px * dx + py * dy) / length2 : 0.0;
    f = std::clamp(f, 0.0, 1.0);
    const double ex = px - f * dx, ey = py - f * dy;
    const double limit = band + 1e-12 * size + 1e-150;
    return ex * ex + ey * ey > limit * limit;
}

}  // namespace zv
