#include "hidden/test_host.h"

#include "ray_cast.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <tuple>

namespace zvtest {

Contour Reversed(Contour c) {
    std::reverse(c.begin(), c.end());
    return c;
}

Outline2 Projected(const View& v, const Contour& c) {
    Outline2 o;
    for (const Vec3& p : c) {
        const TXY q = v.Project(p);
        o.push_back({q.X, q.Y});
    }
    return o;
}

uint64_t Random::Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

// ---------------------------------------------------------------- views

static void SetScreenAxes(View& v, Vec3 toward) {
    v.toward = Normalized(toward);
    Vec3 helper = std::fabs(v.toward.y) < 0.9 ? Vec3{0, 1, 0} : Vec3{0, 0, 1};
    v.right = Normalized(Cross(helper, v.toward));
    v.up = Cross(v.toward, v.right);
}

View View::Parallel(Vec3 towardViewer, bool mirrored) {
    View v;
    SetScreenAxes(v, towardViewer);
    v.mirrored = mirrored;
    return v;
}

View View::Perspective(Vec3 eye, Vec3 target, double focal, bool mirrored) {
    View v;
    v.perspective = true;
    SetScreenAxes(v, eye - target);
    v.eye = eye;
    v.focal = focal;
    v.mirrored = mirrored;
    return v;
}

TXY View::Project(Vec3 p) const {
    double x, y;
    if (perspective) {
        Vec3 d = p - eye;
        double zc = -Dot(d, toward);
        x = focal * Dot(d, right) / zc;
        y = focal * Dot(d, up) / zc;
    } else {
        x = Dot(p, right);
        y = Dot(p, up);
    }
    return {x * scale, (mirrored ? -y : y) * scale};
}

double View::Depth(Vec3 p, Vec3 origin, Vec3 normal) const {
    if (!perspective) {
        double nv = Dot(normal, toward);
        if (std::fabs(nv) <= 1e-12 * Length(normal)) return 0.0;
        return Dot(normal, p - origin) / nv;
    }
    Vec3 ray = p - eye;
    double nr = Dot(normal, ray);
    if (std::fabs(nr) <= 1e-12 * Length(normal) * Length(ray)) return 0.0;
    double lambda = Dot(normal, origin - eye) / nr;  // plane point = eye + lambda * ray
    return (lambda - 1.0) * Length(ray);
}

Vec3 View::Interpolate(Vec3 a, Vec3 b, double t) const {
    if (!perspective) return a + (b - a) * t;
    double za = -Dot(a - eye, toward);
    double zb = -Dot(b - eye, toward);
    double s = t * za / ((1.0 - t) * zb + t * za);
    return a + (b - a) * s;
}

Vec3 View::RayToViewer(Vec3 p) const { return perspective ? eye - p : toward; }

// ---------------------------------------------------------------- host

TestHost::TestHost(const View& view, int32_t calcOptions) : view_(view) {
    host_.project = [this](ZVSDHandle, const TXYZ& p, TXY& q) { q = view_.Project(ToVec(p)); };
    host_.depth = [this](ZVSDHandle, const TXYZ& p, const TPlane& plane) {
        return view_.Depth(ToVec(p), ToVec(plane.Origin), ToVec(plane.Normal));
    };
    if (view_.perspective)
        host_.interpolate = [this](ZVSDHandle, const TXYZ& a, const TXYZ& b, double t, TXYZ& out) {
            out = ToXYZ(view_.Interpolate(ToVec(a), ToVec(b), t));
        };
    handle_ = host_.NewHandle();
    TZVSDData data;
    _ZVSDGetData(handle_, &data);
    data.FrontPositiveFlag = view_.FrontPositive() ? 1 : 0;
    _ZVSDSetData(handle_, &data);
    ZVSDSetOptions(handle_, calcOptions, 1);
}

void TestHost::Load(const std::vector<Group>& groups) {
    ZVSDSetChanging(handle_, 1);
    auto add = [&](const Contour& c, bool hole, size_t g) {
        std::vector<TXYZ> points;
        for (const Vec3& p : c) points.push_back(ToXYZ(p));
        const int32_t before = zvsdtest::ItemCount(handle_);
        zvsdtest::Add(handle_, points, hole);
        const bool stored = zvsdtest::ItemCount(handle_) > before;
        if (stored) itemOrigin_.push_back({static_cast<int>(g), hole});
        return stored;
    };
    for (size_t g = 0; g < groups.size(); ++g) {
        if (!groups[g].outer.empty() && !add(groups[g].outer, false, g)) continue;
        for (const Contour& hole : groups[g].holes) add(hole, true, g);
    }
    ZVSDSetChanging(handle_, 0);
}

std::vector<ItemResult> TestHost::Results() const {
    std::vector<ItemResult> items;
    for (int32_t i = 0; i < zvsdtest::ItemCount(handle_); ++i) {
        ItemResult r{-1, false, zvsdtest::Corners(handle_, i), zvsdtest::Outline(handle_, i), zvsdtest::Mask(handle_, i)};
        if (i < static_cast<int32_t>(itemOrigin_.size())) std::tie(r.group, r.hole) = itemOrigin_[i];
        items.push_back(std::move(r));
    }
    return items;
}

// ---------------------------------------------------------------- masks

bool VisibleAt(const std::vector<double>& mask, double t) {
    bool visible = !mask.empty() && mask[0] > 0;
    for (size_t k = 1; k < mask.size(); ++k)
        if (std::fabs(mask[k]) < t) visible = !visible;
    return visible;
}

double DistanceToToggle(const std::vector<double>& mask, double t) {
    double best = std::numeric_limits<double>::infinity();
    for (size_t k = 1; k < mask.size(); ++k) best = std::min(best, std::fabs(std::fabs(mask[k]) - t));
    return best;
}

double DistanceToOutline(const Outline2& o, Point2 p) {
    double best = std::numeric_limits<double>::infinity();
    for (size_t k = 0, n = o.size(); k < n; ++k) best = std::min(best, zv::tool::DistanceToSegment(p, o[k], o[(k + 1) % n]));
    return best;
}

}  // namespace zvtest
