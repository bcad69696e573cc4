#include "platform/component.h"

#include <gtest/gtest.h>

#include <functional>

#include <regex>
#include <string>
#include <vector>

#include "platform/application.h"
#include "platform/message_server.h"
#include "zvhlr.h"

namespace {

using zv::TClass;
using zv::TComponent;
using zv::TZvComponent;

std::vector<std::string> events;  // messages, listener calls and destructions, in order

std::string NameOf(TComponent* c) {
    auto* z = dynamic_cast<TZvComponent*>(c);
    return z ? z->GetZvName() : std::string("?");
}

// Logs the framework messages about components.
class TMessageLog : public zv::Tzvreceiver {
public:
    std::vector<std::pair<int32_t, TComponent*>> got;
    void Receive(zv::TzvServer*, int32_t message, TComponent* data) override {
        got.emplace_back(message, data);
        if (message == zv::zvmParentSet || message == zv::zvmParentCleared || message == zv::zvmDestroyed)
            events.push_back(std::to_string(message) + " " + NameOf(data));
    }
    int Count(int32_t message, TComponent* data) const {
        int n = 0;
        for (const auto& [m, d] : got) n += (m == message && d == data);
        return n;
    }

protected:
    friend class zv::TComponent;
    explicit TMessageLog(TComponent* owner) : Tzvreceiver(owner) {}
};

// A component that says when it is gone.
class TPart : public TZvComponent {
public:
    static const TClass& Class() {
        static const TClass info("TPart", &TZvComponent::Class(), &NewInstance<TPart>);
        return info;
    }
    const TClass& ClassType() const override { return Class(); }

protected:
    friend class zv::TComponent;
    explicit TPart(TComponent* owner) : TZvComponent(owner) {}
    ~TPart() override { events.push_back("freed " + GetZvName()); }
};

class TTestDevice : public TZvComponent {
public:
    static const TClass& Class() {
        static const TClass info("TTestDevice", &TZvComponent::Class(), &NewInstance<TTestDevice>);
        return info;
    }
    const TClass& ClassType() const override { return Class(); }

protected:
    friend class zv::TComponent;
    explicit TTestDevice(TComponent* owner) : TZvComponent(owner) {}
};

class TTestSubDevice : public TTestDevice {
public:
    static const TClass& Class() {
        static const TClass info("TTestSubDevice", &TTestDevice::Class(), &NewInstance<TTestSubDevice>);
        return info;
    }
    const TClass& ClassType() const override { return Class(); }

protected:
    friend class zv::TComponent;
    explicit TTestSubDevice(TComponent* owner) : TTestDevice(owner) {}
};

std::vector<std::string> shown;
void CollectMessage(int32_t kind, const char* text, void*) {
    if (kind == ZV_MESSAGE_BOX) shown.push_back(text);
}

// Components made here are owned by `owner` unless a test says otherwise;
// freeing the owner at the end frees them.
class FrameworkComponents : public testing::Test {
protected:
    void SetUp() override {
        events.clear();
        shown.clear();
        ZVSetMessageHandler(CollectMessage, nullptr);
        log = TComponent::Create<TMessageLog>(nullptr);
        zv::GlobalMessageServer()->AddReceiver(log);
        owner = TComponent::Create<TComponent>(nullptr);
    }
    void TearDown() override {
        owner->Free();
        log->Free();
        ZVSetMessageHandler(nullptr, nullptr);
    }

    template <class T = TZvComponent>
    T* Make(const std::string& name, TZvComponent* parent = nullptr, TComponent* by = nullptr) {
        T* c = TComponent::Create<T>(by ? by : owner);
        c->SetZvName(name);
        if (parent) c->SetParent(parent);
        return c;
    }
    static TZvComponent* Root() { return zv::Application()->Components(); }

