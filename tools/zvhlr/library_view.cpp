#include "library_view.h"

#include <cmath>
#include <numbers>

namespace zv::tool {

namespace {

void Put(std::array<double, 12>& base, int slot, Vec3 v) {
    base[3 * slot] = v.x;
    base[3 * slot + 1] = v.y;
    base[3 * slot + 2] = v.z;
}

}  // namespace

double LibraryEyeDistance(double angleDegrees) { return 500.0 / std::tan(angleDegrees * std::numbers::pi / 360.0); }

LibraryView LibraryViewOf(const Camera& camera, double scale) {
    LibraryView view;
    const Vec3 towardsViewer = camera.Forward() * -1.0;
    if (!camera.Perspective()) {
        Put(view.base, 1, camera.Right());
        Put(view.base, 2, camera.Up());
        Put(view.base, 3, towardsViewer);
        return view;
    }
    view.angleDegrees = camera.FieldOfViewDegrees();
    const double eyeDistance = LibraryEyeDistance(view.angleDegrees);
    // The library's image is eyeDistance * (X, Y) / w for view coordinates
    // X, Y and the distance w from the eye along the view axis; with the Z
    // axis of unit length, w is the scaled distance along the line of sight,
    // and X, Y axes of length eyeDistance / focal give the tool's image scale.
    const double axisLength = eyeDistance / (camera.Focal() * scale);
    Put(view.base, 0, camera.Eye() * scale + camera.Forward() * eyeDistance);
    Put(view.base, 1, camera.Right() * axisLength);
    Put(view.base, 2, camera.Up() * axisLength);
    Put(view.base, 3, towardsViewer);
    view.shift = {camera.Centre().x * scale, camera.Centre().y * scale};
    return view;
}

}  // namespace zv::tool
