#include "drawing.h"

#include <algorithm>
#include <cmath>
#include <map>
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
    // Each end of each line, by its point.
    std::multimap<PointKey, size_t> ends;
    for (size_t k = 0; k < lines.size(); ++k) {
        ends.insert({KeyOf(lines[k].front()), k});
        ends.insert({KeyOf(lines[k].back()), k});
    }
    std::vector<bool> used(lines.size(), false);
    auto takeLineAt = [&](Point2 p, size_t self) -> std::optional<size_t> {
        auto [first, last] = ends.equal_range(KeyOf(p));
        for (auto it = first; it != last; ++it) {
            if (it->second != self && !used[it->second]) return it->second;
        }
        return std::nullopt;
    };
    std::vector<Polyline> joined;
    for (size_t k = 0; k < lines.size(); ++k) {
        if (used[k]) continue;
        used[k] = true;
        Polyline line = lines[k];
        for (int pass = 0; pass < 2; ++pass) {
            while (auto next = takeLineAt(line.back(), k)) {
                used[*next] = true;
                Polyline piece = lines[*next];
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