    TMessageLog* log = nullptr;
    TComponent* owner = nullptr;
};

int IndexOfEvent(const std::string& e) {
    for (size_t i = 0; i < events.size(); ++i)
        if (events[i] == e) return static_cast<int>(i);
    return -1;
}

std::string ExceptionText(const std::function<void()>& f) {
    try {
        f();
    } catch (const zv::Exception& e) {
        return e.Message();
    }
    return "(no exception)";
}

// Naming

TEST_F(FrameworkComponents, AddingATakenNameRenamesTheNewChildToTheFirstFreeNumber) {
    TZvComponent* beamParent = Make("Frame");
    Make("Beam", beamParent);
    Make("Beam0", beamParent);
    TZvComponent* added = Make("Beam");
    added->SetParent(beamParent);
    EXPECT_EQ(added->GetZvName(), "Beam1");
    EXPECT_EQ(beamParent->ChildAt(2), added);

    TZvComponent* lower = Make("BEAM", beamParent);  // letter case does not tell names apart
    EXPECT_EQ(lower->GetZvName(), "BEAM2");
}

TEST_F(FrameworkComponents, UniqueChildNameCountsFromZero) {
    TZvComponent* p = Make("P");
    EXPECT_EQ(p->UniqueChildName("Part"), "Part");
    Make("Part", p);
    EXPECT_EQ(p->UniqueChildName("Part"), "Part0");
    Make("Part0", p);
    EXPECT_EQ(p->UniqueChildName("part"), "part1");
    EXPECT_EQ(p->UniqueChildName(""), "");
}

TEST_F(FrameworkComponents, SetZvNameUnderAParentKeepsSiblingNamesUnique) {
    TZvComponent* p = Make("P");
    Make("Lamp", p);
    TZvComponent* c = Make("Other", p);
    c->SetZvName("lamp");
    EXPECT_EQ(c->GetZvName(), "lamp1");
    TZvComponent* d = Make("Third", p);
    EXPECT_EQ(ExceptionText([&] { d->SetZvName("Lamp"); }), "Non unique Name");
    EXPECT_EQ(d->GetZvName(), "Third");
    c->SetZvName("LAMP1");  // its own name in another case is no collision
    EXPECT_EQ(c->GetZvName(), "LAMP1");
}

TEST_F(FrameworkComponents, ABackslashIsRefusedOnlyUnderAParent) {
    TZvComponent* p = Make("P");
    TZvComponent* c = Make("C", p);
    EXPECT_EQ(ExceptionText([&] { c->SetZvName("a\\b"); }), "Componentname contains \"\\\"");
    EXPECT_EQ(c->GetZvName(), "C");
    TZvComponent* loose = Make("x\\y");
    EXPECT_EQ(loose->GetZvName(), "x\\y");
    EXPECT_EQ(ExceptionText([&] { loose->SetParent(p); }), "Componentname contains \"\\\"");
    EXPECT_EQ(loose->Parent(), nullptr);
    EXPECT_EQ(p->ChildCount(), 1);
}

TEST_F(FrameworkComponents, RenamingAnnouncesTheNewNameOnce) {
    TZvComponent* c = Make("A");
    int before = log->Count(zv::zvmNameChanged, c);
    c->SetZvName("B");
    c->SetZvName("B");
    EXPECT_EQ(log->Count(zv::zvmNameChanged, c), before + 1);
}

TEST_F(FrameworkComponents, SetNameKeepsTheRuntimeNameAndMakesTheFrameworkNameUnique) {
    TZvComponent* p = Make("P");
    Make("Part", p);
    TZvComponent* c = Make("", p);
    c->SetName("Part");
    EXPECT_EQ(c->Name(), "Part");
    EXPECT_EQ(c->GetZvName(), "Part0");
    c->SetName("Part");  // renaming to its present name keeps the framework name
    EXPECT_EQ(c->GetZvName(), "Part0");

    TZvComponent* d = Make("", p);
    d->SetName("Wheel");
    EXPECT_EQ(d->GetZvName(), "Wheel");
    d->SetName("Wheel");
    EXPECT_EQ(d->GetZvName(), "Wheel");
    // The framework name may be set back to the runtime name.
    d->SetZvName("Spoke");
    d->SetZvName("WHEEL");
    EXPECT_EQ(d->GetZvName(), "WHEEL");
    // An invalid runtime name changes neither name.
    EXPECT_THROW(d->SetName("no good"), zv::EComponentError);
    EXPECT_EQ(d->GetZvName(), "WHEEL");
    EXPECT_EQ(d->Name(), "Wheel");
}

TEST_F(FrameworkComponents, AParentedComponentWithoutNameIsNamedAfterItsAddress) {
    TZvComponent* p = Make("P");
    TZvComponent* c = Make("", p);
    EXPECT_TRUE(std::regex_match(c->GetZvName(), std::regex("c[0-9]+")));
    EXPECT_EQ(c->GetZvName(), "c" + std::to_string(reinterpret_cast<uintptr_t>(c)));
}

// Paths

TEST_F(FrameworkComponents, PathsRunFromTheTopAndStopBeforeUpTo) {
    TZvComponent* house = Make("House");
    TZvComponent* room = Make("Room", house);
    TZvComponent* wall = Make("Wall", room);
    EXPECT_EQ(wall->GetPath(), "\\House\\Room\\Wall");
    EXPECT_EQ(wall->GetPath(house), "\\Room\\Wall");
    EXPECT_EQ(wall->GetPath(room), "\\Wall");
    EXPECT_EQ(house->GetPath(), "\\House");
}

TEST_F(FrameworkComponents, FindChildIgnoresLeadingBlanksOneBackslashAndLetterCase) {
    TZvComponent* top = Make("Top");
    TZvComponent* a = Make("A", top);
    TZvComponent* b = Make("B", a);
    Make("C", top);
    EXPECT_EQ(top->FindChild("  \\A\\B"), b);
    EXPECT_EQ(top->FindChild("a\\b"), b);
    EXPECT_EQ(top->FindChild("A"), a);
    EXPECT_EQ(top->FindChild("A\\"), a);
    EXPECT_EQ(top->FindChild(""), nullptr);
    EXPECT_EQ(top->FindChild("   "), nullptr);
    EXPECT_EQ(top->FindChild("\\"), nullptr);
    EXPECT_EQ(top->FindChild("B"), nullptr);  // only direct children answer to the head
    EXPECT_EQ(top->FindChild("A\\C"), nullptr);
    EXPECT_EQ(top->FindChild("A\\B\\X"), nullptr);
}

TEST_F(FrameworkComponents, TheApplicationFindsPathsFromTheRootOrTheCurrentRoot) {
    TZvComponent* house = Make("PathHouse");
    TZvComponent* wall = Make("Wall", Make("Room", house));
    zv::TStdApplication* app = zv::Application();
    EXPECT_EQ(app->FindByPath(wall->GetPath()), wall);
    app->SetCurrentRoot(house);
    EXPECT_EQ(app->FindByPath("Room\\Wall"), wall);
    EXPECT_EQ(app->FindByPath("\\PathHouse\\Room\\Wall"), nullptr);
    app->SetCurrentRoot(nullptr);
}

// Parenting

TEST_F(FrameworkComponents, ParentlessComponentsAreListedByTheRootContainer) {
    TZvComponent* p = Make("P");
    TZvComponent* c = Make("C");
    EXPECT_GE(Root()->IndexOfChild(c), 0);
    EXPECT_EQ(c->Parent(), nullptr);
    c->SetParent(p);
    EXPECT_LT(Root()->IndexOfChild(c), 0);
    EXPECT_EQ(log->Count(zv::zvmParentSet, c), 1);
    c->SetParent(nullptr);
    EXPECT_GE(Root()->IndexOfChild(c), 0);
    EXPECT_EQ(p->ChildCount(), 0);
    EXPECT_EQ(log->Count(zv::zvmParentCleared, c), 1);
    c->SetParent(Root());  // the root container is nobody's parent
    EXPECT_EQ(c->Parent(), nullptr);
    EXPECT_EQ(Root()->ChildCount() - 1, Root()->IndexOfChild(c));
    c->Free();
    EXPECT_LT(Root()->IndexOfChild(c), 0);
}

TEST_F(FrameworkComponents, MovingAChildKeepsItInExactlyOneList) {
    TZvComponent* p1 = Make("P1");
    TZvComponent* p2 = Make("P2");
    TZvComponent* c = Make("C", p1);
    c->SetParent(p2);
    EXPECT_EQ(p1->ChildCount(), 0);
    EXPECT_EQ(p2->ChildCount(), 1);
    p2->AddChild(c);  // already there
    EXPECT_EQ(p2->ChildCount(), 1);
    p1->AddChild(c);  // adding makes it a child there
    EXPECT_EQ(c->Parent(), p1);
    EXPECT_EQ(p2->ChildCount(), 0);
    p1->RemoveChild(c);
    EXPECT_EQ(c->Parent(), nullptr);
    EXPECT_EQ(p1->ChildCount(), 0);
    EXPECT_GE(Root()->IndexOfChild(c), 0);
}

TEST_F(FrameworkComponents, ParentingToItselfOrADescendantChangesNothing) {
    TZvComponent* a = Make("A");
    TZvComponent* b = Make("B", a);
    TZvComponent* c = Make("C", b);
    int messages = static_cast<int>(log->got.size());
    a->SetParent(c);
    a->SetParent(a);
    b->SetParent(c);
    EXPECT_EQ(a->Parent(), nullptr);
    EXPECT_EQ(b->Parent(), a);
    EXPECT_EQ(c->Parent(), b);
    EXPECT_EQ(a->ChildCount(), 1);
    EXPECT_EQ(b->ChildCount(), 1);
    EXPECT_EQ(c->ChildCount(), 0);
    EXPECT_EQ(static_cast<int>(log->got.size()), messages);
}

TEST_F(FrameworkComponents, TheMostSpecificChildClassOnThePathDecides) {
    TZvComponent* devices = Make("Devices");
    devices->SetChildClass(&TTestDevice::Class());
    TZvComponent* group = Make<TTestDevice>("Group", devices);
    EXPECT_EQ(group->ChildClass(), &TZvComponent::Class());
    EXPECT_EQ(group->EffectiveChildClass(), &TTestDevice::Class());

    TZvComponent* plain = Make("Plain");
    EXPECT_EQ(ExceptionText([&] { plain->SetParent(group); }),
              "Parent expect the Class TTestDevice\r\n, but the Component \\Plain is Of Class TZvComponent");
    EXPECT_EQ(plain->Parent(), nullptr);
    EXPECT_EQ(group->ChildCount(), 0);

    TZvComponent* device = Make<TTestDevice>("Dev", group);
    EXPECT_EQ(device->Parent(), group);

    group->SetChildClass(&TTestSubDevice::Class());
    EXPECT_EQ(group->EffectiveChildClass(), &TTestSubDevice::Class());
    TZvComponent* other = Make<TTestDevice>("Other");
    EXPECT_THROW(other->SetParent(group), zv::Exception);
    Make<TTestSubDevice>("Sub", group);
    EXPECT_EQ(group->ChildCount(), 2);
}

TEST_F(FrameworkComponents, ARefusedMoveLeavesTheComponentWhereItWas) {
    TZvComponent* p1 = Make("P1");
    TZvComponent* strict = Make("Strict");
    strict->SetChildClass(&TTestDevice::Class());
    TZvComponent* c = Make("C", p1);
    EXPECT_THROW(c->SetParent(strict), zv::Exception);
    EXPECT_EQ(c->Parent(), p1);
    EXPECT_EQ(p1->IndexOfChild(c), 0);
}

TEST_F(FrameworkComponents, ChildClassesMustBeComponentsOfTheFramework) {
    TZvComponent* c = Make("C");
    EXPECT_EQ(ExceptionText([&] { c->SetChildClass(&TComponent::Class()); }),
              "Class TComponent does not inherit from TzvComponent ");
    EXPECT_EQ(c->ChildClass(), &TZvComponent::Class());
    c->SetChildClass(&TTestDevice::Class());
    c->SetChildClass(nullptr);
    EXPECT_EQ(c->ChildClass(), &TZvComponent::Class());
}

// Change brackets

TEST_F(FrameworkComponents, NestedBracketsNotifyOnceAtTheOutermostLevel) {
    TZvComponent* b = Make("B");
    TZvComponent* a = Make("A");
    std::vector<std::string> seen;
    a->ChangeReceiver()->OnBeginChange = [&](TComponent* sender, TComponent* obj) {
        EXPECT_EQ(sender, a->ChangeReceiver());
        EXPECT_EQ(obj, b);
        seen.push_back("begin");
    };
    a->ChangeReceiver()->OnEndChange = [&](TComponent*, TComponent*) { seen.push_back("end"); };
    a->ListenTo(b);
    EXPECT_EQ(b->Changing(true), nullptr);
    EXPECT_EQ(b->Changing(true), b);
    EXPECT_EQ(b->Changing(true), b);
    EXPECT_EQ(b->ChangeLevel(), 3);
    EXPECT_EQ(b->Changing(false), b);
    EXPECT_EQ(b->Changing(false), b);
    EXPECT_EQ(seen, (std::vector<std::string>{"begin"}));
    EXPECT_EQ(b->Changing(false), nullptr);
    EXPECT_FALSE(b->LastChangeBegin());
    EXPECT_EQ(seen, (std::vector<std::string>{"begin", "end"}));
    EXPECT_EQ(b->ChangeLevel(), 0);

    a->StopListening(b);
    b->Changing(true);
    b->Changing(false);
    EXPECT_EQ(seen.size(), 2u);
}

TEST_F(FrameworkComponents, AClosingBracketWithoutAnOpenOneIsIgnored) {
    TZvComponent* b = Make("B");
    TZvComponent* a = Make("A");
    int begins = 0, ends = 0;
    a->ChangeReceiver()->OnBeginChange = [&](TComponent*, TComponent*) { ++begins; };
    a->ChangeReceiver()->OnEndChange = [&](TComponent*, TComponent*) { ++ends; };
    a->ListenTo(b);
    EXPECT_EQ(b->Changing(false), b);
    EXPECT_EQ(b->ChangeLevel(), 0);
    b->Changing(true);
    b->Changing(false);
    EXPECT_EQ(begins, 1);
    EXPECT_EQ(ends, 1);
}

TEST_F(FrameworkComponents, AListenerThatDiesFirstIsNeverCalled) {
    TZvComponent* b = Make("B");
    TZvComponent* a = Make("A");
    int calls = 0;
    a->ChangeReceiver()->OnBeginChange = [&](TComponent*, TComponent*) { ++calls; };
    a->ListenTo(b);
    EXPECT_EQ(b->ChangeServer()->ReceiverCount(), 1);
    a->Free();
    EXPECT_EQ(b->ChangeServer()->ReceiverCount(), 0);
    b->Changing(true);
    b->Changing(false);
    EXPECT_EQ(calls, 0);
}

// Clearing and destruction

TEST_F(FrameworkComponents, ClearChildrenFreesChildrenWithoutOwnerOnly) {
    TZvComponent* p = Make("P");
    TZvComponent* kept = Make("Kept", p);
    TPart* loose = TComponent::Create<TPart>(nullptr);
    loose->SetZvName("Loose");
    loose->SetParent(p);
    p->ClearChildren();
    EXPECT_EQ(p->ChildCount(), 0);
    EXPECT_GE(IndexOfEvent("freed Loose"), 0);
    EXPECT_EQ(kept->Parent(), nullptr);
    EXPECT_GE(Root()->IndexOfChild(kept), 0);
    EXPECT_TRUE(shown.empty());
}

TEST_F(FrameworkComponents, ClearingShowsAFailingChildAndGoesOn) {
    TZvComponent* p = Make("Shelf");
    TPart* first = TComponent::Create<TPart>(nullptr);
    first->SetZvName("First");
    first->SetParent(p);
    TZvComponent* guarded = TComponent::Create<TZvComponent>(nullptr);
    guarded->SetZvName("Guarded");
    guarded->SetParent(p);
    guarded->SetFlags(TZvComponent::zvfSystemComponent);
    p->ClearChildren();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], " clear error bei : mes: \\Shelf Cannot destroy a Systemcomponent Guarded");
    EXPECT_GE(IndexOfEvent("freed First"), 0);  // cleared after the failing one
    EXPECT_EQ(guarded->Parent(), nullptr);
    zv::FreeSystemComponent(guarded);
}

