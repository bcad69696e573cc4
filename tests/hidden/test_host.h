// A host of the software hidden-line interface for the engine's tests: it
// owns a buffer handle, answers the projection, depth and interpolation
// callbacks for a parallel or perspective view, stores scenes of polygon
// groups, runs the calculation and reads every item's results back through
// the C exports.
#pragma once

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "interface/zvsd_host.h"
#include "mesh.h"
#include "plane_frame.h"

namespace zvtest {

// Vectors, rings and their 2-D geometry are the command-line tool's, whose
// ray cast checks the solids.
using zv::tool::Vec3;
using zv::tool::Normalized;
using zv::tool::Point2;
using Outline2 = std::vector<Point2>;
inline TXYZ ToXYZ(Vec3 a) { return {a.x, a.y, a.z}; }
inline Vec3 ToVec(const TXYZ& p) { return {p.X, p.Y, p.Z}; }

// A view: the viewer looks along -Toward.  Screen axes Right and Up satisfy
// Right x Up = Toward, so a face listed counter-clockwise seen from outside
// projects counter-clockwise in (Right, Up).  With Mirrored the screen Y axis is
// flipped, which turns that into clockwise order.
struct View {
    bool perspective = false;
    Vec3 toward{0, 0, 1};  // unit vector from the scene towards the viewer
    Vec3 right{1, 0, 0};
    Vec3 up{0, 1, 0};
    Vec3 eye{0, 0, 0};     // perspective only: the eye point
    double focal = 1.0;    // perspective only: distance of the picture plane
    bool mirrored = false;
    double scale = 1.0;    // factor on both screen coordinates

    static View Parallel(Vec3 towardViewer, bool mirrored = false);
    static View Perspective(Vec3 eye, Vec3 target, double focal, bool mirrored = false);

    // The FrontPositive setting under which counter-clockwise faces face the viewer.
    bool FrontPositive() const { return mirrored; }

    TXY Project(Vec3 p) const;
    // Signed distance, along the viewing ray through p, from the plane to p:
    // positive when p is nearer the viewer than the plane; 0 for an edge-on plane.
    double Depth(Vec3 p, Vec3 planeOrigin, Vec3 planeNormal) const;
    // The 3-D point of segment ab whose projection lies at fraction t of the
    // projected segment.
    Vec3 Interpolate(Vec3 a, Vec3 b, double t) const;
    // Direction from p towards the viewer (not normalised for perspective).
    Vec3 RayToViewer(Vec3 p) const;
};

using Contour = zv::tool::Ring;

Contour Reversed(Contour c);
Outline2 Projected(const View& v, const Contour& c);

// A small deterministic generator (splitmix64), the same on every platform.
class Random {
public:
    explicit Random(uint64_t seed) : state_(seed) {}
    uint64_t Next();
    double Uniform(double lo, double hi) { return lo + (hi - lo) * ((Next() >> 11) * 0x1.0p-53); }
    int Int(int lo, int hi) { return lo + static_cast<int>(Next() % static_cast<uint64_t>(hi - lo + 1)); }
    bool Chance(double p) { return Uniform(0, 1) < p; }

private:
    uint64_t state_;
};

// An outer contour with its holes: one polygon group of the buffer (an
// empty outer contour adds the holes alone).
using Group = zv::tool::Polygon;

struct ItemResult {
    int group = -1;          // index of the group in the order added
    bool hole = false;
    std::vector<TXYZ> points3d;
    std::vector<TXY> outline;
    std::vector<double> mask;  // as handed out: first +-1, toggles non-negative
};

class TestHost {
public:
    explicit TestHost(const View& view, int32_t calcOptions = 0);  // calcOptions: ZVSD_OPTION_* flags
    ~TestHost() { ZVSDFree(handle_); }
    TestHost(const TestHost&) = delete;
    TestHost& operator=(const TestHost&) = delete;

    const View& GetView() const { return view_; }
    // Stores the groups inside one edit bracket; the closing call calculates.
    void Load(const std::vector<Group>& groups);
    std::vector<ItemResult> Results() const;
    zvsdtest::Masks Masks() const { return zvsdtest::AllMasks(handle_); }

private:
    View view_;
    zvsdtest::Host host_;
    ZVSDHandle handle_;
    std::vector<std::pair<int, bool>> itemOrigin_;  // group index, is hole
};

// Visibility of a mask (first value +-1, toggles non-negative) at parameter t:
// the state alternates at every toggle below t.
bool VisibleAt(const std::vector<double>& mask, double t);
// Distance from t to the nearest toggle of the mask (infinity for none).
double DistanceToToggle(const std::vector<double>& mask, double t);

// Distance from p to the edges of the closed outline o.
double DistanceToOutline(const Outline2& o, Point2 p);

}  // namespace zvtest
