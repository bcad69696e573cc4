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
