#include "drafting.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <unordered_map>
#include <utility>

namespace zv::tool {

namespace {

struct Segment {
    Point2 a, b;
    bool hidden = false;
};

// A segment placed on its line: the line's direction (canonical: pointing
// right, or straight up), its signed distance from the origin, and the
// segment's extent along it.
struct Placed {
    double angle = 0, offset = 0;
    double t0 = 0, t1 = 0;
    Point2 p0, p1;  // the original end points at t0 and t1
    bool hidden = false;
};

Placed PlaceSegment(const Segment& s) {
    double dx = s.b.x - s.a.x, dy = s.b.y - s.a.y;
    const double length = std::hypot(dx, dy);
    dx /= length, dy /= length;
    if (std::fabs(dx) < 1e-12) dx = 0, dy = 1;
    if (dx < 0) dx = -dx, dy = -dy;
    Placed placed;
    placed.angle = std::atan2(dy, dx);
    placed.offset = dx * s.a.y - dy * s.a.x;
    double ta = dx * s.a.x + dy * s.a.y, tb = dx * s.b.x + dy * s.b.y;
    placed.t0 = ta, placed.t1 = tb, placed.p0 = s.a, placed.p1 = s.b;
    if (tb < ta) std::swap(placed.t0, placed.t1), std::swap(placed.p0, placed.p1);
    placed.hidden = s.hidden;
    return placed;
}

// Every segment of the drawing longer than minLength, placed on its line.
std::vector<Placed> PlacedSegmentsOf(const Drawing& drawing, double minLength) {
    std::vector<Placed> placed;
    for (int pass = 0; pass < 2; ++pass) {
        for (const Polyline& line : pass == 0 ? drawing.visible : drawing.hidden) {
            for (size_t k = 1; k < line.size(); ++k) {
                if (std::hypot(line[k].x - line[k - 1].x, line[k].y - line[k - 1].y) > minLength) {
                    placed.push_back(PlaceSegment({line[k - 1], line[k], pass == 1}));
                }
            }
        }
    }
    return placed;
}

// Stretches along one line: [t0, t1] with their end points.
struct Stretch {
    double t0, t1;
    Point2 p0, p1;
};

// The union of the stretches, sorted, with stretches that overlap or touch
// (within tolerance) merged.
std::vector<Stretch> UnionOf(std::vector<Stretch> stretches, double tolerance) {
    std::sort(stretches.begin(), stretches.end(), [](const Stretch& x, const Stretch& y) { return x.t0 < y.t0; });
    std::vector<Stretch> merged;
    for (const Stretch& s : stretches) {
        if (!merged.empty() && s.t0 <= merged.back().t1 + tolerance) {
            if (s.t1 > merged.back().t1) merged.back().t1 = s.t1, merged.back().p1 = s.p1;
        } else {
            merged.push_back(s);
        }
    }
    return merged;
}

// The parts of the hidden stretches that no visible stretch covers.
std::vector<Stretch> Subtract(const std::vector<Stretch>& hidden, const std::vector<Stretch>& visible,
                              double tolerance) {
    std::vector<Stretch> rest;
    size_t v = 0;
    for (Stretch h : hidden) {
        while (v < visible.size() && visible[v].t1 <= h.t0) ++v;
        for (size_t k = v; k < visible.size() && visible[k].t0 < h.t1; ++k) {
            if (visible[k].t0 - h.t0 > tolerance) rest.push_back({h.t0, visible[k].t0, h.p0, visible[k].p0});
            if (visible[k].t1 > h.t0) h.t0 = visible[k].t1, h.p0 = visible[k].p1;
        }
        if (h.t1 - h.t0 > tolerance) rest.push_back(h);
    }
    return rest;
}

using PlacedIt = std::vector<Placed>::iterator;

// Draws the segments of one line: the union of the visible ones, and of the
// hidden ones what the visible ones leave.
void EmitLine(PlacedIt first, PlacedIt last, double tolerance, Drawing& out) {
    std::vector<Stretch> visible, hidden;
    for (PlacedIt p = first; p != last; ++p) (p->hidden ? hidden : visible).push_back({p->t0, p->t1, p->p0, p->p1});
    visible = UnionOf(std::move(visible), tolerance);
    hidden = Subtract(UnionOf(std::move(hidden), tolerance), visible, tolerance);
    for (const Stretch& s : visible) out.visible.push_back({s.p0, s.p1});
    for (const Stretch& s : hidden) out.hidden.push_back({s.p0, s.p1});
}

// Sorts [first, last) by offset and calls visit(begin, end) for each group
// whose offsets lie within tolerance of their neighbour's.
template <typename Visit>
void ForEachLine(PlacedIt first, PlacedIt last, double tolerance, Visit visit) {
    std::sort(first, last, [](const Placed& x, const Placed& y) { return x.offset < y.offset; });
    PlacedIt start = first;
    for (PlacedIt it = first; it != last; ++it) {
        if (it != first && it->offset - (it - 1)->offset > tolerance) visit(start, it), start = it;
    }
    if (start != last) visit(start, last);
}

// Sorts [first, last) by direction and calls visit(begin, end) for each group
// of segments of nearly one direction: directions chain from segment to
// segment within angleTolerance (pieces of one edge stay together).  With a
// bound (reach, finite when the model's rounding sets the tolerance), a group
// turns by no more than span, and by no more than keeps the ends of its
// longest segment within reach of one line: otherwise the slowly turning
// facet edges of a curved surface would chain into one line.
template <typename Visit>
void ForEachDirection(PlacedIt first, PlacedIt last, double angleTolerance, double span, double reach, Visit visit) {
    std::sort(first, last, [](const Placed& x, const Placed& y) { return x.angle < y.angle; });
    PlacedIt start = first;
    double longest = 0;
    for (PlacedIt it = first; it != last; ++it) {
        const double length = it->t1 - it->t0;
        const double turn = it->angle - start->angle;
        const bool apart = it != first && (it->angle - (it - 1)->angle > angleTolerance || turn > span ||
                                           turn * std::max(longest, length) > reach);
        if (apart) visit(start, it), start = it, longest = 0;
        longest = std::max(longest, length);
    }
    if (start != last) visit(start, last);
}

Point2 Along(Point2 a, Point2 b, double t) { return {a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)}; }

// The values of t in [lo, hi] where v0 + t * v1 lies in [low, high].
void ClipLinear(double v0, double v1, double low, double high, double& lo, double& hi) {
    if (v1 == 0) {
        if (v0 < low || v0 > high) lo = 1, hi = 0;
        return;
    }
    double t0 = (low - v0) / v1, t1 = (high - v0) / v1;
    if (t0 > t1) std::swap(t0, t1);
    lo = std::max(lo, t0), hi = std::min(hi, t1);
}

// The stretch [t0, t1] of segment ab that runs alongside segment cd within
// tolerance (t0 > t1 when there is none): the two must be parallel within
// what the tolerance allows at the ends of the shorter one, and a point of
// ab counts where its foot on cd's line lies on cd, so lines meeting end to
// end or crossing are not taken for one another.
std::pair<double, double> NearStretch(Point2 a, Point2 b, Point2 c, Point2 d, double tolerance) {
    const double ux = b.x - a.x, uy = b.y - a.y, vx = d.x - c.x, vy = d.y - c.y;
    const double lu = std::hypot(ux, uy), lv = std::hypot(vx, vy);
    if (!(lu > 0 && lv > 0)) return {1, 0};
    if (std::fabs(ux * vy - uy * vx) / (lu * lv) > 2 * tolerance / std::min(lu, lv)) return {1, 0};
    const double wx = a.x - c.x, wy = a.y - c.y;
    double lo = 0, hi = 1;
    ClipLinear((wx * vx + wy * vy) / (lv * lv), (ux * vx + uy * vy) / (lv * lv), 0, 1, lo, hi);
    ClipLinear((vx * wy - vy * wx) / lv, (vx * uy - vy * ux) / lv, -tolerance, tolerance, lo, hi);
    return {lo, hi};
}

// Segments drawn so far, found by the cells of a grid that their boxes,
// widened by the tolerance, cover.
class SegmentGrid {
public:
    SegmentGrid(double cell, double tolerance) : cell_(cell), tolerance_(tolerance) {}

