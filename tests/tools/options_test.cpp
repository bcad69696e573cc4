#include "options.h"

#include <gtest/gtest.h>

namespace zv::tool {
namespace {

ParsedOptions Parse(std::vector<std::string> arguments) { return ParseOptions(arguments); }

TEST(Options, ValuesInBothSpellingsAndTheOutputName) {
    EXPECT_EQ(OutputPath(Parse({}).options), "zvhlr-demo.svg");
    EXPECT_EQ(OutputPath(Parse({"models/bracket.STL"}).options), "bracket.svg");
    ParsedOptions parsed = Parse({"part.stl", "--view", "top", "-o", "x.pdf", "--perspective=35", "--hidden",
                                  "--size=a3", "--stroke", "0.5", "--stats", "--up", "0,1,0", "-q"});
    ASSERT_EQ(parsed.error, "");
    const Options& o = parsed.options;
    EXPECT_TRUE(o.input == "part.stl" && o.view == "top" && o.output == "x.pdf" && o.size == "a3");
    EXPECT_TRUE(o.perspectiveDegrees == 35 && o.strokeMm == 0.5 && o.up->y == 1);
    EXPECT_TRUE(o.hidden && o.stats && o.quiet);
    EXPECT_EQ(Parse({"--dir", "1,-2,0.5"}).options.direction->y, -2);
}

TEST(Options, MistakesAreExplained) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--view", "sideways"}, "unknown view 'sideways'; views: front,"},
        {{"--dir", "1,2"}, "--dir needs three numbers X,Y,Z, not all zero, not '1,2'"},
        {{"--dir", "0,0,0"}, "--dir needs three numbers"},
        {{"--dir", "0,0,1", "--up", "0,0,-3"}, "--up must not be parallel to --dir"},
        {{"--view", "top", "--dir", "0,0,1"}, "--view and --dir cannot be used together"},
        {{"--perspective", "180"}, "--perspective needs a number from 1 to 170, not '180'"},
        {{"--margin=-1"}, "--margin needs a number from 0 to 200, not '-1'"},
        {{"--perspective"}, "--perspective needs a value"},
        {{"--size", "huge"}, "unknown page size 'huge'"},
        {{"--bogus"}, "unknown option '--bogus'"},
        {{"--bogus=3", "a.obj"}, "unknown option '--bogus'"},
        {{"a.obj", "b.obj"}, "more than one input file given ('a.obj' and 'b.obj')"},
        {{"--hidden=yes"}, "--hidden takes no value"},
    };
    for (const auto& [arguments, message] : cases) {
        EXPECT_NE(Parse(arguments).error.find(message), std::string::npos) << message << " / " << Parse(arguments).error;
    }
}

}  // namespace
}  // namespace zv::tool
