#include "plane_frame.h"

#include <cmath>

namespace zv::tool {

PlaneFrame::PlaneFrame(Vec3 origin, Vec3 normal) : origin_(origin), normal_(normal) {
    Vec3 helper = std::fabs(normal.x) < 0.6 ? Vec3{1, 0, 0} : Vec3{0, 1, 0};
    u_ = Normalized(Cross(helper, normal));
    v_ = Cross(normal, u_);
}

double SignedArea2(const std::vector<Point2>& ring) {
    double sum = 0;
    const size_t count = ring.size();
    for (size_t k = 0; k < count; ++k) {
        const Point2& a = ring[k];
        const Point2& b = ring[(k + 1) % count];
        sum += a.x * b.y - b.x * a.y;
    }
    return sum;
}

namespace {

bool OnSegment(Point2 a, Point2 b, Point2 p) {
    double cross = (b.x - a.x) * (p.y - a.y) - (b.y - a.y) * (p.x - a.x);
    double scale = std::fabs(b.x - a.x) + std::fabs(b.y - a.y);
    if (std::fabs(cross) > 1e-12 * scale * scale) return false;
    return p.x >= std::fmin(a.x, b.x) && p.x <= std::fmax(a.x, b.x) && p.y >= std::fmin(a.y, b.y) &&
           p.y <= std::fmax(a.y, b.y);
}

}  // namespace

bool Contains(const std::vector<Point2>& ring, Point2 p) {
    bool inside = false;
    const size_t count = ring.size();
    for (size_t k = 0, j = count - 1; k < count; j = k++) {
        const Point2& a = ring[k];
        const Point2& b = ring[j];
        if (OnSegment(a, b, p)) return false;
        if ((a.y > p.y) != (b.y > p.y) && p.x < (b.x - a.x) * (p.y - a.y) / (b.y - a.y) + a.x) inside = !inside;
    }
    return inside;
}

}  // namespace zv::tool
