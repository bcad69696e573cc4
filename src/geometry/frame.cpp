#include "geometry/frame.h"

#include <cmath>

#include "runtime/message.h"

namespace zv {

const TMatrix4 UnitMatrix = {{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}};

TXYZ WorldToFrame(const TPlaneFrame& frame, const TXYZ& p) {
    TXYZ d = SubXYZ(p, frame.Origin);
    return {DotXYZ(d, frame.XAxis), DotXYZ(d, frame.YAxis), DotXYZ(d, frame.Normal)};
}

namespace {

double FrameComponent(double origin, double x, double y, double z, const TXYZ& p) {
    return static_cast<double>(Extended(origin) + Extended(p.X) * x + Extended(p.Y) * y + Extended(p.Z) * z);
}

}  // namespace

TXYZ FrameToWorld(const TPlaneFrame& frame, const TXYZ& p) {
    const TPlaneFrame& f = frame;
    return {FrameComponent(f.Origin.X, f.XAxis.X, f.YAxis.X, f.Normal.X, p),
            FrameComponent(f.Origin.Y, f.XAxis.Y, f.YAxis.Y, f.Normal.Y, p),
            FrameComponent(f.Origin.Z, f.XAxis.Z, f.YAxis.Z, f.Normal.Z, p)};
}

void FrameToWorldArray(const TPlaneFrame& frame, const TXYArray& xy, TXYZArray& result) {
    // The result is an output array of TXYZ; a record of another kind is replaced.
    if (result.ElemSize != int32_t(sizeof(TXYZ))) {
        ArrayClear(result);
        ArrayInit(result, sizeof(TXYZ), xy.Count);
    }
    ArraySetCount(result, xy.Count);
    for (int32_t i = 0; i < xy.Count; ++i) {
        const TXY& p = xy.At<TXY>(i);
        result.At<TXYZ>(i) = FrameToWorld(frame, {p.X, p.Y, 0});
    }
}

bool EqualMatrix(const TMatrix4& m, const TMatrix4& n) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            if (!EqualTol(m.M[r][c], n.M[r][c])) return false;
    return true;
}

TMatrix4 TranslationMatrix(const TXYZ& t) {
    TMatrix4 m = UnitMatrix;
    m.M[3][0] = t.X;
    m.M[3][1] = t.Y;
    m.M[3][2] = t.Z;
    return m;
}

TMatrix4 ScaleMatrix(const TXYZ& s) {
    TMatrix4 m = UnitMatrix;
    m.M[0][0] = s.X;
    m.M[1][1] = s.Y;
    m.M[2][2] = s.Z;
    return m;
}

TMatrix4 AxisRotationMatrix(const TXYZ& axis, double angle) {
    Extended c = std::cos(Extended(angle));
    Extended s = std::sin(Extended(angle));
    Extended ax = axis.X, ay = axis.Y, az = axis.Z;
    TMatrix4 m = UnitMatrix;
    m.M[0][0] = static_cast<double>(ax * ax + (1 - ax * ax) * c);
    m.M[0][1] = static_cast<double>(ax * ay * (1 - c) - az * s);
    m.M[0][2] = static_cast<double>(ax * az * (1 - c) + ay * s);
    m.M[1][0] = static_cast<double>(ax * ay * (1 - c) + az * s);
    m.M[1][1] = static_cast<double>(ay * ay + (1 - ay * ay) * c);
    m.M[1][2] = static_cast<double>(ay * az * (1 - c) - ax * s);
    m.M[2][0] = static_cast<double>(ax * az * (1 - c) - ay * s);
    m.M[2][1] = static_cast<double>(ay * az * (1 - c) + ax * s);
    m.M[2][2] = static_cast<double>(az * az + (1 - az * az) * c);
    return m;
}

TMatrix4 LineRotationMatrix(const TXYZ& point, const TXYZ& direction, double angle) {
    TMatrix4 toAxis = TranslationMatrix({-point.X, -point.Y, -point.Z});
    TMatrix4 rotation = AxisRotationMatrix(NormalizeXYZ(direction), angle);
    return MatMul(MatMul(toAxis, rotation), TranslationMatrix(point));
}

TMatrix4 MatrixFromFrame(const TPlaneFrame& frame) {
    TMatrix4 m = UnitMatrix;
    const TXYZ* rows[4] = {&frame.XAxis, &frame.YAxis, &frame.Normal, &frame.Origin};
    for (int r = 0; r < 4; ++r) {
        m.M[r][0] = rows[r]->X;
        m.M[r][1] = rows[r]->Y;
        m.M[r][2] = rows[r]->Z;
    }
    return m;
}

