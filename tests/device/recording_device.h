// A device for the tests: it rasterises nothing and records every polyline
// it receives in render mode, with the matrix and attributes in force.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "device/ground.h"
#include "message_capture.h"
#include "platform/ascii_writer.h"
#include "runtime/stream.h"

namespace zv::test {

struct TRecorded {
    TMatrix4 Matrix;
    TColor PenColor;
    int32_t PenWidth;
    TXYZ First;
};

class TRecordingDevice : public TZVDevice {
public:
    static const TClass& Class() {
        static const TClass info("TRecordingDevice", &TZVDevice::Class(), &NewInstance<TRecordingDevice>);
        return info;
    }
    const TClass& ClassType() const override { return Class(); }

    void DrawPolylines(const TlistOFxyzArray& list) override {
        TZVDevice::DrawPolylines(list);
        if (GetRenderMode() == kRenderMode && list.Count() > 0 && list.Items(0)->Count > 0)
            Primitives.push_back({Matrix(), PenColor(), PenWidth(), list.Items(0)->At<TXYZ>(0)});
    }
    // The areas that the window was asked to repaint; (0, 0, 0, 0): all of it.
    void InvalidateWindow(const TRect* area, bool erase) override {
        Invalidated.push_back(area ? *area : TRect{0, 0, 0, 0});
        EXPECT_TRUE(erase);
    }

    std::vector<TRecorded> Primitives;
    std::vector<TRect> Invalidated;

protected:
    friend class TComponent;
    explicit TRecordingDevice(TComponent* owner) : TZVDevice(owner) {}
};

// A grob whose contents are one closed square of side Size in its own
// plane z = 0, with its lower left corner at the origin; it runs clockwise
// as seen from +z, or counter-clockwise when Reversed.
class TSquareGrob : public TZvGrob {
public:
    static const TClass& Class() {
        static const TClass info("TSquareGrob", &TZvGrob::Class(), &NewInstance<TSquareGrob>);
        return info;
    }
    const TClass& ClassType() const override { return Class(); }

    void DrawContents(TZVDevice& device) override {
        if (device.GetRenderMode() == kRenderMode) ++ContentDraws;
        const double s = Size;
        TXYZ p[5] = {{0, 0, 0}, {0, s, 0}, {s, s, 0}, {s, 0, 0}, {0, 0, 0}};
        if (Reversed) std::swap(p[1], p[3]);
        TXYZArray a = ArrayView(p, sizeof(TXYZ), 5);
        for (int i = 0; i < Copies; ++i) device.DrawPolyline3D(a);
    }

    double Size = 1;
    bool Reversed = false;
    int Copies = 1;
    int ContentDraws = 0;  // in render mode

protected:
    friend class TComponent;
    explicit TSquareGrob(TComponent* owner) : TZvGrob(owner) {}
};

// A recording device on a window of its own (180 x 180 pixels, 30 pixels
// per unit, centre (90, 90)); what is left on its ground is freed with it.
struct SquareScene {
    int window = 0;
    TRecordingDevice* device;
    SquareScene() {
        RegisterClass(TRecordingDevice::Class());
        RegisterClass(TSquareGrob::Class());
        device = TComponent::Create<TRecordingDevice>(nullptr);
        device->SetHandle(&window);
    }
    ~SquareScene() {
        TZvGrob* ground = device->StdGround();
        while (ground->ChildCount() > 0) ground->ChildAt(ground->ChildCount() - 1)->Free();
        device->Free();
    }
    // A square at origin below parent (the ground when none is given).
    TSquareGrob* Add(const TXYZ& origin, double size = 1, TZvGrob* parent = nullptr) {
        TSquareGrob* g = TComponent::Create<TSquareGrob>(nullptr);
        TProjectionBase base = kDefaultProjection;
        base.Origin = origin;
        g->SetBase(base);
        g->Size = size;
        g->SetParentGrob(parent ? parent : device->StdGround());
        return g;
    }
};

// The component's fields as the object stream writes them, from the line
// after its name on.
inline std::string StreamText(TZvComponent* c) {
    TMemoryStream stream;
    TAsciiWriter* writer = TComponent::Create<TAsciiWriter>(nullptr);
    writer->CreateOnStream(&stream);
    writer->WriteComponent("C", c);
    writer->Free();
    const std::string& text = stream.Bytes();
    return text.substr(std::min(text.size(), text.find("Classname=")));
}

}  // namespace zv::test
