#include "fonts/curve_piece.h"

#include <algorithm>

namespace zv {

TCurvePiece LinePiece(const TXY& start, const TXY& end) {
    return TCurvePiece{TPieceKind::Line, 1, start, start, end, 1.0};
}

TCurvePiece QsplinePiece(const TXY& start, const TXY& control, const TXY& end) {
    return TCurvePiece{TPieceKind::Qspline, DefaultSplineSegments, start, control, end, 1.0};
}

TXY QsplinePoint(const TXY& p0, const TXY& p1, const TXY& p2, double w, double t) {
    const double s = 1 - t;
    const double d = s * s + 2 * w * t * s + t * t;
    if (d >= -0.0001 && d <= 0.0001) return {-1e10, -1e10};
    return {(s * s * p0.X + 2 * w * t * s * p1.X + t * t * p2.X) / d,
            (s * s * p0.Y + 2 * w * t * s * p1.Y + t * t * p2.Y) / d};
}

void AppendPiecePoints(const TCurvePiece& piece, TXYArray& points) {
    if (piece.Kind != TPieceKind::Qspline) {
        ArrayAdd(points, &piece.End);
        return;
    }
    const int32_t n = std::max(piece.Segments, 1);
    for (int32_t k = 1; k <= n; ++k) {
        // The last point is the end point itself, not a rounded evaluation.
        TXY p = k == n ? piece.End : QsplinePoint(piece.Start, piece.Control, piece.End, piece.Weight, double(k) / n);
        ArrayAdd(points, &p);
    }
}

TlistOFCurveArray::~TlistOFCurveArray() { TlistOFCurveArray::Clear(); }

TPointArray* TlistOFCurveArray::AddNew() {
    TPointArray* array = nullptr;
    ArrayNew(array);
    ArrayInit(*array, sizeof(TCurvePiece), 5);
    Add(array);
    return array;
}

void TlistOFCurveArray::Clear() {
    for (int32_t i = Count() - 1; i >= 0; --i) {
        auto* array = static_cast<TPointArray*>(Get(i));
        if (array) {
            ArrayClear(*array);
            delete array;
        }
    }
    TList::Clear();
}

void FlattenArray(const TPointArray& pieces, TXYArray& points) {
    if (pieces.Count == 0) return;
    ArrayAdd(points, &pieces.At<TCurvePiece>(0).Start);
    for (int32_t i = 0; i < pieces.Count; ++i) AppendPiecePoints(pieces.At<TCurvePiece>(i), points);
}

void FlattenCurves(const TlistOFCurveArray& curves, TlistOFxyzArray& polylines) {
    for (int32_t i = 0; i < curves.Count(); ++i) {
        TPointArray flat{};
        ArrayInit(flat, sizeof(TXY), 5);
        FlattenArray(*curves.Items(i), flat);
        TPointArray& polyline = *polylines.AddNew();
        ArraySetCount(polyline, flat.Count);
        for (int32_t k = 0; k < flat.Count; ++k) {
            const TXY& p = flat.At<TXY>(k);
            polyline.At<TXYZ>(k) = TXYZ{p.X, p.Y, 0};
        }
        ArrayClear(flat);
    }
}

}  // namespace zv
