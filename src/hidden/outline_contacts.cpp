#include "hidden/outline_contacts.h"

#include <algorithm>
#include <cmath>

#include "geometry/vector.h"

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

// The contacts of A's edge a0->a1 (edge index k) with B's edge b0->b1.
void EdgeContacts(int32_t k, const TXY& a0, const TXY& a1, const TXY& b0, const TXY& b1, double band,
                  std::vector<double>& params) {
    const Extended s0 = Orient(b0, b1, a0), s1 = Orient(b0, b1, a1);
    if (OppositeSigns(s0, s1) && OppositeSigns(Orient(a0, a1, b0), Orient(a0, a1, b1)))
        params.push_back(k + static_cast<double>(s0 / (s0 - s1)));
    double d;
    FootFraction(b0, b1, a0, d);
    if (d <= band) params.push_back(k);
    FootFraction(b0, b1, a1, d);
    if (d <= band) params.push_back(k + 1.0);
    double f = FootFraction(a0, a1, b0, d);
    if (d <= band) params.push_back(k + f);
    f = FootFraction(a0, a1, b1, d);
    if (d <= band) params.push_back(k + f);
}

}  // namespace

void AppendOutlineContacts(const TXYArray& a, const TXYArray& b, double band, std::vector<double>& params) {
    const int32_t na = a.Count, nb = b.Count;
    if (na < 2 || nb < 2) return;
    std::vector<TBox> boxesB(static_cast<size_t>(nb));
    for (int32_t m = 0; m < nb; ++m) boxesB[m] = SegmentBox(b.At<TXY>(m), b.At<TXY>((m + 1) % nb), band);
    for (int32_t k = 0; k < na; ++k) {
        const TXY& a0 = a.At<TXY>(k);
        const TXY& a1 = a.At<TXY>((k + 1) % na);
        if (Degenerate(a0, a1)) continue;
        const TBox boxA = SegmentBox(a0, a1, 0.0);
        for (int32_t m = 0; m < nb; ++m) {
            const TXY& b0 = b.At<TXY>(m);
            const TXY& b1 = b.At<TXY>((m + 1) % nb);
            if (Degenerate(b0, b1) || !BoxesMeet(boxA, boxesB[m])) continue;
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
