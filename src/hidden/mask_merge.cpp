// MergeMask: combines two visibility masks so that the result is visible
// exactly where both are visible.
//
// The merge walks the toggles of both masks in ascending order of magnitude
// with a counter of how many of the two masks are visible at the current
// parameter. A toggle goes into the result when it moves the combined state:
// to visible when the counter reaches 2 through a positive toggle, to hidden
// when it drops to 1 through a negative toggle.
#include <cmath>

#include "geometry/vector.h"
#include "hidden/masked_array.h"

namespace zv {
namespace {

// 1 when the start value of a mask stands for "visible" (rounds to a positive
// integer), else 0.
int VisibleAtStart(double first) { return std::nearbyint(first) > 0 ? 1 : 0; }

// Moves the counter by one toggle and tells whether the toggle changes the
// combined state. Toggles up to the tolerance in magnitude count for the
// counter only, unless strictSign is false (then only the sign matters).
bool TakeToggle(double t, int& visibleCount, bool strictSign) {
    visibleCount += t > 0 ? 1 : -1;
    double limit = strictSign ? static_cast<double>(Eps) : 0.0;
    return (visibleCount == 2 && t > limit) || (visibleCount == 1 && t < -limit);
}

void AppendValue(TPointArray& values, double v) { ArrayAdd(values, &v); }

}  // namespace

void MergeMask(TPointArray& target, const TPointArray& source) {
    // A source without any value carries no visibility information.
    if (source.Count < 1) return;
    const double sourceFirst = source.At<double>(0);
    if (source.Count == 1) {
        if (sourceFirst == -1.0) SetSingleMask(target, -1.0);
        return;
    }
    // A target without any value is taken as fully visible.
    if (target.Count < 1) SetSingleMask(target, 1.0);
    const double targetFirst = target.At<double>(0);

    TPointArray result{};
    ArrayInit(result, 8, target.Count + source.Count);
    int visibleCount = VisibleAtStart(targetFirst) + VisibleAtStart(sourceFirst);

    int32_t i = 1;
    for (int32_t k = 1; k < source.Count; ++k) {
        const double s = source.At<double>(k);
        while (i < target.Count && LessTol(std::fabs(target.At<double>(i)), std::fabs(s))) {
            const double t = target.At<double>(i);
            if (TakeToggle(t, visibleCount, true)) AppendValue(result, t);
            ++i;
        }
        if (TakeToggle(s, visibleCount, true)) AppendValue(result, s);
    }
    for (; i < target.Count; ++i) {
        const double t = target.At<double>(i);
        if (TakeToggle(t, visibleCount, false)) AppendValue(result, t);
    }

    double first;
    if (result.Count > 0)
        first = result.At<double>(result.Count - 1) < 0 ? -1.0 : 1.0;
    else
        first = (sourceFirst == -1.0 || targetFirst == -1.0) ? -1.0 : 1.0;
    // Toggles within the tolerance of each other may arrive out of order; such
    // a pair bounds a stretch of no length and is dropped, so the result stays
    // ascending and keeps alternating.
    int32_t kept = 0;
    for (int32_t k = 0; k < result.Count; ++k) {
        const double t = result.At<double>(k);
        if (kept > 0 && std::fabs(t) < std::fabs(result.At<double>(kept - 1))) {
            --kept;
            continue;
        }
        result.At<double>(kept++) = t;
    }
    ArraySetCount(target, kept + 1);
    for (int32_t k = 0; k < kept; ++k) target.At<double>(k + 1) = result.At<double>(k);
    target.At<double>(0) = first;
    ArrayClear(result);
}

}  // namespace zv
