#include <gtest/gtest.h>

#include <cstdio>

#include "device/model.h"
#include "recording_device.h"

namespace zv::test {
namespace {

// The world position of the recorded primitive's first point, taken back
// from the view (scale 1/3 per axis, default base).
TXYZ WorldOf(const TRecorded& r) {
    TXYZ v = TransformPoint(r.Matrix, r.First);
    return {v.X * 3, v.Y * 3, v.Z * 3};
}

TEST(Scene, NestedEntitiesDrawInOrderWithInheritedAttributes) {
    SquareScene s;
    TSquareGrob* a = s.Add({1, 0, 0});
    a->SetScale({2, 2, 2});
    a->Attributes()->SetPenColor(0x0000FF);
    TSquareGrob* b = s.Add({0, 1, 0}, 1, a);
    b->SetParentAttributes(true);
    TSquareGrob* c = s.Add({0, 0, 1}, 1, b);
    c->Attributes()->SetPenColor(0x00FF00);
    c->Attributes()->SetPenwidth(3);
    TSquareGrob* hidden = s.Add({5, 5, 5});
    s.Add({0, 0, 0}, 1, hidden);
    hidden->SetVisible(false);
    TSquareGrob* d = s.Add({-1, 0, 0});

    a->SetParentEntity(c);  // a descendant or itself: refused, the tree stays
    a->SetParentEntity(a);
    s.device->Primitives.clear();
    s.device->Paint();
    const auto& p = s.device->Primitives;
    ASSERT_EQ(p.size(), 4u);
    struct Expected {
        TXYZ world;
        TColor pen;
        int32_t width;
    } expected[] = {
        {{1, 0, 0}, 0x0000FF, 1},  // a
        {{1, 2, 0}, 0x0000FF, 1},  // b inside a's scale, a's pen
        {{1, 2, 2}, 0x00FF00, 3},  // c: own pen, still scaled by a
        {{-1, 0, 0}, 0, 1},        // d: the device's pen again
    };
    for (size_t i = 0; i < 4; ++i) {
        TXYZ w = WorldOf(p[i]);
        EXPECT_NEAR(w.X, expected[i].world.X, 1e-9) << i;
        EXPECT_NEAR(w.Y, expected[i].world.Y, 1e-9) << i;
        EXPECT_NEAR(w.Z, expected[i].world.Z, 1e-9) << i;
        EXPECT_EQ(p[i].PenColor, expected[i].pen) << i;
        EXPECT_EQ(p[i].PenWidth, expected[i].width) << i;
    }
    EXPECT_EQ(s.device->PenColor(), 0u);
    EXPECT_EQ(s.device->MatrixDepth(), 0);
    EXPECT_FALSE(s.device->Busy());
    // A second paint replays the display list: the contents are not drawn again.
    EXPECT_EQ(d->ContentDraws, 1);
    s.device->Paint();
    EXPECT_EQ(d->ContentDraws, 1);
    d->SetScale({3, 3, 3});
    s.device->Paint();
    EXPECT_EQ(d->ContentDraws, 2);
}

// In the window, bounds are checked through the repainted areas below.
TEST(Scene, BoundsInSpaceAndAControllerAtItsModelsBase) {
    SquareScene s;
    TSquareGrob* g = s.Add({1, 1, -1});
    TBox3D box;
    s.device->GetBounds3D(kDefaultProjection, g, box);
    EXPECT_NEAR(box.Min.X, 1, 1e-9);
    EXPECT_NEAR(box.Max.Y, 2, 1e-9);
    EXPECT_NEAR(box.Min.Z, -1, 1e-9);
    EXPECT_EQ(s.device->GetRenderMode(), kRenderMode);
    EXPECT_EQ(g->ScreenRect().Left, 118);  // refreshed by the last change
    TZvMdgrob* model = TComponent::Create<TZvMdgrob>(nullptr);
    TProjectionBase base = kDefaultProjection;
    base.Origin = {2, 0, 0};
    model->SetBase(base);
    TZvMdctrl* c = CreateController(model);
    c->SetParentGrob(s.device->StdGround());
    s.Add({0, 0, 0}, 1, c);
    s.device->GetBounds3D(kDefaultProjection, c, box);
    EXPECT_NEAR(box.Min.X, 2, 1e-9);
    model->Free();
}

TEST(Scene, AChangeRepaintsWhatTheEntityCovers) {
    SquareScene s;
    TSquareGrob* g = s.Add({0, 1, 0}, 1, s.Add({1, 0, 0}));
    // World 1..2 across and up: 30 px per unit from the centre 90, y down,
    // grown by 2; once before the change and once after it.
    s.device->Invalidated.clear();
    g->Attributes()->SetPenColor(0xFF);
    EXPECT_EQ(s.device->Invalidated, (std::vector<TRect>(2, TRect{118, 28, 152, 62})));
    s.device->Invalidated.clear();
    TProjectionBase base = kDefaultProjection;
    base.Origin = {-1, 1, 0};
    g->SetBase(base);
    EXPECT_EQ(s.device->Invalidated, (std::vector<TRect>{{118, 28, 152, 62}, {88, 28, 122, 62}}));
    s.device->Invalidated.clear();
    s.device->StdGround()->Attributes()->SetPenColor(0xFF);
    EXPECT_EQ(s.device->Invalidated, (std::vector<TRect>(2, TRect{0, 0, 0, 0})));  // a ground: the whole window
    s.device->Invalidated.clear();
    g->Free();
    EXPECT_EQ(s.device->Invalidated, (std::vector<TRect>{{88, 28, 122, 62}}));
}

TEST(Scene, EntityCopiesGoThroughTheStream) {
    RegisterClass(TSquareGrob::Class());
    TSquareGrob* g = TComponent::Create<TSquareGrob>(nullptr);
    TProjectionBase base = kDefaultProjection;
    base.Origin = {1, 2, 3};
    g->SetBase(base);
    g->SetScale({2, 2, 2});
    g->SetParentAttributes(true);
    g->Attributes()->SetPenColor(0x4080C0);
    TZvEntity* copy = g->CloneEntity();
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(StreamText(copy), StreamText(g));
    const std::string file = testing::TempDir() + "zvhlr_entity.txt";
    g->SaveToFile(file);
    TSquareGrob* loaded = TComponent::Create<TSquareGrob>(nullptr);
    loaded->LoadFromFile(file);
    std::remove(file.c_str());
    EXPECT_EQ(StreamText(loaded), StreamText(g));
    for (TZvComponent* c : {copy, static_cast<TZvEntity*>(loaded), static_cast<TZvEntity*>(g)}) c->Free();
}

}  // namespace
}  // namespace zv::test
