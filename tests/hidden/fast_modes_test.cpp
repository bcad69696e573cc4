// The opt-in calculation modes against the plain loop: on seeded random
// scenes every mode and thread count must give the same outlines and masks,
// bit for bit, and host code must run on the calling thread only.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <random>
#include <thread>
#include <vector>

#include "hidden/builtin_view.h"
#include "geometry/space.h"
#include "hidden/hidden_buffer.h"
#include "owned_array.h"
#include "runtime/message.h"

namespace zv {
namespace {

struct Polygon {
    std::vector<TXYZ> points;
    bool hole = false;
};

// A random scene: planar polygons (rectangles and irregular convex ones) in
// random planes crowded into a small region, some with holes, some listed the
// other way round (back faces), some copies of an earlier one shifted in its
// own plane (coplanar overlaps), and sometimes holes before the first contour.
class SceneMaker {
public:
    explicit SceneMaker(uint64_t seed) : rnd_(seed) {}

    std::vector<Polygon> Make() {
        std::vector<Polygon> scene;
        if (Chance(0.15)) scene.push_back({Flat(TXYZ{0, 0, 0}, 3, 4), true});  // a leading hole
        const int groups = 4 + static_cast<int>(Uniform(0, 22));
        for (int g = 0; g < groups; ++g) {
            if (g > 0 && Chance(0.12)) {
                CoplanarCopy(scene);
                continue;
            }
            const TXYZ c{Uniform(-30, 30), Uniform(-30, 30), Uniform(-30, 30)};
            Frame();
            const double r = Uniform(8, 30);
            // Now and then a many-sided face, whose outline gets a segment index.
            const int corners = Chance(0.5) ? 4 : (Chance(0.25) ? 24 + static_cast<int>(Uniform(0, 60))
                                                                : 3 + static_cast<int>(Uniform(0, 6)));
            std::vector<TXYZ> outer = Flat(c, r, corners);
            const bool reversed = Chance(0.4);
            if (reversed) std::reverse(outer.begin(), outer.end());
            scene.push_back({outer, false});
            const int holes = Chance(0.35) ? 1 + static_cast<int>(Uniform(0, 2)) : 0;
            for (int h = 0; h < holes; ++h) {
                const double hr = r * Uniform(0.15, 0.3);
                const TXYZ hc = InPlane(c, Uniform(-0.4, 0.4) * r, Uniform(-0.4, 0.4) * r);
                std::vector<TXYZ> hole = Flat(hc, hr, Chance(0.2) ? 30 : 4 + static_cast<int>(Uniform(0, 3)));
                // Mostly winding against the outer contour, now and then with it.
                if (reversed == Chance(0.1)) std::reverse(hole.begin(), hole.end());
                scene.push_back({hole, true});
            }
        }
        return scene;
    }

    double Uniform(double a, double b) { return std::uniform_real_distribution<double>(a, b)(rnd_); }
    bool Chance(double p) { return Uniform(0, 1) < p; }

private:
    // A random plane through the origin (a quarter of them parallel to one
    // another): two orthonormal axes u, v.
    void Frame() {
        const TXYZ n = Chance(0.25) ? TXYZ{0, 0, 1} : TXYZ{Uniform(-1, 1), Uniform(-1, 1), Uniform(-1, 1)};
        const TPlaneFrame f = MakeFrame({0, 0, 0}, n);
        u_ = f.XAxis, v_ = f.YAxis;
    }
    TXYZ InPlane(TXYZ c, double x, double y) const { return AddXYZ(c, AddXYZ(ScaleXYZ(u_, x), ScaleXYZ(v_, y))); }
    std::vector<TXYZ> Flat(TXYZ c, double r, int corners) {
        std::vector<TXYZ> pts;
        for (int k = 0; k < corners; ++k) {
            const double a = 2 * 3.14159265358979 * (k + Uniform(-0.15, 0.15)) / corners;
            pts.push_back(InPlane(c, r * std::cos(a), r * std::sin(a)));
        }
        return pts;
    }
    void CoplanarCopy(std::vector<Polygon>& scene) {
        const Polygon& base = scene[static_cast<size_t>(Uniform(0, static_cast<double>(scene.size())))];
        Polygon copy{base.points, false};
        const TXYZ d = ScaleXYZ(SubXYZ(base.points[1], base.points[0]), Uniform(0.1, 0.6));
        for (TXYZ& p : copy.points) p = AddXYZ(p, d);
        scene.push_back(copy);
    }

