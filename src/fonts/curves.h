// The framework's curve components: lines, quadratic and cubic splines, arcs
// and linear dimensions. Each converts itself into a polyline for devices
// that draw curves as line strips.
#pragma once

#include <cstdint>
#include <string>

#include "fonts/curve_piece.h"
#include "platform/component.h"

namespace zv {

class TCurve : public TZvComponent {
public:
    static const TClass& Class();
    const TClass& ClassType() const override;

    virtual TXY StartPoint() const = 0;
    // Appends the points the curve passes after its start point, in order.
    virtual void AppendPoints(TXYArray& points) const = 0;
    // The whole curve as a polyline: its start point, then AppendPoints.
    void Flatten(TXYArray& points) const;

protected:
    friend class TComponent;
    explicit TCurve(TComponent* owner) : TZvComponent(owner) {}
    ~TCurve() override = default;
    // Runs a property assignment inside one change bracket.
    template <class F>
    void Change(F assign) {
        Changing(true);
        assign();
        Changing(false);
    }
};

// Segment counts of the curves that are flattened by parameter steps.
constexpr int32_t MaxCurveSegments = 10000;
int32_t ClampSegments(int32_t segments);

class TLine : public TCurve {
public:
    static const TClass& Class();
    const TClass& ClassType() const override;
    TXY StartPoint() const override { return start_; }
    void AppendPoints(TXYArray& points) const override;
    TXY End() const { return end_; }
    void SetStart(const TXY& p);
    void SetEnd(const TXY& p);

protected:
    friend class TComponent;
    using TCurve::TCurve;
    ~TLine() override = default;

private:
    TXY start_{0, 0}, end_{0, 0};
};

class TQspline : public TCurve {
public:
    static const TClass& Class();
    const TClass& ClassType() const override;
    TXY StartPoint() const override { return piece_.Start; }
    void AppendPoints(TXYArray& points) const override;
    const TCurvePiece& Piece() const { return piece_; }
    void SetStart(const TXY& p);
    void SetControl(const TXY& p);
    void SetEnd(const TXY& p);
    void SetWeight(double w);
    void SetSegments(int32_t n);  // clamped to 1..MaxCurveSegments

protected:
    friend class TComponent;
    using TCurve::TCurve;
    ~TQspline() override = default;

private:
    TCurvePiece piece_ = QsplinePiece({0, 0}, {0, 0}, {0, 0});
};

// A cubic Bézier curve from Start through Control1 and Control2 to End.
class TBezier : public TCurve {
public:
    static const TClass& Class();
    const TClass& ClassType() const override;
    TXY StartPoint() const override { return points_[0]; }
    void AppendPoints(TXYArray& points) const override;
    // Point k: 0 start, 1 and 2 the controls, 3 the end; others are ignored.
    TXY Point(int k) const { return k >= 0 && k < 4 ? points_[k] : TXY{0, 0}; }
    void SetPoint(int k, const TXY& p);
    void SetSegments(int32_t n);

protected:
    friend class TComponent;
    using TCurve::TCurve;
    ~TBezier() override = default;

private:
    TXY points_[4] = {};
    int32_t segments_ = DefaultSplineSegments;
};

// A circular arc around Center from StartAngle, turning by SweepAngle
// (degrees, counter-clockwise when positive).
class TArc : public TCurve {
public:
    static const TClass& Class();
    const TClass& ClassType() const override;
    TXY StartPoint() const override { return PointAt(0); }
    void AppendPoints(TXYArray& points) const override;
    TXY PointAt(double fraction) const;
    void SetCenter(const TXY& c);
    void SetRadius(double r);
    void SetAngles(double startDegrees, double sweepDegrees);
    void SetSegments(int32_t n);

protected:
    friend class TComponent;
    using TCurve::TCurve;
    ~TArc() override = default;

private:
    TXY center_{0, 0};
    double radius_ = 1, startAngle_ = 0, sweepAngle_ = 360;
    int32_t segments_ = 32;
};

// A linear dimension of the distance between two points: the dimension line
// runs parallel to them at Offset (to the left of Start -> End), joined to
// them by extension lines; Text is its label, the distance when empty.
class TDim : public TCurve {
public:
    static const TClass& Class();
    const TClass& ClassType() const override;
    TXY StartPoint() const override { return start_; }
    void AppendPoints(TXYArray& points) const override;
    double Value() const;
    std::string Label() const;
    void SetPoints(const TXY& start, const TXY& end);
    void SetOffset(double offset);
    void SetText(const std::string& text);

protected:
    friend class TComponent;
    using TCurve::TCurve;
    ~TDim() override = default;

private:
    TXY start_{0, 0}, end_{0, 0};
    double offset_ = 0;
    std::string text_;
};

// Registers and forgets the curve classes with the class registry.
void RegisterCurveClasses();
void UnregisterCurveClasses();

}  // namespace zv
