// The hatch table: built-ins, lines of the file, the file itself and what a
// broken or oversized file leaves behind.
#include "hatch/hatch_table.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <random>
#include <string>

#include "message_capture.h"
#include "runtime/exception.h"

namespace zv {
namespace {

const char* const builtInNames[] = {"Sys: None",      "Sys: Horizontal", "Sys: Vertical", "Sys: FDiagonal",
                                    "Sys: BDiagonal", "Sys: Cross",      "Sys: DiagCross"};

void ExpectOnlyBuiltIns() {
    ASSERT_EQ(HatchCount(), 7);
    for (int i = 0; i < 7; ++i) EXPECT_EQ(HatchAt(i)->Name, builtInNames[i]);
}

std::string TempPath(const std::string& name) { return testing::TempDir() + name; }

void WriteFile(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

TEST(HatchTable, BuiltInsInOrderFoundByNameInAnyCase) {
    RebuildHatches({});
    ExpectOnlyBuiltIns();
    EXPECT_EQ(HatchAt(6)->Families[1].Values[0], 45);  // the second family of DiagCross
    EXPECT_EQ(FindHatch("SYS: diagcross"), 6);
    EXPECT_EQ(FindHatch("nothing"), -1);
}

TEST(HatchTable, LinesAddPatternsAndFamilies) {
    const std::string longName(50, 'L');
    RebuildHatches({"Brick/red brick/0/0.25/0/0/0/0/2/0.5/0.25/",
                    "sys: cross/changed/45/0/0/0/0/0/0/",
                    "brick/wall/90//////0/",
                    longName + "/long/1/0/0/0/0/0/0/",
                    longName + "/long again/2/0/0/0/0/0/0/",
                    "Stripe/no fields",
                    "Late/never read/0/0/0/0/0/0/0/"});
    ASSERT_EQ(HatchCount(), 10);
    const THatchPattern& brick = *HatchAt(7);
    EXPECT_TRUE(brick.Dynamic && !brick.Fixed);
    EXPECT_EQ(brick.Description, "wall");
    ASSERT_EQ(brick.Families.size(), 2u);
    EXPECT_EQ(brick.Families[0].Values[1], 0.25);
    EXPECT_EQ(brick.Families[0].DashCount, 2);
    EXPECT_EQ(brick.Families[0].Dashes[0], 0.5);
    EXPECT_EQ(brick.Families[0].Dashes[1], 0.25);
    EXPECT_EQ(brick.Families[1].Values[0], 90);
    EXPECT_EQ(HatchAt(5)->Description, "changed");
    EXPECT_EQ(HatchAt(5)->Families.size(), 2u);  // fixed: nothing added
    EXPECT_EQ(HatchAt(8)->Name, longName.substr(0, 40));
    EXPECT_EQ(HatchAt(9)->Name, longName.substr(0, 40));  // the full name finds neither
    EXPECT_EQ(FindHatch("Late"), -1);                     // reading ended at "Stripe"
}

TEST(HatchTable, BadNumbersRaiseAndKeepTheLinesBefore) {
    for (const char* bad : {"B/d/x/", "B/d/0/0/0/0/0/0//", "B/d/0/0/0/0/0/0/11/", "B/d/0/0/0/0/0/0/1.5/",
                            "B/d/0/0/0/0/0/0/0/inf/", "B/d/0/0/0/0/0/0/99999999999999999999/"}) {
        EXPECT_THROW(RebuildHatches({"A/ok/1/0/0/0/0/0/0/", bad, "C/after/1/0/0/0/0/0/0/"}), EConvertError) << bad;
        EXPECT_EQ(HatchCount(), 8) << bad;
        EXPECT_EQ(HatchAt(7)->Name, "A");
    }
}

TEST(HatchTable, LoadAtStartUpFromTheCurrentDirectory) {
    char saved[4096];
    ASSERT_TRUE(getcwd(saved, sizeof saved));
    std::string dir = TempPath("hatch_cwd");
    mkdir(dir.c_str(), 0700);
    WriteFile(dir + "/Hatches.shr", "Brick/red/0/0.25/0/0/0/0/0/\r\nBrick/red/90/0.25/0/0/0/0/0/\r\n");
    ASSERT_EQ(chdir(dir.c_str()), 0);
    FinalizeHatchUnit();
    InitHatchUnit();
    ASSERT_EQ(chdir(saved), 0);
    ASSERT_EQ(HatchCount(), 8);
    EXPECT_EQ(HatchAt(7)->Families.size(), 2u);
    std::remove((dir + "/Hatches.shr").c_str());
    FinalizeHatchUnit();
    InitHatchUnit();  // no file: the built-ins
    ExpectOnlyBuiltIns();
}

TEST(HatchTable, BrokenAndOversizedFilesKeepTheBuiltIns) {
    MessageCapture messages;
    const std::string path = TempPath("Hatches.shr");
    std::mt19937 rng(7);
    for (int run = 0; run < 200; ++run) {
        std::string bytes(rng() % 300, '\0');
        for (char& c : bytes) c = "/0123456789.,-e \n\r\tAZ\x80"[rng() % 22];
        WriteFile(path, bytes);
        LoadHatches(path);
        ASSERT_GE(HatchCount(), 7);
        for (int i = 0; i < 7; ++i) ASSERT_EQ(HatchAt(i)->Name, builtInNames[i]);
    }
    WriteFile(path, "A/x/1/0/0/0/0/0/0/\n" + std::string(HatchMaxLineLength + 1, '/') + "\nB/y/1/\n");
    LoadHatches(path);
    EXPECT_EQ(HatchCount(), 8);
    EXPECT_NE(messages.Texts().back().find("line 1 only"), std::string::npos);
    std::string many;
    for (size_t k = 0; k <= HatchMaxLines; ++k) many += "P" + std::to_string(k % 3) + "/d/1/0/0/0/0/0/0/\n";
    WriteFile(path, many);
    LoadHatches(path);
    EXPECT_EQ(HatchCount(), 10);
    EXPECT_EQ(HatchAt(7)->Families.size() + HatchAt(8)->Families.size() + HatchAt(9)->Families.size(), HatchMaxLines);
    std::remove(path.c_str());
    RebuildHatches({});
}

}  // namespace
}  // namespace zv
