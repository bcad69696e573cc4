#include "options.h"

#include <gtest/gtest.h>

namespace zv::tool {
namespace {

ParsedOptions Parse(std::vector<std::string> arguments) { return ParseOptions(arguments); }

TEST(Options, DefaultsDrawTheDemoIsometrically) {
    ParsedOptions parsed = Parse({});
    ASSERT_EQ(parsed.error, "");
    EXPECT_EQ(parsed.options.input, "");
    EXPECT_EQ(parsed.options.view, "iso");
    EXPECT_FALSE(parsed.options.hidden);
    EXPECT_EQ(OutputPath(parsed.options), "zvhlr-demo.svg");
}

TEST(Options, ValuesInBothSpellings) {
    ParsedOptions parsed = Parse({"part.stl", "--view", "top", "-o", "x.pdf", "--perspective=35", "--hidden",
                                  "--size=a3", "--stroke", "0.5", "--stats"});
    ASSERT_EQ(parsed.error, "");
    EXPECT_EQ(parsed.options.input, "part.stl");
    EXPECT_EQ(parsed.options.view, "top");
    EXPECT_EQ(parsed.options.output, "x.pdf");
    EXPECT_EQ(parsed.options.perspectiveDegrees, 35);
    EXPECT_TRUE(parsed.options.hidden);
    EXPECT_EQ(parsed.options.size, "a3");
    EXPECT_EQ(parsed.options.strokeMm, 0.5);
    EXPECT_TRUE(parsed.options.stats);
    EXPECT_FALSE(parsed.options.reference);
    EXPECT_TRUE(Parse({"--reference"}).options.reference);
}

TEST(Options, DirectionAndUp) {
    ParsedOptions parsed = Parse({"--dir", "1,-2,0.5", "--up", "0,1,0"});
    ASSERT_EQ(parsed.error, "");
    EXPECT_EQ(parsed.options.direction->y, -2);
    EXPECT_EQ(parsed.options.up->y, 1);
}

TEST(Options, DefaultOutputIsTheInputNameWithSvg) {
    EXPECT_EQ(OutputPath(Parse({"models/bracket.STL"}).options), "bracket.svg");
}

TEST(Options, MistakesAreExplained) {
    EXPECT_NE(Parse({"--view", "sideways"}).error.find("unknown view 'sideways'"), std::string::npos);
    EXPECT_NE(Parse({"--dir", "1,2"}).error.find("--dir needs three numbers"), std::string::npos);
    EXPECT_NE(Parse({"--dir", "0,0,0"}).error.find("--dir"), std::string::npos);
    EXPECT_NE(Parse({"--dir", "0,0,1", "--up", "0,0,-3"}).error.find("parallel"), std::string::npos);
    EXPECT_NE(Parse({"--view", "top", "--dir", "0,0,1"}).error.find("cannot be used together"), std::string::npos);
    EXPECT_NE(Parse({"--perspective", "180"}).error.find("from 1 to 170"), std::string::npos);
    EXPECT_NE(Parse({"--perspective"}).error.find("needs a value"), std::string::npos);
    EXPECT_NE(Parse({"--size", "huge"}).error.find("unknown page size"), std::string::npos);
    EXPECT_NE(Parse({"--bogus"}).error.find("unknown option '--bogus'"), std::string::npos);
    EXPECT_NE(Parse({"a.obj", "b.obj"}).error.find("more than one input"), std::string::npos);
    EXPECT_NE(Parse({"--hidden=yes"}).error.find("takes no value"), std::string::npos);
}

TEST(Options, HelpMentionsEveryOption) {
    std::string help = HelpText();
    for (const char* option : {"--output", "--hidden", "--size", "--margin", "--stroke", "--dpi", "--view", "--dir",
                               "--up", "--perspective", "--y-up", "--all-edges", "--smooth", "--stats", "--reference",
                               "--help"}) {
        EXPECT_NE(help.find(option), std::string::npos) << option;
    }
}

}  // namespace
}  // namespace zv::tool
