#include "ray_check.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>
#include <numbers>
#include <tuple>

#include "plane_frame.h"
#include "ray_cast.h"

namespace zv::tool {

namespace {

struct Rect {
    Point2 min{1e300, 1e300}, max{-1e300, -1e300};
    void Add(Point2 p) {
        min = {std::min(min.x, p.x), std::min(min.y, p.y)};
        max = {std::max(max.x, p.x), std::max(max.y, p.y)};
    }
};

// Items by the cells of a uniform grid that their rectangles overlap.
class Grid {
public:
    Grid(Rect bounds, size_t items) : bounds_(bounds) {
        n_ = std::clamp<int>(static_cast<int>(std::sqrt(double(items))), 1, 512);
        w_ = std::max(bounds.max.x - bounds.min.x, bounds.max.y - bounds.min.y) / n_ * 1.0001 + 1e-300;
        cells_.resize(size_t(n_) * n_);
    }
    void Insert(int item, Rect r) {
        auto [x0, y0] = Cell(r.min);
        auto [x1, y1] = Cell(r.max);
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) cells_[size_t(y) * n_ + x].push_back(item);
    }
    const std::vector<int>& At(Point2 p) const {
        auto [x, y] = Cell(p);
        return cells_[size_t(y) * n_ + x];
    }

private:
    std::pair<int, int> Cell(Point2 p) const {
        auto clampCell = [&](double v) { return std::clamp(static_cast<int>(std::floor(v / w_)), 0, n_ - 1); };
        return {clampCell(p.x - bounds_.min.x), clampCell(p.y - bounds_.min.y)};
    }
    Rect bounds_;
    int n_ = 1;
    double w_ = 1;
    std::vector<std::vector<int>> cells_;
};

Rect Around(Point2 a, Point2 b, double margin) {
    Rect r;
    r.Add({a.x - margin, a.y - margin});
    r.Add({b.x + margin, b.y + margin});
    r.Add({b.x - margin, b.y - margin});
    r.Add({a.x + margin, a.y + margin});
    return r;
}

const Ring& RingAt(const Polygon& polygon, size_t r) { return r == 0 ? polygon.outer : polygon.holes[r - 1]; }

bool FacesEye(const Polygon& polygon, const Camera& camera) {
    const Vec3 n = RingNormal(polygon.outer);
    const Vec3 sight = camera.Perspective() ? polygon.outer[0] - camera.Eye() : camera.Forward();
    return Dot(n, sight) < 0;
}

struct Edge3 {
    Vec3 a, b;
};

// The edges a drawing must show: shared edges once, smooth ones only on the outline.
std::vector<Edge3> FeatureEdges(const std::vector<Polygon>& polygons, const Camera& camera, double smoothDegrees) {
    using Key = std::tuple<double, double, double, double, double, double>;
    std::map<Key, std::vector<int>> users;
    std::map<Key, Edge3> edges;
    for (int p = 0; p < int(polygons.size()); ++p) {
        for (size_t r = 0; r <= polygons[p].holes.size(); ++r) {
            const Ring& ring = RingAt(polygons[p], r);
            for (size_t e = 0; e < ring.size(); ++e) {
                Vec3 a = ring[e], b = ring[(e + 1) % ring.size()];
                if (std::tie(b.x, b.y, b.z) < std::tie(a.x, a.y, a.z)) std::swap(a, b);
                Key key{a.x, a.y, a.z, b.x, b.y, b.z};
                users[key].push_back(p);
                edges[key] = {a, b};
            }
        }
    }
    const double cosSmooth = std::cos(smoothDegrees * std::numbers::pi / 180);
    std::vector<Edge3> features;
    for (const auto& [key, who] : users) {
        if (who.size() == 2 && smoothDegrees > 0) {
            const Polygon &p = polygons[who[0]], &q = polygons[who[1]];
            const bool smooth = Dot(Normalized(RingNormal(p.outer)), Normalized(RingNormal(q.outer))) > cosSmooth;
            if (smooth && FacesEye(p, camera) == FacesEye(q, camera)) continue;
        }
        features.push_back(edges[key]);
    }
    return features;
}

class Checker {
public:
    Checker(const std::vector<Polygon>& polygons, const Camera& camera, double smoothDegrees, const Drawing& drawing,
            double rounding)
        : camera_(camera), edges_(FeatureEdges(polygons, camera, smoothDegrees)) {
        const Box box = BoundsOf(polygons);
        const double far = std::max({std::fabs(box.min.x), std::fabs(box.min.y), std::fabs(box.min.z),
                                     std::fabs(box.max.x), std::fabs(box.max.y), std::fabs(box.max.z)});
        rayStart_ = 1e-5 * box.Diagonal() + 1e-6 * far + 2 * rounding;
        onPlane_ = 4 * rounding;
        Rect all;
        for (const Polygon& p : polygons)
            for (Vec3 v : p.outer) all.Add(camera.Project(v));
        size_ = std::max(all.max.x - all.min.x, all.max.y - all.min.y);
        step_ = size_ / 2000;
        near_ = 1e-3 * size_;
        cover_ = std::max(2e-5 * size_, 2 * rounding);  // rounding: lines of coincident edges may lie that far apart
        margin_ = 5e-4 * size_;
        IndexFaces(polygons, all);
        IndexEdges(all);
        IndexDrawing(drawing, all);
    }

