#include "hatch/hatch_table.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>

#include "runtime/component.h"
#include "runtime/exception.h"
#include "runtime/message.h"
#include "runtime/number_text.h"

namespace zv {
namespace {

using Table = std::vector<std::unique_ptr<THatchPattern>>;

// Never destroyed: the library's unload may run after the exit-time
// destructors. The unit's finalisation empties it.
Table& Patterns() {
    static auto& table = *new Table;
    return table;
}

THatchLine Family(double angle, double third) {
    THatchLine line{};
    line.Values[0] = angle;
    line.Values[1] = 0.5;
    line.Values[2] = third;
    return line;
}

void AppendBuiltIn(const char* name, std::vector<THatchLine> families) {
    auto pattern = std::make_unique<THatchPattern>();
    pattern->Fixed = true;
    pattern->Name = name;
    pattern->Families = std::move(families);
    Patterns().push_back(std::move(pattern));
}

void AppendBuiltIns() {
    AppendBuiltIn("Sys: None", {});
    AppendBuiltIn("Sys: Horizontal", {Family(0, 0)});
    AppendBuiltIn("Sys: Vertical", {Family(90, 0)});
    AppendBuiltIn("Sys: FDiagonal", {Family(45, 0)});
    AppendBuiltIn("Sys: BDiagonal", {Family(135, 0)});
    AppendBuiltIn("Sys: Cross", {Family(0, 0), Family(90, 1)});
    AppendBuiltIn("Sys: DiagCross", {Family(135, 0), Family(45, 1)});
}

// The text up to the next "/", removed from rest with its "/"; empty, with
// rest unchanged, when there is no "/".
std::string TakeField(std::string& rest) {
    size_t slash = rest.find('/');
    if (slash == std::string::npos) return std::string();
    std::string field = rest.substr(0, slash);
    rest.erase(0, slash + 1);
    return field;
}

double FloatField(std::string& rest) {
    std::string field = TakeField(rest);
    return field.empty() ? 0.0 : ParseFloat(field);
}

int32_t DashCountField(std::string& rest) {
    std::string field = TakeField(rest);
    const std::string bad = "'" + field + "' is not a valid dash count";
    size_t first = field.find_first_not_of(' ');
    size_t last = field.find_last_not_of(' ');
    if (first == std::string::npos) throw EConvertError(bad);
    std::string digits = field.substr(first, last - first + 1);
    size_t start = (digits[0] == '+' || digits[0] == '-') ? 1 : 0;
    if (start == digits.size() || digits.size() > 12) throw EConvertError(bad);
    for (size_t k = start; k < digits.size(); ++k)
        if (!std::isdigit(static_cast<unsigned char>(digits[k]))) throw EConvertError(bad);
    long long count = std::strtoll(digits.c_str(), nullptr, 10);
    if (count < 0 || count > HatchDashSlots) throw EConvertError(bad);
    return static_cast<int32_t>(count);
}

}  // namespace

int32_t HatchCount() { return static_cast<int32_t>(Patterns().size()); }

THatchPattern* HatchAt(int32_t index) {
    if (index < 0 || index >= HatchCount()) return nullptr;
    return Patterns()[static_cast<size_t>(index)].get();
}

int32_t FindHatch(const std::string& name) {
    for (int32_t i = 0; i < HatchCount(); ++i)
        if (SameName(HatchAt(i)->Name, name)) return i;
    return -1;
}

THatchPattern* CreateHatch(const std::string& name) {
    auto pattern = std::make_unique<THatchPattern>();
    pattern->Dynamic = true;
    pattern->Name = name.substr(0, HatchNameLength);
    Patterns().push_back(std::move(pattern));
    return Patterns().back().get();
}

void DeleteHatch(int32_t index) {
    if (index < 0 || index >= HatchCount()) return;
    Patterns().erase(Patterns().begin() + index);
}

void AppendHatchLine(THatchPattern& pattern, const THatchLine& line) {
    if (!pattern.Fixed) pattern.Families.push_back(line);
}

THatchLine ParseHatchLine(std::string rest) {
    THatchLine line{};
    for (double& value : line.Values) value = FloatField(rest);
    line.DashCount = DashCountField(rest);
    for (double& dash : line.Dashes) dash = FloatField(rest);
    return line;
}

void RebuildHatches(const std::vector<std::string>& lines) {
    for (int32_t i = HatchCount() - 1; i >= 0; --i) DeleteHatch(i);
    AppendBuiltIns();
    for (size_t n = 0; n < lines.size(); ++n) {
        std::string rest = lines[n];
        size_t slash = rest.find('/');
        if (slash == std::string::npos) return;
        std::string name = rest.substr(0, slash);
        rest.erase(0, slash + 1);
        slash = rest.find('/');
        if (slash == std::string::npos) return;
        std::string description = rest.substr(0, slash);
        rest.erase(0, slash + 1);
        THatchLine line;
        try {
            line = ParseHatchLine(rest);
        } catch (const EConvertError& e) {
            throw EConvertError("line " + std::to_string(n + 1) + ": " + e.Message());
        }
        int32_t index = FindHatch(name);
        THatchPattern* pattern = index >= 0 ? HatchAt(index) : CreateHatch(name);
        pattern->Description = description.substr(0, HatchDescriptionLength);
        AppendHatchLine(*pattern, line);
    }
}

std::vector<std::string> ReadHatchFile(const std::string& fileName, bool& truncated) {
    truncated = false;
    std::vector<std::string> lines;
    std::FILE* file = std::fopen(fileName.c_str(), "rb");
    if (!file) return lines;
    std::string line;
    bool pending = false;
    for (int c; (c = std::getc(file)) != EOF;) {
        if (c == '\n') {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            lines.push_back(std::move(line));
            line.clear();
            pending = false;
            if (lines.size() >= HatchMaxLines) {
                truncated = std::getc(file) != EOF;
                break;
            }
            continue;
        }
        if (line.size() >= HatchMaxLineLength) {
            truncated = true;
            pending = false;
            break;
        }
        line.push_back(static_cast<char>(c));
        pending = true;
    }
    if (pending) lines.push_back(std::move(line));
    std::fclose(file);
    return lines;
}

void LoadHatches(const std::string& fileName) {
    bool truncated = false;
    std::vector<std::string> lines = ReadHatchFile(fileName, truncated);
    try {
        RebuildHatches(lines);
    } catch (const EConvertError& e) {
        ShowMessage(fileName + ", " + e.Message());
        return;
    }
    if (truncated) ShowMessage(fileName + ": read up to line " + std::to_string(lines.size()) + " only");
}

void InitHatchUnit() {
    try {
        LoadHatches("Hatches.shr");
    } catch (const std::exception& e) {  // out of memory: the built-ins at least
        ShowMessage(std::string("Hatches.shr: ") + e.what());
    }
}

void FinalizeHatchUnit() { Patterns().clear(); }

}  // namespace zv
