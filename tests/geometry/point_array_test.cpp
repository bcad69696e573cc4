#include "geometry/point_array.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstring>

#include "message_capture.h"
#include "runtime/exception.h"

namespace zv {
namespace {

TXYZ At(const TPointArray& a, int32_t i) { return a.At<TXYZ>(i); }

TEST(PointArray, InitWithZeroDeltaGivesFiveZeroedElements) {
    TPointArray a{};
    ArrayInit(a, 24, 0);
    EXPECT_EQ(a.SelfRef, &a);
    EXPECT_EQ(a.Delta, 5);
    EXPECT_EQ(a.Capacity, 5);
    EXPECT_EQ(a.Count, 0);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(At(a, i).X + At(a, i).Y + At(a, i).Z, 0.0);
    ArrayClear(a);
    EXPECT_EQ(a.Data, nullptr);
    EXPECT_EQ(a.ElemSize, 24);
    EXPECT_EQ(a.SelfRef, &a);
}

TEST(PointArray, GrowsByDeltaAndKeepsElements) {
    TPointArray a{};
    ArrayInit(a, 24, 5);
    for (int i = 0; i < 6; ++i) {
        TXYZ p = MakeXYZ(i, i * 2, i * 3);
        ArrayAdd(a, &p);
    }
    EXPECT_EQ(a.Capacity, 10);
    EXPECT_EQ(a.Count, 6);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(At(a, i).Z, i * 3);
    ArrayClear(a);
}

TEST(PointArray, AddToClearedArrayGrowsByFive) {
    TPointArray a{};
    ArrayInit(a, 16, 3);
    ArrayClear(a);
    TXY p = MakeXY(7, 8);
    ArrayAdd(a, &p);
    EXPECT_EQ(a.Capacity, 5);
    EXPECT_EQ(a.Delta, 5);
    ASSERT_EQ(a.Count, 1);
    EXPECT_EQ(a.At<TXY>(0).X, 7);
    EXPECT_EQ(a.At<TXY>(0).Y, 8);
    ArrayClear(a);
}

TEST(PointArray, InsertNewAppendsOrShiftsAndZeroes) {
    TPointArray a{};
    ArrayInit(a, 8, 2);
    double one = 1, two = 2;
    ArrayAdd(a, &one);
    ArrayAdd(a, &two);
    auto* end = static_cast<double*>(ArrayInsertNew(a, -1));
    *end = 3;
    auto* front = static_cast<double*>(ArrayInsertNew(a, 0));
    EXPECT_EQ(*front, 0.0);
    ASSERT_EQ(a.Count, 4);
    EXPECT_EQ(a.At<double>(0), 0.0);
    EXPECT_EQ(a.At<double>(1), 1.0);
    EXPECT_EQ(a.At<double>(2), 2.0);
    EXPECT_EQ(a.At<double>(3), 3.0);
    ArrayClear(a);
}

TEST(PointArray, InsertInTheMiddleAndDelete) {
    TPointArray a{};
    ArrayInit(a, 8, 1);
    for (double v : {1.0, 2.0, 4.0}) ArrayAdd(a, &v);
    double three = 3;
    ArrayInsert(a, 2, &three);
    ASSERT_EQ(a.Count, 4);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(a.At<double>(i), i + 1.0);
    ArrayDelete(a, 0);
    ASSERT_EQ(a.Count, 3);
    EXPECT_EQ(a.At<double>(0), 2.0);
    EXPECT_EQ(a.At<double>(2), 4.0);
    ArrayDelete(a, 3);  // outside: ignored
    EXPECT_EQ(a.Count, 3);
    ArrayClear(a);
}

TEST(PointArray, GrownBlocksNeverExposeIndeterminateElements) {
    TPointArray a{};
    ArrayInit(a, 8, 2);
    double v = 5;
    for (int i = 0; i < 3; ++i) ArrayAdd(a, &v);  // the third add grows the block
    ArraySetCount(a, a.Capacity);
    EXPECT_EQ(a.At<double>(3), 0.0);
    ArrayClear(a);
}

TEST(PointArray, SetCountShrinksWithoutLosingValues) {
    TPointArray a{};
    ArrayInit(a, 8, 5);
    for (double v : {1.0, 2.0, 3.0, 4.0}) ArrayAdd(a, &v);
    ArraySetCount(a, 1);
    EXPECT_EQ(a.Capacity, 5);
    ArraySetCount(a, 4);
    EXPECT_EQ(a.At<double>(3), 4.0);
    ArraySetCount(a, 12);
    EXPECT_EQ(a.Capacity, 15);
    EXPECT_EQ(a.At<double>(2), 3.0);
    EXPECT_EQ(a.At<double>(11), 0.0);
    ArrayClear(a);
}

TEST(PointArray, PutIgnoresBadIndexAndNil) {
    TPointArray a{};
    ArrayInit(a, 8, 5);
    ArraySetCount(a, 2);
    double v = 9;
    ArrayPut(a, 2, &v);
    ArrayPut(a, -1, &v);
    ArrayPut(a, 0, nullptr);
    EXPECT_EQ(a.At<double>(0), 0.0);
    EXPECT_EQ(a.At<double>(1), 0.0);
    ArrayPut(a, 1, &v);
    EXPECT_EQ(a.At<double>(1), 9.0);
    ArrayClear(a);
}

TEST(PointArray, AssignCopiesTheWholeCapacity) {
    TPointArray src{};
    ArrayInit(src, 8, 7);
    for (int i = 0; i < 7; ++i) src.At<double>(i) = i + 0.5;
    src.Count = 3;
    TPointArray dst{};
    ArrayInit(dst, 8, 2);
    ArrayAssign(dst, src);
    EXPECT_EQ(dst.Capacity, 7);
    EXPECT_EQ(dst.Delta, 7);
    EXPECT_EQ(dst.Count, 3);
    for (int i = 0; i < 7; ++i) EXPECT_EQ(dst.At<double>(i), i + 0.5);
    EXPECT_NE(dst.Data, src.Data);
    ArrayClear(src);
    ArrayClear(dst);
}

TEST(PointArray, AssignFromAForeignViewReadsExactlyCount) {
    const TXYZ host[3] = {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}};
    TPointArray view = ArrayView(host, 24, 3);
    EXPECT_EQ(view.SelfRef, nullptr);
    TPointArray copy{};
    ArrayInit(copy, 24, 5);
    ArrayAssign(copy, view);
    EXPECT_EQ(copy.Count, 3);
    EXPECT_EQ(copy.Capacity, 3);
    EXPECT_EQ(copy.At<TXYZ>(2).Z, 9);
    ArrayClear(copy);
}

TEST(PointArray, ClearAboveOneHundredThousandBytesShowsTheMessage) {
    MessageCapture capture;
    TPointArray big{};
    ArrayInit(big, 24, 4167);
    ArrayClear(big);
    ASSERT_EQ(capture.Texts().size(), 1u);
    EXPECT_EQ(capture.Texts()[0], "bescheidenheit ist eine tugend (freigeben)");
    TPointArray small{};
    ArrayInit(small, 24, 4166);
    small.Count = 4166;
    ArrayClear(small);
    EXPECT_EQ(capture.Texts().size(), 1u);
}

TEST(PointText, FormatsTwoDecimalsJoinedBySlashes) {
    EXPECT_EQ(XYZToStr(MakeXYZ(1, 2.5, 0)), "1.00/2.50/0.00");
    EXPECT_EQ(XYToStr(MakeXY(-2.254, 1e-9)), "-2.25/0.00");
}

TEST(PointText, ParsesPiecesAndSkipsBlanksAfterSeparators) {
    TXYZ p = StrToXYZ("1/ 2/3");
    EXPECT_EQ(p.X, 1);
    EXPECT_EQ(p.Y, 2);
    EXPECT_EQ(p.Z, 3);
    TXY q = StrToXY("1.5/-2.25/99");  // further pieces are ignored
    EXPECT_EQ(q.X, 1.5);
    EXPECT_EQ(q.Y, -2.25);
}

TEST(PointText, RejectsMissingOrBadPieces) {
    EXPECT_THROW(StrToXYZ("1/2"), EConvertError);
    EXPECT_THROW(StrToXY(""), EConvertError);
    EXPECT_THROW(StrToXY("1/x"), EConvertError);
    EXPECT_THROW(StrToXY("1/nan"), EConvertError);
}

TEST(PointText, UsesTheLocaleDecimalSeparator) {
    const char* saved = std::setlocale(LC_NUMERIC, nullptr);
    std::string restore = saved ? saved : "C";
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8") && !std::setlocale(LC_NUMERIC, "de_DE"))
        GTEST_SKIP() << "no German locale on this machine";
    EXPECT_EQ(XYZToStr(MakeXYZ(1, 2.5, 0)), "1,00/2,50/0,00");
    EXPECT_EQ(StrToXY("1,5/2").X, 1.5);
    EXPECT_THROW(StrToXY("1.5/2"), EConvertError);
    std::setlocale(LC_NUMERIC, restore.c_str());
}

TEST(ArrayLists, OwnTheirArraysAndClearAsDocumented) {
    {
        TlistOFxyzArray xyz;
        TPointArray* a = xyz.AddNew();
        EXPECT_EQ(a->ElemSize, 24);
        EXPECT_EQ(a->Delta, 5);
        xyz.AddNew();
        EXPECT_EQ(xyz.Count(), 2);
        xyz.Clear();  // releases the arrays (checked by the sanitizer build)
        EXPECT_EQ(xyz.Count(), 0);
        xyz.AddNew();
    }
    {
        TlistOFXYArray xy;
        EXPECT_EQ(xy.AddNew()->ElemSize, 16);
        TlistOFXYiArray xyi;
        EXPECT_EQ(xyi.AddNew()->ElemSize, 8);
        EXPECT_THROW(xyi.Items(1), EListError);
    }
}

}  // namespace
}  // namespace zv
