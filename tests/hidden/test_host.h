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

namespace zvtest {

struct Vec3 {
    double x = 0, y = 0, z = 0;
};

inline Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 operator*(Vec3 a, double s) { return {a.x * s, a.y * s, a.z * s}; }
inline double Dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vec3 Cross(Vec3 a, Vec3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
inline double Length(Vec3 a) { return std::sqrt(Dot(a, a)); }
inline Vec3 Normalized(Vec3 a) { return a * (1.0 / Length(a)); }
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

using Contour = std::vector<Vec3>;

Contour Reversed(Contour c);
// The Newell normal: its length is twice the area, its direction the side
// from which the contour runs counter-clockwise.
Vec3 Newell(const Contour& c);
std::vector<TXY> Projected(const View& v, const Contour& c);

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
struct Group {
    Contour outer;
    std::vector<Contour> holes;
};

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

// Signed area value of a 2-D outline in the library's convention:
// sum of X[k]*Y[k-1] - Y[k]*X[k-1] (positive for clockwise order, y up).
double SignedArea2(const std::vector<TXY>& outline);
// Even-odd point-in-polygon test of a closed or open 2-D outline.
bool InsideOutline(const std::vector<TXY>& outline, TXY p);
// Distance from p to the outline's edges.
double DistanceToOutline(const std::vector<TXY>& outline, TXY p);

}  // namespace zvtest