    void Add(Point2 a, Point2 b) {
        segments_.push_back({a, b});
        ForCells(a, b, [&](uint64_t key) { cells_[key].push_back(static_cast<int>(segments_.size()) - 1); });
    }

    // The parts of ab farther than the tolerance from every segment added.
    std::vector<std::pair<double, double>> FreeParts(Point2 a, Point2 b) const {
        std::vector<std::pair<double, double>> covered;
        std::vector<int> seen;
        ForCells(a, b, [&](uint64_t key) {
            auto it = cells_.find(key);
            if (it == cells_.end()) return;
            for (int s : it->second) {
                if (std::find(seen.begin(), seen.end(), s) != seen.end()) continue;
                seen.push_back(s);
                const auto near = NearStretch(a, b, segments_[s].first, segments_[s].second, tolerance_);
                if (near.first <= near.second) covered.push_back(near);
            }
        });
        std::sort(covered.begin(), covered.end());
        std::vector<std::pair<double, double>> free;
        double from = 0;
        for (const auto& [t0, t1] : covered) {
            if (t0 > from) free.push_back({from, t0});
            from = std::max(from, t1);
        }
        if (from < 1) free.push_back({from, 1});
        return free;
    }

private:
    template <typename Visit>
    void ForCells(Point2 a, Point2 b, Visit visit) const {
        const auto cellOf = [&](double v) { return static_cast<int64_t>(std::floor(v / cell_)); };
        const int64_t x0 = cellOf(std::min(a.x, b.x) - tolerance_), x1 = cellOf(std::max(a.x, b.x) + tolerance_);
        const int64_t y0 = cellOf(std::min(a.y, b.y) - tolerance_), y1 = cellOf(std::max(a.y, b.y) + tolerance_);
        for (int64_t x = x0; x <= x1; ++x)
            for (int64_t y = y0; y <= y1; ++y) visit(static_cast<uint64_t>(x) << 32 ^ static_cast<uint32_t>(y));
    }

