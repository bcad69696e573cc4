#include "hidden/cross_list.h"

#include <optional>
#include <vector>

#include "geometry/distance.h"
#include "geometry/polygon2d.h"
#include "geometry/segment.h"
#include "geometry/vector.h"

namespace zv {

// ---------------------------------------------------------------- the list

TCrossList::~TCrossList() { TCrossList::Clear(); }

void TCrossList::Clear() {
    for (int32_t k = Count() - 1; k >= 0; --k) {
        delete Items(k);
        Delete(k);
    }
    for (int32_t k = ByB.Count() - 1; k >= 0; --k) {
        delete ByBItems(k);
        ByB.Delete(k);
    }
    ByB.Clear();
    TList::Clear();
}

// ---------------------------------------------------------------- ordered insertion

namespace {

// Where crossing c goes in an ordering of `count` crossings (read with
// crossAt) by the parameter that paramOf reads: after every crossing that is
// not clearly greater, then one place back when it ties with its predecessor
// and its side codes say it comes first there. With outlines of opposite
// orientation a crossing with DirB = +1 or DirA = -1 goes first; with equal
// orientation one with DirB = -1 or DirA = +1.
template <class CrossAt>
int32_t OrderedPosition(const TCrossList& list, const TCross& c, int32_t count, CrossAt crossAt,
                        double (*paramOf)(const TCross&)) {
    const double param = paramOf(c);
    int32_t pos = count;
    for (int32_t k = 0; k < count; ++k) {
        if (LessTol(param, paramOf(*crossAt(k)))) {
            pos = k;
            break;
        }
    }
    if (pos > 0 && EqualTol(paramOf(*crossAt(pos - 1)), param)) {
        const bool opposite = list.OrientA * list.OrientB < 1;
        const bool first = opposite ? (c.DirB == 1 || c.DirA == -1) : (c.DirB == -1 || c.DirA == 1);
        if (first) --pos;
    }
    return pos;
}

double ParamAOf(const TCross& c) { return c.ParamA; }
double ParamBOf(const TCross& c) { return c.ParamB; }

int32_t PositionByA(const TCrossList& list, const TCross& c) {
    return OrderedPosition(list, c, list.Count(), [&list](int32_t k) { return list.Items(k); }, ParamAOf);
}

int32_t PositionByB(const TCrossList& list, const TCross& c) {
    return OrderedPosition(list, c, list.ByB.Count(), [&list](int32_t k) { return list.ByBItems(k)->Cross; },
                           ParamBOf);
}

}  // namespace

int32_t AddCross(TCrossList& list, const TXY& point, int32_t dirA, int32_t tag, int32_t dirB,
                 double paramB, double paramA) {
    TCross* c = new TCross;
    c->ParamA = paramA;
    c->ParamB = paramB;
    c->Point = point;
    c->DirA = dirA;
    c->DirB = dirB;
    c->Owner = &list;
    c->Tag = tag;
    int32_t pos = PositionByA(list, *c);
    list.Insert(pos, c);
    return pos;
}

// ---------------------------------------------------------------- edge pairs

TXY NextDistinctVertex(const TXYArray& outline, int32_t index) {
    const int32_t n = outline.Count;
    if (n < 1) return MakeXY(0, 0);
    const TXY& start = outline.At<TXY>(ModPos(index, n));
    int32_t k = ModPos(index, n);
    for (int32_t step = 0; step <= n; ++step) {
        k = ModPos(k + 1, n);
        if (!EqualXY(outline.At<TXY>(k), start)) break;
    }
    return outline.At<TXY>(k);
}

namespace {

// Code of B's edge direction e at a shared vertex against A's sector u..w:
// inside the sector, along one of A's edges, or outside.
bool AlongA(const TXY& u, const TXY& w, const TXY& e) { return SameDirAny(u, w, e); }

// Both edges end at the same point b1 = a1.
void ClassifyVertexOnVertex(const TXY& a0, const TXY& b0, const TXY& b1, const TXY& nA, const TXY& nB,
                            int32_t& dirA, int32_t& dirB) {
    const TXY u = SubXY(a0, b1);
    const TXY w = SubXY(nA, b1);
    const TXY in = SubXY(b0, b1);
    const TXY out = SubXY(nB, b1);
    if (AlongA(u, w, in)) {
        dirA = 0;
        dirB = InSector(u, w, out) ? -1 : (AlongA(u, w, out) ? 0 : 1);
    } else if (AlongA(u, w, out)) {
        dirB = 0;
        dirA = InSector(u, w, in) ? -1 : 1;
    } else {
        dirA = InSector(u, w, in) ? -1 : 1;
        dirB = InSector(u, w, out) ? -1 : 1;
    }
}

// B's end point b1 lies inside A's edge.
void ClassifyBVertexOnAEdge(const TXY& a0, const TXY& a1, const TXY& b0, const TXY& b1, const TXY& nB,
                            int32_t& dirA, int32_t& dirB) {
    const TXY back = SubXY(a0, a1);
    const double sIn = CrossXY(back, SubXY(b0, b1));
    const double sOut = CrossXY(back, SubXY(b1, nB));
    if (EqualTol(sIn, 0)) {
        if (!EqualTol(sOut, 0)) {
            dirA = 0;
            dirB = sOut <= 0 ? -1 : 1;
        }
    } else if (EqualTol(sOut, 0)) {
        dirA = sIn > 0 ? -1 : 1;
        dirB = 0;
    } else if (sIn * sOut <= 0) {
        dirA = dirB = sOut <= 0 ? -1 : 1;
    } else {
        dirA = sOut <= 0 ? 1 : -1;
        dirB = -dirA;
    }
}

// A's end point a1 lies inside B's edge. May set secondPass (A arrives along
// B and B's end point lies inside A's edge).
void ClassifyAVertexOnBEdge(const TXY& a0, const TXY& a1, const TXY& b0, const TXY& b1, const TXY& nA,
                            bool& secondPass, int32_t& dirA, int32_t& dirB) {
    const TXY back = SubXY(b0, b1);
    const double sIn = CrossXY(back, SubXY(a0, a1));
    const double sOut = CrossXY(back, SubXY(a1, nA));
    bool g;
    double x;
    if (EqualTol(sIn, 0)) {  // A arrives along B
        const TXY dA = SubXY(a1, a0);
        const double r = DotXY(SubXY(b1, a0), dA) / DotXY(dA, dA);
        if (Eps < r && r < 1 - Eps) secondPass = true;
        g = DotXY(SubXY(b1, a1), SubXY(a0, a1)) > Eps;
        if (EqualTol(sOut, 0)) return;  // (0, 0)
        x = sOut;
    } else if (!EqualTol(sOut, 0)) {
        if (sIn * sOut <= 0) {
            dirA = dirB = sOut <= 0 ? 1 : -1;
        } else {
            dirA = sOut <= 0 ? -1 : 1;
            dirB = -dirA;
        }
        return;
    } else {  // A leaves along B
        g = DotXY(SubXY(nA, a1), SubXY(b1, a1)) > Eps;
        x = sIn;
    }
    if (x <= 0) {
        if (g) dirA = -1; else dirB = 1;
    } else {
        if (g) dirA = 1; else dirB = -1;
    }
}

// Neither end point is involved: the side of a1 against B's edge.
// The side of a1 is judged by its distance from B's line, not by the cross
// product itself: that is an area, which shrinks with the square of the
// drawing's scale and would turn real crossings near a vertex of a small
// drawing into touches.
void ClassifyInterior(const TXY& a1, const TXY& b0, const TXY& b1, int32_t& dirA, int32_t& dirB) {
    const double s = CrossXY(SubXY(a1, b0), SubXY(b1, b0)) / LengthXY(SubXY(b1, b0));
    if (s > Eps) {
        dirA = -1;
        dirB = 1;
    } else if (s < -Eps) {
        dirA = 1;
        dirB = -1;
    }
}

// tA and tB both in (Eps, 1 + Eps]: a contact at a shared vertex is taken on
// the edges that end there, not on those that start there.
bool OnBothEdges(double tA, double tB) {
    return tA > Eps && tB > Eps && !(tA > 1 + Eps) && !(tB > 1 + Eps);
}

}  // namespace

bool ClassifyEdgePair(const TXY& a0, const TXY& a1, const TXY& b0, const TXY& b1,
                      const TXY& nA, const TXY& nB, bool& secondPass, TXY& point,
                      int32_t& dirA, int32_t& dirB, double& tA, double& tB) {
    if (!secondPass) {
        double det;
        if (!SegmentIntersection(a0, a1, b0, b1, tA, tB, det)) return false;
    }
    const TXY dA = SubXY(a1, a0);
    if (!OnBothEdges(tA, tB)) {
        point = AddXY(a0, ScaleXY(dA, tA));
        return false;
    }
    dirA = 0;
    dirB = 0;
    if (secondPass) {
        tB = 1;
        tA = DotXY(SubXY(b1, a0), dA) / DotXY(dA, dA);
        secondPass = false;
    }
    const bool atB1 = EqualTol(tB, 1);
    const bool atA1 = EqualTol(tA, 1);
    if (atB1 && atA1)
        ClassifyVertexOnVertex(a0, b0, b1, nA, nB, dirA, dirB);
    else if (atB1)
        ClassifyBVertexOnAEdge(a0, a1, b0, b1, nB, dirA, dirB);
    else if (atA1)
        ClassifyAVertexOnBEdge(a0, a1, b0, b1, nA, secondPass, dirA, dirB);
    else
        ClassifyInterior(a1, b0, b1, dirA, dirB);
    point = AddXY(a0, ScaleXY(dA, tA));
    return true;
}

// ---------------------------------------------------------------- the pair of outlines

namespace {

int32_t OrientationOf(const TXYArray& outline) { return SignedArea2(outline) > Eps ? 1 : -1; }

bool UsableOutline(const TXYArray& outline) {
    return outline.Count >= 2 && outline.Data != nullptr && outline.ElemSize == static_cast<int32_t>(sizeof(TXY));
}

void DeleteCross(TCrossList& list, int32_t k) {
    delete list.Items(k);
    list.Delete(k);
}

// What the edge walk learns besides the contacts themselves.
struct WalkResult {
    int32_t FirstB = 0;  // DirB of the first contact with DirB != 0; 0 for none
    // 0 when the exchanged classification of the first contact at which B
    // leaves A along A's edge gives a nonzero DirA (B runs against A there),
    // 1 when it gives 0 (same sense). Without an exchanged classification
    // there is no evidence of a reversal, so the same sense is assumed; an
    // inner outline touching its outer one then keeps the status "A inside B".
    int32_t Reverse = 1;
    bool NoContact = true;
};

// For every edge j of an outline, the next distinct point after its end.
std::vector<TXY> PointsAfterEdges(const TXYArray& outline) {
    std::vector<TXY> next(static_cast<size_t>(outline.Count));
    for (int32_t j = 0; j < outline.Count; ++j) next[j] = NextDistinctVertex(outline, ModPos(j + 1, outline.Count));
    return next;
}

// One edge of B against one edge of A: records the contacts and, for the
// first contact that leaves A with DirA = 0, asks the reversed pair whether
// B runs against A there.
void WalkEdgePair(TCrossList& list, const TXYArray& A, const TXYArray& B, const std::vector<TXY>& afterA,
                  const std::vector<TXY>& afterB, int32_t i, int32_t j, WalkResult& walk) {
    const int32_t nAPoints = A.Count, nBPoints = B.Count;
    const TXY& b0 = B.At<TXY>(i);
    const TXY& b1 = B.At<TXY>(ModPos(i + 1, nBPoints));
    const TXY& nB = afterB[i];
    const TXY& a0 = A.At<TXY>(j);
    const TXY& a1 = A.At<TXY>(ModPos(j + 1, nAPoints));
    const TXY& nA = afterA[j];

    bool secondPass = false;
    TXY point{};
    int32_t dirA = 0, dirB = 0;
    double tA = 0, tB = 0;
    if (!ClassifyEdgePair(a0, a1, b0, b1, nA, nB, secondPass, point, dirA, dirB, tA, tB)) return;
    walk.NoContact = false;
    if (dirA == 0 && dirB == 0) return;
    AddCross(list, point, dirA, 0, dirB, WrapPeriod(i + tB, nBPoints), WrapPeriod(j + tA, nAPoints));
    if (secondPass && ClassifyEdgePair(a0, a1, b0, b1, nA, nB, secondPass, point, dirA, dirB, tA, tB))
        AddCross(list, point, dirA, 0, dirB, WrapPeriod(i + tB, nBPoints), WrapPeriod(j + tA, nAPoints));
    if (walk.FirstB == 0 && dirB != 0) {
        walk.FirstB = dirB;
        if (dirA == 0) {
            bool exchangedSecond = false;
            TXY exchangedPoint{};
            int32_t exchangedA = 0, exchangedB = 0;
            double sA = 0, sB = 0;
            if (ClassifyEdgePair(b0, b1, a0, a1, nB, nA, exchangedSecond, exchangedPoint, exchangedA,
                                 exchangedB, sA, sB))
                walk.Reverse = exchangedA != 0 ? 0 : 1;
        }
    }
}

// Merges pairs of half contacts that enter and leave a stretch along the
// other outline on opposite sides, keeps true crossings and half contacts,
// drops touching contacts. Sets Status 1 when a true crossing remains.
//
// The crossing made of the two ends of a run of A along B takes the place of
// the end where A enters B's area, so that the run itself counts as outside:
// an edge that A shares with B shows wherever B's own outline does.
void MergeHalfContacts(TCrossList& list, int32_t k, int32_t dirA, int32_t dirB) {
    const int32_t before = ModPos(k - 1, list.Count());
    const bool entersB = dirA * list.OrientB > 0;
    TCross* kept = list.Items(entersB ? k : before);
    kept->DirA = dirA;
    kept->DirB = dirB;
    DeleteCross(list, entersB ? before : k);
}

void MergeAndDrop(TCrossList& list) {
    for (int32_t k = list.Count() - 1; k >= 0; --k) {
        TCross* c = list.Items(k);
        TCross* p = list.Items(ModPos(k - 1, list.Count()));
        const int32_t product = c->DirA * c->DirB;
        if (product == 0 && p->DirA * p->DirB == 0) {
            if (c->DirB * p->DirA < 0) {
                list.Status = csCrossing;
                MergeHalfContacts(list, k, p->DirA, c->DirB);
            } else if (c->DirA * p->DirB < 0) {
                list.Status = csCrossing;
                MergeHalfContacts(list, k, c->DirA, p->DirB);
            }
        } else if (product == -1) {
            list.Status = csCrossing;
        } else if (product == 1) {
            DeleteCross(list, k);
        }
    }
}

// Contacts remain, but no true crossing: the sense in which B first left A
// and the orientations decide.
uint8_t StatusFromContacts(const TXYArray& A, const TXYArray& B, const WalkResult& walk) {
    const double aA = SignedArea2(A);
    const double aB = SignedArea2(B);
    if ((aA > Eps && walk.FirstB == 1) || (aA < -Eps && walk.FirstB == -1)) return csBInsideA;
    if ((walk.Reverse == 0 && aA * aB <= 0) || (walk.Reverse != 0 && aA * aB > 0)) return csAInsideB;
    return csApart;
}

// How many of the first three points of `inner` lie inside `outer`.
int32_t LeadingPointsInside(const TXYArray& inner, const TXYArray& outer) {
    int32_t inside = 0;
    for (int32_t k = 0; k < 3 && k < inner.Count; ++k)
        if (PointInPolygon(inner.At<TXY>(k), outer)) ++inside;
    return inside;
}

// A point of `inner` clearly off `outer`'s outline: the first vertex or edge
// middle farther than Eps from every edge of `outer`. False when all of
// `inner` runs along `outer`.
bool PointOffOutline(const TXYArray& inner, const TXYArray& outer, TXY& sample) {
    const int32_t n = inner.Count, m = outer.Count;
    for (int32_t k = 0; k < 2 * n; ++k) {
        const TXY& p = inner.At<TXY>(k / 2);
        const TXY& q = inner.At<TXY>(ModPos(k / 2 + 1, n));
        TXY candidate = k % 2 == 0 ? p : TXY{(p.X + q.X) / 2, (p.Y + q.Y) / 2};
        bool clear = true;
        for (int32_t j = 0; j < m && clear; ++j)
            clear = !(SegmentDistanceXY(candidate, outer.At<TXY>(j), outer.At<TXY>(ModPos(j + 1, m))) <= Eps);
        if (clear) {
            sample = candidate;
            return true;
        }
    }
    return false;
}

// Outlines that touch or run along each other without crossing: whether one
// contains the other is read off a point of each that lies clearly off the
// other's outline. The side codes of the first contact cannot tell it when
// that contact is a touching vertex, and the leading points may lie on the
// other outline. Null when every point of A lies on B's outline.
std::optional<uint8_t> StatusOfTouchingOutlines(const TXYArray& A, const TXYArray& B) {
    TXY sample{};
    if (!PointOffOutline(A, B, sample)) return std::nullopt;
    if (PointInPolygon(sample, B)) return csAInsideB;
    if (PointOffOutline(B, A, sample) && PointInPolygon(sample, A)) return csBInsideA;
    return csTouching;
}

// The status read off the contacts, unless the points off the outlines show
// otherwise: a containment they confirm wins, one they refute becomes a touch.
uint8_t CorrectedContainment(uint8_t fromContacts, std::optional<uint8_t> fromPoints) {
    if (!fromPoints) return fromContacts;
    if (*fromPoints == csAInsideB || *fromPoints == csBInsideA) return *fromPoints;
    return (fromContacts == csAInsideB || fromContacts == csBInsideA) ? csTouching : fromContacts;
}

// No contact left at all: containment by the leading points of each outline.
uint8_t StatusWithoutContacts(const TXYArray& A, const TXYArray& B, bool noContact) {
    if (LeadingPointsInside(A, B) >= 2) return csAInsideB;
    if (LeadingPointsInside(B, A) >= 2) return csBInsideA;
    return noContact ? csApart : csTouching;
}

void DropHalfContacts(TCrossList& list) {
    for (int32_t k = list.Count() - 1; k >= 0; --k)
        if (list.Items(k)->DirA * list.Items(k)->DirB == 0) DeleteCross(list, k);
}

void BuildOrderByB(TCrossList& list) {
    for (int32_t k = 0; k < list.Count(); ++k) {
        TCross* c = list.Items(k);
        c->IndexA = k;
        TBlistitem* entry = new TBlistitem;
        entry->Cross = c;
        list.ByB.Insert(PositionByB(list, *c), entry);
        c->BItem = entry;
    }
    for (int32_t k = 0; k < list.ByB.Count(); ++k) list.ByBItems(k)->Index = k;
}

}  // namespace

void ComputeCrossings(const TXYArray& A, const TXYArray& B, TCrossList& list, bool keepTouching) {
    list.Clear();
    list.Status = csNotComputed;
    const bool usable = UsableOutline(A) && UsableOutline(B);
    list.OrientA = usable ? OrientationOf(A) : -1;
    list.OrientB = usable ? OrientationOf(B) : -1;
    if (!usable) return;

    const std::vector<TXY> afterA = PointsAfterEdges(A);
    const std::vector<TXY> afterB = PointsAfterEdges(B);
    WalkResult walk;
    for (int32_t i = 0; i < B.Count; ++i)
        for (int32_t j = 0; j < A.Count; ++j) WalkEdgePair(list, A, B, afterA, afterB, i, j, walk);

    MergeAndDrop(list);
    if (list.Status == csNotComputed) {
        list.Status = list.Count() > 0 ? StatusFromContacts(A, B, walk) : StatusWithoutContacts(A, B, walk.NoContact);
        if (!walk.NoContact) list.Status = CorrectedContainment(list.Status, StatusOfTouchingOutlines(A, B));
    }
    if (!keepTouching) DropHalfContacts(list);
    BuildOrderByB(list);
}

}  // namespace zv