    std::mt19937_64 rnd_;
    TXYZ u_{1, 0, 0}, v_{0, 1, 0};
};

// A random view: an orthonormal base (sometimes with scaled axes), parallel
// or with a perspective whose eye lies outside the scene (or, rarely, inside).
TBuiltinView RandomView(SceneMaker& maker, bool& perspective) {
    const TPlaneFrame f = MakeFrame({0, 0, 0}, {maker.Uniform(-1, 1), maker.Uniform(-1, 1), maker.Uniform(-1, 1)});
    const TXYZ x = f.XAxis, z = f.Normal, y = CrossXYZ(z, x);
    const double scale = maker.Chance(0.2) ? maker.Uniform(0.5, 2) : 1.0;
    const double base[12] = {maker.Uniform(-5, 5), maker.Uniform(-5, 5), maker.Uniform(-5, 5),
                             x.X * scale, x.Y * scale, x.Z * scale, y.X, y.Y, y.Z, z.X, z.Y, z.Z};
    perspective = maker.Chance(0.4);
    // Angles whose eye (500 / tan(angle / 2)) is farther than the scene, and now and then one inside it.
    const double angle = !perspective ? 0.0 : (maker.Chance(0.15) ? 170.0 : maker.Uniform(10, 60));
    TBuiltinView view;
    EXPECT_TRUE(MakeBuiltinView(base, angle, view));
    return view;
}

// A buffer whose host events apply the view through the host's side, with
// counters of the host calls and the threads they came on.
struct ViewHost : TzvHiddenbuffer {
    TBuiltinView view;
    int hostCalls = 0;
    int queries = 0;
    int abortAtQuery = 0;  // > 0: answer "abort" to that query
    bool foreignThread = false;
    std::thread::id owner = std::this_thread::get_id();

    explicit ViewHost(const TBuiltinView& v) : view(v) {
        OnProject = [this](THbufferItem*, const TXYZ& p, TXY& q) { q = (Note(1), view.Project(p)); };
        OnDepth = [this](TzvHiddenbuffer*, const TXYZ& p, const TPlane& plane) { return Note(1), view.Depth(p, plane); };
        OnInterpolate = [this](TzvHiddenbuffer*, const TXYZ& a, const TXYZ& b, double t, TXYZ& r) {
            r = (Note(1), view.Interpolate(a, b, t));
        };
        OnQueryAbort = [this](TzvHiddenbuffer*, bool& abort) { abort = (Note(0), ++queries == abortAtQuery); };
        OnBeginCalc = OnEndCalc = [this](TzvHiddenbuffer*) { Note(0); };
        BuiltinView = v;
    }
    void Note(int hostCall) {
        foreignThread = foreignThread || std::this_thread::get_id() != owner;
        hostCalls += hostCall;
    }
    void Load(const std::vector<Polygon>& scene) {
        SetChanging(true);
        for (const Polygon& p : scene) {
            TPointArray view = ArrayView(p.points.data(), 24, static_cast<int32_t>(p.points.size()));
            p.hole ? AddHole(view) : AddContour(view);
        }
        ChangeCount = 1;  // leave the bracket open: the tests calculate themselves
    }
};

struct ItemState {
    std::vector<TXY> outline;
    std::vector<double> mask;
};

std::vector<ItemState> StateOf(const TzvHiddenbuffer& b) {
    std::vector<ItemState> items;
    for (int32_t i = 0; i < b.Count(); ++i) {
        const TMAskedArray& m = b.Items(i)->Masked;
        items.push_back({ValuesOf<TXY>(*m.Points), ValuesOf<double>(*m.Mask)});
    }
    return items;
}

// Bit-for-bit comparison (NaN outline points compare by their bits too).
template <class T>
bool SameBits(const std::vector<T>& a, const std::vector<T>& b) {
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(T)) == 0);
}

