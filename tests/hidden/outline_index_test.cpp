// The segment index of long outlines against walking every segment: contact
// parameters, clearance and containment must come out the same, also where
// outlines share vertices, run along each other or pass within the band.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "hidden/group_area.h"
#include "hidden/outline_contacts.h"

namespace zv {
namespace {

constexpr double Band = 1e-5;

struct Outline {
    TXYArray points{};
    TOutlineIndex index;
    explicit Outline(const std::vector<TXY>& pts) {
        ArrayInit(points, sizeof(TXY), 16);
        for (const TXY& p : pts) ArrayAdd(points, &p);
        ArrayAdd(points, &pts.front());  // closed
        index.Build(points, Band);
    }
    ~Outline() { ArrayClear(points); }
};

// A star-shaped outline of n points around c; snapped to a coarse grid now
// and then, so that two outlines share vertices and edges.
std::vector<TXY> Star(std::mt19937_64& rnd, TXY c, double r, int n, bool snap) {
    std::uniform_real_distribution<double> u(0.4, 1.0);
    std::vector<TXY> pts;
    for (int k = 0; k < n; ++k) {
        const double a = 2 * 3.14159265358979 * k / n, rk = r * u(rnd);
        TXY p{c.X + rk * std::cos(a), c.Y + rk * std::sin(a)};
        if (snap) p = {std::round(p.X * 4) / 4, std::round(p.Y * 4) / 4};
        pts.push_back(p);
    }
    return pts;
}

std::vector<double> Contacts(const Outline& a, const Outline& b, bool indexed) {
    std::vector<double> params;
    if (indexed)
        AppendOutlineContacts(a.points, &a.index, b.points, &b.index, Band, params);
    else
        AppendOutlineContacts(a.points, b.points, Band, params);
    std::sort(params.begin(), params.end());
    return params;
}

TEST(OutlineIndex, AnswersAsWalkingEverySegment) {
    std::mt19937_64 rnd(7);
    std::uniform_real_distribution<double> u(-1, 1);
    for (int round = 0; round < 60; ++round) {
        const bool snap = round % 3 == 0;
        const int na = 3 + static_cast<int>(rnd() % 120), nb = 3 + static_cast<int>(rnd() % 120);
        Outline a(Star(rnd, {u(rnd), u(rnd)}, 4, na, snap));
        std::vector<TXY> bp = Star(rnd, {u(rnd), u(rnd)}, 3, nb, snap);
        if (round % 4 == 1) {  // B: A moved by less than the band, or by a little more
            bp.clear();
            for (int32_t k = 0; k < na; ++k)
                bp.push_back({a.points.At<TXY>(k).X + (round % 8 == 1 ? 0.6 : 1.6) * Band, a.points.At<TXY>(k).Y});
        }
        Outline b(bp);
        EXPECT_EQ(Contacts(a, b, true), Contacts(a, b, false)) << round;
        EXPECT_EQ(Contacts(b, a, true), Contacts(b, a, false)) << round;

        TGroupArea plain, indexed;
        plain.Add(&a.points);
        plain.Add(&b.points);
        indexed.Add(&a.points, &a.index);
        indexed.Add(&b.points, &b.index);
        // Points on and near the edges (within and just beyond the band) and anywhere.
        for (int k = 0; k < 400; ++k) {
            const Outline& o = k % 2 ? a : b;
            const int32_t seg = static_cast<int32_t>(rnd() % static_cast<uint64_t>(o.points.Count - 1));
            const TXY p = o.points.At<TXY>(seg), q = o.points.At<TXY>(seg + 1);
            const double f = (u(rnd) + 1) / 2, off = u(rnd) * (k % 3 == 0 ? 3 * Band : 1.0);
            const TXY s{p.X + (q.X - p.X) * f + off, p.Y + (q.Y - p.Y) * f - off / 2};
            EXPECT_EQ(indexed.IsClear(s, Band), plain.Clearance(s) > Band);
            EXPECT_EQ(indexed.Contains(s), plain.Contains(s));
        }
    }
}

}  // namespace
}  // namespace zv
