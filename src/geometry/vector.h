// Vector operations on TXY and TXYZ, and the tolerance comparisons that
// replace exact floating-point tests. Products and sums are formed in
// extended precision and rounded to Double when stored.
#pragma once

#include <cstdint>

#include "geometry/point_array.h"

namespace zv {

using Extended = long double;

// The library-wide tolerance on coordinates, parameters, areas and depths.
constexpr Extended Eps = 0.00001L;

TXY AddXY(const TXY& a, const TXY& b);
TXYZ AddXYZ(const TXYZ& a, const TXYZ& b);
TXY SubXY(const TXY& a, const TXY& b);
TXYZ SubXYZ(const TXYZ& a, const TXYZ& b);
TXY ScaleXY(const TXY& a, double s);
TXYZ ScaleXYZ(const TXYZ& a, double s);
double DotXY(const TXY& a, const TXY& b);
double DotXYZ(const TXYZ& a, const TXYZ& b);
TXYZ CrossXYZ(const TXYZ& a, const TXYZ& b);
// a.y*b.x - a.x*b.y: positive when b lies clockwise of a in a y-up plane.
double CrossXY(const TXY& a, const TXY& b);
TXY PerpXY(const TXY& a);
double LengthXY(const TXY& a);
double LengthXYZ(const TXYZ& a);
double DistXY(const TXY& a, const TXY& b);
double DistXYZ(const TXYZ& a, const TXYZ& b);
TXY NormalizeXY(const TXY& a);
TXYZ NormalizeXYZ(const TXYZ& a);
void NormalizeXYZInPlace(TXYZ& a);
TXY SetLengthXY(const TXY& a, double s);
// a + (b - a) * t, coordinate by coordinate.
inline TXYZ LerpXYZ(const TXYZ& a, const TXYZ& b, double t) {
    return TXYZ{a.X + (b.X - a.X) * t, a.Y + (b.Y - a.Y) * t, a.Z + (b.Z - a.Z) * t};
}

// abs(a - b) < Eps.
bool EqualTol(double a, double b);
// a - b < -Eps: a lies below b by more than Eps.
bool LessTol(double a, double b);
bool EqualXY(const TXY& a, const TXY& b);
bool EqualXYZ(const TXYZ& a, const TXYZ& b);
// x - 0.4999999 rounded to nearest, ties to even.
int32_t FloorTol(double x);
// a mod n in 0..abs(n)-1; n = 0 beeps and returns a.
int32_t ModPos(int32_t a, int32_t n);
// value reduced by whole periods into [-Eps, period - Eps]; bounded on every input.
double WrapPeriod(double value, double period);

}  // namespace zv
