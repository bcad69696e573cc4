#include "camera.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace zv::tool {

namespace {

struct NamedDirection {
    const char* name;
    Vec3 direction;
    Vec3 up;
};

constexpr Vec3 kZ{0, 0, 1};

const NamedDirection kViews[] = {
    {"front", {0, 1, 0}, kZ},
    {"back", {0, -1, 0}, kZ},
    {"left", {1, 0, 0}, kZ},
    {"right", {-1, 0, 0}, kZ},
    {"top", {0, 0, -1}, {0, 1, 0}},
    {"bottom", {0, 0, 1}, {0, -1, 0}},
    {"iso", {-1, 1, -1}, kZ},
    {"iso-front-right", {-1, 1, -1}, kZ},
    {"iso-front-left", {1, 1, -1}, kZ},
    {"iso-back-right", {-1, -1, -1}, kZ},
    {"iso-back-left", {1, -1, -1}, kZ},
    {"iso-front-right-bottom", {-1, 1, 1}, kZ},
    {"iso-front-left-bottom", {1, 1, 1}, kZ},
    {"iso-back-right-bottom", {-1, -1, 1}, kZ},
    {"iso-back-left-bottom", {1, -1, 1}, kZ},
};

// Turns a direction given for a Z-up model into the same direction of a Y-up
// model (front looks along -Z there).
Vec3 ToYUp(Vec3 v) { return {v.x, v.z, -v.y}; }

// An up vector that is not parallel to the direction of sight.
Vec3 UsableUp(Vec3 forward, Vec3 up) {
    if (Length(Cross(forward, Normalized(up))) > 1e-9) return up;
    Vec3 fallback{0, 1, 0};
    if (Length(Cross(forward, fallback)) < 1e-6) fallback = {0, 0, -1};
    return fallback;
}

}  // namespace

std::optional<ViewSpec> NamedView(const std::string& name, bool yUp) {
    for (const NamedDirection& view : kViews) {
        if (name != view.name) continue;
        ViewSpec named;
        named.direction = yUp ? ToYUp(view.direction) : view.direction;
        named.up = yUp ? ToYUp(view.up) : view.up;
        return named;
    }
    return std::nullopt;
}

std::vector<std::string> ViewNames() {
    std::vector<std::string> names;
    for (const NamedDirection& view : kViews) names.push_back(view.name);
    return names;
}

Camera::Camera(const ViewSpec& view, const Box& bounds) {
    forward_ = Normalized(view.direction);
    if (Length(forward_) == 0) forward_ = {0, 1, 0};
    right_ = Normalized(Cross(forward_, UsableUp(forward_, view.up)));
    up_ = Cross(right_, forward_);
    perspective_ = view.perspectiveDegrees > 0;
    if (!perspective_) return;
    const Vec3 centre = bounds.empty ? Vec3{} : bounds.Center();
    const double radius = std::max(bounds.Diagonal() / 2, 1e-9);
    fieldOfView_ = std::clamp(view.perspectiveDegrees, 1e-3, 179.0);
    const double half = fieldOfView_ / 2 * std::numbers::pi / 180.0;
    focal_ = radius / std::sin(half);
    eye_ = centre - forward_ * focal_;
    centre_ = {Dot(centre, right_), Dot(centre, up_)};
}

Point2 Camera::Project(Vec3 p) const {
    if (!perspective_) return {Dot(p, right_), Dot(p, up_)};
    const double w = std::max(EyeDistanceAlongSight(p), 1e-12 * focal_);
    const Vec3 q = p - eye_;
    return {centre_.x + focal_ * Dot(q, right_) / w, centre_.y + focal_ * Dot(q, up_) / w};
}

namespace {

// Planes within this angle (in radians) of the line of sight count as seen
// edge-on: they cover nothing, and depths against them are ill-conditioned.
constexpr double kEdgeOnAngle = 1e-4;

}  // namespace

bool Camera::SeesEdgeOn(Vec3 planeOrigin, Vec3 planeNormal) const {
    const Vec3 n = Normalized(planeNormal);
    if (Length(n) == 0) return true;
    if (!perspective_) return std::fabs(Dot(n, forward_)) < kEdgeOnAngle;
    // A plane through (or nearly through) the eye.
    return std::fabs(Dot(n, planeOrigin - eye_)) < kEdgeOnAngle * Length(planeOrigin - eye_);
}

double Camera::Depth(Vec3 p, Vec3 planeOrigin, Vec3 planeNormal) const {
    if (SeesEdgeOn(planeOrigin, planeNormal)) return 0;
    const Vec3 n = Normalized(planeNormal);
    if (!perspective_) {
        // p + s * forward meets the plane at s; s > 0: the plane lies beyond p.
        return Dot(n, planeOrigin - p) / Dot(n, forward_);
    }
    const double eyeToPlane = Dot(n, planeOrigin - eye_);
    // The ray eye + s * (p - eye) reaches p at s = 1 and the plane at s.
    const Vec3 ray = p - eye_;
    const double along = Dot(n, ray);
    const double length = Length(ray);
    if (std::fabs(along) < 1e-12 * length) return 0;
    const double s = eyeToPlane / along;
    if (s <= 0) return length;  // the plane meets this line of sight only behind the eye
    return (s - 1) * length;
}

Vec3 Camera::Interpolate(Vec3 a, Vec3 b, double t) const {
    if (!perspective_) return a + (b - a) * t;
    // Reciprocal depth is linear in the drawing plane.
    const double wa = EyeDistanceAlongSight(a), wb = EyeDistanceAlongSight(b);
    const double denominator = (1 - t) * wb + t * wa;
    const double s = std::fabs(denominator) > 0 ? t * wa / denominator : t;
    return a + (b - a) * s;
}

}  // namespace zv::tool
