#include "hidden/test_host.h"

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <map>
#include <mutex>
#include <thread>

namespace zvtest {

Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec3 operator*(Vec3 a, double s) { return {a.x * s, a.y * s, a.z * s}; }
double Dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec3 Cross(Vec3 a, Vec3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
double Length(Vec3 a) { return std::sqrt(Dot(a, a)); }
Vec3 Normalized(Vec3 a) { return a * (1.0 / Length(a)); }
TXYZ ToXYZ(Vec3 a) { return {a.x, a.y, a.z}; }
Vec3 ToVec(const TXYZ& p) { return {p.X, p.Y, p.Z}; }

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

// ---------------------------------------------------------------- callbacks

static std::map<ZVSDHandle, TestHost*>& Registry() {
    static std::map<ZVSDHandle, TestHost*> hosts;
    return hosts;
}

static TestHost* HostOf(ZVSDHandle h) {
    auto it = Registry().find(h);
    return it == Registry().end() ? nullptr : it->second;
}

extern "C" {
static double DepthCallback(ZVSDHandle h, const TXYZ* p, const TPlane* plane, TXYZ*) {
    TestHost* host = HostOf(h);
    return host ? host->OnDepth(p, plane) : 0.0;
}
static void ProjectCallback(ZVSDHandle h, const TXYZ* p, TXY* out) {
    if (TestHost* host = HostOf(h)) host->OnProject(p, out);
}
static void InterpolateCallback(ZVSDHandle h, const TXYZ* a, const TXYZ* b, double t, TXYZ* out) {
    if (TestHost* host = HostOf(h)) host->OnInterpolate(a, b, t, out);
}
static void LineToCallback(ZVSDHandle h, int32_t visible, const TXY* p) {
    if (TestHost* host = HostOf(h)) host->OnLineTo(visible, p);
}
static void MoveToCallback(ZVSDHandle h, const TXY* p) {
    if (TestHost* host = HostOf(h)) host->OnMoveTo(p);
}
static void QueryAbortCallback(ZVSDHandle h, int16_t* abort) {
    if (TestHost* host = HostOf(h)) host->OnQueryAbort(abort);
}
static void BeginCallback(ZVSDHandle h) {
    if (TestHost* host = HostOf(h)) host->OnBegin();
}
static void EndCallback(ZVSDHandle h) {
    if (TestHost* host = HostOf(h)) host->OnEnd();
}
}

// ---------------------------------------------------------------- host

TestHost::TestHost(const View& view, HostOptions options) : view_(view), options_(options) {
    handle_ = ZVSDCreate();
    Registry()[handle_] = this;
    ApplySettings();
}

TestHost::~TestHost() {
    Registry().erase(handle_);
    ZVSDFree(handle_);
}

void TestHost::ApplySettings() {
    TZVSDData data;
    _ZVSDGetData(handle_, &data);
    data.DepthProc = options_.withDepth ? DepthCallback : nullptr;
    data.ProjectProc = ProjectCallback;
    data.InterpolateProc = (view_.perspective && options_.withInterpolate) ? InterpolateCallback : nullptr;
    data.LineToProc = LineToCallback;
    data.MoveToProc = MoveToCallback;
    data.QueryAbortProc = QueryAbortCallback;
    data.BeginProc = BeginCallback;
    data.EndProc = EndCallback;
    data.FrontPositiveFlag = view_.FrontPositive() ? 1 : 0;
    data.DrawHiddenFlag = options_.drawHidden ? 1 : 0;
    _ZVSDSetData(handle_, &data);
    ZVSDSetOptions(handle_, options_.calcOptions, 1);
}

static int ItemCount(ZVSDHandle h) {
    TZVSDData data;
    _ZVSDGetData(h, &data);
    return data.ItemCount;
}

static bool AddContour(ZVSDHandle h, const Contour& c, bool hole) {
    std::vector<TXYZ> pts;
    for (const Vec3& p : c) pts.push_back(ToXYZ(p));
    int before = ItemCount(h);
    int32_t index = hole ? ZVSDAddHole(h, static_cast<int32_t>(pts.size()), pts.data())
                         : ZVSDAddContour(h, static_cast<int32_t>(pts.size()), pts.data());
    return index == before;
}

double TestHost::Load(const std::vector<Group>& groups) {
    auto start = std::chrono::steady_clock::now();
    ZVSDSetChanging(handle_, 1);
    for (size_t g = 0; g < groups.size(); ++g) {
        if (!AddContour(handle_, groups[g].outer, false)) continue;
        itemOrigin_.push_back({static_cast<int>(g), false});
        for (const Contour& hole : groups[g].holes)
            if (AddContour(handle_, hole, true)) itemOrigin_.push_back({static_cast<int>(g), true});
    }
    ZVSDSetChanging(handle_, 0);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double TestHost::Recalculate() {
    auto start = std::chrono::steady_clock::now();
    ZVSDChanged(handle_);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::vector<ItemResult> TestHost::Results() const {
    std::vector<ItemResult> items;
    int count = ItemCount(handle_);
    for (int i = 0; i < count; ++i) {
        ItemResult r;
        if (i < static_cast<int>(itemOrigin_.size())) {
            r.group = itemOrigin_[i].first;
            r.hole = itemOrigin_[i].second;
        }
        r.points3d.resize(std::max(0, ZVSDGetArray3d(handle_, i, nullptr)));
        if (!r.points3d.empty()) ZVSDGetArray3d(handle_, i, r.points3d.data());
        r.outline.resize(std::max(0, ZVSDGetArray2d(handle_, i, nullptr)));
        if (!r.outline.empty()) ZVSDGetArray2d(handle_, i, r.outline.data());
        r.mask.resize(std::max(0, ZVSDGetMask(handle_, i, nullptr)));
        if (!r.mask.empty()) ZVSDGetMask(handle_, i, r.mask.data());
        items.push_back(std::move(r));
    }
    return items;
}

std::vector<DrawCall> TestHost::Draw() {
    drawCalls_.clear();
    ZVSDDraw(handle_, 0);
    return drawCalls_;
}

double TestHost::OnDepth(const TXYZ* p, const TPlane* plane) {
    ++depthCount_;
    return view_.Depth(ToVec(*p), ToVec(plane->Origin), ToVec(plane->Normal));
}

void TestHost::OnProject(const TXYZ* p, TXY* out) const { *out = view_.Project(ToVec(*p)); }

void TestHost::OnInterpolate(const TXYZ* a, const TXYZ* b, double t, TXYZ* out) const {
    *out = ToXYZ(view_.Interpolate(ToVec(*a), ToVec(*b), t));
}

void TestHost::OnQueryAbort(int16_t* abort) {
    ++queryCount_;
    if (options_.abortAtQuery > 0 && queryCount_ >= options_.abortAtQuery) *abort = 1;
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

std::vector<std::pair<double, double>> VisibleSpans(const std::vector<double>& mask, int k) {
    std::vector<std::pair<double, double>> spans;
    bool visible = VisibleAt(mask, k);
    double cursor = k;
    for (size_t q = 1; q < mask.size(); ++q) {
        double toggle = std::fabs(mask[q]);
        if (toggle < k || toggle >= k + 1) continue;
        if (visible && toggle > cursor) spans.push_back({cursor - k, toggle - k});
        visible = !visible;
        cursor = toggle;
    }
    if (visible && cursor < k + 1) spans.push_back({cursor - k, 1.0});
    return spans;
}

double VisibleLength(const std::vector<TXY>& outline, const std::vector<double>& mask) {
    double total = 0;
    for (size_t k = 0; k + 1 < outline.size(); ++k) {
        double len = std::hypot(outline[k + 1].X - outline[k].X, outline[k + 1].Y - outline[k].Y);
        for (auto [a, b] : VisibleSpans(mask, static_cast<int>(k))) total += (b - a) * len;
    }
    return total;
}

// ---------------------------------------------------------------- 2-D geometry

double SignedArea2(const std::vector<TXY>& o) {
    double a = 0;
    for (size_t k = 0; k < o.size(); ++k) {
        const TXY& p = o[k];
        const TXY& q = o[(k + o.size() - 1) % o.size()];
        a += p.X * q.Y - p.Y * q.X;
    }
    return a;
}

bool InsideOutline(const std::vector<TXY>& o, TXY p) {
    bool inside = false;
    for (size_t k = 0, n = o.size(); k < n; ++k) {
        const TXY& a = o[k];
        const TXY& b = o[(k + 1) % n];
        if ((a.Y > p.Y) != (b.Y > p.Y)) {
            double x = a.X + (p.Y - a.Y) * (b.X - a.X) / (b.Y - a.Y);
            if (x > p.X) inside = !inside;
        }
    }
    return inside;
}

static double DistanceToSegment(TXY a, TXY b, TXY p) {
    double dx = b.X - a.X, dy = b.Y - a.Y;
    double len2 = dx * dx + dy * dy;
    double t = len2 > 0 ? ((p.X - a.X) * dx + (p.Y - a.Y) * dy) / len2 : 0.0;
    t = std::clamp(t, 0.0, 1.0);
    return std::hypot(a.X + t * dx - p.X, a.Y + t * dy - p.Y);
}

double DistanceToOutline(const std::vector<TXY>& o, TXY p) {
    double best = std::numeric_limits<double>::infinity();
    for (size_t k = 0, n = o.size(); k < n; ++k) best = std::min(best, DistanceToSegment(o[k], o[(k + 1) % n], p));
    return best;
}

// ---------------------------------------------------------------- watchdog

namespace {
struct WatchdogState {
    std::mutex m;
    std::condition_variable cv;
    bool armed = false;
    bool started = false;
    std::chrono::steady_clock::time_point deadline;
    std::string label;
};

WatchdogState& Dog() {
    static WatchdogState* state = new WatchdogState;  // never destroyed: the thread outlives main
    return *state;
}

void WatchLoop() {
    WatchdogState& d = Dog();
    std::unique_lock<std::mutex> lock(d.m);
    for (;;) {
        if (!d.armed) {
            d.cv.wait(lock);
            continue;
        }
        if (d.cv.wait_until(lock, d.deadline) == std::cv_status::timeout && d.armed &&
            std::chrono::steady_clock::now() >= d.deadline) {
            std::fprintf(stderr, "watchdog: '%s' did not finish in time\n", d.label.c_str());
            std::fflush(stderr);
            std::abort();
        }
    }
}
}  // namespace

Watchdog::Watchdog(double seconds, std::string label) {
    WatchdogState& d = Dog();
    std::lock_guard<std::mutex> lock(d.m);
    if (!d.started) {
        std::thread(WatchLoop).detach();
        d.started = true;
    }
    d.armed = true;
    d.label = std::move(label);
    d.deadline = std::chrono::steady_clock::now() +
                 std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::duration<double>(seconds));
    d.cv.notify_all();
}

Watchdog::~Watchdog() {
    WatchdogState& d = Dog();
    std::lock_guard<std::mutex> lock(d.m);
    d.armed = false;
    d.cv.notify_all();
}

}  // namespace zvtest
