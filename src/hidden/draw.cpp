// Walking the result: every outline along its mask, as move and line calls.
#include <cmath>

#include "hidden/hidden_buffer.h"

namespace zv {

namespace {

// Emits p as a line when the stretch has the state this pass draws, else as a move.
void EmitPoint(TzvHiddenbuffer& buffer, bool hiddenState, bool hiddenPass, const TXY& p) {
    if (hiddenState == hiddenPass) {
        if (buffer.OnLineTo) buffer.OnLineTo(&buffer, !hiddenState, p.X, p.Y);
    } else {
        if (buffer.OnMoveTo) buffer.OnMoveTo(&buffer, p.X, p.Y);
    }
}

}  // namespace

void TzvHiddenbuffer::Draw() {
    if (Busy || Clearing) return;
    bool wasDrawing = Drawing;
    Drawing = true;
    if (DrawHidden)
        for (int32_t k = 0; k < Count(); ++k) DrawItem(k, true);
    for (int32_t k = 0; k < Count(); ++k) DrawItem(k, false);
    Drawing = wasDrawing;
}

void TzvHiddenbuffer::DrawItem(int32_t index, bool hiddenPass) {
    if (Busy) return;
    THbufferItem* item = Items(index);
    const TPointArray& points = *item->Masked.Points;
    const TPointArray& mask = *item->Masked.Mask;
    const int32_t n = points.Count;
    const int32_t m = mask.Count;
    if (n == 0) return;  // not calculated yet: nothing to walk
    bool hidden = m > 0 && mask.At<double>(0) < 0.0;
    int32_t q = 1;
    for (int32_t s = 0; s <= n - 2; ++s) {
        const TXY& from = points.At<TXY>(s);
        const TXY& to = points.At<TXY>(s + 1);
        if (s == 0) {
            if (OnMoveTo) OnMoveTo(this, from.X, from.Y);
        } else {
            EmitPoint(*this, hidden, hiddenPass, from);
        }
        while (q < m && std::fabs(mask.At<double>(q)) < s + 1) {
            double f = std::fabs(mask.At<double>(q)) - s;
            TXY at{from.X + (to.X - from.X) * f, from.Y + (to.Y - from.Y) * f};
            EmitPoint(*this, hidden, hiddenPass, at);
            ++q;
            hidden = !hidden;
        }
    }
    EmitPoint(*this, hidden, hiddenPass, points.At<TXY>(n - 1));
}

}  // namespace zv
