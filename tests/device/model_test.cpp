#include <gtest/gtest.h>

#include "device/model.h"
#include "recording_device.h"

namespace zv::test {
namespace {

template <class T>
T* Make() { return TComponent::Create<T>(nullptr); }

TEST(Grob, TemplateHandlersRunWithTheGrobAsSender) {
    TZvGrob* pattern = Make<TZvGrob>();
    pattern->SetZvName("EnterPattern");
    TComponent* sender = nullptr;
    pattern->OnEnter = [&](TComponent* s) { sender = s; };
    TZvGrob* g = Make<TZvGrob>();
    g->SetInheritClass("EnterPattern");
    g->Enter();
    EXPECT_TRUE(sender == g && g->InheritGrob() == pattern);
    TZvEntity* copy = g->CloneEntity();  // "InheritClass" goes through the stream
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(static_cast<TZvGrob*>(copy)->InheritClass(), "EnterPattern");
    pattern->Free();  // the template dies: its users forget it
    EXPECT_TRUE(g->InheritGrob() == nullptr && g->InheritClass().empty());
    g->Exit();
    copy->Free();
    TZvEntity* plain = g->CloneEntity();  // written as "*", read back empty
    EXPECT_EQ(static_cast<TZvGrob*>(plain)->InheritClass(), "");
    for (TZvEntity* e : {plain, static_cast<TZvEntity*>(g)}) e->Free();
}

TEST(Model, ControllersMirrorTheModelTreeAndDieWithTheirModel) {
    MessageCapture messages;
    TZvMdgrob* root = Make<TZvMdgrob>();
    root->SetZvName("Part");
    TZvMdgrob* child = Make<TZvMdgrob>();
    child->SetParentEntity(root);
    TZvMdctrl* rootCtrl = CreateController(root);
    ASSERT_EQ(rootCtrl->ChildCount(), 1);
    EXPECT_EQ(rootCtrl->GetZvName(), "CTRL_Part");
    auto* childCtrl = dynamic_cast<TZvMdctrl*>(rootCtrl->ChildAt(0));
    ASSERT_TRUE(childCtrl && childCtrl->MDgrob() == child);
    // A second child appears below every controller of its new parent.
    TZvMdgrob* late = Make<TZvMdgrob>();
    late->SetParentEntity(root);
    EXPECT_EQ(rootCtrl->ChildCount(), 2);
    TZvGrob* notAModel = Make<TZvGrob>();
    late->SetParentEntity(notAModel);
    EXPECT_TRUE(late->Parent() == root && messages.Texts().size() == 1u);
    // The base of a controller is its model's.
    TProjectionBase base = kDefaultProjection;
    base.Origin = {4, 5, 6};
    childCtrl->SetBase(base);
    TProjectionBase modelBase;
    child->GetBase(modelBase);
    EXPECT_DOUBLE_EQ(modelBase.Origin.Y, 5);
    child->Free();
    EXPECT_EQ(rootCtrl->ChildCount(), 1);  // the child's controller freed itself
    for (TZvComponent* c : std::initializer_list<TZvComponent*>{late, root, notAModel}) c->Free();
}

TEST(Model, ControllerFieldsSurviveCopies) {
    TZvMdgrob* model = Make<TZvMdgrob>();
    model->SetZvName("Shaft");
    TZvMdctrl* c = Make<TZvMdctrl>();
    c->SetMDgrob(model);
    c->SetMDClassName("TZvMdSymbol");
    c->HoverPen = {0x00FF00, 3, 2};
    c->SelectPen = {0x0000FF, 5, 1};
    c->NoHit = true;
    auto* copy = static_cast<TZvMdctrl*>(c->CloneEntity());  // written and read back
    TZvMdctrl* assigned = Make<TZvMdctrl>();
    assigned->AssignGrob(copy);
    for (TZvMdctrl* other : {copy, assigned}) {
        EXPECT_EQ(other->MDgrob(), model);
        EXPECT_EQ(StreamText(other), StreamText(c));
    }
    EXPECT_EQ(assigned->SelectPen.Width, 5);
    TZvMdctrl* made = CreateController(Make<TZvMdSymbol>());  // c is still the template
    EXPECT_EQ(made->HoverPen.Color, 0x00FF00u);
    made->MDgrob()->Free();
    TZvGrob* other = Make<TZvGrob>();
    EXPECT_THROW(assigned->AssignGrob(other), Exception);
    other->Free();
    MessageCapture messages;
    assigned->SetMDClassName("TNoSuchModel");  // refused: the class stays
    EXPECT_EQ(assigned->MDClassName(), "TZvMdSymbol");
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"TNoSuchModel ist Nicht registriert oder stammt nicht von TZvMdgrob ab "});
    model->Free();  // and the controllers that present it
}

}  // namespace
}  // namespace zv::test
