// Helpers shared by the tests: a point array that owns its block, filled from
// a vector, its elements read back, and a point comparison within a tolerance.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "geometry/point_array.h"

namespace zv {

// The growth step equals the number of points given: the first add after
// the constructor has to grow the block.
template <class T>
struct OwnedArray {
    TPointArray a{};
    OwnedArray(const std::vector<T>& points = {}) {
        ArrayInit(a, sizeof(T), static_cast<int32_t>(points.size()));
        for (const T& p : points) ArrayAdd(a, &p);
    }
    ~OwnedArray() { ArrayClear(a); }
};

template <class T>
std::vector<T> ValuesOf(const TPointArray& a) {
    const T* data = static_cast<const T*>(a.Data);
    return std::vector<T>(data, data + a.Count);
}

inline void ExpectNearXYZ(const TXYZ& actual, const TXYZ& expected, double tolerance) {
    EXPECT_NEAR(actual.X, expected.X, tolerance);
    EXPECT_NEAR(actual.Y, expected.Y, tolerance);
    EXPECT_NEAR(actual.Z, expected.Z, tolerance);
}

}  // namespace zv
