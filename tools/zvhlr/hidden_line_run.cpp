#include "hidden_line_run.h"

#include <zvhlr.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <map>
#include <thread>

#include "drafting.h"
#include "edge_table.h"
#include "library_view.h"

namespace zv::tool {

namespace {

// What the callbacks of one buffer need.  The library's host values are 32-bit
// and cannot hold a pointer, so callbacks find their host through the handle.
struct Host {
    const Camera* camera = nullptr;
    double scale = 1;
    const RunOptions* options = nullptr;
    long queries = 0;
    long expectedQueries = 0;  // 0: unknown, the progress reports -1
};

std::map<ZVSDHandle, Host*>& Hosts() {
    static std::map<ZVSDHandle, Host*> hosts;
    return hosts;
}

Host& HostOf(ZVSDHandle h) { return *Hosts().at(h); }

// The library works on the model scaled by the host's scale: back to model units.
Vec3 ToModel(const Host& host, const TXYZ* p) { return Vec3{p->X, p->Y, p->Z} * (1.0 / host.scale); }

void ProjectCallback(ZVSDHandle h, const TXYZ* p, TXY* out) {
    const Host& host = HostOf(h);
    Point2 q = host.camera->Project(ToModel(host, p));
    out->X = q.x * host.scale;
    out->Y = q.y * host.scale;
}

double DepthCallback(ZVSDHandle h, const TXYZ* p, const TPlane* plane, TXYZ*) {
    const Host& host = HostOf(h);
    Vec3 normal{plane->Normal.X, plane->Normal.Y, plane->Normal.Z};
    return host.scale * host.camera->Depth(ToModel(host, p), ToModel(host, &plane->Origin), normal);
}

void InterpolateCallback(ZVSDHandle h, const TXYZ* a, const TXYZ* b, double t, TXYZ* out) {
    const Host& host = HostOf(h);
    Vec3 q = host.camera->Interpolate(ToModel(host, a), ToModel(host, b), t) * host.scale;
    *out = {q.x, q.y, q.z};
}

void QueryAbortCallback(ZVSDHandle h, int16_t* abort) {
    Host& host = HostOf(h);
    ++host.queries;
    if (host.options->progress) {
        host.options->progress(host.expectedQueries > 0 ? std::min(0.99, double(host.queries) / double(host.expectedQueries))
                                                    : -1.0);
    }
    if (host.options->abortRequested && host.options->abortRequested()) *abort = -1;
}

// Owns a library buffer and its registration for the callbacks.
class Buffer {
public:
    explicit Buffer(Host& host) : handle_(ZVSDCreate()) {
        if (handle_) Hosts()[handle_] = &host;
    }
    ~Buffer() {
        Hosts().erase(handle_);
        ZVSDFree(handle_);
    }
    Buffer(const Buffer&) = delete;
    Buffer& operator=(const Buffer&) = delete;
    ZVSDHandle Get() const { return handle_; }

private:
    ZVSDHandle handle_;
};

void InstallCallbacks(ZVSDHandle h) {
    TZVSDData data{};
    if (_ZVSDGetData(h, nullptr) != static_cast<int32_t>(sizeof data)) return;
    _ZVSDGetData(h, &data);
    data.ProjectProc = ProjectCallback;
    data.DepthProc = DepthCallback;
    data.InterpolateProc = InterpolateCallback;
    data.QueryAbortProc = QueryAbortCallback;
    // Faces seen from outside run counter-clockwise in the y-up drawing plane,
    // which is a negative signed area in the library's convention.
    data.FrontPositiveFlag = 0;
    data.DrawHiddenFlag = 0;
    _ZVSDSetData(h, &data);
}

std::vector<TXYZ> PointsOf(const Ring& ring, double scale) {
    std::vector<TXYZ> points;
    for (Vec3 p : ring) points.push_back({p.x * scale, p.y * scale, p.z * scale});
    return points;
}

struct ItemRef {
    int polygon;
    int ring;
    bool reversed = false;  // handed over in reverse order (see TurnedAway)
};

// The ring run backwards from its first point: edge k of the result is edge
// size - 1 - k of the ring.
Ring Reversed(const Ring& ring) {
    Ring reversed{ring[0]};
    reversed.insert(reversed.end(), ring.rbegin(), ring.rend() - 1);
    return reversed;
}

// Whether the polygon shows the viewer its back.  The library hides such faces
// whole, as the backs of a closed solid are; the backs of an open sheet (a
// height field, a lone wall) are seen where nothing covers them, so on models
// with open edges these polygons are handed over reversed and judged like
// any other.
bool TurnedAway(const Polygon& polygon, const Camera& camera) {
    const Vec3 sight = camera.Perspective() ? polygon.outer[0] - camera.Eye() : camera.Forward();
    return Dot(RingNormal(polygon.outer), sight) > 0;
}

// Adds a contour; true when the library took it (its last index moved on).
bool Add(ZVSDHandle h, const Ring& ring, double scale, bool hole, bool reversed, int32_t& last) {
    std::vector<TXYZ> points = PointsOf(reversed ? Reversed(ring) : ring, scale);
    int32_t count = static_cast<int32_t>(points.size());
    int32_t index = hole ? ZVSDAddHole(h, count, points.data()) : ZVSDAddContour(h, count, points.data());
    if (index == last) return false;
    last = index;
    return true;
}

// Polygons seen edge-on cover nothing and their outlines are slivers along
// their neighbours' edges; they are not handed to the library.
bool SeenEdgeOn(const Polygon& polygon, const Camera& camera) {
    Vec3 normal = RingNormal(polygon.outer);
    return IsFinite(normal) && camera.SeesEdgeOn(polygon.outer[0], normal);
}

std::vector<ItemRef> AddPolygons(ZVSDHandle h, const std::vector<Polygon>& polygons, const Camera& camera,
                                 double scale, bool open, RunResult& result) {
    std::vector<ItemRef> items;
    int32_t last = -1;
    for (int p = 0; p < static_cast<int>(polygons.size()); ++p) {
        if (SeenEdgeOn(polygons[p], camera)) {
            ++result.edgeOn;
            continue;
        }
        const bool reversed = open && TurnedAway(polygons[p], camera);
        if (!Add(h, polygons[p].outer, scale, false, reversed, last)) {
            result.rejected += 1 + static_cast<int>(polygons[p].holes.size());
            continue;  // its holes would go to the previous polygon
        }
        items.push_back({p, 0, reversed});
        for (int k = 0; k < static_cast<int>(polygons[p].holes.size()); ++k) {
            if (Add(h, polygons[p].holes[k], scale, true, reversed, last)) {
                items.push_back({p, k + 1, reversed});
            } else {
                ++result.rejected;
            }
        }
    }
    return items;
}

// The mode the library calculates in, and the shift from its 2-D points to
// the tool's drawing coordinates (in scaled units).
struct ModeChoice {
    CalcMode mode = CalcMode::Reference;
    Point2 shift;
};

// Every camera of the tool can be expressed as the library's view; should the
// library refuse it, the tool's callbacks stay in charge.
// Every mode splits stretches where an edge passes through a face, so that
// parts that pierce each other are drawn right.
ModeChoice ChooseMode(ZVSDHandle h, const Camera& camera, double scale, bool reference) {
    ModeChoice choice;
    if (reference) {
        ZVSDSetOptions(h, ZVSD_OPTION_SPLIT, 0);
        return choice;
    }
    const LibraryView view = LibraryViewOf(camera, scale);
    if (ZVSDSetView(h, view.base.data(), view.angleDegrees) == 0 &&
        ZVSDSetOptions(h, ZVSD_OPTION_INDEX | ZVSD_OPTION_BUILTIN_VIEW | ZVSD_OPTION_SPLIT, 0) == 0) {
        choice.mode = CalcMode::BuiltinView;
        choice.shift = view.shift;
    } else if (ZVSDSetOptions(h, ZVSD_OPTION_INDEX | ZVSD_OPTION_SPLIT, 0) == 0) {
        choice.mode = CalcMode::Index;
    }
    return choice;
}

std::vector<TXY> OutlineOf(ZVSDHandle h, int32_t item, Point2 shift) {
    int32_t count = ZVSDGetArray2d(h, item, nullptr);
    std::vector<TXY> outline(count > 0 ? count : 0);
    if (!outline.empty()) ZVSDGetArray2d(h, item, outline.data());
    if (shift.x != 0 || shift.y != 0) {
        for (TXY& p : outline) p = {p.X + shift.x, p.Y + shift.y};
    }
    return outline;
}

std::vector<double> MaskOf(ZVSDHandle h, int32_t item) {
    int32_t count = ZVSDGetMask(h, item, nullptr);
    std::vector<double> mask(count > 0 ? count : 0);
    if (!mask.empty()) ZVSDGetMask(h, item, mask.data());
    if (mask.empty()) mask.push_back(1.0);
    return mask;
}

// The library's orientation test of an outline: front-facing when the signed
// area sum of X[k]*Y[k-1] - Y[k]*X[k-1] is below -1e-5 (FrontPositive off).
bool FacesViewer(const std::vector<TXY>& outline) {
    double area = 0;
    for (size_t k = 0; k < outline.size(); ++k) {
        const TXY& a = outline[k];
        const TXY& b = outline[(k + outline.size() - 1) % outline.size()];
        area += a.X * b.Y - a.Y * b.X;
    }
    return area < -1e-5;
}

// Walks one outline along its mask and adds the stretches of the edges that
// this outline draws to the visible or hidden polylines.
void CollectStretches(const std::vector<TXY>& outline, const std::vector<double>& mask, double scale,
                      const std::vector<bool>& drawEdge, Drawing& drawing) {
    bool hidden = mask[0] < 0;
    size_t q = 1;
    auto at = [&](size_t s, double t) {
        const TXY& a = outline[s];
        const TXY& b = outline[s + 1];
        double f = t - double(s);
        if (f <= 0) return Point2{a.X / scale, a.Y / scale};
        if (f >= 1) return Point2{b.X / scale, b.Y / scale};
        return Point2{(a.X + (b.X - a.X) * f) / scale, (a.Y + (b.Y - a.Y) * f) / scale};
    };
    for (size_t s = 0; s + 1 < outline.size(); ++s) {
        double from = double(s);
        auto emit = [&](double to) {
            if (to > from && drawEdge[s]) AddSegment(hidden ? drawing.hidden : drawing.visible, at(s, from), at(s, to));
            from = to;
        };
        while (q < mask.size() && std::fabs(mask[q]) < double(s + 1)) {
            emit(std::fabs(mask[q]));
            hidden = !hidden;
            ++q;
        }
        emit(double(s + 1));
    }
}

const Ring& RingOf(const Polygon& polygon, int ring) { return ring == 0 ? polygon.outer : polygon.holes[ring - 1]; }

// The rounding of the model's corners in drawing units: the most it comes to
// at a corner of the model's box (a perspective view enlarges it near the eye).
double RoundingInDrawing(const std::vector<Polygon>& polygons, const Camera& camera, double rounding) {
    if (!(rounding > 0)) return 0;
    const Box box = BoundsOf(polygons);
    double largest = 0;
    for (int corner = 0; corner < 8; ++corner) {
        const Vec3 p{corner & 1 ? box.max.x : box.min.x, corner & 2 ? box.max.y : box.min.y,
                     corner & 4 ? box.max.z : box.min.z};
        const Point2 a = camera.Project(p), b = camera.Project(p + camera.Right() * rounding);
        largest = std::max(largest, std::hypot(b.x - a.x, b.y - a.y));
    }
    return largest;
}

void ReadResults(ZVSDHandle h, const std::vector<Polygon>& polygons, const std::vector<ItemRef>& items,
                 const EdgeTable& edges, const RunOptions& options, const Camera& camera, double scale, Point2 shift,
                 RunResult& result) {
    Drawing& drawing = result.drawing;
    std::vector<std::vector<TXY>> outlines;
    std::vector<bool> facesViewer(polygons.size(), false), present(polygons.size(), false);
    for (size_t i = 0; i < items.size(); ++i) {
        outlines.push_back(OutlineOf(h, static_cast<int32_t>(i), shift));
        present[items[i].polygon] = true;
        if (items[i].ring == 0) facesViewer[items[i].polygon] = FacesViewer(outlines.back()) != items[i].reversed;
    }
    for (size_t i = 0; i < items.size(); ++i) {
        const std::vector<TXY>& outline = outlines[i];
        if (outline.size() < 2) continue;
        const Ring& ring = RingOf(polygons[items[i].polygon], items[i].ring);
        std::vector<bool> drawEdge(outline.size() - 1, true);
        if (outline.size() == ring.size() + 1) {
            for (size_t e = 0; e < drawEdge.size(); ++e) {
                const size_t edge = items[i].reversed ? drawEdge.size() - 1 - e : e;
                drawEdge[e] = edges.Draws({items[i].polygon, items[i].ring, static_cast<int>(edge)}, present, facesViewer);
            }
        }
        const std::vector<double> mask = MaskOf(h, static_cast<int32_t>(i));
        result.maskValues += static_cast<int64_t>(mask.size());
        CollectStretches(outline, mask, scale, drawEdge, drawing);
    }
    const double rounding = std::max(options.rounding, options.printedStep);
    ApplyDraftingConventions(drawing, RoundingInDrawing(polygons, camera, rounding), options.printedStep > 0);
}

struct Rect2 {
    Point2 min, max;
    int rings = 1;
    int cellX = 0, cellY = 0;  // the grid cell of min
};

// Pairs of a contour or hole and another polygon whose drawn rectangles
// overlap: about the pairs the library's index lets through, found with a
// grid over the drawing.
int64_t OverlappingPairs(const std::vector<Polygon>& polygons, const Camera& camera) {
    std::vector<Rect2> rects;
    Rect2 all{{1e300, 1e300}, {-1e300, -1e300}};
    for (const Polygon& polygon : polygons) {
        Rect2 r{{1e300, 1e300}, {-1e300, -1e300}};
        for (Vec3 v : polygon.outer) {
            const Point2 q = camera.Project(v);
            r = {{std::min(r.min.x, q.x), std::min(r.min.y, q.y)}, {std::max(r.max.x, q.x), std::max(r.max.y, q.y)}};
        }
        if (!(r.min.x <= r.max.x && r.min.y <= r.max.y)) continue;
        r.rings = 1 + static_cast<int>(polygon.holes.size());
        rects.push_back(r);
        all = {{std::min(all.min.x, r.min.x), std::min(all.min.y, r.min.y)},
               {std::max(all.max.x, r.max.x), std::max(all.max.y, r.max.y)}};
    }
    const int n = std::clamp(static_cast<int>(std::sqrt(double(rects.size()))), 1, 256);
    const double w = std::max(all.max.x - all.min.x, all.max.y - all.min.y) / n * 1.0001 + 1e-300;
    auto cell = [&](double v, double origin) { return std::clamp(static_cast<int>((v - origin) / w), 0, n - 1); };
    std::vector<std::vector<int>> cells(size_t(n) * n);
    for (int k = 0; k < static_cast<int>(rects.size()); ++k) {
        Rect2& r = rects[k];
        r.cellX = cell(r.min.x, all.min.x), r.cellY = cell(r.min.y, all.min.y);
        for (int y = r.cellY; y <= cell(r.max.y, all.min.y); ++y)
            for (int x = r.cellX; x <= cell(r.max.x, all.min.x); ++x) cells[size_t(y) * n + x].push_back(k);
    }
    int64_t pairs = 0;
    for (int y = 0; y < n; ++y) {
        for (int x = 0; x < n; ++x) {
            const auto& list = cells[size_t(y) * n + x];
            for (size_t i = 0; i < list.size(); ++i) {
                for (size_t j = i + 1; j < list.size(); ++j) {
                    const Rect2 &a = rects[list[i]], &b = rects[list[j]];
                    const double lowX = std::max(a.min.x, b.min.x), lowY = std::max(a.min.y, b.min.y);
                    if (lowX > std::min(a.max.x, b.max.x) || lowY > std::min(a.max.y, b.max.y)) continue;
                    // Counted in the cell of the overlap's corner only (cells grow with the coordinate).
                    if (std::max(a.cellX, b.cellX) == x && std::max(a.cellY, b.cellY) == y) pairs += a.rings + b.rings;
                }
            }
        }
    }
    return pairs;
}

// About how often the library asks whether to stop, for the share done: the
// plain loop asks once per pair of contours; the indexed run asks for every
// pair and contour that the calling thread examines (it shares them with one
// helper per further core in the built-in view) and while it waits for the
// helpers, so the share is an estimate there.
long ExpectedQueries(CalcMode mode, long items, int64_t overlaps) {
    if (mode == CalcMode::Reference) return std::max<long>(1, items * items);
    long threads = mode == CalcMode::BuiltinView ? std::max(1u, std::thread::hardware_concurrency()) : 1;
    threads = std::min(threads, items / 64 + 1);
    // The index rejects about half of the overlapping rectangles' pairs.
    return std::max<long>(1, static_cast<long>(0.55 * double(overlaps + items) / double(threads)));
}

void ReadStatistics(ZVSDHandle h, RunResult& result) {
    int64_t counts[2] = {0, 0};
    if (ZVSDGetStatistics(h, counts) != 0) return;
    result.pairs = counts[0];
    result.crossings = counts[1];
}

}  // namespace

const char* CalcModeName(CalcMode mode) {
    switch (mode) {
        case CalcMode::BuiltinView: return "built-in view, index, all cores";
        case CalcMode::Index: return "callbacks, index";
        case CalcMode::Reference: return "reference (callbacks, every pair)";
    }
    return "";
}

double LibraryScale(double modelDiagonal) {
    if (!(modelDiagonal > 0) || !std::isfinite(modelDiagonal)) return 1;
    return std::exp2(std::floor(std::log2(512 / modelDiagonal)));
}

RunResult RemoveHiddenLines(const std::vector<Polygon>& polygons, const Camera& camera, const RunOptions& options) {
    RunResult result;
    result.polygons = static_cast<int>(polygons.size());
    Host host{&camera, LibraryScale(BoundsOf(polygons).Diagonal()), &options};
    Buffer buffer(host);
    ZVSDHandle h = buffer.Get();
    if (!h) return result;
    InstallCallbacks(h);
    const ModeChoice choice = ChooseMode(h, camera, host.scale, options.reference);
    result.mode = choice.mode;

    ZVSDSetChanging(h, 1);
    const EdgeTable edges(polygons, options.smoothDegrees);
    std::vector<ItemRef> items = AddPolygons(h, polygons, camera, host.scale, edges.HasOpenEdge(), result);
    result.contours = static_cast<int>(items.size());
    // The estimate is for the progress report only.
    if (options.progress) {
        host.expectedQueries = ExpectedQueries(choice.mode, static_cast<long>(items.size()),
                                               choice.mode == CalcMode::Reference ? 0 : OverlappingPairs(polygons, camera));
    }
    auto start = std::chrono::steady_clock::now();
    ZVSDSetChanging(h, 0);  // closes the bracket: the calculation runs here
    result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    result.aborted = options.abortRequested && options.abortRequested();
    if (result.aborted) return result;
    if (options.progress) options.progress(1.0);
    ReadStatistics(h, result);
    ReadResults(h, polygons, items, edges, options, camera, host.scale, choice.shift, result);
    return result;
}

}  // namespace zv::tool