TEST_F(FrameworkComponents, ClearingStopsWhenAFreedChildFreesTheClearingComponent) {
    TPart* p = TComponent::Create<TPart>(nullptr);
    p->SetZvName("P");
    TPart* kept = Make<TPart>("Kept", p);  // owned by the fixture: only detached
    TPart* x = TComponent::Create<TPart>(nullptr);  // no owner: cleared means freed
    x->SetZvName("X");
    x->SetParent(p);
    TPart* y = TComponent::Create<TPart>(nullptr);
    y->SetZvName("Y");
    y->SetParent(x);
    y->InsertComponent(p);  // the grandchild owns the clearing component
    p->ClearChildren();     // frees X, whose clearing frees Y, which frees P
    EXPECT_GE(IndexOfEvent("freed X"), 0);
    EXPECT_GE(IndexOfEvent("freed Y"), 0);
    EXPECT_GE(IndexOfEvent("freed P"), 0);
    EXPECT_EQ(kept->Parent(), nullptr);
    EXPECT_GE(Root()->IndexOfChild(kept), 0);
}

TEST_F(FrameworkComponents, DestructionRunsInTheDocumentedOrder) {
    TZvComponent* parent = Make("Parent");
    TZvComponent* b = Make("B", parent);
    TZvComponent* listener = Make("Listener");
    listener->ChangeReceiver()->OnDestroyObject = [&](TComponent*, TComponent* obj) {
        events.push_back("destroy-object " + NameOf(obj));
        EXPECT_EQ(b->Parent(), nullptr);  // it has left its parent already
    };
    listener->ListenTo(b);
    TPart* child = TComponent::Create<TPart>(nullptr);
    child->SetZvName("Child");
    child->SetParent(b);
    events.clear();
    b->Free();
    EXPECT_EQ(events, (std::vector<std::string>{"10 B", "destroy-object B", "11 B", "10 Child", "freed Child",
                                                "11 Child"}));
    EXPECT_EQ(parent->ChildCount(), 0);
    EXPECT_EQ(Root()->IndexOfChild(b), -1);
}

