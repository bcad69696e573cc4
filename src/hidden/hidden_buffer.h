// TzvHiddenbuffer: the store of the software engine. It holds one
// THbufferItem per contour or hole, in the order they were added; a group is
// an outer contour with the holes that follow it. The engine knows no view:
// projection, depth, interpolation, output and abort are asked of the owner
// through the events.
#pragma once

#include <functional>
#include <vector>

#include "geometry/frame.h"
#include "geometry/polygon2d.h"
#include "hidden/builtin_view.h"
#include "hidden/masked_array.h"
#include "hidden/group_area.h"
#include "hidden/outline_index.h"
#include "hidden/stretch_mask.h"
#include "runtime/list.h"

namespace zv {

class TzvHiddenbuffer;

// Working storage of the visibility step, kept from one pair to the next.
struct TVisibilityScratch {
    std::vector<double> Cuts;
    std::vector<TStretch> Hidden;
    TGroupArea Area;
};

class THbufferItem {
public:
    THbufferItem();
    ~THbufferItem();
    THbufferItem(const THbufferItem&) = delete;
    THbufferItem& operator=(const THbufferItem&) = delete;

    // Stores a closed deep copy of the contour and its plane frame; a contour
    // with a vanishing normal leaves the item empty.
    void SetContour(const TXYZArray& contour);

    TXYZArray Points{};  // closed: the last point equals the first
    bool IsHole = false;
    TPlaneFrame Frame{};
    int32_t Orientation = 0;  // sign of the projected outline's orientation value
    TRect2D Bounds{};         // projected bounds widened by 1.0
    TMAskedArray Masked;      // projected outline and visibility mask
    bool ProjectedFinite = true;  // every projected point is a finite number
    TRect2D Extent{};             // exact projected bounds (finite outlines only)
    TOutlineIndex Index;          // segments of a long projected outline
};

class TzvHiddenbuffer : public TList {
public:
    using TDepthEvent = std::function<double(TzvHiddenbuffer* sender, const TXYZ& p, const TPlane& plane)>;
    using TProjectEvent = std::function<void(THbufferItem* sender, const TXYZ& p, TXY& q)>;
    using TInterpolateEvent =
        std::function<void(TzvHiddenbuffer* sender, const TXYZ& a, const TXYZ& b, double t, TXYZ& r)>;
    using TLineToEvent = std::function<void(TzvHiddenbuffer* sender, bool visible, double x, double y)>;
    using TMoveToEvent = std::function<void(TzvHiddenbuffer* sender, double x, double y)>;
    using TQueryAbortEvent = std::function<void(TzvHiddenbuffer* sender, bool& abort)>;
    using TNotifyEvent = std::function<void(TzvHiddenbuffer* sender)>;

    TzvHiddenbuffer() = default;
    ~TzvHiddenbuffer() override;

    THbufferItem* Items(int32_t i) const { return static_cast<THbufferItem*>(Get(i)); }

    // Frees every item; settings, events and the bracket counter stay.
    void Clear() override;
    // Stores an outer contour (at most one item); degenerate contours are ignored.
    void AddContour(const TXYZArray& contour);
    // As AddContour; the added item is a hole of the last outer contour.
    void AddHole(const TXYZArray& contour);
    // Opens (true) or closes (false) an edit bracket; reaching 0 calculates.
    void SetChanging(bool changing);

    // The visibility computation.
    void Calculate();
    // Emits every item through OnMoveTo and OnLineTo, the hidden pass first when DrawHidden.
    void Draw();
    void DrawItem(int32_t index, bool hiddenPass);

    virtual void BeginCalc();
    virtual void EndCalc();
    virtual bool QueryAbort();

    // True while a calculation or a drawing walks the items: the store must not change then.
    bool Locked() const { return Busy || Drawing || Clearing; }

