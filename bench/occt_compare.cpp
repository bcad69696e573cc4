// occt_compare: the polygon-mode hidden-line removal of Open CASCADE
// (BRepMesh_IncrementalMesh, then HLRBRep_PolyAlgo) on the benchmark's seeded
// scenes, for a side-by-side comparison with the zvhlr tool (bench/compare.sh).
// It prints the faces, the time of each step and the projected lengths of the
// visible and hidden edges for the tool's "iso" view (parallel, looking along
// (-1, 1, -1) with Z up). With --write-obj it only writes the scene as an OBJ
// file for the zvhlr tool (see obj_file.h).
#include <BRepAdaptor_Curve.hxx>
#include <BRepBuilderAPI_MakeEdge.hxx>
#include <BRepBuilderAPI_MakeFace.hxx>
#include <BRepBuilderAPI_MakeVertex.hxx>
#include <BRepMesh_IncrementalMesh.hxx>
#include <GCPnts_AbscissaPoint.hxx>
#include <HLRAlgo_Projector.hxx>
#include <HLRBRep_PolyAlgo.hxx>
#include <HLRBRep_PolyHLRToShape.hxx>
#include <TopExp_Explorer.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Builder.hxx>
#include <TopoDS_Compound.hxx>
#include <TopoDS_Wire.hxx>
#include <gp_Ax2.hxx>
#include <gp_Pln.hxx>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <exception>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "obj_file.h"
#include "scenes.h"

namespace {

using Clock = std::chrono::steady_clock;
using Key = std::tuple<double, double, double>;

double SecondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

Key KeyOf(const TXYZ& p) { return {p.X, p.Y, p.Z}; }

// Builds Open CASCADE faces from the scene's polygons so that every corner
// is one vertex and every edge one edge, whichever faces share it.
class FaceBuilder {
public:
    TopoDS_Face Face(const bench::Face& f) {
        gp_Pln plane(Point(f.outer[0]), NewellNormal(f.outer));
        BRepBuilderAPI_MakeFace make(plane, Wire(f.outer), Standard_True);
        for (const bench::Contour& hole : f.holes) make.Add(Wire(hole));
        return make.Face();
    }

private:
    static gp_Pnt Point(const TXYZ& p) { return gp_Pnt(p.X, p.Y, p.Z); }

    static gp_Dir NewellNormal(const bench::Contour& c) {
        double x = 0, y = 0, z = 0;
        for (size_t k = 0; k < c.size(); ++k) {
            const TXYZ& a = c[k];
            const TXYZ& b = c[(k + 1) % c.size()];
            x += a.Y * b.Z - a.Z * b.Y;
            y += a.Z * b.X - a.X * b.Z;
            z += a.X * b.Y - a.Y * b.X;
        }
        return gp_Dir(x, y, z);
    }

    int VertexIndex(const TXYZ& p) {
        auto [it, added] = vertexIndex_.try_emplace(KeyOf(p), static_cast<int>(vertices_.size()));
        if (added) vertices_.push_back(BRepBuilderAPI_MakeVertex(Point(p)).Vertex());
        return it->second;
    }

    // The edge from a to b, made once and reversed for the second face.
    TopoDS_Edge Edge(const TXYZ& a, const TXYZ& b) {
        const int i = VertexIndex(a), j = VertexIndex(b);
        const auto key = std::make_pair(std::min(i, j), std::max(i, j));
        auto it = edges_.find(key);
        if (it == edges_.end())
            it = edges_.emplace(key, BRepBuilderAPI_MakeEdge(vertices_[key.first], vertices_[key.second]).Edge()).first;
        return i == key.first ? it->second : TopoDS::Edge(it->second.Reversed());
    }

    TopoDS_Wire Wire(const bench::Contour& c) {
        TopoDS_Builder builder;
        TopoDS_Wire wire;
        builder.MakeWire(wire);
        for (size_t k = 0; k < c.size(); ++k) builder.Add(wire, Edge(c[k], c[(k + 1) % c.size()]));
        wire.Closed(Standard_True);
        return wire;
    }

