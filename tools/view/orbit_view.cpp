#include "orbit_view.h"

#include <algorithm>
#include <cmath>

namespace zv::tool {
namespace {

constexpr double kRadiansPerPixel = 0.01;

// v turned by angle (radians) about the unit axis (Rodrigues' formula).
Vec3 Rotated(Vec3 v, Vec3 axis, double angle) {
    const double c = std::cos(angle), s = std::sin(angle);
    return v * c + Cross(axis, v) * s + axis * (Dot(axis, v) * (1 - c));
}

}  // namespace

OrbitView::OrbitView(const Box& bounds, bool yUp)
    : centre_(bounds.empty ? Vec3{} : bounds.Center()),
      diagonal_(bounds.Diagonal() > 0 ? bounds.Diagonal() : 1.0),
      worldUp_(yUp ? Vec3{0, 1, 0} : Vec3{0, 0, 1}),
      yUp_(yUp) {
    SetNamed("iso");
}

bool OrbitView::SetNamed(const std::string& name) {
    std::optional<ViewSpec> view = NamedView(name, yUp_);
    if (!view) return false;
    Camera camera(*view, Box{});
    right_ = camera.Right();
    up_ = camera.Up();
    towards_ = camera.Forward() * -1.0;
    return true;
}

void OrbitView::Drag(int dx, int dy) {
    const double yaw = -dx * kRadiansPerPixel, pitch = -dy * kRadiansPerPixel;
    right_ = Normalized(Rotated(right_, worldUp_, yaw));
    up_ = Rotated(up_, worldUp_, yaw);
    towards_ = Rotated(towards_, worldUp_, yaw);
    up_ = Normalized(Rotated(up_, right_, pitch));
    towards_ = Normalized(Cross(right_, up_));
}

void OrbitView::Zoom(double factor) {
    if (std::isfinite(factor) && factor > 0) zoom_ = std::clamp(zoom_ * factor, 0.01, 100.0);
}

std::array<double, 12> OrbitView::Base(int width, int height, double unitsPerCM) const {
    const double side = std::max(1, std::min(width, height));
    const double across = diagonal_ * unitsPerCM / (0.9 * side) / zoom_;
    const Vec3 x = right_ * across, y = up_ * across, z = towards_ * diagonal_;
    return {centre_.x, centre_.y, centre_.z, x.x, x.y, x.z, y.x, y.y, y.z, z.x, z.y, z.z};
}

}  // namespace zv::tool
