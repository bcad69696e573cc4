#include "runtime/component.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using zv::EComponentError;
using zv::TClass;
using zv::TComponent;
using zv::TOperation;

std::vector<std::string> journal;

// Writes its life into the journal.
class TTracked : public TComponent {
public:
    static const TClass& Class() {
        static const TClass info("TTracked", &TComponent::Class(), &NewInstance<TTracked>);
        return info;
    }
    const TClass& ClassType() const override { return Class(); }

    std::string label;
    bool refuseFree = false;
    bool failAfterConstruction = false;
    std::string classSeenAfterConstruction;
    std::vector<std::pair<TComponent*, TOperation>> notes;
    TComponent* freeWhenDying = nullptr;

    static TTracked* Make(TComponent* owner, const std::string& label) {
        TTracked* t = Create<TTracked>(owner);
        t->label = label;
        return t;
    }

protected:
    friend class zv::TComponent;
    explicit TTracked(TComponent* owner) : TComponent(owner) {}
    ~TTracked() override {
        journal.push_back(label + (IsDestroying() ? " destroyed" : " destroyed without flag"));
        if (freeWhenDying) freeWhenDying->Free();
    }
    void AfterConstruction() override { classSeenAfterConstruction = ClassName(); }
    void BeforeDestruction() override {
        if (refuseFree) throw zv::Exception("refused");
    }
    void Notification(TComponent* c, TOperation op) override {
        TComponent::Notification(c, op);
        notes.emplace_back(c, op);
    }
};

class TTrackedPart : public TTracked {
public:
    static const TClass& Class() {
        static const TClass info("TTrackedPart", &TTracked::Class(), &NewInstance<TTrackedPart>);
        return info;
    }
    const TClass& ClassType() const override { return Class(); }

protected:
    friend class zv::TComponent;
    explicit TTrackedPart(TComponent* owner) : TTracked(owner) {}
};

class TFailing : public TComponent {
protected:
    friend class zv::TComponent;
    explicit TFailing(TComponent* owner) : TComponent(owner) {}
    ~TFailing() override { journal.push_back("failing destroyed"); }
    void AfterConstruction() override { throw zv::Exception("no"); }
};

class RuntimeComponent : public testing::Test {
protected:
    void SetUp() override { journal.clear(); }
};

bool NotifiedOfRemoval(const TTracked* t, const TComponent* c) {
    for (const auto& [who, op] : t->notes)
        if (who == c && op == TOperation::opRemove) return true;
    return false;
}

TEST_F(RuntimeComponent, OwnerFreesWhatItOwnsLastFirstAfterItsOwnDestructor) {
    TTracked* owner = TTracked::Make(nullptr, "owner");
    TTracked::Make(owner, "a");
    TTracked::Make(owner, "b");
    TTracked::Make(owner, "c");
    owner->Free();
    EXPECT_EQ(journal, (std::vector<std::string>{"owner destroyed", "c destroyed", "b destroyed", "a destroyed"}));
}

TEST_F(RuntimeComponent, AnOwnedComponentFreedFirstLeavesItsOwner) {
    TTracked* owner = TTracked::Make(nullptr, "owner");
    TTracked* a = TTracked::Make(owner, "a");
    TTracked* b = TTracked::Make(owner, "b");
    a->Free();
    ASSERT_EQ(owner->ComponentCount(), 1);
    EXPECT_EQ(owner->Components(0), b);
    EXPECT_EQ(b->ComponentIndex(), 0);
    EXPECT_THROW(owner->Components(1), zv::EListError);
    EXPECT_TRUE(NotifiedOfRemoval(owner, a));
    owner->Free();
    EXPECT_EQ(journal, (std::vector<std::string>{"a destroyed", "owner destroyed", "b destroyed"}));
}

