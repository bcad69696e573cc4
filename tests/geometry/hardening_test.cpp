// Polygon sums far from the origin: the orientation value of an outline and the
// normal of a contour must not drown in the rounding of large coordinates.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "geometry/point_array.h"
#include "geometry/polygon2d.h"
#include "geometry/space.h"

namespace zv {
namespace {

// A unit square, clockwise in a y-up plane, moved by offset.
std::vector<TXY> UnitSquare2(double offset) {
    return {{offset, offset}, {offset, offset + 1}, {offset + 1, offset + 1}, {offset + 1, offset}};
}

std::vector<TXYZ> UnitSquare3(double offset) {
    std::vector<TXYZ> points;
    for (const TXY& p : UnitSquare2(offset)) points.push_back({p.X, p.Y, offset});
    return points;
}

TEST(FarFromTheOrigin, SignedAreaOfASmallOutlineIsExact) {
    // Whole-number coordinates are exact up to 2^53; their products near 1e24 are not.
    for (double offset : {0.0, 1e6, 1e9, 1e12, -1e12, 1e15}) {
        std::vector<TXY> square = UnitSquare2(offset);
        TPointArray view = ArrayView(square.data(), sizeof(TXY), static_cast<int32_t>(square.size()));
        EXPECT_EQ(SignedArea2(view), 2.0) << offset;
        std::vector<TXY> reversed(square.rbegin(), square.rend());
        view = ArrayView(reversed.data(), sizeof(TXY), static_cast<int32_t>(reversed.size()));
        EXPECT_EQ(SignedArea2(view), -2.0) << offset;
    }
}

TEST(FarFromTheOrigin, NormalAndFrameOfASmallContourAreExact) {
    for (double offset : {0.0, 1e9, 1e12, -1e12}) {
        std::vector<TXYZ> square = UnitSquare3(offset);
        square.push_back(square.front());  // closed, as the store keeps it
        TPointArray view = ArrayView(square.data(), sizeof(TXYZ), static_cast<int32_t>(square.size()));
        TXYZ n = PolygonNormal(view);
        EXPECT_EQ(n.X, 0.0) << offset;
        EXPECT_EQ(n.Y, 0.0) << offset;
        EXPECT_EQ(n.Z, 2.0) << offset;
        TPlaneFrame frame = PolygonFrame(view);
        EXPECT_DOUBLE_EQ(frame.Normal.Z, 1.0) << offset;
        EXPECT_EQ(frame.Origin.X, offset);
    }
}

}  // namespace
}  // namespace zv
