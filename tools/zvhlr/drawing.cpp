#include "drawing.h"

#include <algorithm>
#include <bit>
#include <cstdint>
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

bool SamePoint(Point2 a, Point2 b) { return a.x == b.x && a.y == b.y; }

// Equal points hash alike (-0.0 as 0.0).
uint64_t HashOf(Point2 p) {
    const uint64_t h = (std::bit_cast<uint64_t>(p.x + 0.0) * 0x9E3779B97F4A7C15ull) ^ std::bit_cast<uint64_t>(p.y + 0.0);
    return (h ^ (h >> 31)) * 0xBF58476D1CE4E5B9ull;
}

}  // namespace

void JoinPolylines(std::vector<Polyline>& lines) {
    // Every end of every line (2k the front of line k, 2k + 1 its back),
    // sorted by the hash of its point: ends at one point form a run, in the
    // order of their lines.
    struct End {
        uint64_t hash;
        size_t end;
        bool operator<(const End& other) const { return hash != other.hash ? hash < other.hash : end < other.end; }
    };
    auto pointOf = [&](size_t end) { return end % 2 ? lines[end / 2].back() : lines[end / 2].front(); };
    std::vector<End> ends;
    ends.reserve(2 * lines.size());
    for (size_t end = 0; end < 2 * lines.size(); ++end) ends.push_back({HashOf(pointOf(end)), end});
    std::sort(ends.begin(), ends.end());
    std::vector<size_t> runOf(ends.size());  // per end, where the run of its hash starts in ends
    for (size_t i = 0; i < ends.size(); ++i) {
        runOf[ends[i].end] = i > 0 && ends[i - 1].hash == ends[i].hash ? runOf[ends[i - 1].end] : i;
    }
    std::vector<bool> used(lines.size(), false);
    // The first end of an unused line, other than self, at the point of the
    // given end (which belongs to a line already taken).
    auto endMeeting = [&](size_t at, Point2 p, size_t self) -> std::optional<size_t> {
        for (size_t i = runOf[at]; i < ends.size() && ends[i].hash == ends[runOf[at]].hash; ++i) {
            const size_t line = ends[i].end / 2;
            if (line != self && !used[line] && SamePoint(pointOf(ends[i].end), p)) return ends[i].end;
        }
        return std::nullopt;
    };
    std::vector<Polyline> joined;
    for (size_t k = 0; k < lines.size(); ++k) {
        if (used[k]) continue;
        used[k] = true;
        Polyline line = std::move(lines[k]);
        size_t tail = 2 * k + 1;  // the original end that line.back() is
        for (int pass = 0; pass < 2; ++pass) {
            while (auto next = endMeeting(tail, line.back(), k)) {
                const size_t piece = *next / 2;
                used[piece] = true;
                const Polyline& points = lines[piece];
                if (*next % 2 == 0) line.insert(line.end(), points.begin() + 1, points.end());
                else line.insert(line.end(), points.rbegin() + 1, points.rend());
                tail = *next ^ 1;
            }
            std::reverse(line.begin(), line.end());  // the second pass extends the other end
            tail = 2 * k;
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
