// A host of the ZVSD exports for the interface tests: what it answers through
// the callbacks can be replaced per test, and it records what the library
// called. One is active at a time, reached through a global because the C
// callbacks carry only the handle.
#pragma once

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

#include <gtest/gtest.h>

#include "zvhlr.h"

namespace zvsdtest {

using Points = std::vector<TXYZ>;

// Clockwise in the x/y plane: faces a viewer on +z under FrontPositive.
inline Points Square(double x0, double y0, double x1, double y1, double z) {
    return {{x0, y0, z}, {x0, y1, z}, {x1, y1, z}, {x1, y0, z}};
}

// Depth for a parallel view along z: the viewer looks from +z.
inline double PlaneDepth(const TXYZ& p, const TPlane& plane) {
    const TXYZ& n = plane.Normal;
    if (std::fabs(n.Z) < 1e-12) return 0.0;
    return ((p.X - plane.Origin.X) * n.X + (p.Y - plane.Origin.Y) * n.Y + (p.Z - plane.Origin.Z) * n.Z) / n.Z;
}

struct Host {
    std::function<void(ZVSDHandle, const TXYZ&, TXY&)> project = [](ZVSDHandle, const TXYZ& p, TXY& q) {
        q = TXY{p.X, p.Y};
    };
    std::function<double(ZVSDHandle, const TXYZ&, const TPlane&)> depth = [](ZVSDHandle, const TXYZ& p,
                                                                              const TPlane& plane) {
        return PlaneDepth(p, plane);
    };
    std::function<void(ZVSDHandle, const TXYZ&, const TXYZ&, double, TXYZ&)> interpolate;  // optional
    std::function<bool(ZVSDHandle)> abort;       // optional: answers the abort query
    std::function<void(ZVSDHandle)> inCallback;  // run from every callback while set
    int begins = 0, ends = 0, projections = 0;
    std::vector<int> drawn;  // 2 = move, 1 = visible line, 0 = hidden line
    std::vector<TXY> drawnAt;  // the points of the moves and lines

    Host() { Current() = this; }
    ~Host() { Current() = nullptr; }
    static Host*& Current() {
        static Host* current = nullptr;
        return current;
    }

    // A handle with every callback of this host (the depth only when asked).
    ZVSDHandle NewHandle(bool withDepth = true) const {
        ZVSDHandle h = ZVSDCreate();
        TZVSDData d;
        _ZVSDGetData(h, &d);
        d.ProjectProc = [](ZVSDHandle h, const TXYZ* p, TXY* out) {
            ++Current()->projections;
            Current()->project(h, *p, *out);
            Current()->Nested(h);
        };
        if (withDepth)
            d.DepthProc = [](ZVSDHandle h, const TXYZ* p, const TPlane* plane, TXYZ*) {
                Current()->Nested(h);
                return Current()->depth(h, *p, *plane);
            };
        if (interpolate)
            d.InterpolateProc = [](ZVSDHandle h, const TXYZ* a, const TXYZ* b, double t, TXYZ* out) {
                Current()->interpolate(h, *a, *b, t, *out);
            };
        if (abort)
            d.QueryAbortProc = [](ZVSDHandle h, int16_t* flag) { *flag = Current()->abort(h) ? 1 : 0; };
        d.MoveToProc = [](ZVSDHandle h, const TXY* p) { Current()->Drawn(h, 2, *p); };
        d.LineToProc = [](ZVSDHandle h, int32_t visible, const TXY* p) { Current()->Drawn(h, visible, *p); };
        d.BeginProc = [](ZVSDHandle) { ++Current()->begins; };
        d.EndProc = [](ZVSDHandle) { ++Current()->ends; };
        _ZVSDSetData(h, &d);
        return h;
    }
    void Nested(ZVSDHandle h) const {
        if (inCallback) inCallback(h);
    }
    void Drawn(ZVSDHandle h, int what, TXY at) {
        drawn.push_back(what);
        drawnAt.push_back(at);
        Nested(h);
    }
};

inline int32_t Add(ZVSDHandle h, const Points& points, bool hole = false) {
    const int32_t n = static_cast<int32_t>(points.size());
    return hole ? ZVSDAddHole(h, n, points.data()) : ZVSDAddContour(h, n, points.data());
}

// Adds outer contours in one bracket, which calculates once.
inline void AddScene(ZVSDHandle h, const std::vector<Points>& contours) {
    ZVSDSetChanging(h, 1);
    for (const Points& c : contours) Add(h, c);
    ZVSDSetChanging(h, 0);
}

inline int32_t ItemCount(ZVSDHandle h) {
    TZVSDData d;
    return _ZVSDGetData(h, &d) == 0 ? d.ItemCount : -1;
}

// What one of the item exports hands out for item index (empty for an unknown item).
template <class T, class Export>
std::vector<T> ItemValues(Export get, ZVSDHandle h, int32_t index) {
    std::vector<T> values(static_cast<size_t>(std::max(0, get(h, index, nullptr))));
    if (!values.empty()) get(h, index, values.data());
    return values;
}
inline std::vector<double> Mask(ZVSDHandle h, int32_t index) { return ItemValues<double>(ZVSDGetMask, h, index); }
inline std::vector<TXY> Outline(ZVSDHandle h, int32_t index) { return ItemValues<TXY>(ZVSDGetArray2d, h, index); }
inline Points Corners(ZVSDHandle h, int32_t index) { return ItemValues<TXYZ>(ZVSDGetArray3d, h, index); }

using Masks = std::vector<std::vector<double>>;

inline Masks AllMasks(ZVSDHandle h) {
    Masks masks;
    for (int32_t k = 0; k < ItemCount(h); ++k) masks.push_back(Mask(h, k));
    return masks;
}

// The masks item by item, each value within tolerance.
inline void ExpectMasksNear(const Masks& actual, const Masks& wanted, double tolerance) {
    ASSERT_EQ(actual.size(), wanted.size());
    for (size_t i = 0; i < wanted.size(); ++i) {
        ASSERT_EQ(actual[i].size(), wanted[i].size()) << "item " << i << ": " << testing::PrintToString(actual[i]);
        for (size_t k = 0; k < wanted[i].size(); ++k) EXPECT_NEAR(actual[i][k], wanted[i][k], tolerance) << "item " << i;
    }
}

}  // namespace zvsdtest