    double cell_, tolerance_;
    std::vector<std::pair<Point2, Point2>> segments_;
    std::unordered_map<uint64_t, std::vector<int>> cells_;
};

// Far from the origin the rounding of the corners turns short lines by more
// than the direction test above allows, so lines that coincide within the
// rounding escape it.  Of each line, what lies within tolerance of a visible
// line, or of a hidden line drawn before it when it is hidden itself, is left
// out; pieces no longer than the tolerance are dropped.
void DropNearCoincident(Drawing& drawing, double tolerance, double size) {
    SegmentGrid visibleGrid(size / 128, tolerance), hiddenGrid(size / 128, tolerance);
    auto keep = [&](const std::vector<Polyline>& lines, bool hidden, std::vector<Polyline>& out) {
        for (const Polyline& line : lines) {
            for (size_t k = 1; k < line.size(); ++k) {
                const Point2 a = line[k - 1], b = line[k];
                const double length = std::hypot(b.x - a.x, b.y - a.y);
                std::vector<std::pair<double, double>> parts = visibleGrid.FreeParts(a, b);
                if (hidden) {
                    std::vector<std::pair<double, double>> rest;
                    for (const auto& [t0, t1] : parts) {
                        const Point2 p = Along(a, b, t0), q = Along(a, b, t1);
                        for (const auto& [u0, u1] : hiddenGrid.FreeParts(p, q)) rest.push_back({t0 + u0 * (t1 - t0), t0 + u1 * (t1 - t0)});
                    }
                    parts = std::move(rest);
                }
                for (const auto& [t0, t1] : parts) {
                    if ((t1 - t0) * length <= tolerance) continue;
                    const Point2 p = Along(a, b, t0), q = Along(a, b, t1);
                    out.push_back({p, q});
                    (hidden ? hiddenGrid : visibleGrid).Add(p, q);
                }
            }
        }
    };
    Drawing kept;
    keep(drawing.visible, false, kept.visible);
    keep(drawing.hidden, true, kept.hidden);
    drawing.visible = std::move(kept.visible);
    drawing.hidden = std::move(kept.hidden);
}

}  // namespace

void ApplyDraftingConventions(Drawing& drawing, double joinDistance, bool roundedCorners) {
    const Extent extent = ExtentOf(drawing, true);
    if (extent.empty) return;
    const double size = std::max({extent.max.x - extent.min.x, extent.max.y - extent.min.y, 1e-300});
    const double join = std::isfinite(joinDistance) ? std::min(joinDistance, 1e-3 * size) : 0.0;
    const double tolerance = std::max(1e-6 * size, join);
    std::vector<Placed> placed = PlacedSegmentsOf(drawing, tolerance);
    Drawing clean;
    const double angleTolerance = tolerance / size;
    const bool rounded = join > 1e-6 * size;
    const double span = rounded ? 16 * angleTolerance : HUGE_VAL, reach = rounded ? 4 * tolerance : HUGE_VAL;
    ForEachDirection(placed.begin(), placed.end(), angleTolerance, span, reach, [&](PlacedIt first, PlacedIt last) {
        ForEachLine(first, last, tolerance, [&](PlacedIt a, PlacedIt b) { EmitLine(a, b, tolerance, clean); });
    });
    if (rounded || roundedCorners) DropNearCoincident(clean, tolerance, size);
    JoinPolylines(clean.visible);
    JoinPolylines(clean.hidden);
    clean.text = std::move(drawing.text);
    drawing = std::move(clean);
}

}  // namespace zv::tool
