// Local coordinate frames and the 4x4 matrices of the device layer.
#pragma once

#include "geometry/vector.h"

namespace zv {

struct TPlaneFrame {
    TXYZ Origin, XAxis, YAxis, Normal;
};

// 16 Doubles, row-major; points are row vectors multiplied from the left.
struct TMatrix4 {
    double M[4][4];
};

extern const TMatrix4 UnitMatrix;

TXYZ WorldToFrame(const TPlaneFrame& frame, const TXYZ& p);
TXYZ FrameToWorld(const TPlaneFrame& frame, const TXYZ& p);
void FrameToWorldArray(const TPlaneFrame& frame, const TXYArray& xy, TXYZArray& result);

bool EqualMatrix(const TMatrix4& m, const TMatrix4& n);
TMatrix4 TranslationMatrix(const TXYZ& t);
TMatrix4 ScaleMatrix(const TXYZ& s);
TMatrix4 AxisRotationMatrix(const TXYZ& axis, double angle);
TMatrix4 LineRotationMatrix(const TXYZ& point, const TXYZ& direction, double angle);
TMatrix4 MatrixFromFrame(const TPlaneFrame& frame);
TPlaneFrame MatrixToFrame(const TMatrix4& m);
// Divides by m[3][3]; a matrix whose m[3][3] is 0 leaves the point undivided.
TXYZ TransformPoint(const TMatrix4& m, const TXYZ& p);
void TransformPointAffine(const TMatrix4& m, TXYZ& p);
void TransformArray(const TMatrix4& m, TXYZArray& points);
void TransformList(const TMatrix4& m, TlistOFxyzArray& list);
TXYZ TransformHomogeneous(const TMatrix4& m, const TXYZ& p, double& w);
TMatrix4 MatMul(const TMatrix4& a, const TMatrix4& b);
double Det3(const TMatrix4& m);
double Minor4(const TMatrix4& m, int row, int col);
double Det4(const TMatrix4& m);
void InvertMatrix(const TMatrix4& m, TMatrix4& r);

}  // namespace zv