    CheckResult Run() const {
        CheckResult result;
        result.drawn = LengthOf(drawing_.visible) + LengthOf(drawing_.hidden);
        for (int e = 0; e < int(edges_.size()); ++e) SampleEdge(e, result);
        return result;
    }

private:
    void IndexFaces(const std::vector<Polygon>& polygons, Rect all) {
        faceGrid_.emplace(all, polygons.size());
        for (const Polygon& p : polygons) {
            Rect r;
            for (Vec3 v : p.outer) r.Add(camera_.Project(v));
            faceGrid_->Insert(int(faces_.size()), r);
            faces_.push_back(MakeRayFace(p));
        }
    }
    void IndexEdges(Rect all) {
        edgeGrid_.emplace(all, edges_.size());
        for (const Edge3& e : edges_) {
            projected_.push_back({camera_.Project(e.a), camera_.Project(e.b)});
            edgeGrid_->Insert(int(projected_.size()) - 1, Around(projected_.back().first, projected_.back().second, near_));
        }
    }
    void IndexDrawing(const Drawing& drawing, Rect all) {
        drawing_ = drawing;
        drawGrid_.emplace(all, 4096);
        for (int hidden = 0; hidden < 2; ++hidden) {
            for (const Polyline& line : hidden ? drawing.hidden : drawing.visible) {
                for (size_t k = 1; k < line.size(); ++k) {
                    drawGrid_->Insert(int(drawn_.size()), Around(line[k - 1], line[k], cover_));
                    drawn_.push_back({line[k - 1], line[k], hidden == 1});
                }
            }
        }
    }

    // Whether the 3-D point sees the eye past every face: Blocked when a face
    // covers the ray clearly inside, Grazing when the ray only passes within
    // the margin of a face's boundary (silhouettes of faceted surfaces).
    Sight SightOf(Vec3 p, Point2 q) const {
        const Vec3 toEye = camera_.Perspective() ? camera_.Eye() - p : camera_.Forward() * -1.0;
        const double reach = camera_.Perspective() ? Length(toEye) : 1e300;
        const Vec3 dir = Normalized(toEye);
        Sight sight = Sight::Free;
        for (int f : faceGrid_->At(q)) {
            const Sight past = SightPast(faces_[f], p, dir, rayStart_, reach, margin_, onPlane_);
            if (past == Sight::Blocked) return past;
            if (past == Sight::Grazing) sight = past;
        }
        return sight;
    }

