#include "drawing.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>

namespace zv::tool {

void AddSegment(std::vector<Polyline>& lines, Point2 a, Point2 b) {
    if (!lines.empty()) {
        Point2 end = lines.back().back();
        if (end.x == a.x && end.y == a.y) {
            lines.back().push_back(b);
            return;
        }
    }
    lines.push_back({a, b});
}

namespace {

using PointKey = std::pair<double, double>;

PointKey KeyOf(Point2 p) { return {p.x + 0.0, p.y + 0.0}; }

}  // namespace

void JoinPolylines(std::vector<Polyline>& lines) {
    // Each end of each line by its point, sorted for lookup: lines meeting at
    // a point come in the order of their index.
    std::vector<std::pair<PointKey, size_t>> ends;
    ends.reserve(2 * lines.size());
    for (size_t k = 0; k < lines.size(); ++k) {
        ends.push_back({KeyOf(lines[k].front()), k});
        ends.push_back({KeyOf(lines[k].back()), k});
    }
    std::sort(ends.begin(), ends.end());
    std::vector<bool> used(lines.size(), false);
    auto takeLineAt = [&](Point2 p, size_t self) -> std::optional<size_t> {
        const PointKey key = KeyOf(p);
        for (auto it = std::lower_bound(ends.begin(), ends.end(), std::pair{key, size_t{0}});
             it != ends.end() && it->first == key; ++it) {
            if (it->second != self && !used[it->second]) return it->second;
        }
        return std::nullopt;
    };
    std::vector<Polyline> joined;
    for (size_t k = 0; k < lines.size(); ++k) {
        if (used[k]) continue;
        used[k] = true;
        Polyline line = std::move(lines[k]);
        for (int pass = 0; pass < 2; ++pass) {
            while (auto next = takeLineAt(line.back(), k)) {
                used[*next] = true;
                Polyline piece = std::move(lines[*next]);
                if (KeyOf(piece.front()) != KeyOf(line.back())) std::reverse(piece.begin(), piece.end());
                line.insert(line.end(), piece.begin() + 1, piece.end());
            }
            std::reverse(line.begin(), line.end());  // the second pass extends the other end
        }
        joined.push_back(std::move(line));
    }
    lines = std::move(joined);
}

double LengthOf(const std::vector<Polyline>& lines) {
    double length = 0;
    for (const Polyline& line : lines) {
        for (size_t k = 1; k < line.size(); ++k) length += std::hypot(line[k].x - line[k - 1].x, line[k].y - line[k - 1].y);
    }
    return length;
}

namespace {

void Extend(Extent& extent, const std::vector<Polyline>& lines) {
    for (const Polyline& line : lines) {
        for (Point2 p : line) {
            if (extent.empty) {
                extent.min = extent.max = p;
                extent.empty = false;
            }
            extent.min = {std::min(extent.min.x, p.x), std::min(extent.min.y, p.y)};
            extent.max = {std::max(extent.max.x, p.x), std::max(extent.max.y, p.y)};
        }
    }
}

}  // namespace

Extent ExtentOf(const Drawing& drawing, bool withHidden) {
    Extent extent;
    Extend(extent, drawing.visible);
    if (withHidden) Extend(extent, drawing.hidden);
    Extend(extent, drawing.text);
    return extent;
}

}  // namespace zv::tool