TEST_F(RuntimeComponent, NamesAreUniqueAmongTheOwnersComponentsIgnoringCase) {
    TTracked* owner = TTracked::Make(nullptr, "owner");
    TTracked* a = TTracked::Make(owner, "a");
    TTracked* b = TTracked::Make(owner, "b");
    a->SetName("Lamp");
    try {
        b->SetName("LAMP");
        FAIL() << "no exception";
    } catch (const EComponentError& e) {
        EXPECT_EQ(e.Message(), "A component named LAMP already exists");
    }
    EXPECT_EQ(b->Name(), "");
    a->SetName("lamp");  // its own name in another case
    EXPECT_EQ(a->Name(), "lamp");
    EXPECT_EQ(owner->FindComponent("LaMp"), a);
    EXPECT_EQ(owner->FindComponent(""), nullptr);

    TTracked* other = TTracked::Make(nullptr, "other");
    other->SetName("Lamp");  // another owner, or none, does not collide
    b->SetName("Lamp2");
    EXPECT_EQ(b->Name(), "Lamp2");
    other->Free();
    owner->Free();
}

TEST_F(RuntimeComponent, NamesMustBeIdentifiers) {
    TTracked* t = TTracked::Make(nullptr, "t");
    for (const char* bad : {"1a", "a b", "a\\b", "a-b"}) {
        try {
            t->SetName(bad);
            ADD_FAILURE() << bad;
        } catch (const EComponentError& e) {
            EXPECT_EQ(e.Message(), std::string("'") + bad + "' is not a valid component name");
        }
    }
    t->SetName("_a1");
    t->SetName("");
    EXPECT_EQ(t->Name(), "");
    EXPECT_TRUE(zv::IsValidIdent("Wall_2"));
    EXPECT_FALSE(zv::IsValidIdent(""));
    t->Free();
}

TEST_F(RuntimeComponent, InsertComponentMovesOwnershipAndRefusesCycles) {
    TTracked* first = TTracked::Make(nullptr, "first");
    TTracked* second = TTracked::Make(nullptr, "second");
    TTracked* item = TTracked::Make(first, "item");
    second->InsertComponent(item);
    EXPECT_EQ(item->Owner(), second);
    EXPECT_EQ(first->ComponentCount(), 0);
    EXPECT_EQ(second->ComponentCount(), 1);
    ASSERT_FALSE(second->notes.empty());
    EXPECT_EQ(second->notes.back().first, item);
    EXPECT_EQ(second->notes.back().second, TOperation::opInsert);

    EXPECT_THROW(item->InsertComponent(second), EComponentError);
    EXPECT_THROW(item->InsertComponent(item), EComponentError);
    EXPECT_EQ(second->Owner(), nullptr);

    // A name taken in the new owner keeps the component where it was.
    TTracked* named = TTracked::Make(first, "named");
    named->SetName("Item");
    item->SetName("item");
    EXPECT_THROW(second->InsertComponent(named), EComponentError);
    EXPECT_EQ(named->Owner(), first);

    first->RemoveComponent(named);
    EXPECT_EQ(named->Owner(), nullptr);
    first->RemoveComponent(second);  // not owned: ignored
    named->Free();
    first->Free();
    second->Free();
    EXPECT_EQ(journal.size(), 4u);
}

TEST_F(RuntimeComponent, FreeNotificationReachesTheOtherSideInBothDirections) {
    TTracked* watcher = TTracked::Make(nullptr, "watcher");
    TTracked* subject = TTracked::Make(nullptr, "subject");
    subject->FreeNotification(watcher);
    subject->Free();
    EXPECT_TRUE(NotifiedOfRemoval(watcher, subject));

    TTracked* other = TTracked::Make(nullptr, "other");
    other->FreeNotification(watcher);
    watcher->Free();  // the link goes both ways
    EXPECT_EQ(other->notes.size(), 1u);
    other->Free();
}

TEST_F(RuntimeComponent, RemovedFreeNotificationIsSilent) {
    TTracked* watcher = TTracked::Make(nullptr, "watcher");
    TTracked* subject = TTracked::Make(nullptr, "subject");
    subject->FreeNotification(watcher);
    watcher->RemoveFreeNotification(subject);
    subject->Free();
    EXPECT_FALSE(NotifiedOfRemoval(watcher, subject));
    watcher->Free();
}