// The index of the first item whose outline or mask differs, -1 when none does.
int FirstDifference(const std::vector<ItemState>& a, const std::vector<ItemState>& b) {
    for (size_t i = 0; i < std::max(a.size(), b.size()); ++i)
        if (i >= a.size() || i >= b.size() || !SameBits(a[i].outline, b[i].outline) || !SameBits(a[i].mask, b[i].mask))
            return static_cast<int>(i);
    return -1;
}

constexpr int32_t IndexAndView = ZVSD_OPTION_INDEX | ZVSD_OPTION_BUILTIN_VIEW;

// The items after a run of the scene seen from the top in the given mode.
std::vector<ItemState> TopViewRun(const std::vector<Polygon>& scene, int32_t flags = 0, int32_t threads = 1) {
    ViewHost host(TBuiltinView{});
    host.Load(scene);
    host.CalcOptions = flags;
    host.CalcThreads = threads;
    host.Calculate();
    return StateOf(host);
}

struct ModeCase {
    int32_t flags;
    int32_t threads;
};

const ModeCase Modes[] = {{ZVSD_OPTION_INDEX, 1},
                          {ZVSD_OPTION_INDEX, 2},  // host callbacks: stays on the calling thread
                          {ZVSD_OPTION_BUILTIN_VIEW, 1},
                          {ZVSD_OPTION_BUILTIN_VIEW, 2},
                          {IndexAndView, 1},
                          {IndexAndView, 2},
                          {IndexAndView, 3},
                          {IndexAndView, 0}};

TEST(FastModes, EveryModeGivesTheMasksOfThePlainLoopBitForBit) {
    int hiddenStretches = 0, backFaces = 0, perspectives = 0;
    for (uint64_t seed = 1; seed <= 300; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        SceneMaker maker(seed);
        const std::vector<Polygon> scene = maker.Make();
        bool perspective = false;
        const TBuiltinView view = RandomView(maker, perspective);
        perspectives += perspective;
        const bool frontPositive = maker.Chance(0.5);
        const int32_t split = seed % 2 ? ZVSD_OPTION_SPLIT : 0;  // the plain loop cuts at piercings too

        ViewHost reference(view);
        reference.FrontPositive = frontPositive;
        reference.CalcOptions = split;
        reference.Load(scene);
        reference.Calculate();
        const std::vector<ItemState> expected = StateOf(reference);
        for (const ItemState& s : expected) {
            hiddenStretches += s.mask.size() > 1;
            backFaces += s.mask.size() == 1 && s.mask[0] == -1.0;
        }
        for (const ModeCase& mode : Modes) {
            SCOPED_TRACE("flags " + std::to_string(mode.flags) + " threads " + std::to_string(mode.threads));
            ViewHost fast(view);
            fast.FrontPositive = frontPositive;
            fast.Load(scene);
            fast.CalcOptions = mode.flags | split;
            fast.CalcThreads = mode.threads;
            fast.Calculate();
            ASSERT_EQ(FirstDifference(StateOf(fast), expected), -1);
            EXPECT_FALSE(fast.foreignThread);
            EXPECT_FALSE(fast.Busy);
            if (mode.flags & ZVSD_OPTION_BUILTIN_VIEW) EXPECT_EQ(fast.hostCalls, 0) << "the built-in view asks no host";
        }
    }
    // The scenes exercise what they are meant to.
    EXPECT_GT(hiddenStretches, 300);
    EXPECT_GT(backFaces, 300);
    EXPECT_GT(perspectives, 60);
}

