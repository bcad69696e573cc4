// The calculation with options: the same crossing and visibility steps as the
// plain loop, for each item in the same order, but only against the groups
// that a candidate table finds, without a yield per skipped group, and with
// the built-in view on several threads when asked.
#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <vector>

#include "hidden/candidate_table.h"
#include "hidden/hidden_buffer.h"
#include "hidden/parallel_run.h"

namespace zv {
namespace {

// Mask values a worker thread may build for one item without the point-array
// release message (shown for blocks above 100000 bytes); an item that comes
// to need more is handed to the calling thread.
constexpr int64_t MaxWorkerMaskValues = 12000;

// An item with at least this many candidate groups is first tried against
// the few (MaxProbes) that are most likely to hide it whole on their own.
constexpr size_t ProbeFrom = 8;
constexpr int32_t MaxProbes = 2;
// Probe's answer when the item was handed to the calling thread.
constexpr int32_t Handed = -2;

// Items with more points are judged against a plane by their box in view
// coordinates, not point by point.
constexpr int32_t MaxPointsJudgedOneByOne = 16;

constexpr double Band = static_cast<double>(Eps);

// Puts the built-in view in place of the projection, depth and interpolation
// events for the length of a run.
class TViewEvents {
public:
    TViewEvents(TzvHiddenbuffer& buffer, bool active) : buffer_(buffer), active_(active) {
        if (!active_) return;
        // Everything that may allocate happens before the first swap, so an
        // out-of-memory leaves the host's events in place.
        const TBuiltinView view = buffer.BuiltinView;
        project_ = [view](THbufferItem*, const TXYZ& p, TXY& q) { q = view.Project(p); };
        depth_ = [view](TzvHiddenbuffer*, const TXYZ& p, const TPlane& plane) { return view.Depth(p, plane); };
        interpolate_ = [view](TzvHiddenbuffer*, const TXYZ& a, const TXYZ& b, double t, TXYZ& r) {
            r = view.Interpolate(a, b, t);
        };
        SwapEvents();
    }
    void SwapEvents() noexcept {
        buffer_.OnProject.swap(project_);
        buffer_.OnDepth.swap(depth_);
        buffer_.OnInterpolate.swap(interpolate_);
    }
    ~TViewEvents() {
        if (active_) SwapEvents();
    }
    TViewEvents(const TViewEvents&) = delete;
    TViewEvents& operator=(const TViewEvents&) = delete;

private:
    TzvHiddenbuffer& buffer_;
    bool active_;
    TzvHiddenbuffer::TProjectEvent project_;
    TzvHiddenbuffer::TDepthEvent depth_;
    TzvHiddenbuffer::TInterpolateEvent interpolate_;
};

// The hidden stretches of an item against one group, found ahead of their
// turn.
struct TProbe {
    int32_t Group = -1;
    std::vector<TStretch> Hidden;
};

// Each thread's own state, on cache lines of its own.
struct alignas(64) TWorkerState {
    bool Caller = false;  // the calling thread: the only one that asks the host
    std::vector<int32_t> Orphan;  // candidates of a hole before any outer contour
    size_t OrphanAt = 0;
    TCandidateScratch Candidates;
    std::vector<int32_t> Deferred;  // items left to the calling thread
    std::vector<std::pair<double, int32_t>> Covers;  // (depth, group) of the groups worth a probe
    TProbe Probes[MaxProbes];
    std::vector<TXYZ> View;  // the item's points in view coordinates
    double ViewReach = 0;
    TBuiltinView::TViewBox Box{};  // the item's box in view coordinates
    int64_t Pairs = 0;
    int64_t Crossings = 0;
    TVisibilityScratch Scratch;
};

class TFastRun {
public:
    explicit TFastRun(TzvHiddenbuffer& buffer) : b_(buffer), n_(buffer.Count()) {
        builtin_ = (buffer.CalcOptions & ZVSD_OPTION_BUILTIN_VIEW) != 0;
        view_ = buffer.BuiltinView;
        useGrid_ = (buffer.CalcOptions & ZVSD_OPTION_INDEX) != 0;
        threads_ = builtin_ ? ResolveThreadCount(buffer.CalcThreads) : 1;
        if (threads_ > n_ / 64 + 1) threads_ = n_ / 64 + 1;  // small scenes gain nothing from helpers
    }

