// A host of the software hidden-line interface for tests: it owns a buffer
// handle, answers the projection, depth and interpolation callbacks for a
// parallel or perspective view, stores scenes of polygon groups, runs the
// calculation and reads every item's results back through the C exports.
#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "zvhlr.h"

namespace zvtest {

struct Vec3 {
    double x = 0, y = 0, z = 0;
};

Vec3 operator+(Vec3 a, Vec3 b);
Vec3 operator-(Vec3 a, Vec3 b);
Vec3 operator*(Vec3 a, double s);
double Dot(Vec3 a, Vec3 b);
Vec3 Cross(Vec3 a, Vec3 b);
double Length(Vec3 a);
Vec3 Normalized(Vec3 a);
TXYZ ToXYZ(Vec3 a);
Vec3 ToVec(const TXYZ& p);

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

// An outer contour with its holes: one polygon group of the buffer.
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

struct DrawCall {
    bool line = false;  // LineTo when true, MoveTo otherwise
    int visible = 0;    // LineTo only
    TXY p{0, 0};
};

// Settings of a host run that differ from a plain one.
struct HostOptions {
    bool withDepth = true;
    bool withInterpolate = true;   // perspective views only
    int abortAtQuery = 0;          // > 0: answer "abort" to that query (1 = first)
    bool drawHidden = false;
    int32_t calcOptions = 0;       // ZVSD_OPTION_* flags
};

class TestHost {
public:
    explicit TestHost(const View& view, HostOptions options = {});
    ~TestHost();
    TestHost(const TestHost&) = delete;
    TestHost& operator=(const TestHost&) = delete;

    ZVSDHandle Handle() const { return handle_; }
    const View& GetView() const { return view_; }

    // Stores the groups inside one edit bracket; the closing call calculates.
    // Returns the seconds the bracket (and so the calculation) took.
    double Load(const std::vector<Group>& groups);
    // Runs the calculation again (ZVSDChanged); returns its seconds.
    double Recalculate();

    std::vector<ItemResult> Results() const;
    std::vector<DrawCall> Draw();

    int BeginCount() const { return beginCount_; }
    int EndCount() const { return endCount_; }
    int QueryCount() const { return queryCount_; }
    int DepthCount() const { return depthCount_; }

    // Callback entry points (the C callbacks look the host up by handle).
    double OnDepth(const TXYZ* p, const TPlane* plane);
    void OnProject(const TXYZ* p, TXY* out) const;
    void OnInterpolate(const TXYZ* a, const TXYZ* b, double t, TXYZ* out) const;
    void OnQueryAbort(int16_t* abort);
    void OnBegin() { ++beginCount_; }
    void OnEnd() { ++endCount_; }
    void OnMoveTo(const TXY* p) { drawCalls_.push_back({false, 0, *p}); }
    void OnLineTo(int32_t visible, const TXY* p) { drawCalls_.push_back({true, visible, *p}); }

private:
    void ApplySettings();

    View view_;
    HostOptions options_;
    ZVSDHandle handle_ = nullptr;
    std::vector<std::pair<int, bool>> itemOrigin_;  // group index, is hole
    std::vector<DrawCall> drawCalls_;
    int beginCount_ = 0;
    int endCount_ = 0;
    int queryCount_ = 0;
    int depthCount_ = 0;
};

// Visibility of a mask (first value +-1, toggles non-negative) at parameter t:
// the state alternates at every toggle below t.
bool VisibleAt(const std::vector<double>& mask, double t);
// Distance from t to the nearest toggle of the mask (infinity for none).
double DistanceToToggle(const std::vector<double>& mask, double t);
// Visible fractions [a, b] of segment k of an outline with this mask.
std::vector<std::pair<double, double>> VisibleSpans(const std::vector<double>& mask, int k);
// Total 2-D length of the visible stretches of an outline.
double VisibleLength(const std::vector<TXY>& outline, const std::vector<double>& mask);

// Signed area value of a 2-D outline in the library's convention:
// sum of X[k]*Y[k-1] - Y[k]*X[k-1] (positive for clockwise order, y up).
double SignedArea2(const std::vector<TXY>& outline);
// Even-odd point-in-polygon test of a closed or open 2-D outline.
bool InsideOutline(const std::vector<TXY>& outline, TXY p);
// Distance from p to the outline's edges.
double DistanceToOutline(const std::vector<TXY>& outline, TXY p);

// Aborts the process with a message when a guarded stretch of work overruns,
// so that a hanging calculation ends the test run instead of blocking it.
class Watchdog {
public:
    Watchdog(double seconds, std::string label);
    ~Watchdog();
};

}  // namespace zvtest