    // Where edges overlap in the drawing, the drawing shows the visible one.
    // Of the other feature edges passing near q: Shown when one of those
    // through q itself is visible there, Unclear when one merely near q is.
    enum class Others { None, Shown, Unclear };
    Others OtherEdgesAt(int self, Point2 q) const {
        Others found = Others::None;
        for (int o : edgeGrid_->At(q)) {
            const auto [a, b] = projected_[o];
            const double distance = DistanceToSegment(q, a, b);
            if (o == self || distance > near_) continue;
            const double dx = b.x - a.x, dy = b.y - a.y, len2 = dx * dx + dy * dy;
            const double t = len2 > 0 ? std::clamp(((q.x - a.x) * dx + (q.y - a.y) * dy) / len2, 0.0, 1.0) : 0.0;
            const Sight sight = SightOf(camera_.Interpolate(edges_[o].a, edges_[o].b, t), q);
            if (sight == Sight::Blocked) continue;
            if (sight == Sight::Grazing) {
                found = Others::Unclear;
                continue;
            }
            if (distance <= cover_) return Others::Shown;
            found = Others::Unclear;
        }
        return found;
    }

    // What the drawing shows at q: 0 nothing, 1 hidden, 2 visible.
    int DrawnAt(Point2 q) const {
        int shown = 0;
        for (int s : drawGrid_->At(q)) {
            if (DistanceToSegment(q, drawn_[s].a, drawn_[s].b) <= cover_) shown = std::max(shown, drawn_[s].hidden ? 1 : 2);
        }
        return shown;
    }

    void SampleEdge(int e, CheckResult& result) const {
        const auto [a2, b2] = projected_[e];
        const double length = std::hypot(b2.x - a2.x, b2.y - a2.y);
        const int n = std::max(1, static_cast<int>(std::ceil(length / step_)));
        const double piece = length / n;
        for (int k = 0; k < n; ++k) {
            const double t = (k + 0.5) / n;
            const Vec3 p = camera_.Interpolate(edges_[e].a, edges_[e].b, t);
            const Point2 q{a2.x + (b2.x - a2.x) * t, a2.y + (b2.y - a2.y) * t};
            result.checked += piece;
            if (t * length < near_ || (1 - t) * length < near_) {
                result.skipped += piece;
                continue;
            }
            const Sight sight = SightOf(p, q);
            bool visible = sight == Sight::Free;
            if (sight == Sight::Grazing) {
                result.skipped += piece;
                continue;
            }
            if (!visible) {
                const Others others = OtherEdgesAt(e, q);
                if (others == Others::Unclear) {
                    result.skipped += piece;
                    continue;
                }
                visible = others == Others::Shown;
            }
            const int shown = DrawnAt(q);
            if (visible) {
                if (shown == 1) result.hiddenVisible += piece;
                if (shown == 0) result.missing += piece;
            } else if (shown == 2) {
                result.visibleHidden += piece;
            }
        }
    }

    struct Drawn {
        Point2 a, b;
        bool hidden;
    };
    const Camera& camera_;
    std::vector<Edge3> edges_;
    std::vector<std::pair<Point2, Point2>> projected_;
    std::vector<RayFace> faces_;
    std::vector<Drawn> drawn_;
    Drawing drawing_;
    std::optional<Grid> faceGrid_, edgeGrid_, drawGrid_;
    double size_ = 1, step_ = 1, near_ = 0, cover_ = 0, margin_ = 0, rayStart_ = 0, onPlane_ = 0;
};

}  // namespace

CheckResult CheckDrawing(const std::vector<Polygon>& polygons, const Camera& camera, double smoothDegrees,
                         const Drawing& drawing, double rounding) {
    if (polygons.empty()) return {};
    return Checker(polygons, camera, smoothDegrees, drawing, rounding).Run();
}

}  // namespace zv::tool