    void Run() {
        struct Flag {
            bool& flag;
            ~Flag() { flag = false; }
        } workers{b_.WorkersRunning};
        b_.WorkersRunning = threads_ > 1;
        TViewEvents events(b_, builtin_);
        Project();
        if (stop_) return;
        FindGroups();
        FindViewBoxes();
        if (!table_.Build(rects_, useGrid_, threads_, [this] { return !b_.QueryAbort(); }, stop_,
                          viewPlanes_.empty() ? std::vector<double>{} : Tops()))
            return;
        workers_.resize(static_cast<size_t>(threads_));
        workers_[0].Caller = true;
        if (threads_ == 1)
            ExamineInOrder();
        else
            ExamineShared();
        for (const TWorkerState& w : workers_) {
            b_.Figures.Pairs += w.Pairs;
            b_.Figures.Crossings += w.Crossings;
        }
    }

private:
    void Project() {
        if (!b_.OnProject) return;
        if (threads_ == 1) {
            b_.ProjectAll();
            return;
        }
        TChunkCounter counter(n_, 512);
        RunOnThreads(
            threads_,
            [&](int32_t) {
                int32_t first, last;
                while (!stop_ && counter.Next(first, last))
                    for (int32_t k = first; k < last; ++k) b_.ProjectItem(*b_.Items(k));
            },
            nullptr, stop_);
        b_.UniteHoleBounds();
    }

    // Groups of the items, the last item of every group, and the rectangles
    // of the front-facing groups.
    void FindGroups() {
        group_.assign(static_cast<size_t>(n_), -1);
        groupEnd_.assign(static_cast<size_t>(n_), -1);
        slot_.assign(static_cast<size_t>(n_), -1);
        for (int32_t k = 0; k < n_; ++k) {
            group_[k] = b_.Items(k)->IsHole ? (k > 0 ? group_[k - 1] : -1) : k;
            if (group_[k] >= 0) groupEnd_[group_[k]] = k;
        }
        for (int32_t k = 0; k < n_; ++k) {
            if (group_[k] != k || !b_.IsFront(k)) continue;
            slot_[k] = static_cast<int32_t>(rects_.size());
            rects_.push_back(TGroupRect{k, GroupExtent(k)});
        }
    }

    // The exact projected extent of item k, widened by a little more than
    // the contact band. Outlines farther apart than the band neither cut
    // each other nor hold each other's points, so a group whose extent is
    // disjoint from an item's cannot hide anything of it: candidates are
    // found with these tight rectangles, whatever the scene's size, not
    // with the item bounds' margin of a whole unit.
    TRect2D TightExtent(int32_t k) const {
        const TRect2D& e = b_.Items(k)->Extent;
        const double scale = std::max({std::abs(e.X1), std::abs(e.Y1), std::abs(e.X2), std::abs(e.Y2)});
        const double m = 2 * static_cast<double>(Eps) + scale * 1e-12;
        return TRect2D{e.X1 - m, e.Y1 - m, e.X2 + m, e.Y2 + m};
    }

    // The tight extent of outer contour g with every finite hole of its group.
    TRect2D GroupExtent(int32_t g) const {
        TRect2D r = TightExtent(g);
        for (int32_t j = g + 1; j <= groupEnd_[g]; ++j) {
            const THbufferItem* hole = b_.Items(j);
            if (!hole->ProjectedFinite || hole->Masked.Points->Count == 0) continue;
            const TRect2D h = TightExtent(j);
            r = TRect2D{std::min(r.X1, h.X1), std::min(r.Y1, h.Y1), std::max(r.X2, h.X2), std::max(r.Y2, h.Y2)};
        }
        return r;
    }

    bool KeepGoing(TWorkerState& w) {
        if (w.Caller && b_.QueryAbort()) stop_ = true;
        return !stop_.load(std::memory_order_relaxed);
    }

