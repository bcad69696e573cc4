#include "model_frame.h"

#include <algorithm>
#include <cmath>

namespace zv::tool {

namespace {

double LargestCoordinate(const Box& box) {
    return std::max({std::fabs(box.min.x), std::fabs(box.min.y), std::fabs(box.min.z), std::fabs(box.max.x),
                     std::fabs(box.max.y), std::fabs(box.max.z)});
}

double OnGrid(double value, double step) { return std::round(value / step) * step; }

}  // namespace

ModelFrame CentreOnBounds(Mesh& mesh) {
    const Box box = BoundsOf(mesh);
    ModelFrame frame;
    if (box.empty || !std::isfinite(box.Diagonal())) return frame;
    frame.rounding = LargestCoordinate(box) * 0x1p-23;
    const double step = std::exp2(std::floor(std::log2(std::max(box.Diagonal(), 1e-300))) - 10);
    const Vec3 centre = box.Center();
    frame.offset = {OnGrid(centre.x, step), OnGrid(centre.y, step), OnGrid(centre.z, step)};
    for (Vec3& v : mesh.vertices) v = v - frame.offset;
    return frame;
}

void MoveToFileFrame(Drawing& drawing, const ModelFrame& frame, const Camera& camera) {
    const Point2 shift{Dot(frame.offset, camera.Right()), Dot(frame.offset, camera.Up())};
    if (shift.x == 0 && shift.y == 0) return;
    for (auto* lines : {&drawing.visible, &drawing.hidden, &drawing.text}) {
        for (Polyline& line : *lines) {
            for (Point2& p : line) p = {p.x + shift.x, p.y + shift.y};
        }
    }
}

}  // namespace zv::tool
