#include "geometry/point_array.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "message_capture.h"
#include "runtime/exception.h"

namespace zv {
namespace {

// Random edits of an array of Doubles and of a vector must leave the same
// values; a block grown by SetCount is zero-filled.
TEST(PointArray, RandomEditsMatchAVector) {
    std::mt19937 rng(11);
    TPointArray a{};
    ArrayInit(a, 8, 0);
    std::vector<double> model;
    for (int step = 0; step < 5000; ++step) {
        double v = step + 0.5;
        int32_t at = static_cast<int32_t>(rng() % (model.size() + 2)) - 1;  // -1 and Count + 1 included
        bool inside = at >= 0 && at < static_cast<int32_t>(model.size());
        switch (rng() % 6) {
            case 0: ArrayAdd(a, &v); model.push_back(v); break;
            case 1: ArrayInsert(a, at, &v); model.insert(inside ? model.begin() + at : model.end(), v); break;
            case 2: ArrayDelete(a, at); if (inside) model.erase(model.begin() + at); break;
            case 3: ArrayPut(a, at, &v); if (inside) model[at] = v; break;
            case 4: *static_cast<double*>(ArrayInsertNew(a, at)) = v; model.insert(inside ? model.begin() + at : model.end(), v); break;
            default: {
                const int32_t n = static_cast<int32_t>(rng() % (model.size() + 8)), capacity = a.Capacity;
                const int32_t old = a.Count;
                ArraySetCount(a, n);
                model.resize(n, 0.0);
                for (int32_t k = old; k < n; ++k) {
                    if (a.Capacity != capacity) ASSERT_EQ(a.At<double>(k), 0.0) << step;
                    model[k] = a.At<double>(k);  // within the old block: what it held
                }
            }
        }
        ASSERT_EQ(a.Count, static_cast<int32_t>(model.size()));
        ASSERT_GE(a.Capacity, a.Count);
        for (int32_t k = 0; k < a.Count; ++k) ASSERT_EQ(a.At<double>(k), model[k]) << step;
    }
    ArrayClear(a);
}

// A view of the host's points is read for exactly its count and copied.
TEST(PointArray, AssignCopiesAForeignView) {
    const TXYZ host[3] = {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}};
    TPointArray a{};
    ArrayInit(a, 24, 0);
    ArrayAssign(a, ArrayView(host, 24, 3));
    EXPECT_TRUE(a.Count == 3 && a.Data != host && a.At<TXYZ>(2).Z == 9);
    ArrayClear(a);
}

TEST(PointArray, ClearAboveOneHundredThousandBytesShowsTheMessage) {
    MessageCapture capture;
    for (int32_t n : {4167, 4166}) {
        TPointArray a{};
        ArrayInit(a, 24, n);
        ArrayClear(a);
    }
    EXPECT_EQ(capture.Texts(), std::vector<std::string>{"bescheidenheit ist eine tugend (freigeben)"});
}

TEST(PointText, FormatsAndParsesSlashSeparatedCoordinates) {
    EXPECT_EQ(XYZToStr(MakeXYZ(1, 2.5, 0)), "1.00/2.50/0.00");
    EXPECT_EQ(XYToStr(MakeXY(-2.254, 1e-9)), "-2.25/0.00");
    EXPECT_EQ(StrToXYZ("1/ 2/3").Z, 3);
    EXPECT_EQ(StrToXY("1.5/-2.25/99").Y, -2.25);  // further pieces are ignored
    for (const char* bad : {"", "1", "1/x", "1/nan"}) EXPECT_THROW(StrToXY(bad), EConvertError) << bad;
    EXPECT_THROW(StrToXYZ("1/2"), EConvertError);
}

}  // namespace
}  // namespace zv