    // Item i against every candidate group, in increasing item order, with
    // the same visibility step as the plain loop.
    bool ExamineItem(int32_t i, TWorkerState& w) {
        const int32_t gi = group_[i];
        THbufferItem* item = b_.Items(i);
        const bool examined = b_.IsExamined(i, gi);
        if (examined) {
            if (!w.Caller && gi < 0) {
                w.Deferred.push_back(i);  // rare: examined on the calling thread
                return KeepGoing(w);
            }
            if (builtin_ && view_.Eye == 0 && boxSlot_[static_cast<size_t>(i)] < 0)
                w.ViewReach = view_.ToViewAll(&item->Points.At<TXYZ>(0), item->Points.Count, w.View);
            const bool quick = builtin_ && view_.Eye == 0;
            if (quick) w.Box = ItemBox(i, w);
            int32_t probed = 0;
            if (gi >= 0) {
                table_.Start(slot_[gi], TightExtent(i), quick ? Floor(w.Box) : 0.0, w.Candidates);
            } else {
                probed = Probe(i, OrphanCandidates(i, w), w);
                if (probed == Handed) return KeepGoing(w);
                if (probed < 0) return KeepGoing(w);  // hidden whole by one group
                w.OrphanAt = 0;
            }
            for (int32_t g; NextCandidate(gi, w, g);) {
                if (quick && view_.NothingBehindOver(w.Box, Reach(slot_[g]), viewPlanes_[slot_[g]], Band)) continue;
                if (InFrontOf(i, g, w)) continue;
                const int32_t end = groupEnd_[g];
                const TProbe* probe = std::find_if(w.Probes, w.Probes + probed, [g](const TProbe& p) { return p.Group == g; });
                const std::vector<TStretch>* hidden = &w.Scratch.Hidden;
                if (probe != w.Probes + probed) {
                    hidden = &probe->Hidden;  // counted when probed
                } else {
                    w.Crossings += b_.FindHiddenStretches(i, g, end, w.Scratch);
                    w.Pairs += end - g + 1;
                }
                if (!MayMerge(w, *item, *hidden)) return HandOver(i, w);
                b_.MergeHiddenStretches(i, *hidden);
                if (!KeepGoing(w)) return false;
                // Hidden whole: no later group can show any of it again.
                if (HiddenWhole(*item)) break;
            }
        }
        if (!examined) item->Masked.Mask->At<double>(0) = -1.0;
        return KeepGoing(w);
    }

    // With the built-in view: does the item lie wholly in front of (or on)
    // the plane of group g? Then nothing of it is behind the group and the
    // pair can only cut its outline: the pair is skipped.
    // Long outlines are judged by their box in view coordinates.
    bool InFrontOf(int32_t i, int32_t g, const TWorkerState& w) const {
        if (!builtin_ || view_.Eye != 0) return false;
        const double band = static_cast<double>(Eps);
        const int32_t box = boxSlot_[static_cast<size_t>(i)];
        if (box >= 0) {
            const TPlaneFrame& frame = b_.Items(g)->Frame;
            return view_.NothingBehind(viewBoxes_[static_cast<size_t>(box)], TPlane{frame.Origin, frame.Normal}, band);
        }
        const TBuiltinView::TViewPlane& plane = viewPlanes_[static_cast<size_t>(slot_[g])];
        // Only what lies within a small convex outer contour can be hidden by
        // it: clearly inside it (by the band) for the judged samples, within
        // the band of it for the pieces a split judges.
        const TXYArray& occluder = *b_.Items(g)->Masked.Points;
        const bool clip = occluder.Count <= 5;
        const double inset = (b_.CalcOptions & ZVSD_OPTION_SPLIT) != 0 ? -1.5 * band : 0.5 * band;
        return view_.NothingBehindWithin(w.View.data(), &b_.Items(i)->Masked.Points->At<TXY>(0),
                                         static_cast<int32_t>(w.View.size()), w.ViewReach,
                                         clip ? &occluder.At<TXY>(0) : nullptr, occluder.Count, plane, band, inset);
    }

    // The box of item i in view coordinates: kept for long items, else
    // taken from the points that ExamineItem put into view coordinates.
    TBuiltinView::TViewBox ItemBox(int32_t i, const TWorkerState& w) const {
        const int32_t box = boxSlot_[static_cast<size_t>(i)];
        if (box >= 0) return viewBoxes_[static_cast<size_t>(box)];
        const double inf = std::numeric_limits<double>::infinity();
        TBuiltinView::TViewBox b{{inf, inf, inf}, {-inf, -inf, -inf}, w.ViewReach};
        for (const TXYZ& p : w.View) {
            b.Lo = {std::min(b.Lo.X, p.X), std::min(b.Lo.Y, p.Y), std::min(b.Lo.Z, p.Z)};
            b.Hi = {std::max(b.Hi.X, p.X), std::max(b.Hi.Y, p.Y), std::max(b.Hi.Z, p.Z)};
        }
        return b;
    }

    // The rectangle of slot s widened by twice the band: every point of an
    // item that the group's test can judge hidden projects into it.
    TRect2D Reach(int32_t s) const {
        const TRect2D& r = rects_[static_cast<size_t>(s)].Bounds;
        return TRect2D{r.X1 - 2 * Band, r.Y1 - 2 * Band, r.X2 + 2 * Band, r.Y2 + 2 * Band};
    }

