// The process-wide table of named hatch patterns: seven built in, more read
// at load time from "Hatches.shr" in the current directory.
//
// A line of the file names a pattern, describes it and adds one line family:
//   name/description/v1/v2/v3/v4/v5/v6/dash count/dash 1/.../dash 10/
// Value 1 is the angle of the family's lines in degrees; the other values and
// the dashes are carried as read. Empty number fields read as 0; numbers use
// the decimal separator of the current locale.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zv {

constexpr int HatchDashSlots = 10;
constexpr size_t HatchNameLength = 40;
constexpr size_t HatchDescriptionLength = 255;
// Limits on the file: a longer line, or the lines after this many, end the reading.
constexpr size_t HatchMaxLineLength = 4096;
constexpr size_t HatchMaxLines = 100000;

// One line family; the fields in file order, naturally aligned.
struct THatchLine {
    double Values[6];
    int32_t DashCount;  // 0..HatchDashSlots
    double Dashes[HatchDashSlots];
};

struct THatchPattern {
    bool Dynamic = false;  // created while reading the file
    bool Fixed = false;    // built in: no line families are ever added
    std::string Name;      // at most HatchNameLength characters
    std::string Description;
    int32_t Reserved = 0;
    std::vector<THatchLine> Families;
};

int32_t HatchCount();
// The pattern at a 0-based index, or none outside 0..HatchCount-1.
THatchPattern* HatchAt(int32_t index);
// The index of the first pattern of that name (letter case ignored), or -1.
int32_t FindHatch(const std::string& name);
// Appends a new dynamic pattern with the name cut to HatchNameLength.
THatchPattern* CreateHatch(const std::string& name);
// Removes and frees the pattern at index; other indexes are ignored.
void DeleteHatch(int32_t index);
// Adds a line family to a pattern that is not fixed.
void AppendHatchLine(THatchPattern& pattern, const THatchLine& line);

// The line family in the rest of a line after name and description; raises
// EConvertError for a number field that is not a number and for a dash count
// that is not a whole number from 0 to HatchDashSlots.
THatchLine ParseHatchLine(std::string rest);
// Empties the table, appends the built-ins, then reads the lines in order
// until one lacks a name or a description. A line that does not convert
// raises EConvertError naming its line number; the lines before it stay.
void RebuildHatches(const std::vector<std::string>& lines);
// The lines of a text file, at most HatchMaxLines of at most
// HatchMaxLineLength characters: reading stops before a longer line and
// sets truncated. An absent or unreadable file gives no lines.
std::vector<std::string> ReadHatchFile(const std::string& fileName, bool& truncated);
// RebuildHatches from the file; a conversion error or a truncated read is
// shown through the message sink and the table keeps what was read.
void LoadHatches(const std::string& fileName);

// Library start-up: fills the table from "Hatches.shr". Shut-down frees it.
void InitHatchUnit();
void FinalizeHatchUnit();

}  // namespace zv
