#include "geometry/polygon2d.h"

namespace zv {

void ExtendRect(TRect2D& r, const TXY& p) {
    if (p.X <= r.X1) r.X1 = p.X - 1.0;
    if (p.X >= r.X2) r.X2 = p.X + 1.0;
    if (p.Y <= r.Y1) r.Y1 = p.Y - 1.0;
    if (p.Y >= r.Y2) r.Y2 = p.Y + 1.0;
}

bool RectsDisjoint(const TRect2D& a, const TRect2D& b) {
    return a.X1 > b.X2 || b.X1 > a.X2 || a.Y1 > b.Y2 || b.Y1 > a.Y2;
}

double SignedArea2(const TXYArray& outline) {
    // Relative to the first point: the same sum, without the cancellation of
    // large products far from the origin.
    Extended sum = 0;
    if (outline.Count == 0) return 0;
    const TXY& base = outline.At<TXY>(0);
    for (int32_t k = 0; k < outline.Count; ++k) {
        const TXY& p = outline.At<TXY>(k);
        const TXY& prev = outline.At<TXY>(k == 0 ? outline.Count - 1 : k - 1);
        const Extended px = Extended(p.X) - base.X, py = Extended(p.Y) - base.Y;
        const Extended qx = Extended(prev.X) - base.X, qy = Extended(prev.Y) - base.Y;
        sum += px * qy - py * qx;
    }
    return static_cast<double>(sum);
}

bool PointInPolygon(const TXY& p, const TXYArray& outline) {
    bool inside = false;
    for (int32_t k = 0; k < outline.Count; ++k) {
        const TXY& q = outline.At<TXY>(k == 0 ? outline.Count - 1 : k - 1);
        const TXY& r = outline.At<TXY>(k);
        bool straddles = (r.Y <= p.Y && p.Y < q.Y) || (q.Y <= p.Y && p.Y < r.Y);
        if (!straddles) continue;
        double x = static_cast<double>((Extended(q.X) - r.X) * (Extended(p.Y) - r.Y) / (Extended(q.Y) - r.Y) + r.X);
        if (x > p.X) inside = !inside;
    }
    return inside;
}

bool IsClosedXY(const TXYArray& outline) {
    if (outline.Count == 0) return false;
    return EqualXY(outline.At<TXY>(0), outline.At<TXY>(outline.Count - 1));
}

void CloseXY(TXYArray& outline) {
    if (outline.Count == 0 || IsClosedXY(outline)) return;
    TXY first = outline.At<TXY>(0);  // a copy: adding may move the block
    ArrayAdd(outline, &first);
}

void CloseXYList(TlistOFXYArray& list) {
    for (int32_t i = 0; i < list.Count(); ++i) CloseXY(*list.Items(i));
}

}  // namespace zv