    // Steps of the calculation, public for the tests.
    void ProjectAll();
    void ProjectItem(THbufferItem& item);
    // Widens each outer contour's rectangle by its holes' rectangles, so that
    // a hole straying outside its outline is still found by the group tests.
    void UniteHoleBounds();
    bool IsFront(int32_t index) const;
    TXYZ Interpolate(const TXYZ& a, const TXYZ& b, double f);
    double DepthAt(int32_t a, int32_t b, double t);
    // Depth of the point at fraction f of segment seg of item i against item o's plane.
    double SegmentDepth(int32_t i, int32_t o, int32_t seg, double f);
    // Does item i take part as a polyline (gi: its group's outer contour, -1 for none)?
    bool IsExamined(int32_t i, int32_t gi) const;
    // Hidden stretches of item i against the group of items first..last (an
    // outer contour and its holes), merged into its mask; returns the number
    // of cuts the group's outlines made in item i's outline.
    int64_t ComputeVisibility(int32_t i, int32_t first, int32_t last);
    int64_t ComputeVisibility(int32_t i, int32_t first, int32_t last, TVisibilityScratch& scratch);
    // The two halves of ComputeVisibility: the hidden stretches (into
    // scratch.Hidden; returns the number of cuts), and their merge into the
    // mask. Merging stretches whose own mask reads hidden whole (HideWhole)
    // leaves the mask hidden whole, whatever it held and whatever is merged
    // after them.
    int64_t FindHiddenStretches(int32_t i, int32_t first, int32_t last, TVisibilityScratch& scratch);
    void MergeHiddenStretches(int32_t i, const std::vector<TStretch>& hidden);
    bool HideWhole(int32_t i, const std::vector<TStretch>& hidden);
    // Judges the stretch (from, to) of item i against the group of outer
    // contour o with the given area; appends what is hidden of it to hidden.
    bool IsStretchHidden(int32_t i, int32_t o, const TGroupArea& area, double from, double to,
                         TVisibilityScratch& scratch);
    // Appends the parts of the stretch (from, to) of item i that lie behind
    // item o's plane, cut where the edge passes through the plane.
    void HiddenBehindPlane(int32_t i, int32_t o, double from, double to, std::vector<TStretch>& hidden);
    // Index of the outer contour of item i's group, or -1 for a hole before any outer contour.
    int32_t GroupOf(int32_t i) const;

    int32_t ChangeCount = 0;
    TDepthEvent OnDepth;
    TProjectEvent OnProject;
    bool FrontPositive = true;
    bool LastChanging = false;
    TLineToEvent OnLineTo;
    TMoveToEvent OnMoveTo;
    bool DrawHidden = false;
    TQueryAbortEvent OnQueryAbort;
    TNotifyEvent OnEndCalc;
    TNotifyEvent OnBeginCalc;
    bool Busy = false;
    TInterpolateEvent OnInterpolate;
    bool Drawing = false;
    bool Clearing = false;        // the items are being freed
    bool WorkersRunning = false;  // helper threads are writing the items' results

    // Opt-in calculation (indexed_traversal.cpp): ZVSD_OPTION_INDEX and/or
    // ZVSD_OPTION_BUILTIN_VIEW; ZVSD_OPTION_SPLIT cuts stretches where an edge
    // passes through a face, in every mode; threads for the built-in view (0 = one per
    // core); the view that replaces OnProject, OnDepth and OnInterpolate.
    int32_t CalcOptions = 0;
    int32_t CalcThreads = 1;
    TBuiltinView BuiltinView;
    // Figures of the last calculation; Valid only when it ran with options.
    struct TCalcFigures {
        bool Valid = false;
        int64_t Pairs = 0;      // item pairs whose crossings were computed
        int64_t Crossings = 0;  // crossings found in them
    };
    TCalcFigures Figures;
    // Called by Calculate after BeginCalc: runs the whole calculation when an
    // option is set and returns true; otherwise returns false at once.
    bool CalculateFast();

private:
    void AddItem(const TXYZArray& contour, bool isHole);
};

// A contour the store accepts: at least 2 finite points and a normal that is
// not the zero vector within the tolerance.
bool IsAcceptableContour(const TXYZArray& contour);


}  // namespace zv
