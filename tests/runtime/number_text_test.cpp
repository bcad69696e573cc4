#include "runtime/number_text.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

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

TEST(NumberText, FollowsTheDecimalSeparatorOfTheCurrentLocale) {
    const char* saved = std::setlocale(LC_NUMERIC, nullptr);
    std::string restore = saved ? saved : "C";
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8") && !std::setlocale(LC_NUMERIC, "de_DE"))
        GTEST_SKIP() << "no German locale on this machine";
    EXPECT_EQ(DecimalSeparator(), ',');
    EXPECT_EQ(FormatFixed(2.5, 2), "2,50");
    EXPECT_EQ(ParseFloat("1,5"), 1.5);
    EXPECT_EQ(ParseFloat(FormatFloat(0.1)), 0.1);
    EXPECT_THROW(ParseFloat("1.5"), EConvertError);
    std::setlocale(LC_NUMERIC, restore.c_str());
}

}  // namespace
}  // namespace zv
