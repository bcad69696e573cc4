#include "interface/library_units.h"

#include <gtest/gtest.h>

#include "geometry/point_array.h"

namespace zv {
namespace {

TEST(Units, StartUpRunsOnceAndShutDownReverses) {
    ASSERT_TRUE(UnitsInitialized());
    EXPECT_STREQ(PointFloatFormat, "0.00");
    InitializeUnits();  // a second start-up changes nothing
    EXPECT_TRUE(UnitsInitialized());
    FinalizeUnits();
    EXPECT_FALSE(UnitsInitialized());
    EXPECT_STREQ(PointFloatFormat, "");
    InitializeUnits();
    EXPECT_STREQ(PointFloatFormat, "0.00");
}

}  // namespace
}  // namespace zv
