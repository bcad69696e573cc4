// TSurfacePatch: a rational-free Bezier surface patch of the framework's curve
// objects. Its control points form a grid of UOrder x VOrder points stored row
// by row (u varies fastest); a device evaluates the patch over the parameter
// ranges [U0, U1] x [V0, V1] in USegments x VSegments cells.
#pragma once

#include <cstdint>
#include <vector>

#include "geometry/space.h"
#include "platform/component.h"

namespace zv {

// Every OpenGL evaluates maps of this order at least.
constexpr int32_t MaxPatchOrder = 8;

struct TPatchGrid {
    int32_t USegments = 1, VSegments = 1;
    double U0 = 0, U1 = 1, V0 = 0, V1 = 1;
};

class TSurfacePatch : public TZvComponent {
public:
    static const TClass& Class();
    const TClass& ClassType() const override;

    // Raises Exception when an order is outside 1..MaxPatchOrder, the point
    // count is not uOrder * vOrder or a coordinate is not finite.
    void SetControlPoints(int32_t uOrder, int32_t vOrder, const std::vector<TXYZ>& points);
    // Raises Exception when a segment count is outside 1..MaxCurveSegments or
    // a parameter is not finite.
    void SetGrid(const TPatchGrid& grid);

    int32_t UOrder() const { return uOrder_; }
    int32_t VOrder() const { return vOrder_; }
    const std::vector<TXYZ>& ControlPoints() const { return points_; }
    const TPatchGrid& Grid() const { return grid_; }
    // A patch without control points draws nothing.
    bool Empty() const { return points_.empty(); }

protected:
    friend class TComponent;
    explicit TSurfacePatch(TComponent* owner) : TZvComponent(owner) {}
    ~TSurfacePatch() override = default;

private:
    int32_t uOrder_ = 0, vOrder_ = 0;
    std::vector<TXYZ> points_;
    TPatchGrid grid_;
};

}  // namespace zv
