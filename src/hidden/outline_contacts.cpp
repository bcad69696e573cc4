#include "hidden/outline_contacts.h"

#include <algorithm>
#include <cmath>

#include "geometry/vector.h"
#include "hidden/distance_bound.h"

namespace zv {
namespace {

struct TBox {
    double X1, Y1, X2, Y2;
};

TBox SegmentBox(const TXY& p, const TXY& q, double margin) {
    return TBox{std::min(p.X, q.X) - margin, std::min(p.Y, q.Y) - margin, std::max(p.X, q.X) + margin,
                std::max(p.Y, q.Y) + margin};
}

bool BoxesMeet(const TBox& a, const TBox& b) {
    return a.X1 <= b.X2 && b.X1 <= a.X2 && a.Y1 <= b.Y2 && b.Y1 <= a.Y2;
}

// Orientation of c against the directed line p->q, in extended precision.
Extended Orient(const TXY& p, const TXY& q, const TXY& c) {
    return (Extended(q.X) - p.X) * (Extended(c.Y) - p.Y) - (Extended(q.Y) - p.Y) * (Extended(c.X) - p.X);
}

bool OppositeSigns(Extended u, Extended v) { return (u > 0 && v < 0) || (u < 0 && v > 0); }

// The sign of Orient(p, q, c) where a plain double evaluation settles it,
// else 0. The bound is twice the classic error bound of this evaluation, so
// a settled sign is the exact sign and the sign of the extended evaluation
// alike. Values near the underflow range are left to Orient.
int QuickOrientSign(const TXY& p, const TXY& q, const TXY& c) {
    const double l = (q.X - p.X) * (c.Y - p.Y), r = (q.Y - p.Y) * (c.X - p.X);
    const double size = std::abs(l) + std::abs(r);
    if (!(size > 1e-280)) return 0;
    const double det = l - r, bound = 6.7e-16 * size;
    return det > bound ? 1 : (det < -bound ? -1 : 0);
}

bool SurelySameSide(int u, int v) { return u != 0 && u == v; }

// Fraction of the foot of c on segment p->q, clamped to [0, 1], and the distance to it.
double FootFraction(const TXY& p, const TXY& q, const TXY& c, double& distance) {
    const Extended dx = Extended(q.X) - p.X, dy = Extended(q.Y) - p.Y;
    const Extended len2 = dx * dx + dy * dy;
    Extended f = len2 > 0 ? ((Extended(c.X) - p.X) * dx + (Extended(c.Y) - p.Y) * dy) / len2 : 0;
    f = std::clamp(f, Extended(0), Extended(1));
    const Extended ex = p.X + dx * f - c.X, ey = p.Y + dy * f - c.Y;
    distance = static_cast<double>(std::sqrt(ex * ex + ey * ey));
    return static_cast<double>(f);
}

bool Degenerate(const TXY& p, const TXY& q) { return p.X == q.X && p.Y == q.Y; }

// Is c surely farther than band from the segment in box? True when c lies
// outside the box widened by twice the band and the rounding of the
// coordinates: a cheap test before the exact distance.
bool SurelyFar(const TXY& c, const TBox& box, double margin) {
    return c.X < box.X1 - margin || c.X > box.X2 + margin || c.Y < box.Y1 - margin || c.Y > box.Y2 + margin;
}

double Magnitude(const TBox& box) {
    return std::max({std::abs(box.X1), std::abs(box.Y1), std::abs(box.X2), std::abs(box.Y2)});
}

// The contacts of A's edge a0->a1 (edge index k) with B's edge b0->b1.
void EdgeContacts(int32_t k, const TXY& a0, const TXY& a1, const TXY& b0, const TXY& b1, double band,
                  std::vector<double>& params) {
    // A proper crossing, by the signs of the extended evaluation; most edge
    // pairs are told apart by the quick one.
    if (!SurelySameSide(QuickOrientSign(b0, b1, a0), QuickOrientSign(b0, b1, a1))) {
        const Extended s0 = Orient(b0, b1, a0), s1 = Orient(b0, b1, a1);
        if (OppositeSigns(s0, s1) && !SurelySameSide(QuickOrientSign(a0, a1, b0), QuickOrientSign(a0, a1, b1)) &&
            OppositeSigns(Orient(a0, a1, b0), Orient(a0, a1, b1)))
            params.push_back(k + static_cast<double>(s0 / (s0 - s1)));
    }
    const TBox boxA = SegmentBox(a0, a1, 0.0), boxB = SegmentBox(b0, b1, 0.0);
    const double margin = 2 * band + 1e-12 * std::max(Magnitude(boxA), Magnitude(boxB));
    double d;
    if (!SurelyFar(a0, boxB, margin) && !SurelyBeyond(a0, b0, b1, band)) {
        FootFraction(b0, b1, a0, d);
        if (d <= band) params.push_back(k);
    }
    if (!SurelyFar(a1, boxB, margin) && !SurelyBeyond(a1, b0, b1, band)) {
        FootFraction(b0, b1, a1, d);
        if (d <= band) params.push_back(k + 1.0);
    }
    if (!SurelyFar(b0, boxA, margin) && !SurelyBeyond(b0, a0, a1, band)) {
        const double f = FootFraction(a0, a1, b0, d);
        if (d <= band) params.push_back(k + f);
    }
    if (!SurelyFar(b1, boxA, margin) && !SurelyBeyond(b1, a0, a1, band)) {
        const double f = FootFraction(a0, a1, b1, d);
        if (d <= band) params.push_back(k + f);
    }
}

}  // namespace

void AppendOutlineContacts(const TXYArray& a, const TXYArray& b, double band, std::vector<double>& params) {
    AppendOutlineContacts(a, nullptr, b, nullptr, band, params);
}

void AppendOutlineContacts(const TXYArray& a, const TOutlineIndex* indexA, const TXYArray& b,
                           const TOutlineIndex* indexB, double band, std::vector<double>& params) {
    const int32_t na = a.Count, nb = b.Count;
    if (na < 2 || nb < 2) return;
    if (indexA && !indexA->Ready(na)) indexA = nullptr;
    if (indexB && !indexB->Ready(nb)) indexB = nullptr;
    // One edge pair, with the same box test whichever side is walked.
    auto pair = [&](int32_t k, int32_t m) {
        const TXY& a0 = a.At<TXY>(k);
        const TXY& a1 = a.At<TXY>((k + 1) % na);
        const TXY& b0 = b.At<TXY>(m);
        const TXY& b1 = b.At<TXY>((m + 1) % nb);
        if (Degenerate(a0, a1) || Degenerate(b0, b1)) return;
        if (!BoxesMeet(SegmentBox(a0, a1, 0.0), SegmentBox(b0, b1, band))) return;
        EdgeContacts(k, a0, a1, b0, b1, band, params);
    };
    // Walk the outline with fewer points and look its edges up in the
    // other's index.
    if (indexB && (!indexA || na <= nb)) {
        for (int32_t k = 0; k < na; ++k) {
            const TBox q = SegmentBox(a.At<TXY>(k), a.At<TXY>((k + 1) % na), 0.0);
            indexB->ForBox(q.X1, q.Y1, q.X2, q.Y2, [&](int32_t m) { pair(k, m); });
        }
        return;
    }
    if (indexA) {
        for (int32_t m = 0; m < nb; ++m) {
            const TBox q = SegmentBox(b.At<TXY>(m), b.At<TXY>((m + 1) % nb), 0.0);
            indexA->ForBox(q.X1, q.Y1, q.X2, q.Y2, [&](int32_t k) { pair(k, m); });
        }
        return;
    }
    for (int32_t k = 0; k < na; ++k) {
        const TXY& a0 = a.At<TXY>(k);
        const TXY& a1 = a.At<TXY>((k + 1) % na);
        if (Degenerate(a0, a1)) continue;
        const TBox boxA = SegmentBox(a0, a1, 0.0);
        for (int32_t m = 0; m < nb; ++m) {
            const TXY& b0 = b.At<TXY>(m);
            const TXY& b1 = b.At<TXY>((m + 1) % nb);
            if (Degenerate(b0, b1) || !BoxesMeet(boxA, SegmentBox(b0, b1, band))) continue;
            EdgeContacts(k, a0, a1, b0, b1, band, params);
        }
    }
}

void NormalizeParams(std::vector<double>& params, int32_t period) {
    for (double& t : params) {
        t = std::fmod(t, static_cast<double>(period));
        if (t < 0) t += period;
        if (t >= period) t = 0;
    }
    std::sort(params.begin(), params.end());
    const double gap = static_cast<double>(Eps) * 1e-6;
    params.erase(std::unique(params.begin(), params.end(), [gap](double x, double y) { return y - x < gap; }),
                 params.end());
    if (params.size() > 1 && params.front() + period - params.back() < gap) params.pop_back();
}

}  // namespace zv