    void FindViewBoxes() {
        boxSlot_.assign(static_cast<size_t>(n_), -1);
        if (!builtin_ || view_.Eye != 0) return;
        viewPlanes_.resize(rects_.size());
        for (size_t s = 0; s < rects_.size(); ++s) {
            const TPlaneFrame& frame = b_.Items(rects_[s].Outer)->Frame;
            viewPlanes_[s] = view_.ViewPlaneOf(TPlane{frame.Origin, frame.Normal});
        }
        for (int32_t k = 0; k < n_; ++k) {
            const TXYZArray& points = b_.Items(k)->Points;
            if (points.Count <= MaxPointsJudgedOneByOne) continue;
            boxSlot_[static_cast<size_t>(k)] = static_cast<int32_t>(viewBoxes_.size());
            viewBoxes_.push_back(view_.BoxOf(&points.At<TXYZ>(0), points.Count));
        }
    }

    // Merging stretches that hide an item whole leaves its mask hidden whole
    // whatever comes before or after, so a group that does so alone settles
    // the item. Tried first: the groups whose rectangle holds the item's
    // extent and whose plane lies in front of the item's first point, the
    // farthest in front first. Returns -1 when one hid the item whole (its
    // mask is set), Handed when the item went to the calling thread, else
    // the number of probes whose stretches are kept.
    int32_t Probe(int32_t i, const std::vector<int32_t>& candidates, TWorkerState& w) {
        if (!builtin_ || view_.Eye != 0 || candidates.size() < ProbeFrom) return 0;
        const THbufferItem& item = *b_.Items(i);
        const TRect2D& e = item.Extent;
        const TXYZ& first = item.Points.At<TXYZ>(0);
        w.Covers.clear();
        for (int32_t g : candidates) {
            const TRect2D& r = rects_[static_cast<size_t>(slot_[g])].Bounds;
            if (e.X1 < r.X1 || e.X2 > r.X2 || e.Y1 < r.Y1 || e.Y2 > r.Y2) continue;
            const TPlaneFrame& frame = b_.Items(g)->Frame;
            const double d = view_.Depth(first, TPlane{frame.Origin, frame.Normal});
            if (d < -static_cast<double>(Eps)) w.Covers.push_back({d, g});
        }
        const int32_t keep = std::min(static_cast<int32_t>(w.Covers.size()), MaxProbes);
        std::partial_sort(w.Covers.begin(), w.Covers.begin() + keep, w.Covers.end());
        for (int32_t k = 0; k < keep; ++k) {
            TProbe& probe = w.Probes[k];
            probe.Group = w.Covers[static_cast<size_t>(k)].second;
            const int32_t end = groupEnd_[probe.Group];
            w.Crossings += b_.FindHiddenStretches(i, probe.Group, end, w.Scratch);
            w.Pairs += end - probe.Group + 1;
            probe.Hidden.assign(w.Scratch.Hidden.begin(), w.Scratch.Hidden.end());
            if (!MayMerge(w, item, probe.Hidden)) {
                HandOver(i, w);
                return Handed;
            }
            if (b_.HideWhole(i, probe.Hidden)) {
                b_.MergeHiddenStretches(i, probe.Hidden);
                return -1;
            }
        }
        return keep;
    }

    static bool HiddenWhole(const THbufferItem& item) {
        const TPointArray& mask = *item.Masked.Mask;
        return mask.Count == 1 && mask.At<double>(0) == -1.0;
    }

    // The groups that can hide something of a hole before any outer
    // contour: every front group whose rectangle meets its own.
    const std::vector<int32_t>& OrphanCandidates(int32_t i, TWorkerState& w) const {
        w.Orphan.clear();
        for (const TGroupRect& r : rects_)
            if (!RectsDisjoint(TightExtent(i), r.Bounds)) w.Orphan.push_back(r.Outer);
        return w.Orphan;
    }

    // The next candidate group of the item being examined, in increasing
    // item order: from the table's walk for a front group's items.
    bool NextCandidate(int32_t gi, TWorkerState& w, int32_t& g) const {
        if (gi >= 0) return table_.Next(w.Candidates, g);
        if (w.OrphanAt >= w.Orphan.size()) return false;
        g = w.Orphan[w.OrphanAt++];
        return true;
    }

    // Planes whose slope in view coordinates exceeds this get no top: the
    // rounding of their depths grows with the slope.
    static constexpr double MaxTopTilt = 1e3;

