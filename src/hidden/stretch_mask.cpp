#include "hidden/stretch_mask.h"

#include <algorithm>
#include <cmath>

#include "geometry/vector.h"
#include "hidden/masked_array.h"

namespace zv {
namespace {

// The stretches within [0, length], split where they run through the start,
// snapped to the ends, sorted and joined where they overlap or nearly meet.
std::vector<TStretch> Normalized(const std::vector<TStretch>& hidden, double length) {
    const double close = 2 * static_cast<double>(Eps);
    std::vector<TStretch> flat;
    for (TStretch s : hidden) {
        const double turns = std::floor(s.From / length);
        s.From -= turns * length;
        s.To -= turns * length;
        if (s.To - s.From >= length) {
            flat.push_back({0, length});
            continue;
        }
        if (s.To > length) {
            flat.push_back({s.From, length});
            flat.push_back({0, s.To - length});
        } else {
            flat.push_back(s);
        }
    }
    for (TStretch& s : flat) {
        if (s.From < close) s.From = 0;
        if (s.To > length - close) s.To = length;
    }
    std::sort(flat.begin(), flat.end(), [](const TStretch& a, const TStretch& b) { return a.From < b.From; });
    std::vector<TStretch> joined;
    for (const TStretch& s : flat) {
        if (!joined.empty() && s.From <= joined.back().To + close)
            joined.back().To = std::max(joined.back().To, s.To);
        else
            joined.push_back(s);
    }
    std::erase_if(joined, [close](const TStretch& s) { return s.To - s.From < close; });
    return joined;
}

void Append(TPointArray& mask, double v) { ArrayAdd(mask, &v); }

}  // namespace

void StretchMask(std::vector<TStretch> hidden, double length, TPointArray& mask) {
    const std::vector<TStretch> runs = Normalized(hidden, length);
    const bool hiddenAtStart = !runs.empty() && runs.front().From == 0;
    const bool hiddenAtEnd = !runs.empty() && runs.back().To == length;
    SetSingleMask(mask, hiddenAtStart ? -1.0 : 1.0);
    for (const TStretch& s : runs) {
        if (s.From > 0) Append(mask, -s.From);
        if (s.To < length) Append(mask, s.To);
    }
    if (hiddenAtStart != hiddenAtEnd) Append(mask, hiddenAtStart ? -length : length);
}

}  // namespace zv