// Also: a run started from inside a run does nothing.
TEST(FastModes, RecalculatingWithOtherOptionsRebuildsEveryMask) {
    SceneMaker maker(77);
    const std::vector<Polygon> scene = maker.Make();
    bool perspective = false;
    ViewHost host(RandomView(maker, perspective));
    host.Load(scene);
    host.Calculate();
    const std::vector<ItemState> plain = StateOf(host);
    host.CalcOptions = IndexAndView;
    host.CalcThreads = 2;
    host.Calculate();
    host.Calculate();
    EXPECT_EQ(FirstDifference(StateOf(host), plain), -1);
    // The host's own events are back in place after the run.
    host.hostCalls = 0;
    host.CalcOptions = 0;
    host.Calculate();
    EXPECT_GT(host.hostCalls, 0);
    int begins = 0;
    host.CalcOptions = IndexAndView;
    host.OnBeginCalc = [&](TzvHiddenbuffer* b) {
        ++begins;
        b->Calculate();
    };
    host.Calculate();
    EXPECT_EQ(begins, 1);
}

// Two overlapping squares, the small one behind: the index mode asks once per
// examined pair and once per item, not once per pair of items.
TEST(FastModes, AsksForAbortPerExaminedPairAndPerItem) {
    const std::vector<Polygon> scene = {
        {{{0, 0, 0}, {0, 10, 0}, {10, 10, 0}, {10, 0, 0}}, false},
        {{{2, 2, -5}, {2, 8, -5}, {8, 8, -5}, {8, 2, -5}}, false},
        {{{100, 0, 0}, {100, 10, 0}, {110, 10, 0}, {110, 0, 0}}, false},
    };
    ViewHost host(TBuiltinView{});
    host.Load(scene);
    host.Calculate();
    EXPECT_EQ(host.queries, 9);  // the plain loop: every (i, j)
    const std::vector<ItemState> plain = StateOf(host);
    EXPECT_EQ(plain[1].mask, std::vector<double>{-1.0});
    host.queries = 0;
    host.CalcOptions = ZVSD_OPTION_INDEX;
    host.Calculate();
    EXPECT_EQ(host.queries, 2 + 3);  // pairs (0, 1) and (1, 0), then one per item
    EXPECT_EQ(StateOf(host)[1].mask, std::vector<double>{-1.0});
}

// An abort ends the run on the calling thread, with the helpers stopped and
// the items not reached left visible; a full run afterwards gives the plain
// loop's result.
TEST(FastModes, AbortEndsTheRunOnTheCallingThreadAndLeavesUnreachedItemsVisible) {
    std::vector<Polygon> scene;  // many groups, so that the helpers are still busy at the abort
    for (uint64_t seed = 1; seed <= 30; ++seed) {
        SceneMaker maker(seed);
        for (const Polygon& p : maker.Make()) scene.push_back(p);
    }
    const std::vector<ItemState> reference = TopViewRun(scene);
    const ModeCase runs[] = {{ZVSD_OPTION_INDEX, 1}, {IndexAndView, 1}, {IndexAndView, 2}};
    for (const auto& run : runs) {
        ViewHost host(TBuiltinView{});
        int ends = 0;
        host.OnEndCalc = [&](TzvHiddenbuffer*) { ++ends; };
        host.Load(scene);
        host.CalcOptions = run.flags;
        host.CalcThreads = run.threads;
        host.abortAtQuery = run.threads == 1 ? 1 : 3;
        host.Calculate();
        EXPECT_EQ(ends, 1);
        EXPECT_FALSE(host.Busy || host.foreignThread);
        const std::vector<ItemState> state = StateOf(host);
        int untouched = 0;
        for (size_t i = 1; i < state.size(); ++i) untouched += state[i].mask == std::vector<double>{1.0};
        if (run.threads == 1) EXPECT_TRUE(host.queries == 1 && untouched == static_cast<int>(state.size()) - 1);
        EXPECT_GT(untouched, 0);
        if (run.threads == 1) continue;
        host.abortAtQuery = 0;
        host.Calculate();
        EXPECT_EQ(FirstDifference(StateOf(host), reference), -1);
    }
}