TEST_F(FrameworkComponents, SystemComponentsRefuseToBeDestroyed) {
    TZvComponent* system = zv::Application()->SystemRoot();
    EXPECT_EQ(ExceptionText([&] { system->Free(); }), " Cannot destroy a Systemcomponent ZVSystem");
    EXPECT_EQ(system->GetZvName(), "ZVSystem");
    EXPECT_GE(Root()->IndexOfChild(system), 0);

    TPart* mine = TComponent::Create<TPart>(nullptr);
    mine->SetZvName("Mine");
    mine->SetFlags(TZvComponent::zvfSystemComponent);
    EXPECT_THROW(mine->Free(), zv::Exception);
    EXPECT_TRUE(events.empty());
    zv::FreeSystemComponent(mine);
    EXPECT_EQ(events, (std::vector<std::string>{"freed Mine", "11 Mine"}));
}

TEST_F(FrameworkComponents, TheOwnerFreesAndTheParentOnlyPlaces) {
    TZvComponent* parentOwner = Make("ParentHolder");
    TComponent* itemOwner = TComponent::Create<TComponent>(nullptr);
    TPart* item = Make<TPart>("Item", nullptr, itemOwner);
    TPart* parent = Make<TPart>("Shelf", nullptr, parentOwner);
    item->SetParent(parent);
    parentOwner->Free();  // frees the shelf; the item stays, without parent
    EXPECT_GE(IndexOfEvent("freed Shelf"), 0);
    EXPECT_EQ(item->Parent(), nullptr);
    EXPECT_GE(Root()->IndexOfChild(item), 0);
    itemOwner->Free();
    EXPECT_GE(IndexOfEvent("11 Item"), 0);
    EXPECT_EQ(Root()->IndexOfChild(item), -1);
}

