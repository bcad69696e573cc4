#include "ray_cast.h"

#include <algorithm>
#include <cmath>

namespace zv::tool {

RayFace MakeRayFace(const Polygon& polygon) {
    const Vec3 n = Normalized(RingNormal(polygon.outer));
    RayFace face{PlaneFrame(polygon.outer[0], n), polygon.outer[0], n, {}};
    for (size_t k = 0; k <= polygon.holes.size(); ++k) {
        face.rings.emplace_back();
        for (Vec3 v : k == 0 ? polygon.outer : polygon.holes[k - 1]) face.rings.back().push_back(face.frame.Map(v));
    }
    return face;
}

double DistanceToSegment(Point2 p, Point2 a, Point2 b) {
    const double dx = b.x - a.x, dy = b.y - a.y, len2 = dx * dx + dy * dy;
    double t = len2 > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / len2 : 0;
    t = std::clamp(t, 0.0, 1.0);
    return std::hypot(p.x - a.x - t * dx, p.y - a.y - t * dy);
}

namespace {

bool NearBoundary(const RayFace& face, Point2 h, double margin) {
    for (const auto& ring : face.rings) {
        for (size_t k = 0; k < ring.size(); ++k) {
            if (DistanceToSegment(h, ring[k], ring[(k + 1) % ring.size()]) < margin) return true;
        }
    }
    return false;
}

}  // namespace

Sight SightPast(const RayFace& face, Vec3 p, Vec3 dir, double start, double reach, double margin, double onPlane) {
    const double denom = Dot(face.normal, dir);
    if (std::fabs(denom) < 1e-9) return Sight::Free;
    const double height = Dot(face.origin - p, face.normal);
    if (std::fabs(height) <= onPlane) return Sight::Free;
    const double t = height / denom;
    if (t <= start || t >= reach) return Sight::Free;
    const Point2 h = face.frame.Map(p + dir * t);
    bool inside = Contains(face.rings[0], h);
    for (size_t k = 1; inside && k < face.rings.size(); ++k) inside = !Contains(face.rings[k], h);
    if (!inside) return Sight::Free;
    return NearBoundary(face, h, margin) ? Sight::Grazing : Sight::Blocked;
}

}  // namespace zv::tool
