#include "fonts/curves.h"

#include <algorithm>
#include <cmath>
#include <span>

#include "fonts/surface_patch.h"
#include "geometry/vector.h"
#include "runtime/number_text.h"

namespace zv {
namespace {

std::span<const TClass* const> CurveClasses() {
    static const TClass* const classes[] = {&TLine::Class(), &TBezier::Class(), &TDim::Class(), &TQspline::Class(),
                                            &TArc::Class(),  &TSurfacePatch::Class()};
    return classes;
}

}  // namespace

int32_t ClampSegments(int32_t segments) { return std::clamp(segments, 1, MaxCurveSegments); }

const TClass& TCurve::Class() {
    static const TClass info("TCurve", &TZvComponent::Class(), nullptr);
    return info;
}
const TClass& TCurve::ClassType() const { return Class(); }

void TCurve::Flatten(TXYArray& points) const {
    TXY start = StartPoint();
    ArrayAdd(points, &start);
    AppendPoints(points);
}

// --- TLine

const TClass& TLine::Class() {
    static const TClass info("TLine", &TCurve::Class(), &NewInstance<TLine>);
    return info;
}
const TClass& TLine::ClassType() const { return Class(); }
void TLine::AppendPoints(TXYArray& points) const { ArrayAdd(points, &end_); }
void TLine::SetStart(const TXY& p) { Change([&] { start_ = p; }); }
void TLine::SetEnd(const TXY& p) { Change([&] { end_ = p; }); }

// --- TQspline

const TClass& TQspline::Class() {
    static const TClass info("TQspline", &TCurve::Class(), &NewInstance<TQspline>);
    return info;
}
const TClass& TQspline::ClassType() const { return Class(); }
void TQspline::AppendPoints(TXYArray& points) const { AppendPiecePoints(piece_, points); }
void TQspline::SetStart(const TXY& p) { Change([&] { piece_.Start = p; }); }
void TQspline::SetControl(const TXY& p) { Change([&] { piece_.Control = p; }); }
void TQspline::SetEnd(const TXY& p) { Change([&] { piece_.End = p; }); }
void TQspline::SetWeight(double w) { Change([&] { piece_.Weight = w; }); }
void TQspline::SetSegments(int32_t n) { Change([&] { piece_.Segments = ClampSegments(n); }); }

// --- TBezier

const TClass& TBezier::Class() {
    static const TClass info("TBezier", &TCurve::Class(), &NewInstance<TBezier>);
    return info;
}
const TClass& TBezier::ClassType() const { return Class(); }

void TBezier::AppendPoints(TXYArray& points) const {
    const TXY* p = points_;
    for (int32_t k = 1; k <= segments_; ++k) {
        const double t = double(k) / segments_, s = 1 - t;
        const double b0 = s * s * s, b1 = 3 * s * s * t, b2 = 3 * s * t * t, b3 = t * t * t;
        TXY q{b0 * p[0].X + b1 * p[1].X + b2 * p[2].X + b3 * p[3].X, b0 * p[0].Y + b1 * p[1].Y + b2 * p[2].Y + b3 * p[3].Y};
        ArrayAdd(points, k == segments_ ? &p[3] : &q);
    }
}

void TBezier::SetPoint(int k, const TXY& p) {
    if (k >= 0 && k < 4) Change([&] { points_[k] = p; });
}
void TBezier::SetSegments(int32_t n) { Change([&] { segments_ = ClampSegments(n); }); }

// --- TArc

const TClass& TArc::Class() {
    static const TClass info("TArc", &TCurve::Class(), &NewInstance<TArc>);
    return info;
}
const TClass& TArc::ClassType() const { return Class(); }

TXY TArc::PointAt(double fraction) const {
    const double angle = (startAngle_ + fraction * sweepAngle_) * M_PI / 180;
    return {center_.X + radius_ * std::cos(angle), center_.Y + radius_ * std::sin(angle)};
}

void TArc::AppendPoints(TXYArray& points) const {
    for (int32_t k = 1; k <= segments_; ++k) {
        TXY p = PointAt(double(k) / segments_);
        ArrayAdd(points, &p);
    }
}

void TArc::SetCenter(const TXY& c) { Change([&] { center_ = c; }); }
void TArc::SetRadius(double r) { Change([&] { radius_ = r; }); }
void TArc::SetAngles(double startDegrees, double sweepDegrees) {
    Change([&] {
        startAngle_ = startDegrees;
        sweepAngle_ = sweepDegrees;
    });
}
void TArc::SetSegments(int32_t n) { Change([&] { segments_ = ClampSegments(n); }); }

// --- TDim

const TClass& TDim::Class() {
    static const TClass info("TDim", &TCurve::Class(), &NewInstance<TDim>);
    return info;
}
const TClass& TDim::ClassType() const { return Class(); }

void TDim::AppendPoints(TXYArray& points) const {
    TXY d = SubXY(end_, start_);
    const double length = LengthXY(d);
    TXY normal = length > 0 ? TXY{-d.Y / length * offset_, d.X / length * offset_} : TXY{0, offset_};
    TXY corners[] = {AddXY(start_, normal), AddXY(end_, normal), end_};
    for (const TXY& p : corners) ArrayAdd(points, &p);
}

double TDim::Value() const { return DistXY(start_, end_); }
std::string TDim::Label() const { return text_.empty() ? FormatFixed(Value(), 2) : text_; }
void TDim::SetPoints(const TXY& start, const TXY& end) {
    Change([&] {
        start_ = start;
        end_ = end;
    });
}
void TDim::SetOffset(double offset) { Change([&] { offset_ = offset; }); }
void TDim::SetText(const std::string& text) { Change([&] { text_ = text; }); }

void RegisterCurveClasses() {
    for (const TClass* cls : CurveClasses()) RegisterClass(*cls);
}

void UnregisterCurveClasses() {
    for (const TClass* cls : CurveClasses()) UnregisterClass(*cls);
}

}  // namespace zv