TEST_F(FrameworkComponents, AnOwnedChildOfItsOwnerIsFreedOnce) {
    TPart* boss = TComponent::Create<TPart>(nullptr);
    boss->SetZvName("Boss");
    TPart* worker = Make<TPart>("Worker", boss, boss);
    EXPECT_EQ(worker->Parent(), boss);
    boss->Free();
    int freedWorker = 0;
    for (const auto& e : events) freedWorker += (e == "freed Worker");
    EXPECT_EQ(freedWorker, 1);
}

TEST_F(FrameworkComponents, NewComponentsJoinTheCurrentRoot) {
    zv::TStdApplication* app = zv::Application();
    TZvComponent* home = Make("Home");
    app->SetCurrentRoot(home);
    TZvComponent* c = TComponent::Create<TZvComponent>(owner);
    EXPECT_EQ(c->Parent(), home);
    EXPECT_EQ(log->Count(zv::zvmCreated, c), 1);

    // A current root that refuses the class refuses the new component.
    home->SetChildClass(&TTestDevice::Class());
    int ownedBefore = owner->ComponentCount();
    EXPECT_THROW(TComponent::Create<TZvComponent>(owner), zv::Exception);
    EXPECT_EQ(owner->ComponentCount(), ownedBefore);

    home->Free();  // the current root dies: the application forgets it
    EXPECT_EQ(app->CurrentRoot(), nullptr);
    TZvComponent* d = TComponent::Create<TZvComponent>(owner);
    EXPECT_EQ(d->Parent(), nullptr);
    EXPECT_GE(Root()->IndexOfChild(d), 0);
}

TEST_F(FrameworkComponents, ResetForgetsTheCurrentRootAndAnnouncesItself) {
    zv::TStdApplication* app = zv::Application();
    TZvComponent* home = Make("Home");
    app->SetCurrentRoot(home);
    app->SetReadContext(home);
    app->Reset();
    EXPECT_EQ(app->CurrentRoot(), nullptr);
    EXPECT_EQ(app->ReadContext(), nullptr);
    EXPECT_EQ(log->Count(zv::zvmApplicationReset, app), 1);
}

TEST_F(FrameworkComponents, CloneCopiesNameClassAndChildren) {
    TZvComponent* c = Make("C");
    Make("D")->SetParent(c);
    TZvComponent* copy = c->Clone();
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy, c);
    EXPECT_EQ(copy->GetZvName(), "C");
    ASSERT_EQ(copy->ChildCount(), 1);
    EXPECT_EQ(copy->ChildAt(0)->GetZvName(), "D");
    EXPECT_EQ(copy->ChildAt(0)->Parent(), copy);
    copy->Free();
}

}  // namespace