TEST_F(RuntimeComponent, StateFlagsAreIndependent) {
    TTracked* t = TTracked::Make(nullptr, "t");
    EXPECT_EQ(t->ComponentState(), 0);
    t->Loading();
    t->SetReading(true);
    t->SetWriting(true);
    EXPECT_TRUE(t->IsLoading() && t->IsReading() && t->IsWriting());
    t->Loaded();
    t->SetReading(false);
    EXPECT_EQ(t->ComponentState(), zv::csWriting);
    EXPECT_FALSE(t->IsDestroying());
    t->Free();
    // Set before the destructors ran (the journal says "without flag" otherwise).
    EXPECT_EQ(journal, (std::vector<std::string>{"t destroyed"}));
}

TEST_F(RuntimeComponent, OwnedComponentsAreMarkedDestroyingWithTheirOwner) {
    TTracked* owner = TTracked::Make(nullptr, "owner");
    TTracked::Make(TTracked::Make(owner, "a"), "grandchild");
    owner->Free();
    EXPECT_EQ(journal, (std::vector<std::string>{"owner destroyed", "a destroyed", "grandchild destroyed"}));
}

TEST_F(RuntimeComponent, RefusedFreeKeepsTheComponentIntact) {
    TTracked* owner = TTracked::Make(nullptr, "owner");
    TTracked* guarded = TTracked::Make(owner, "guarded");
    guarded->SetName("Guarded");
    guarded->refuseFree = true;
    EXPECT_THROW(guarded->Free(), zv::Exception);
    EXPECT_FALSE(guarded->IsDestroying());
    EXPECT_EQ(owner->FindComponent("Guarded"), guarded);
    guarded->refuseFree = false;
    owner->Free();  // the owner frees it all the same
    EXPECT_EQ(journal, (std::vector<std::string>{"owner destroyed", "guarded destroyed"}));
}

TEST_F(RuntimeComponent, AfterConstructionSeesTheCompleteClass) {
    TTracked* part = TComponent::Create<TTrackedPart>(nullptr);
    EXPECT_EQ(part->classSeenAfterConstruction, "TTrackedPart");
    part->Free();
}

TEST_F(RuntimeComponent, FailedAfterConstructionFreesTheNewComponent) {
    TTracked* owner = TTracked::Make(nullptr, "owner");
    EXPECT_THROW(TComponent::Create<TFailing>(owner), zv::Exception);
    EXPECT_EQ(owner->ComponentCount(), 0);
    EXPECT_EQ(journal, (std::vector<std::string>{"failing destroyed"}));
    owner->Free();
}

TEST_F(RuntimeComponent, AComponentFreeingItsDyingOwnerIsHarmless) {
    TTracked* owner = TTracked::Make(nullptr, "owner");
    TTracked::Make(owner, "a");
    TTracked* b = TTracked::Make(owner, "b");
    b->freeWhenDying = owner;
    owner->Free();
    EXPECT_EQ(journal, (std::vector<std::string>{"owner destroyed", "b destroyed", "a destroyed"}));
}

TEST_F(RuntimeComponent, DestroyComponentsStopsWhenItsComponentDies) {
    TTracked* owner = TTracked::Make(nullptr, "owner");
    TTracked::Make(owner, "a");
    TTracked* b = TTracked::Make(owner, "b");
    b->freeWhenDying = owner;
    owner->DestroyComponents();  // b frees the owner, which frees a
    EXPECT_EQ(journal, (std::vector<std::string>{"b destroyed", "owner destroyed", "a destroyed"}));
}

TEST(ComponentNames, CompareIgnoringCase) {
    EXPECT_TRUE(zv::SameName("Wall", "wALL"));
    EXPECT_FALSE(zv::SameName("Wall", "Wall0"));
    EXPECT_EQ(zv::UpperCaseName("Beam1a"), "BEAM1A");
}

}  // namespace
