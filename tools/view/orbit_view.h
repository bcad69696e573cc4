// The interactive viewer's view: a parallel view of the model from a
// direction that the mouse turns about the model's centre, with a zoom
// factor, as the projection base of the OpenGL engine.
#pragma once

#include <array>

#include "camera.h"
#include "mesh.h"

namespace zv::tool {

class OrbitView {
public:
    // bounds: the model's box; yUp: the model's up axis is Y instead of Z.
    OrbitView(const Box& bounds, bool yUp);

    // Looks from a named view (camera.h); false for an unknown name.
    bool SetNamed(const std::string& name);
    // Turns the view for a mouse drag of (dx, dy) pixels: right and left
    // about the model's up axis, up and down about the screen's horizontal.
    void Drag(int dx, int dy);
    // Multiplies the zoom by factor (kept within 1/100 .. 100).
    void Zoom(double factor);

    // The projection base for a viewport of width x height pixels at the
    // engine's units per centimetre: origin at the model's centre, the X and
    // Y axes long enough for the model to fill 90 % of the smaller side at
    // zoom 1, and the Z axis as long as the model's diagonal, so that its
    // depth stays inside the engine's depth range at every zoom.
    std::array<double, 12> Base(int width, int height, double unitsPerCM) const;

    Vec3 Right() const { return right_; }
    Vec3 Up() const { return up_; }
    Vec3 Towards() const { return towards_; }
    double ZoomFactor() const { return zoom_; }

private:
    void Look(Vec3 direction, Vec3 up);

    Vec3 centre_;
    double diagonal_;
    Vec3 worldUp_;
    bool yUp_;
    Vec3 right_{1, 0, 0}, up_{0, 1, 0}, towards_{0, 0, 1};
    double zoom_ = 1;
};

}  // namespace zv::tool
