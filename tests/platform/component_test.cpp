#include "platform/component.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "message_capture.h"
#include "platform/application.h"
#include "platform/message_server.h"

namespace {

using zv::TClass;
using zv::TComponent;
using zv::TZvComponent;
using Events = std::vector<std::string>;

Events events;  // framework messages about parents and destruction, and freed parts, in order

std::string NameOf(TComponent* c) { return static_cast<TZvComponent*>(c)->GetZvName(); }

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
        return static_cast<int>(std::count(got.begin(), got.end(), std::pair(message, data)));
    }

protected:
    friend class zv::TComponent;
    explicit TMessageLog(TComponent* owner) : Tzvreceiver(owner) {}
};

// A component that says when it is gone; as a child class it restricts parents.
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

// Components made here are owned by `owner` (or by nobody when `by` is null)
// and freed with it at the end.
class FrameworkComponents : public testing::Test {
protected:
    void SetUp() override {
        events.clear();
        log = TComponent::Create<TMessageLog>(nullptr);
        zv::GlobalMessageServer()->AddReceiver(log);
        owner = TComponent::Create<TComponent>(nullptr);
    }
    void TearDown() override {
        owner->Free();
        log->Free();
    }
    template <class T = TZvComponent>
    T* Make(const std::string& name, TZvComponent* parent = nullptr, TComponent* by = nullptr, bool owned = true) {
        T* c = TComponent::Create<T>(owned ? (by ? by : owner) : nullptr);
        c->SetZvName(name);
        if (parent) c->SetParent(parent);
        return c;
    }
    static TZvComponent* Root() { return zv::Application()->Components(); }

    MessageCapture shown;
    TMessageLog* log = nullptr;
    TComponent* owner = nullptr;
};

TEST_F(FrameworkComponents, SiblingNamesStayUniqueIgnoringCase) {
    TZvComponent* p = Make("Frame");
    EXPECT_EQ(p->UniqueChildName("Beam"), "Beam");
    Make("Beam", p);
    EXPECT_EQ(p->UniqueChildName("beam"), "beam0");
    TZvComponent* c = Make("Other", p);
    c->SetZvName("beam");  // renamed under a taken name: "1" appended
    EXPECT_EQ(c->GetZvName(), "beam1");
    Make("Beam0", p);
    EXPECT_EQ(Make("BEAM", p)->GetZvName(), "BEAM2");  // added under a taken name: the first free number
    ExpectThrowMessage<zv::Exception>([&] { Make("Third", p)->SetZvName("Beam"); }, "Non unique Name");
    ExpectThrowMessage<zv::Exception>([&] { c->SetZvName("a\\b"); }, "Componentname contains \"\\\"");
    TZvComponent* loose = Make("x\\y");  // allowed without a parent, refused with one
    EXPECT_THROW(loose->SetParent(p), zv::Exception);
    EXPECT_EQ(loose->Parent(), nullptr);
    int renames = log->Count(zv::zvmNameChanged, c);
    c->SetZvName("B");
    c->SetZvName("B");
    EXPECT_EQ(log->Count(zv::zvmNameChanged, c), renames + 1);
}

TEST_F(FrameworkComponents, PathsAndFindChild) {
    TZvComponent* top = Make("Top");
    TZvComponent* a = Make("A", top);
    TZvComponent* b = Make("B", a);
    Make("C", top);
    EXPECT_EQ(b->GetPath(), "\\Top\\A\\B");
    EXPECT_EQ(b->GetPath(top), "\\A\\B");
    struct Case { const char* path; TZvComponent* found; } cases[] = {
        {"  \\A\\B", b}, {"a\\b", b}, {"A\\", a}, {"", nullptr}, {"\\", nullptr}, {"B", nullptr}, {"A\\C", nullptr},
    };
    for (const Case& c : cases) EXPECT_EQ(top->FindChild(c.path), c.found) << c.path;
    zv::TStdApplication* app = zv::Application();
    EXPECT_EQ(app->FindByPath(b->GetPath()), b);
    app->SetCurrentRoot(top);
    EXPECT_TRUE(app->FindByPath("A\\B") == b && app->FindByPath("\\Top\\A\\B") == nullptr);
    app->SetCurrentRoot(nullptr);
}

TEST_F(FrameworkComponents, ParentsAnnounceMovesAndTheMostSpecificChildClassDecides) {
    TZvComponent* parts = Make("Parts");
    parts->SetChildClass(&TPart::Class());
    TZvComponent* group = Make<TPart>("Group", parts);
    EXPECT_EQ(group->EffectiveChildClass(), &TPart::Class());
    TZvComponent* plain = Make("Plain", Make("Old"));
    ExpectThrowMessage<zv::Exception>(
        [&] { plain->SetParent(group); },
        "Parent expect the Class TPart\r\n, but the Component \\Old\\Plain is Of Class TZvComponent");
    EXPECT_EQ(plain->Parent()->GetZvName(), "Old");  // a refused move leaves it where it was
    plain->SetParent(nullptr);
    plain->SetParent(Root());  // the root container is nobody's parent
    EXPECT_EQ(plain->Parent(), nullptr);
    EXPECT_EQ(log->Count(zv::zvmParentSet, plain) + log->Count(zv::zvmParentCleared, plain), 2);
    ExpectThrowMessage<zv::Exception>([&] { plain->SetChildClass(&TComponent::Class()); },
                                      "Class TComponent does not inherit from TzvComponent ");
}