// Thin bars behind a comb of 3300 teeth: every bar collects more mask values
// than a helper thread may build, so a helper hands its bars to the calling
// thread, which finishes them as the plain loop would: the point-array
// message for large blocks comes on the calling thread only. The bars lie in
// both chunks of 64 items that the two threads share out.
TEST(FastModes, BarsCutByThousandsOfTeethAreFinishedOnTheCallingThread) {
    constexpr int Teeth = 3300;
    std::vector<Polygon> scene;
    Polygon comb{{{2.0 * Teeth, 3, 1}, {0, 3, 1}, {0, 2, 1}}, false};
    for (int k = 0; k < Teeth; ++k)
        for (TXYZ p : {TXYZ{2 * k + 0.5, 2, 1}, TXYZ{2 * k + 0.5, -1, 1}, TXYZ{2 * k + 1.5, -1, 1}, TXYZ{2 * k + 1.5, 2, 1}})
            comb.points.push_back(p);
    comb.points.push_back({2.0 * Teeth, 2, 1});
    scene.push_back(comb);
    auto bar = [&](double y) {
        scene.push_back({{{-1, y, 0}, {2.0 * Teeth + 1, y, 0}, {2.0 * Teeth + 1, y + 0.1, 0}, {-1, y + 0.1, 0}}, false});
    };
    bar(0);
    bar(1);
    for (int k = 0; k < 61; ++k) {  // far away
        const double x = 1e4 + 2 * k;
        scene.push_back({{{x, 0, 0}, {x + 1, 0, 0}, {x + 1, 1, 0}, {x, 1, 0}}, false});
    }
    bar(0.5);
    bar(1.5);
    // Turned on its side (which also turns the outlines clockwise): the even-
    // odd test then meets the teeth one at a time, not all at once.
    for (Polygon& p : scene)
        for (TXYZ& q : p.points) std::swap(q.X, q.Y);
    static std::thread::id owner;
    static std::atomic<int> foreignMessages{0};
    owner = std::this_thread::get_id();
    SetMessageHandler([](int32_t, const char*, void*) { foreignMessages += std::this_thread::get_id() != owner; }, nullptr);
    const std::vector<ItemState> reference = TopViewRun(scene);
    ViewHost fast(TBuiltinView{});
    fast.Load(scene);
    fast.CalcOptions = IndexAndView;
    fast.CalcThreads = 2;
    foreignMessages = 0;
    fast.Calculate();
    SetMessageHandler(nullptr, nullptr);
    EXPECT_EQ(foreignMessages, 0);
    EXPECT_GT(reference[1].mask.size(), 4 * Teeth);
    EXPECT_EQ(FirstDifference(StateOf(fast), reference), -1);
    EXPECT_FALSE(fast.foreignThread);
}

// Tiles at random depths and tilts between two large faces, one with a
// hole: the large faces' candidates are collected over hundreds of grid
// cells, the tiles' merged from a few.
TEST(FastModes, TilesBetweenLargeFacesGetThePlainLoopsMasks) {
    SceneMaker maker(5);
    std::vector<Polygon> scene;
    auto square = [&](double x, double y, double z, double side, double tilt, bool hole) {
        const double z2 = z + tilt * side;
        Polygon p{{{x, y, z}, {x, y + side, z}, {x + side, y + side, z2}, {x + side, y, z2}}, hole};
        if (hole) std::reverse(p.points.begin(), p.points.end());
        scene.push_back(p);
    };
    square(-1, -1, 5, 22, 0.02, false);
    square(4, 4, 5 + 0.02 * 5, 12, 0.02, true);  // in the plane of the face above
    for (int k = 0; k < 400; ++k)
        square(k % 20, k / 20, maker.Uniform(-2, 2), maker.Uniform(0.5, 1.6), maker.Uniform(-0.3, 0.3), false);
    square(-4, 2, -5, 16, -0.02, false);  // its outline crosses the first face's outline and hole
    const std::vector<ItemState> expected = TopViewRun(scene);
    int partly = 0;
    for (const ItemState& s : expected) partly += s.mask.size() > 1;
    EXPECT_GT(partly, 40);
    EXPECT_GT(expected.back().mask.size(), 4u);  // the second large face, partly covered
    for (int32_t threads : {1, 2}) EXPECT_EQ(FirstDifference(TopViewRun(scene, IndexAndView, threads), expected), -1);
}

}  // namespace
}  // namespace zv
