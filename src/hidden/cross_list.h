// TCrossList: the crossings of one projected outline A with another outline
// B, ordered along A, with a second ordering of the same crossings along B
// (ByB) and the containment status of the pair.
//
// Both outlines are closed: edge j runs from point j to point (j + 1) mod
// Count. A position along an outline is j + t (edge index plus fraction along
// the edge), reduced into [0, Count) with WrapPeriod.
//
// Side codes: every contact carries DirA and DirB (-1, 0, +1). Their product
// tells what it is: -1 a true crossing (DirA = +1 where A passes to the right
// of B's directed edge in a y-up plane), +1 a touching contact, 0 a contact
// where one outline runs along the other.
#pragma once

#include <cstdint>

#include "geometry/point_array.h"
#include "runtime/list.h"

namespace zv {

class TCrossList;
struct TBlistitem;

struct TCross {
    double ParamA = 0;   // position along A, in [0, A.Count); the list is ordered by it
    double ParamB = 0;   // position along B, in [0, B.Count); ByB is ordered by it
    TXY Point{};         // a0 + tA * (a1 - a0) on A's edge
    int32_t DirA = 0;    // side code of the contact's entry
    int32_t DirB = 0;    // side code of the contact's exit
    int32_t IndexA = 0;  // position in the list once the crossings are computed
    int32_t SortIndex = 0;  // position in the caller's merged sequence
    TCrossList* Owner = nullptr;
    TBlistitem* BItem = nullptr;
    int32_t Tag = 0;
};

struct TBlistitem {
    TCross* Cross = nullptr;
    int32_t Index = 0;  // position in ByB once the crossings are computed
};

// Relation of A and B after ComputeCrossings.
enum : uint8_t {
    csNotComputed = 0,  // also: an outline with fewer than 2 points
    csCrossing = 1,     // at least one true crossing
    csAInsideB = 2,
    csBInsideA = 3,
    csApart = 4,        // no crossing, no containment found
    csTouching = 5,     // contact, but neither contains the other
};

// Owns its TCross objects and the TBlistitem entries of ByB. OutlineA and
// OutlineB are views filled by the owner; the list never clears them.
class TCrossList : public TList {
public:
    TCrossList() = default;
    ~TCrossList() override;

    // Frees every crossing and every ByB entry, then empties both lists.
    void Clear() override;

    TCross* Items(int32_t i) const { return static_cast<TCross*>(Get(i)); }
    TBlistitem* ByBItems(int32_t i) const { return static_cast<TBlistitem*>(ByB.Get(i)); }

    uint8_t Status = csNotComputed;
    int32_t OtherIndex = 0;
    TList ByB;
    TPointArray OutlineA{};
    TPointArray OutlineB{};
    int32_t OrientA = 0;
    int32_t OrientB = 0;
};

// Creates a crossing with the given values and inserts it in ParamA order
// (ties within the tolerance resolved by the side codes); returns its position.
int32_t AddCross(TCrossList& list, const TXY& point, int32_t dirA, int32_t tag, int32_t dirB,
                 double paramB, double paramA);

// The first point after index (cyclically) that differs from the point at
// index; after Count + 1 steps without one, the point reached.
TXY NextDistinctVertex(const TXYArray& outline, int32_t index);

// Classifies the contact of A's edge a0->a1 with B's edge b0->b1; nA and nB
// are the next distinct points of A after a1 and of B after b1. Sets
// secondPass when A arrives along B and B's end point lies inside A's edge:
// a second call with the same arguments then classifies that end point.
bool ClassifyEdgePair(const TXY& a0, const TXY& a1, const TXY& b0, const TXY& b1,
                      const TXY& nA, const TXY& nB, bool& secondPass, TXY& point,
                      int32_t& dirA, int32_t& dirB, double& tA, double& tB);

// Fills list with the crossings of A with B and sets its Status. Unless
// keepTouching, only true crossings (DirA = -DirB = +-1) remain.
void ComputeCrossings(const TXYArray& A, const TXYArray& B, TCrossList& list, bool keepTouching);

}  // namespace zv