    // The top of each front group: the highest view z of its plane over its
    // widened rectangle, raised by far more than that value's rounding; a
    // steep or edge-on plane's top is infinite. An item whose points all lie
    // above a group's top by more than Floor allows cannot lie behind it
    // anywhere the group's test looks.
    std::vector<double> Tops() const {
        std::vector<double> tops(rects_.size(), std::numeric_limits<double>::infinity());
        for (size_t s = 0; s < rects_.size(); ++s) {
            const TBuiltinView::TViewPlane& p = viewPlanes_[s];
            if (p.Flat || !(p.Tilt <= MaxTopTilt)) continue;
            const TRect2D r = Reach(static_cast<int32_t>(s));
            const TXYZ& o = p.Origin;
            const double top = o.Z + std::max(-p.MX * (r.X1 - o.X), -p.MX * (r.X2 - o.X)) +
                               std::max(-p.MY * (r.Y1 - o.Y), -p.MY * (r.Y2 - o.Y));
            const double size = std::max({p.Reach, std::fabs(top), std::fabs(r.X1), std::fabs(r.X2), std::fabs(r.Y1),
                                          std::fabs(r.Y2)});
            if (std::isfinite(top) && size < 1e150) tops[s] = top + 1e-9 * p.Tilt * size;
        }
        return tops;
    }

    // The floor of an item's walk: its lowest view z less the band, the
    // rounding of a depth against any plane of bounded slope and the
    // millionth of the depth's spread that a sample taken a hair outside
    // a segment may add (see TBuiltinView).
    static double Floor(const TBuiltinView::TViewBox& box) {
        const double spread = MaxTopTilt * ((box.Hi.X - box.Lo.X) + (box.Hi.Y - box.Lo.Y)) + (box.Hi.Z - box.Lo.Z);
        const double margin = 2 * (Band + 1e-6 * spread + 1e-9 * MaxTopTilt * box.Reach);
        const double floor = box.Lo.Z - margin;
        return std::isfinite(floor) ? floor : -std::numeric_limits<double>::infinity();
    }

    void ExamineInOrder() {
        for (int32_t i = 0; i < n_; ++i)
            if (!ExamineItem(i, workers_[0])) return;
    }

    // May this thread merge the stretches into the item's mask? The mask of
    // the stretches holds at most 6 values per stretch and 6 more (a
    // stretch through the start becomes two), and the merge's working block
    // the two masks' values together.
    static bool MayMerge(const TWorkerState& w, const THbufferItem& item, const std::vector<TStretch>& hidden) {
        if (w.Caller) return true;
        const int64_t values = item.Masked.Mask->Count + 6 * static_cast<int64_t>(hidden.size()) + 6;
        return values <= MaxWorkerMaskValues;
    }

    // Leaves item i to the calling thread, which examines it afresh: its
    // mask goes back to what the projection set.
    bool HandOver(int32_t i, TWorkerState& w) {
        SetSingleMask(*b_.Items(i)->Masked.Mask, 1.0);
        w.Deferred.push_back(i);
        return KeepGoing(w);
    }

    // The items are shared among the threads in chunks; an item whose mask
    // would outgrow what a helper may build is handed to the calling thread,
    // which takes up every such item once the helpers are done.
    void ExamineShared() {
        TChunkCounter counter(n_, 64);
        auto work = [&](int32_t w) {
            TWorkerState& state = workers_[static_cast<size_t>(w)];
            int32_t first, last;
            while (!stop_ && counter.Next(first, last))
                for (int32_t i = first; i < last; ++i)
                    if (!ExamineItem(i, state)) return;
        };
        RunOnThreads(threads_, work, [this] { if (b_.QueryAbort()) stop_ = true; }, stop_);
        for (const TWorkerState& state : workers_)
            for (int32_t i : state.Deferred)
                if (stop_ || !ExamineItem(i, workers_[0])) return;
    }

    TzvHiddenbuffer& b_;
    const int32_t n_;
    bool builtin_ = false;
    TBuiltinView view_;
    bool useGrid_ = false;
    int32_t threads_ = 1;
    std::atomic<bool> stop_{false};
    std::vector<int32_t> group_;     // outer contour of each item's group, -1 for none
    std::vector<int32_t> groupEnd_;  // per outer contour: the last item of its group
    std::vector<int32_t> slot_;      // per outer contour: its position in rects_, -1 when not front
    std::vector<TGroupRect> rects_;
    std::vector<int32_t> boxSlot_;  // per item: its entry in viewBoxes_, -1 for none
    std::vector<TBuiltinView::TViewBox> viewBoxes_;
    std::vector<TBuiltinView::TViewPlane> viewPlanes_;  // per slot: its group's plane in view coordinates
    TCandidateTable table_;
    std::vector<TWorkerState> workers_;
};

}  // namespace

bool TzvHiddenbuffer::CalculateFast() {
    Figures = TCalcFigures{};
    if ((CalcOptions & (ZVSD_OPTION_INDEX | ZVSD_OPTION_BUILTIN_VIEW)) == 0) return false;
    TFastRun run(*this);
    run.Run();
    Figures.Valid = true;
    return true;
}

}  // namespace zv
