#include "geometry/vector.h"

#include <cmath>
#include <limits>

#include "runtime/message.h"

namespace zv {

TXY AddXY(const TXY& a, const TXY& b) {
    return {static_cast<double>(Extended(a.X) + b.X), static_cast<double>(Extended(a.Y) + b.Y)};
}

TXYZ AddXYZ(const TXYZ& a, const TXYZ& b) {
    return {static_cast<double>(Extended(a.X) + b.X), static_cast<double>(Extended(a.Y) + b.Y),
            static_cast<double>(Extended(a.Z) + b.Z)};
}

TXY SubXY(const TXY& a, const TXY& b) {
    return {static_cast<double>(Extended(a.X) - b.X), static_cast<double>(Extended(a.Y) - b.Y)};
}

TXYZ SubXYZ(const TXYZ& a, const TXYZ& b) {
    return {static_cast<double>(Extended(a.X) - b.X), static_cast<double>(Extended(a.Y) - b.Y),
            static_cast<double>(Extended(a.Z) - b.Z)};
}

TXY ScaleXY(const TXY& a, double s) {
    return {static_cast<double>(Extended(a.X) * s), static_cast<double>(Extended(a.Y) * s)};
}

TXYZ ScaleXYZ(const TXYZ& a, double s) {
    return {static_cast<double>(Extended(a.X) * s), static_cast<double>(Extended(a.Y) * s),
            static_cast<double>(Extended(a.Z) * s)};
}

double DotXY(const TXY& a, const TXY& b) {
    return static_cast<double>(Extended(a.X) * b.X + Extended(a.Y) * b.Y);
}

double DotXYZ(const TXYZ& a, const TXYZ& b) {
    return static_cast<double>(Extended(a.X) * b.X + Extended(a.Y) * b.Y + Extended(a.Z) * b.Z);
}

TXYZ CrossXYZ(const TXYZ& a, const TXYZ& b) {
    return {static_cast<double>(Extended(a.Y) * b.Z - Extended(a.Z) * b.Y),
            static_cast<double>(Extended(a.Z) * b.X - Extended(a.X) * b.Z),
            static_cast<double>(Extended(a.X) * b.Y - Extended(a.Y) * b.X)};
}

double CrossXY(const TXY& a, const TXY& b) {
    return static_cast<double>(Extended(a.Y) * b.X - Extended(a.X) * b.Y);
}

TXY PerpXY(const TXY& a) { return {a.Y, -a.X}; }

double LengthXY(const TXY& a) {
    return static_cast<double>(std::sqrt(Extended(a.X) * a.X + Extended(a.Y) * a.Y));
}

double LengthXYZ(const TXYZ& a) {
    return static_cast<double>(std::sqrt(Extended(a.X) * a.X + Extended(a.Y) * a.Y + Extended(a.Z) * a.Z));
}

double DistXY(const TXY& a, const TXY& b) { return LengthXY(SubXY(a, b)); }

double DistXYZ(const TXYZ& a, const TXYZ& b) { return LengthXYZ(SubXYZ(a, b)); }

TXY NormalizeXY(const TXY& a) {
    double length = LengthXY(a);
    if (EqualTol(length, 0)) return a;
    return {static_cast<double>(Extended(a.X) / length), static_cast<double>(Extended(a.Y) / length)};
}

TXYZ NormalizeXYZ(const TXYZ& a) {
    double length = LengthXYZ(a);
    if (EqualTol(length, 0)) return a;
    return {static_cast<double>(Extended(a.X) / length), static_cast<double>(Extended(a.Y) / length),
            static_cast<double>(Extended(a.Z) / length)};
}

void NormalizeXYZInPlace(TXYZ& a) { a = NormalizeXYZ(a); }

TXY SetLengthXY(const TXY& a, double s) { return ScaleXY(NormalizeXY(a), s); }

bool EqualTol(double a, double b) { return std::fabs(Extended(a) - b) < Eps; }

bool LessTol(double a, double b) { return Extended(a) - b < -Eps; }

bool EqualXY(const TXY& a, const TXY& b) { return EqualTol(a.X, b.X) && EqualTol(a.Y, b.Y); }

bool EqualXYZ(const TXYZ& a, const TXYZ& b) {
    return EqualTol(a.X, b.X) && EqualTol(a.Y, b.Y) && EqualTol(a.Z, b.Z);
}

int32_t FloorTol(double x) {
    // The current rounding mode is round-to-nearest-even.
    Extended rounded = std::nearbyint(Extended(x) - 0.4999999L);
    if (std::isnan(rounded)) return 0;
    if (rounded >= Extended(std::numeric_limits<int32_t>::max())) return std::numeric_limits<int32_t>::max();
    if (rounded <= Extended(std::numeric_limits<int32_t>::min())) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(rounded);
}

int32_t ModPos(int32_t a, int32_t n) {
    if (n == 0) {
        Beep();
        return a;
    }
    // A negative n counts like its magnitude; 64 bits keep INT32_MIN in range.
    int64_t m = n < 0 ? -int64_t(n) : int64_t(n);
    int64_t r = int64_t(a) % m;
    if (r < 0) r += m;
    return static_cast<int32_t>(r);
}

namespace {

// Steps either reduction loop may take before the closed form takes over.
constexpr int kMaxWrapSteps = 64;

bool AbovePeriod(double value, double period) {
    return Extended(value) > Extended(period) + Eps || EqualTol(value, period);
}

// The representative of value modulo period in [-Eps, period - Eps).
double WrapPeriodDirect(double value, double period) {
    Extended r = std::fmod(Extended(value) + Eps, Extended(period));
    if (r < 0) r += period;
    return static_cast<double>(r - Eps);
}

}  // namespace

double WrapPeriod(double value, double period) {
    if (!std::isfinite(value) || !std::isfinite(period) || !(period > 0)) return value;
    double wrapped = value;
    int steps = 0;
    while (AbovePeriod(wrapped, period)) {
        if (++steps > kMaxWrapSteps) return WrapPeriodDirect(value, period);
        wrapped = static_cast<double>(Extended(wrapped) - period);
    }
    steps = 0;
    while (Extended(wrapped) < -Eps) {
        if (++steps > kMaxWrapSteps) return WrapPeriodDirect(value, period);
        wrapped = static_cast<double>(Extended(wrapped) + period);
    }
    return wrapped;
}

}  // namespace zv
