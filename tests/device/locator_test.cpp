#include <gtest/gtest.h>

#include "device/locator.h"
#include "platform/application.h"
#include "recording_device.h"

namespace zv::test {
namespace {

struct Counts {
    int enter = 0, exit = 0, select = 0, unselect = 0, down = 0;
};

struct Board : SquareScene {
    TEventserver* events = ApplicationEventServer();
    Board() { events->SetContext(device); }
    ~Board() { CurrentLocator()->ClearSelection(); }
    // A unit square at (x, y): its left edge lies at pixel 90 + 30 x.
    TSquareGrob* Add(double x, double y, double z, Counts& c) {
        TSquareGrob* g = SquareScene::Add({x, y, z});
        g->OnEnter = [&c](TComponent*) { ++c.enter; };
        g->OnExit = [&c](TComponent*) { ++c.exit; };
        g->OnSelect = [&c](TComponent*) { ++c.select; };
        g->OnUnSelect = [&c](TComponent*) { ++c.unselect; };
        g->OnMOusedown = [&c](TComponent*, TMouseButton, TShiftState, int32_t, int32_t) { ++c.down; };
        return g;
    }
};

TEST(Locator, HoverAndSelectionEventsFireOncePerChange) {
    ASSERT_NE(CurrentLocator(), nullptr);
    TZvLocator& locator = *CurrentLocator();
    Board b;
    Counts ca, cb;
    TSquareGrob* a = b.Add(0, 0, 0, ca);
    TSquareGrob* g = b.Add(-2, -2, 0, cb);
    for (int i = 0; i < 3; ++i) b.events->MouseMove(0, 90, 75);  // on a's left edge
    EXPECT_TRUE(locator.HoverGrob() == a && a->Hovered() && ca.enter == 1);
    b.events->MouseMove(0, 30, 135);  // on g's left edge
    EXPECT_TRUE(locator.HoverGrob() == g && !a->Hovered() && ca.exit == 1 && cb.enter == 1);
    b.events->MouseDown(TMouseButton::mbLeft, 0, 30, 135);
    b.events->MouseDown(TMouseButton::mbLeft, 0, 30, 135);
    EXPECT_TRUE(cb.down == 2 && cb.select == 1);
    b.events->MouseMove(0, 90, 75);
    b.events->MouseDown(TMouseButton::mbLeft, ssShift, 90, 75);
    EXPECT_EQ(locator.Selection().Count(), 2);
    b.events->MouseDown(TMouseButton::mbLeft, 0, 90, 75);
    EXPECT_TRUE(locator.Selection().Count() == 1 && cb.unselect == 1 && a->Selected());
    locator.SelectionLocked = true;
    locator.ClearSelection();
    EXPECT_EQ(locator.Selection().Count(), 1);
    locator.SelectionLocked = false;
    b.events->MouseMove(0, 170, 10);  // empty area
    EXPECT_TRUE(locator.HoverGrob() == nullptr && ca.exit == 2 && locator.Hits().Count() == 0);
    b.events->MouseMove(0, 90, 75);
    ASSERT_EQ(locator.HoverGrob(), a);
    a->Free();  // a freed grob leaves no reference behind
    EXPECT_TRUE(locator.HoverGrob() == nullptr && locator.Selection().Count() == 0 && locator.Hits().Count() == 0);
    b.events->MouseDown(TMouseButton::mbLeft, 0, 90, 75);  // nothing there any more
    b.events->MouseMove(0, 90, 75);
    EXPECT_EQ(locator.HoverGrob(), nullptr);
}

TEST(Locator, OnlyOneLocatorIsCurrent) {
    TZvLocator* unit = CurrentLocator();
    TZvLocator* other = TComponent::Create<TZvLocator>(nullptr);
    other->SetActive(true);
    EXPECT_EQ(CurrentLocator(), other);
    EXPECT_FALSE(unit->Active());
    unit->SetActive(true);
    EXPECT_FALSE(other->Active());
    other->Free();
    EXPECT_EQ(CurrentLocator(), unit);
}

}  // namespace
}  // namespace zv::test
