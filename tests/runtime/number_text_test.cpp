#include "runtime/number_text.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <random>
#include <string>

#include "runtime/exception.h"

namespace zv {
namespace {

TEST(NumberText, FormatsAndReadsBack) {
    EXPECT_EQ(FormatFixed(2.5, 2), "2.50");
    EXPECT_EQ(FormatFixed(-0.126, 2), "-0.13");
    EXPECT_EQ(FormatFloat(0.1), "0.1");
    EXPECT_EQ(ParseFloat("  -2.25 "), -2.25);
    std::mt19937_64 rng(3);
    for (int i = 0; i < 2000; ++i) {
        double v = std::ldexp(static_cast<double>(rng() >> 11), static_cast<int>(rng() % 200) - 150);
        ASSERT_EQ(ParseFloat(FormatFloat(v)), v) << FormatFloat(v);
    }
}

TEST(NumberText, ParseRejectsWhatIsNotANumber) {
    for (const char* bad : {"", "  ", "abc", "1.2.3", "1,5", "inf", "nan", "0x10", "1e999", "--1"})
        EXPECT_THROW(ParseFloat(bad), EConvertError) << bad;
}

TEST(NumberText, FollowsTheDecimalSeparatorOfTheCurrentLocale) {
    std::string restore = std::setlocale(LC_NUMERIC, nullptr);
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8") && !std::setlocale(LC_NUMERIC, "de_DE"))
        GTEST_SKIP() << "no German locale on this machine";
    EXPECT_EQ(FormatFixed(2.5, 2), "2,50");
    EXPECT_EQ(ParseFloat("1,5"), 1.5);
    EXPECT_EQ(ParseFloat(FormatFloat(0.1)), 0.1);
    EXPECT_THROW(ParseFloat("1.5"), EConvertError);
    std::setlocale(LC_NUMERIC, restore.c_str());
}

}  // namespace
}  // namespace zv
