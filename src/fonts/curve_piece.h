// The pieces of a glyph outline before flattening: straight lines and
// quadratic splines, kept by value in one point array per contour.
#pragma once

#include <cstdint>

#include "geometry/point_array.h"

namespace zv {

enum class TPieceKind : int32_t { Line = 1, Qspline = 2 };

constexpr int32_t DefaultSplineSegments = 16;

// A line from Start to End, or a rational quadratic spline from Start
// through Control to End with Weight on the control point, flattened into
// Segments straight segments.
struct TCurvePiece {
    TPieceKind Kind;
    int32_t Segments;
    TXY Start;
    TXY Control;
    TXY End;
    double Weight;
};

TCurvePiece LinePiece(const TXY& start, const TXY& end);
TCurvePiece QsplinePiece(const TXY& start, const TXY& control, const TXY& end);

// The point at t of the spline P0 (start), P1 (control), P2 (end) with weight
// w; (-1e10, -1e10) where the denominator vanishes (within +-0.0001).
TXY QsplinePoint(const TXY& p0, const TXY& p1, const TXY& p2, double w, double t);
// Appends the points the piece adds after its start: a line its end, a
// spline its points at t = k/n for k = 1..n.
void AppendPiecePoints(const TCurvePiece& piece, TXYArray& points);

// A list of owned point arrays of TCurvePiece, one array per contour.
class TlistOFCurveArray : public TList {
public:
    ~TlistOFCurveArray() override;
    TPointArray* AddNew();
    TPointArray* Items(int32_t i) const { return static_cast<TPointArray*>(Get(i)); }
    void Clear() override;  // releases every array
};

// The first piece's start point, then the points of every piece in order;
// empty for an array without pieces.
void FlattenArray(const TPointArray& pieces, TXYArray& points);
// One polyline (points (x, y, 0)) per curve array, appended to polylines.
void FlattenCurves(const TlistOFCurveArray& curves, TlistOFxyzArray& polylines);

}  // namespace zv
