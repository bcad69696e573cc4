#include <gtest/gtest.h>

#include <cmath>

#include "device/device.h"
#include "platform/application.h"
#include "recording_device.h"

namespace zv::test {
namespace {

template <class T>
T* Make() {
    RegisterClass(T::Class());
    return TComponent::Create<T>(nullptr);
}

TEST(Device, DefaultsAndNames) {
    TRecordingDevice* a = Make<TRecordingDevice>();
    TRecordingDevice* b = Make<TRecordingDevice>();
    TAttributeRecord r;
    a->GetAttributeRecord(r);
    struct Row {
        const char* field;
        double actual, expected;
    } rows[] = {
        {"Viewport.Right", double(a->Viewport().Right), 180},   {"Viewport.Bottom", double(a->Viewport().Bottom), 180},
        {"UnitsPerCM", a->UnitsPerCM(), 30},                    {"DefaultUnitsPerCM", a->DefaultUnitsPerCM(), 30},
        {"RenderMode", double(a->GetRenderMode()), 7168},       {"PolygonMode", double(a->PolygonMode()), 6914},
        {"PickAperture", double(a->PickAperture()), 10},        {"PenWidth", double(a->PenWidth()), 1},
        {"BrushColor", double(a->BrushColor()), 0xFFFFFF},      {"FontHeight", double(a->FontHeight()), 10},
        {"DepthRange", double(a->DepthRange()), 4294967295.0}, {"SelectBuffer", double(a->SelectBuffer().size()), 32000},
        {"Clockwise", double(a->GetClockwise()), 1},            {"CullFace", double(a->CullFace()), 1},
        {"Lighting", double(a->Lighting()), 1},                 {"DepthTest", double(a->DepthTest()), 1},
        {"SelectEnabled", double(a->GetSelectEnabled()), 1},    {"AutoCompile", double(a->AutoCompile()), 1},
        {"Record.BrushFill", double(r.BrushFill), 1},           {"Record.ParentPen", double(r.ParentPen), 0},
        {"Record.Material.Diffuse", double(r.Material.Diffuse), 0x808080},
    };
    for (const Row& row : rows) EXPECT_EQ(row.actual, row.expected) << row.field;
    EXPECT_EQ(a->FontName(), "Arial");
    EXPECT_TRUE(EqualMatrix(a->Matrix(), UnitMatrix));
    EXPECT_EQ(a->GetZvName(), "StdDevice");
    EXPECT_EQ(b->GetZvName(), "StdDevice0");
    EXPECT_EQ(a->StdGround()->GetZvName(), "StdGround_StdDevice");
    EXPECT_EQ(b->QuickGround()->GetZvName(), "QuickGround_StdDevice0");
    ASSERT_EQ(a->Parent(), DevicesContainer());
    EXPECT_EQ(DevicesContainer()->Parent(), Application()->SystemRoot());
    EXPECT_NE(SymbolsContainer(), nullptr);
    EXPECT_EQ(GetClass("TZVDevice"), &TZVDevice::Class());
    a->Free();
    b->Free();
    EXPECT_EQ(DevicesContainer()->ChildCount(), 0);
}

TEST(Device, ViewScaleZoomAndProjection) {
    TRecordingDevice* d = Make<TRecordingDevice>();
    d->SetViewport({0, 0, 200, 100});
    EXPECT_NEAR(d->Scale().X, 0.3, 1e-12);
    EXPECT_NEAR(d->Scale().Y, 0.6, 1e-12);
    EXPECT_NEAR(d->Scale().Z, 0.3, 1e-12);
    d->SetZoomFactor(2);
    EXPECT_DOUBLE_EQ(d->UnitsPerCM(), 60);
    d->SetZoomFactor(0);
    EXPECT_DOUBLE_EQ(d->UnitsPerCM(), 60);
    d->SetDefaultUnitsPerCM(0);
    EXPECT_DOUBLE_EQ(d->GetZoomFactor(), 1.0);
    int window = 0;
    d->SetHandle(&window);
    d->SetPointOfView(180);
    EXPECT_EQ(d->ProjectionKind(), 0);
    d->SetPointOfView(45);
    EXPECT_EQ(d->ProjectionKind(), 1);
    EXPECT_DOUBLE_EQ(d->ProjectionMatrix().M[2][3], -1);
    EXPECT_THROW(d->AddLight(nullptr), Exception);
    d->SetAttributesLocked(true);
    d->SetPenColor(0x123456);
    EXPECT_EQ(d->PenColor(), 0u);
    d->Free();
}

TEST(Device, MatrixStackUnwindsAndSurvivesUnderflow) {
    TMessageLog log;
    TRecordingDevice* d = Make<TRecordingDevice>();
    TMatrix4 m[3];
    for (int i = 0; i < 3; ++i) {
        m[i] = TranslationMatrix({double(i + 1), 0, 0});
        d->SetMatrix(m[i]);
        d->PushMatrix();
    }
    d->SetMatrix(ScaleMatrix({5, 5, 5}));
    for (int i = 2; i >= 0; --i) {
        d->PopMatrix();
        EXPECT_TRUE(EqualMatrix(d->Matrix(), m[i])) << i;
    }
    d->PopMatrix();
    EXPECT_TRUE(EqualMatrix(d->Matrix(), UnitMatrix));
    EXPECT_EQ(log.Lines, std::vector<std::string>{"Matrixstack underflow "});

    d->Begin2D(true);
    d->Begin2D(true);
    EXPECT_EQ(d->MatrixDepth(), 1);
    EXPECT_FALSE(d->CullFace());
    d->Begin2D(false);
    d->Begin2D(false);
    d->Begin2D(false);  // unbalanced: ignored
    EXPECT_EQ(d->MatrixDepth(), 0);
    EXPECT_TRUE(d->CullFace());
    EXPECT_TRUE(EqualMatrix(d->Matrix(), UnitMatrix));
    EXPECT_EQ(log.Lines.size(), 1u);

    d->PushName(5);  // not in select mode
    EXPECT_TRUE(d->NameStack().empty());
    TAttributeRecord all{};
    all.ParentMaterial = all.ParentTexture = all.ParentBrush = all.ParentPolygonmode = all.ParentPen = 1;
    all.PenColor = 0xFF;
    all.Penwidth = 9;
    d->SetAttributeRecord(all);
    EXPECT_EQ(d->PenColor(), 0u);
    EXPECT_EQ(d->PenWidth(), 1);
    d->Free();
}

}  // namespace
}  // namespace zv::test
