#include "runtime/number_text.h"

#include <gtest/gtest.h>

#include "runtime/exception.h"

namespace zv {
namespace {

TEST(NumberText, FixedFormatRoundsToTheGivenDecimals) {
    EXPECT_EQ(FormatFixed(2.5, 2), "2.50");
    EXPECT_EQ(FormatFixed(-0.126, 2), "-0.13");
    EXPECT_EQ(FormatFixed(0.4, 0), "0");
}

TEST(NumberText, ShortestFormatReadsBack) {
    for (double v : {0.1, 1.0 / 3.0, -1e-300, 123456789.125, 1e300})
        EXPECT_EQ(ParseFloat(FormatFloat(v)), v) << FormatFloat(v);
    EXPECT_EQ(FormatFloat(0.1), "0.1");
}

TEST(NumberText, ParseAcceptsBlanksAroundANumber) {
    EXPECT_EQ(ParseFloat("  -2.25 "), -2.25);
    EXPECT_EQ(ParseFloat("1e3"), 1000.0);
}

TEST(NumberText, ParseRejectsWhatIsNotANumber) {
    for (const char* bad : {"", "  ", "abc", "1.2.3", "1,5", "inf", "nan", "0x10", "1e999", "--1"})
        EXPECT_THROW(ParseFloat(bad), EConvertError) << bad;
}

}  // namespace
}  // namespace zv
