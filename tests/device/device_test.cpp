#include <gtest/gtest.h>

#include <cmath>

#include "device/device.h"
#include "recording_device.h"

namespace zv::test {
namespace {

TEST(Device, ViewScaleZoomAndProjection) {
    SquareScene s;
    TRecordingDevice* d = s.device;
    d->SetViewport({0, 0, 200, 100});
    const TXYZ scale = d->Scale();
    EXPECT_TRUE(std::abs(scale.X - 0.3) + std::abs(scale.Y - 0.6) + std::abs(scale.Z - 0.3) < 1e-12);
    d->SetZoomFactor(2);
    d->SetZoomFactor(0);  // ignored
    EXPECT_DOUBLE_EQ(d->UnitsPerCM(), 60);
    d->SetDefaultUnitsPerCM(0);
    EXPECT_DOUBLE_EQ(d->GetZoomFactor(), 1.0);
    d->SetPointOfView(180);
    EXPECT_EQ(d->ProjectionKind(), 0);
    d->SetPointOfView(45);
    EXPECT_EQ(d->ProjectionKind(), 1);
    EXPECT_DOUBLE_EQ(d->ProjectionMatrix().M[2][3], -1);
    EXPECT_THROW(d->AddLight(nullptr), Exception);
    d->SetAttributesLocked(true);
    d->SetPenColor(0x123456);
    EXPECT_EQ(d->PenColor(), 0u);
}

TEST(Device, MatrixStackUnwindsAndSurvivesUnderflow) {
    MessageCapture messages;
    SquareScene s;
    TRecordingDevice* d = s.device;
    TMatrix4 m[3];
    for (int i = 0; i < 3; ++i) {
        d->SetMatrix(m[i] = TranslationMatrix({double(i + 1), 0, 0}));
        d->PushMatrix();
    }
    d->SetMatrix(ScaleMatrix({5, 5, 5}));
    for (int i = 2; i >= -1; --i) {
        d->PopMatrix();  // the last one underflows
        EXPECT_TRUE(EqualMatrix(d->Matrix(), i >= 0 ? m[i] : UnitMatrix)) << i;
    }
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"Matrixstack underflow "});

    d->Begin2D(true);
    d->Begin2D(true);
    EXPECT_EQ(d->MatrixDepth(), 1);
    EXPECT_FALSE(d->CullFace());
    for (int i = 0; i < 3; ++i) d->Begin2D(false);  // the third is unbalanced: ignored
    EXPECT_EQ(d->MatrixDepth(), 0);
    EXPECT_TRUE(d->CullFace() && EqualMatrix(d->Matrix(), UnitMatrix));
    EXPECT_EQ(messages.Texts().size(), 1u);

    d->PushName(5);  // not in select mode
    EXPECT_TRUE(d->NameStack().empty());
    TAttributeRecord all{};
    all.ParentMaterial = all.ParentTexture = all.ParentBrush = all.ParentPolygonmode = all.ParentPen = 1;
    all.PenColor = 0xFF;
    all.Penwidth = 9;
    d->SetAttributeRecord(all);
    EXPECT_TRUE(d->PenColor() == 0u && d->PenWidth() == 1);
}

}  // namespace
}  // namespace zv::test
