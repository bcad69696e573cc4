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

// Whether the value, within a float's rounding, has no more than the given
// number of significant decimal digits.
bool HasDigits(double value, int digits) {
    if (value == 0) return true;
    const double step = std::pow(10.0, std::floor(std::log10(std::fabs(value))) - digits + 1);
    return std::fabs(OnGrid(value, step) - value) <= std::fabs(value) * 0x1p-24;
}

// The step of the decimals the corners were printed with (an ASCII STL
// writes six significant digits, say), at the largest coordinate: the
// fewest significant digits that give every coordinate, when that is five to
// seven.  With fewer, the corners are round numbers rather than rounded ones;
// with more, they are float or double data, rounded by a float's step at most.
// Some 65,000 corners spread over the mesh tell as well as all of them.
double PrintedStep(const Mesh& mesh, double largest) {
    int digits = 1;
    const size_t stride = mesh.vertices.size() / 65536 + 1;
    for (size_t k = 0; k < mesh.vertices.size(); k += stride) {
        const Vec3& v = mesh.vertices[k];
        for (double c : {v.x, v.y, v.z}) {
            while (digits <= 7 && !HasDigits(c, digits)) ++digits;
        }
        if (digits > 7) return 0;
    }
    return digits >= 5 && largest > 0 ? std::pow(10.0, std::floor(std::log10(largest)) - digits + 1) : 0;
}

}  // namespace

ModelFrame CentreOnBounds(Mesh& mesh) {
    const Box box = BoundsOf(mesh);
    ModelFrame frame;
    if (box.empty || !std::isfinite(box.Diagonal())) return frame;
    frame.rounding = LargestCoordinate(box) * 0x1p-23;
    frame.printedStep = PrintedStep(mesh, LargestCoordinate(box));
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