TEST_F(FrameworkComponents, NestedBracketsNotifyOnceAtTheOutermostLevel) {
    TZvComponent* b = Make("B");
    TZvComponent* a = Make("A");
    Events seen;
    a->ChangeReceiver()->OnBeginChange = [&](TComponent*, TComponent* obj) { seen.push_back("begin " + NameOf(obj)); };
    a->ChangeReceiver()->OnEndChange = [&](TComponent*, TComponent*) { seen.push_back("end"); };
    a->ListenTo(b);
    // Closing without an open bracket is ignored; only the outermost notifies.
    const std::pair<bool, TZvComponent*> steps[] = {{false, b}, {true, nullptr}, {true, b}, {false, b}, {false, nullptr}};
    for (const auto& [open, result] : steps) EXPECT_EQ(b->Changing(open), result);
    EXPECT_EQ(seen, (Events{"begin B", "end"}));
    a->Free();  // a listener that dies first is never called again
    EXPECT_EQ(b->ChangeServer()->ReceiverCount(), 0);
}

TEST_F(FrameworkComponents, ClearingFreesUnownedChildrenShowsFailuresAndGoesOn) {
    TZvComponent* p = Make("Shelf");
    TZvComponent* kept = Make("Kept", p);
    Make<TPart>("First", p, nullptr, false);
    TZvComponent* guarded = Make("Guarded", p, nullptr, false);
    guarded->SetFlags(TZvComponent::zvfSystemComponent);
    p->ClearChildren();
    EXPECT_EQ(shown.Texts(), (Events{" clear error bei : mes: \\Shelf Cannot destroy a Systemcomponent Guarded"}));
    EXPECT_NE(std::find(events.begin(), events.end(), "freed First"), events.end());
    EXPECT_TRUE(p->ChildCount() == 0 && kept->Parent() == nullptr && Root()->IndexOfChild(kept) >= 0);
    zv::FreeSystemComponent(guarded);
    EXPECT_EQ(events.back(), "11 Guarded");
}

// Regression: X's clearing frees Y, which owns and so frees the clearing P.
TEST_F(FrameworkComponents, ClearingStopsWhenAFreedChildFreesTheClearingComponent) {
    TPart* p = Make<TPart>("P", nullptr, nullptr, false);
    TPart* kept = Make<TPart>("Kept", p);
    TPart* x = Make<TPart>("X", p, nullptr, false);
    Make<TPart>("Y", x, nullptr, false)->InsertComponent(p);
    p->ClearChildren();
    EXPECT_EQ(std::count(events.begin(), events.end(), "freed P"), 1);
    EXPECT_EQ(kept->Parent(), nullptr);
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
    Make<TPart>("Child", b, nullptr, false);
    events.clear();
    b->Free();
    EXPECT_EQ(events, (Events{"10 B", "destroy-object B", "11 B", "10 Child", "freed Child", "11 Child"}));
    EXPECT_EQ(Root()->IndexOfChild(b), -1);
}

TEST_F(FrameworkComponents, SystemComponentsRefuseToBeDestroyed) {
    TZvComponent* system = zv::Application()->SystemRoot();
    ExpectThrowMessage<zv::Exception>([&] { system->Free(); }, " Cannot destroy a Systemcomponent ZVSystem");
    EXPECT_GE(Root()->IndexOfChild(system), 0);
}

TEST_F(FrameworkComponents, NewComponentsJoinTheCurrentRootUntilItDiesOrIsReset) {
    zv::TStdApplication* app = zv::Application();
    TZvComponent* home = Make("Home");
    app->SetCurrentRoot(home);
    TZvComponent* c = TComponent::Create<TZvComponent>(owner);
    EXPECT_TRUE(c->Parent() == home && log->Count(zv::zvmCreated, c) == 1);
    home->SetChildClass(&TPart::Class());  // a current root that refuses the class refuses the component
    int ownedBefore = owner->ComponentCount();
    EXPECT_THROW(TComponent::Create<TZvComponent>(owner), zv::Exception);
    EXPECT_EQ(owner->ComponentCount(), ownedBefore);
    home->Free();
    EXPECT_EQ(app->CurrentRoot(), nullptr);
    app->SetCurrentRoot(c);
    app->SetReadContext(c);
    app->Reset();
    EXPECT_TRUE(app->CurrentRoot() == nullptr && app->ReadContext() == nullptr);
    EXPECT_EQ(log->Count(zv::zvmApplicationReset, app), 1);
}

}  // namespace