TPlaneFrame MatrixToFrame(const TMatrix4& m) {
    TPlaneFrame frame;
    TXYZ* rows[4] = {&frame.XAxis, &frame.YAxis, &frame.Normal, &frame.Origin};
    for (int r = 0; r < 4; ++r) *rows[r] = {m.M[r][0], m.M[r][1], m.M[r][2]};
    return frame;
}

namespace {

// Column c of the row vector (x, y, z, 1) times m.
Extended RowTimesColumn(const TMatrix4& m, const TXYZ& p, int c) {
    return Extended(p.X) * m.M[0][c] + Extended(p.Y) * m.M[1][c] + Extended(p.Z) * m.M[2][c] + m.M[3][c];
}

}  // namespace

TXYZ TransformPoint(const TMatrix4& m, const TXYZ& p) {
    Extended x = RowTimesColumn(m, p, 0), y = RowTimesColumn(m, p, 1), z = RowTimesColumn(m, p, 2);
    Extended divisor = m.M[3][3];
    // A matrix without a scale divisor leaves the point undivided.
    if (divisor != 0) {
        x /= divisor;
        y /= divisor;
        z /= divisor;
    }
    return {static_cast<double>(x), static_cast<double>(y), static_cast<double>(z)};
}

void TransformPointAffine(const TMatrix4& m, TXYZ& p) {
    TXYZ q = p;
    p = {static_cast<double>(RowTimesColumn(m, q, 0)), static_cast<double>(RowTimesColumn(m, q, 1)),
         static_cast<double>(RowTimesColumn(m, q, 2))};
}

void TransformArray(const TMatrix4& m, TXYZArray& points) {
    for (int32_t i = 0; i < points.Count; ++i) TransformPointAffine(m, points.At<TXYZ>(i));
}

void TransformList(const TMatrix4& m, TlistOFxyzArray& list) {
    for (int32_t i = 0; i < list.Count(); ++i) TransformArray(m, *list.Items(i));
}

TXYZ TransformHomogeneous(const TMatrix4& m, const TXYZ& p, double& w) {
    w = static_cast<double>(RowTimesColumn(m, p, 3));
    return {static_cast<double>(RowTimesColumn(m, p, 0)), static_cast<double>(RowTimesColumn(m, p, 1)),
            static_cast<double>(RowTimesColumn(m, p, 2))};
}

TMatrix4 MatMul(const TMatrix4& a, const TMatrix4& b) {
    TMatrix4 product;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            Extended sum = 0;
            for (int k = 0; k < 4; ++k) sum += Extended(a.M[r][k]) * b.M[k][c];
            product.M[r][c] = static_cast<double>(sum);
        }
    return product;
}

double Det3(const TMatrix4& m) {
    const auto& a = m.M;
    Extended det = Extended(a[0][0]) * (Extended(a[1][1]) * a[2][2] - Extended(a[1][2]) * a[2][1]) -
                   Extended(a[0][1]) * (Extended(a[1][0]) * a[2][2] - Extended(a[1][2]) * a[2][0]) +
                   Extended(a[0][2]) * (Extended(a[1][0]) * a[2][1] - Extended(a[1][1]) * a[2][0]);
    return static_cast<double>(det);
}

double Minor4(const TMatrix4& m, int row, int col) {
    TMatrix4 block = UnitMatrix;
    for (int r = 0, br = 0; r < 4; ++r) {
        if (r == row) continue;
        for (int c = 0, bc = 0; c < 4; ++c) {
            if (c == col) continue;
            block.M[br][bc++] = m.M[r][c];
        }
        ++br;
    }
    return Det3(block);
}

double Det4(const TMatrix4& m) {
    Extended det = Extended(m.M[0][0]) * Minor4(m, 0, 0) - Extended(m.M[0][1]) * Minor4(m, 0, 1) +
                   Extended(m.M[0][2]) * Minor4(m, 0, 2) - Extended(m.M[0][3]) * Minor4(m, 0, 3);
    return static_cast<double>(det);
}

void InvertMatrix(const TMatrix4& matrix, TMatrix4& r) {
    const TMatrix4 m = matrix;  // r may be the matrix itself
    r = UnitMatrix;
    double det = Det4(m);
    if (!(std::fabs(det) >= 0.000001L)) return;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            Extended cofactor = ((i + j) % 2 == 0 ? 1 : -1) * Extended(Minor4(m, j, i));
            r.M[i][j] = static_cast<double>(cofactor / det);
        }
    if (!EqualMatrix(MatMul(m, r), UnitMatrix)) Beep();
}

}  // namespace zv
