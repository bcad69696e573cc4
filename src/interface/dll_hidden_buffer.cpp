#include "interface/dll_hidden_buffer.h"

#include <cstring>

namespace zv {

TDLLHiddenbuffer::TDLLHiddenbuffer() {
    OnDepth = [this](TzvHiddenbuffer*, const TXYZ& p, const TPlane& plane) -> double {
        if (!DepthProc) return 0.0;
        TXYZ point = p;
        TPlane planeCopy = plane;
        TXYZ scratch{0, 0, 0};
        return DepthProc(Handle(), &point, &planeCopy, &scratch);
    };
    OnProject = [this](THbufferItem*, const TXYZ& p, TXY& q) {
        if (!ProjectProc) return;
        TXYZ point = p;
        ProjectProc(Handle(), &point, &q);
    };
    OnInterpolate = [this](TzvHiddenbuffer*, const TXYZ& a, const TXYZ& b, double t, TXYZ& r) {
        if (!InterpolateProc) {
            r = LerpXYZ(a, b, t);
            return;
        }
        TXYZ ca = a, cb = b;
        InterpolateProc(Handle(), &ca, &cb, t, &r);
    };
    OnLineTo = [this](TzvHiddenbuffer*, bool visible, double x, double y) {
        if (!LineToProc) return;
        TXY p{x, y};
        LineToProc(Handle(), visible ? 1 : 0, &p);
    };
    OnMoveTo = [this](TzvHiddenbuffer*, double x, double y) {
        if (!MoveToProc) return;
        TXY p{x, y};
        MoveToProc(Handle(), &p);
    };
    OnQueryAbort = [this](TzvHiddenbuffer*, bool& abort) {
        if (!QueryAbortProc) return;
        int16_t flag = 0;
        QueryAbortProc(Handle(), &flag);
        abort = flag != 0;
    };
    OnBeginCalc = [this](TzvHiddenbuffer*) {
        if (BeginProc) BeginProc(Handle());
    };
    OnEndCalc = [this](TzvHiddenbuffer*) {
        if (EndProc) EndProc(Handle());
    };
}

void TDLLHiddenbuffer::GetData(TZVSDData& data) const {
    std::memset(&data, 0, sizeof data);
    data.DepthProc = DepthProc;
    data.ProjectProc = ProjectProc;
    data.InterpolateProc = InterpolateProc;
    data.LineToProc = LineToProc;
    data.MoveToProc = MoveToProc;
    data.QueryAbortProc = QueryAbortProc;
    data.BeginProc = BeginProc;
    data.EndProc = EndProc;
    data.FrontPositiveFlag = FrontPositive ? -1 : 0;
    data.DrawHiddenFlag = DrawHidden ? -1 : 0;
    data.HostValue1 = HostValue1;
    data.HostValue2 = HostValue2;
    data.ItemCount = Count();
}

void TDLLHiddenbuffer::SetData(const TZVSDData& data) {
    DepthProc = data.DepthProc;
    ProjectProc = data.ProjectProc;
    InterpolateProc = data.InterpolateProc;
    LineToProc = data.LineToProc;
    MoveToProc = data.MoveToProc;
    QueryAbortProc = data.QueryAbortProc;
    BeginProc = data.BeginProc;
    EndProc = data.EndProc;
    FrontPositive = data.FrontPositiveFlag != 0;
    DrawHidden = data.DrawHiddenFlag != 0;
    HostValue1 = data.HostValue1;
    HostValue2 = data.HostValue2;
}

}  // namespace zv