    std::map<Key, int> vertexIndex_;
    std::vector<TopoDS_Vertex> vertices_;
    std::map<std::pair<int, int>, TopoDS_Edge> edges_;
};

// Intervals on a line: their union (sorted, overlaps merged), its length and
// the parts of one union outside another.
using Intervals = std::vector<std::pair<double, double>>;

Intervals Union(Intervals v) {
    std::sort(v.begin(), v.end());
    Intervals merged;
    for (const auto& s : v) {
        if (!merged.empty() && s.first <= merged.back().second)
            merged.back().second = std::max(merged.back().second, s.second);
        else
            merged.push_back(s);
    }
    return merged;
}

double Length(const Intervals& v) {
    double sum = 0;
    for (const auto& s : v) sum += s.second - s.first;
    return sum;
}

Intervals Subtract(const Intervals& from, const Intervals& cut) {
    Intervals rest;
    for (auto [lo, hi] : from) {
        for (const auto& c : cut) {
            if (c.second <= lo || c.first >= hi) continue;
            if (c.first > lo) rest.push_back({lo, c.first});
            lo = std::max(lo, c.second);
        }
        if (lo < hi) rest.push_back({lo, hi});
    }
    return rest;
}

// A projected edge: a straight segment of the drawing, visible or hidden.
struct Segment {
    double ax, ay, bx, by;
    bool hidden;
};

// Collects the straight projected edges of a compound; other curves (none
// come from planar faces) are added to curvedLength.
void CollectSegments(const TopoDS_Shape& shape, bool hidden, std::vector<Segment>& out, double& curvedLength) {
    if (shape.IsNull()) return;
    for (TopExp_Explorer e(shape, TopAbs_EDGE); e.More(); e.Next()) {
        BRepAdaptor_Curve curve(TopoDS::Edge(e.Current()));
        if (curve.GetType() != GeomAbs_Line) {
            curvedLength += GCPnts_AbscissaPoint::Length(curve);
            continue;
        }
        const gp_Pnt a = curve.Value(curve.FirstParameter()), b = curve.Value(curve.LastParameter());
        out.push_back({a.X(), a.Y(), b.X(), b.Y(), hidden});
    }
}

// The lengths drawn when every stretch is drawn once and visible stretches
// cover hidden ones on the same line (lines within tolerance of each other
// count as one): {visible, hidden}.
std::pair<double, double> DrawnLengths(const std::vector<Segment>& segments, double tolerance) {
    struct Placed {
        double angle, offset, t0, t1;
        bool hidden;
    };
    std::vector<Placed> placed;
    for (const Segment& s : segments) {
        double dx = s.bx - s.ax, dy = s.by - s.ay;
        const double length = std::hypot(dx, dy);
        if (length <= tolerance) continue;
        dx /= length, dy /= length;
        if (std::fabs(dx) < 1e-12) dx = 0, dy = 1;  // one direction for every vertical line
        if (dx < 0) dx = -dx, dy = -dy;
        const double t0 = dx * s.ax + dy * s.ay, t1 = dx * s.bx + dy * s.by;
        placed.push_back({std::atan2(dy, dx), dx * s.ay - dy * s.ax, std::min(t0, t1), std::max(t0, t1), s.hidden});
    }
    std::sort(placed.begin(), placed.end(), [](const Placed& p, const Placed& q) { return p.angle < q.angle; });
    double visible = 0, hidden = 0;
    // Groups of one direction, then of one offset; on each line the union of
    // the visible stretches, and of the hidden ones outside it.
    for (size_t i = 0, j = 0; i < placed.size(); i = j) {
        for (j = i + 1; j < placed.size() && placed[j].angle - placed[j - 1].angle < 1e-9; ++j) {}
        std::sort(placed.begin() + i, placed.begin() + j, [](const Placed& p, const Placed& q) { return p.offset < q.offset; });
        for (size_t k = i, m = i; k < j; k = m) {
            for (m = k + 1; m < j && placed[m].offset - placed[m - 1].offset < tolerance; ++m) {}
            std::vector<std::pair<double, double>> shown, behind;
            for (size_t n = k; n < m; ++n) (placed[n].hidden ? behind : shown).push_back({placed[n].t0, placed[n].t1});
            const std::vector<std::pair<double, double>> shownUnion = Union(shown);
            visible += Length(shownUnion);
            hidden += Length(Subtract(Union(behind), shownUnion));
        }
    }
    return {visible, hidden};
}

// The larger side of the box around the segments.
double DrawingSize(const std::vector<Segment>& segments) {
    double lx = 1e300, ly = 1e300, hx = -1e300, hy = -1e300;
    for (const Segment& s : segments) {
        lx = std::min({lx, s.ax, s.bx}), hx = std::max({hx, s.ax, s.bx});
        ly = std::min({ly, s.ay, s.by}), hy = std::max({hy, s.ay, s.by});
    }
    return segments.empty() ? 0 : std::max(hx - lx, hy - ly);
}

int Usage() {
    std::fprintf(stderr,
                 "usage: occt_compare SCENE FACES [--seed N] [--deflection D] [--angular-tolerance A]\n"
                 "                    [--write-obj FILE.obj] [--no-hlr]\n"
                 "  SCENE: a scene kind of zvhlr_bench (blocks, heightfield, overlap, flange, ...)\n"
                 "  A: the angular tolerance of the hidden-line removal (Open CASCADE's default when not given)\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return Usage();
    std::string kind = argv[1], objPath;
    int faceCount = 0;
    uint64_t seed = 1;
    double deflection = 0.01, angularTolerance = 0;
    bool hlr = true;
    try {
        faceCount = std::stoi(argv[2]);
        for (int k = 3; k < argc; ++k) {
            const std::string arg = argv[k];
            if (arg == "--no-hlr") {
                hlr = false;
                continue;
            }
            if (k + 1 >= argc) return Usage();
            if (arg == "--seed") seed = std::stoull(argv[++k]);
            else if (arg == "--deflection") deflection = std::stod(argv[++k]);
            else if (arg == "--angular-tolerance") angularTolerance = std::stod(argv[++k]);
            else if (arg == "--write-obj") objPath = argv[++k];
            else return Usage();
        }
        const Clock::time_point start = Clock::now();
        const bench::Scene scene = bench::MakeScene(kind, faceCount, seed);
        const double sceneSeconds = SecondsSince(start);
        if (!objPath.empty()) {
            bench::WriteObjFile(objPath, scene);
            return 0;
        }

        Clock::time_point step = Clock::now();
        FaceBuilder builder;
        std::vector<TopoDS_Face> faces;
        TopoDS_Builder compoundBuilder;
        TopoDS_Compound shape;
        compoundBuilder.MakeCompound(shape);
        for (const bench::Face& f : scene.faces) {
            faces.push_back(builder.Face(f));
            compoundBuilder.Add(shape, faces.back());
        }
        const double buildSeconds = SecondsSince(step);

        step = Clock::now();
        BRepMesh_IncrementalMesh mesher(shape, deflection);
        const double meshSeconds = SecondsSince(step);

        std::printf("scene:          %s %d (seed %llu)\n", kind.c_str(), faceCount, static_cast<unsigned long long>(seed));
        std::printf("faces:          %zu\n", scene.faces.size());
        std::printf("scene seconds:  %.3f\n", sceneSeconds);
        std::printf("build seconds:  %.3f\n", buildSeconds);
        std::printf("mesh seconds:   %.3f\n", meshSeconds);
        if (!hlr) return 0;

        // The zvhlr tool's "iso" view: the eye looks along (-1, 1, -1), Z up.
        // The projector's Z axis points from the model to the eye.
        step = Clock::now();
        const gp_Dir towardsEye(1, -1, 1);
        const gp_Dir right = gp_Dir(0, 0, 1).Crossed(towardsEye);
        Handle(HLRBRep_PolyAlgo) algo = new HLRBRep_PolyAlgo();
        algo->Projector(HLRAlgo_Projector(gp_Ax2(gp_Pnt(0, 0, 0), towardsEye, right)));
        if (angularTolerance > 0) algo->TolAngular(angularTolerance);
        algo->Load(shape);
        algo->Update();
        const double hlrSeconds = SecondsSince(step);

        step = Clock::now();
        HLRBRep_PolyHLRToShape extract;
        extract.Update(algo);
        std::vector<Segment> segments;
        double curved = 0;
        for (const TopoDS_Shape& part : {extract.VCompound(), extract.Rg1LineVCompound(), extract.RgNLineVCompound(),
                                         extract.OutLineVCompound()})
            CollectSegments(part, false, segments, curved);
        for (const TopoDS_Shape& part : {extract.HCompound(), extract.Rg1LineHCompound(), extract.RgNLineHCompound(),
                                         extract.OutLineHCompound()})
            CollectSegments(part, true, segments, curved);
        const double extractSeconds = SecondsSince(step);
        step = Clock::now();
        double rawVisible = 0, rawHidden = 0;
        for (const Segment& g : segments) (g.hidden ? rawHidden : rawVisible) += std::hypot(g.bx - g.ax, g.by - g.ay);
        const auto [visible, hidden] = DrawnLengths(segments, 1e-6 * DrawingSize(segments));
        const double drawSeconds = SecondsSince(step);
        std::printf("angular tolerance: %g\n", algo->TolAngular());
        std::printf("hlr seconds:    %.3f\n", hlrSeconds);
        std::printf("extract seconds: %.3f\n", extractSeconds);
        std::printf("drawing seconds: %.3f\n", drawSeconds);
        std::printf("total seconds:  %.3f\n", SecondsSince(start));
        std::printf("edges:          %zu (%.10g visible, %.10g hidden before drawing each stretch once)\n",
                    segments.size(), rawVisible, rawHidden);
        if (curved > 0) std::printf("curved length:  %.10g (not counted)\n", curved);
        std::printf("visible length: %.10g\n", visible);
        std::printf("hidden length:  %.10g\n", hidden);
    } catch (const Standard_Failure& e) {
        std::fprintf(stderr, "occt_compare: Open CASCADE failed: %s\n", e.GetMessageString());
        return 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "occt_compare: %s\n", e.what());
        return 1;
    }
    return 0;
}
