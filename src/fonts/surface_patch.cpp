#include "fonts/surface_patch.h"

#include <cmath>
#include <string>

#include "fonts/curves.h"
#include "runtime/exception.h"

namespace zv {

const TClass& TSurfacePatch::Class() {
    static const TClass info("TSurfacePatch", &TZvComponent::Class(), &NewInstance<TSurfacePatch>);
    return info;
}
const TClass& TSurfacePatch::ClassType() const { return Class(); }

void TSurfacePatch::SetControlPoints(int32_t uOrder, int32_t vOrder, const std::vector<TXYZ>& points) {
    if (uOrder < 1 || uOrder > MaxPatchOrder || vOrder < 1 || vOrder > MaxPatchOrder)
        throw Exception("patch order out of range: " + std::to_string(uOrder) + " x " + std::to_string(vOrder));
    if (points.size() != static_cast<size_t>(uOrder) * static_cast<size_t>(vOrder))
        throw Exception("a patch of order " + std::to_string(uOrder) + " x " + std::to_string(vOrder) +
                        " needs " + std::to_string(uOrder * vOrder) + " control points");
    for (const TXYZ& p : points)
        if (!std::isfinite(p.X) || !std::isfinite(p.Y) || !std::isfinite(p.Z))
            throw Exception("patch control point is not finite");
    Changing(true);
    uOrder_ = uOrder;
    vOrder_ = vOrder;
    points_ = points;
    Changing(false);
}

void TSurfacePatch::SetGrid(const TPatchGrid& grid) {
    const auto countOk = [](int32_t n) { return n >= 1 && n <= MaxCurveSegments; };
    if (!countOk(grid.USegments) || !countOk(grid.VSegments))
        throw Exception("patch segment count out of range");
    if (!std::isfinite(grid.U0) || !std::isfinite(grid.U1) || !std::isfinite(grid.V0) || !std::isfinite(grid.V1))
        throw Exception("patch parameter range is not finite");
    Changing(true);
    grid_ = grid;
    Changing(false);
}

}  // namespace zv
