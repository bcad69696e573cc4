#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "device/model.h"
#include "recording_device.h"

namespace zv::test {
namespace {

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
        // The first point back in the world: the view scales by 1/3 per axis.
        const TXYZ w = TransformPoint(p[i].Matrix, p[i].First), e = expected[i].world;
        EXPECT_LT(std::abs(3 * w.X - e.X) + std::abs(3 * w.Y - e.Y) + std::abs(3 * w.Z - e.Z), 1e-9) << i;
        EXPECT_TRUE(p[i].PenColor == expected[i].pen && p[i].PenWidth == expected[i].width) << i;
    }
    EXPECT_TRUE(s.device->PenColor() == 0u && s.device->MatrixDepth() == 0 && !s.device->Busy());
    // A second paint replays the display list: the contents are not drawn again.
    EXPECT_EQ(d->ContentDraws, 1);
    s.device->Paint();
    EXPECT_EQ(d->ContentDraws, 1);
    d->SetScale({3, 3, 3});
    s.device->Paint();
    EXPECT_EQ(d->ContentDraws, 2);
}

// Bounds in space, also of a controller at its model's base, and in the
// window through the areas that a change repaints.
TEST(Scene, BoundsAndTheAreasThatAChangeRepaints) {
    SquareScene s;
    TSquareGrob* g = s.Add({0, 1, 0}, 1, s.Add({1, 0, -1}));
    TBox3D box;
    s.device->GetBounds3D(kDefaultProjection, g, box);
    EXPECT_LT(std::abs(box.Min.X - 1) + std::abs(box.Max.Y - 2) + std::abs(box.Min.Z + 1), 1e-9);
    EXPECT_TRUE(s.device->GetRenderMode() == kRenderMode && g->ScreenRect().Left == 118);
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
    // World 1..2 across and up: 30 px per unit from the centre 90, y down,
    // grown by 2; once before the change and once after it.
    s.device->Invalidated.clear();
    g->Attributes()->SetPenColor(0xFF);
    EXPECT_EQ(s.device->Invalidated, (std::vector<TRect>(2, TRect{118, 28, 152, 62})));
    s.device->Invalidated.clear();
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
