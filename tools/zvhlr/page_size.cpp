#include "page_size.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "number_parse.h"

namespace zv::tool {

namespace {

struct Paper {
    const char* name;
    double widthMm, heightMm;
};

const Paper kPapers[] = {
    {"a0", 841, 1189}, {"a1", 594, 841}, {"a2", 420, 594}, {"a3", 297, 420}, {"a4", 210, 297}, {"a5", 148, 210},
    {"letter", 215.9, 279.4}, {"legal", 215.9, 355.6}, {"tabloid", 279.4, 431.8},
};

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

std::optional<PageSize> NamedPaper(std::string name) {
    std::optional<bool> landscape;
    if (EndsWith(name, "-landscape")) landscape = true, name.resize(name.size() - 10);
    else if (EndsWith(name, "-portrait")) landscape = false, name.resize(name.size() - 9);
    for (const Paper& paper : kPapers) {
        if (name != paper.name) continue;
        PageSize page{paper.widthMm * kPointsPerMm, paper.heightMm * kPointsPerMm, landscape.has_value()};
        if (landscape.value_or(false)) std::swap(page.widthPt, page.heightPt);
        return page;
    }
    return std::nullopt;
}

std::optional<double> PointsPerUnit(const std::string& unit) {
    if (unit.empty() || unit == "mm") return kPointsPerMm;
    if (unit == "cm") return 10 * kPointsPerMm;
    if (unit == "in") return 72.0;
    if (unit == "pt") return 1.0;
    if (unit == "px") return 72.0 / 96.0;
    return std::nullopt;
}

}  // namespace

std::optional<PageSize> ParsePageSize(const std::string& text) {
    std::string lower = Lower(text);
    if (auto paper = NamedPaper(lower)) return paper;
    size_t x = lower.find('x');
    if (x == std::string::npos) return std::nullopt;
    size_t unitStart = lower.find_first_not_of("0123456789.", x + 1);
    std::string unit = unitStart == std::string::npos ? "" : lower.substr(unitStart);
    auto width = ParseFiniteDouble(lower.substr(0, x));
    auto height = ParseFiniteDouble(lower.substr(x + 1, unitStart == std::string::npos ? std::string::npos : unitStart - x - 1));
    auto scale = PointsPerUnit(unit);
    if (!width || !height || !scale || *width <= 0 || *height <= 0) return std::nullopt;
    if (*width * *scale > 1e5 || *height * *scale > 1e5) return std::nullopt;  // over 35 m
    return PageSize{*width * *scale, *height * *scale, true};
}

PageSize OrientedFor(PageSize page, double drawingWidth, double drawingHeight) {
    if (page.fixedOrientation) return page;
    bool pageWide = page.widthPt > page.heightPt;
    bool drawingWide = drawingWidth > drawingHeight;
    if (pageWide != drawingWide) std::swap(page.widthPt, page.heightPt);
    return page;
}

}  // namespace zv::tool
