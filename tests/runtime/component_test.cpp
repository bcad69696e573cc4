#include "runtime/component.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "message_capture.h"

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

    std::string label, classSeenAfterConstruction;
    bool refuseFree = false;
    int removals = 0;
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
        journal.push_back(label + (IsDestroying() ? "" : " without flag"));
        if (freeWhenDying) freeWhenDying->Free();
    }
    void AfterConstruction() override { classSeenAfterConstruction = ClassName(); }
    void BeforeDestruction() override {
        if (refuseFree) throw zv::Exception("refused");
    }
    void Notification(TComponent* c, TOperation op) override {
        TComponent::Notification(c, op);
        removals += op == TOperation::opRemove;
    }
};

class TFailing : public TComponent {
protected:
    friend class zv::TComponent;
    explicit TFailing(TComponent* owner) : TComponent(owner) {}
    ~TFailing() override { journal.push_back("failing"); }
    void AfterConstruction() override { throw zv::Exception("no"); }
};

using Journal = std::vector<std::string>;

class RuntimeComponent : public testing::Test {
protected:
    void SetUp() override { journal.clear(); }
};

TEST_F(RuntimeComponent, AnOwnerFreesWhatItOwnsLastFirstAfterItsOwnDestructor) {
    TTracked* owner = TTracked::Make(nullptr, "owner");
    TTracked* a = TTracked::Make(owner, "a");
    TTracked::Make(TTracked::Make(owner, "b"), "b1");
    TTracked::Make(owner, "c");
    EXPECT_EQ(a->classSeenAfterConstruction, "TTracked");
    a->Free();  // leaves its owner, which hears of it
    EXPECT_EQ(owner->removals, 1);
    EXPECT_EQ(owner->ComponentCount(), 2);
    EXPECT_THROW(owner->Components(2), zv::EListError);
    owner->Free();
    EXPECT_EQ(journal, (Journal{"a", "owner", "c", "b", "b1"}));
}

TEST_F(RuntimeComponent, NamesAreIdentifiersUniqueAmongTheOwnersComponentsIgnoringCase) {
    TTracked* owner = TTracked::Make(nullptr, "owner");
    TTracked* a = TTracked::Make(owner, "a");
    TTracked* b = TTracked::Make(owner, "b");
    a->SetName("Lamp");
    ExpectThrowMessage<EComponentError>([&] { b->SetName("LAMP"); }, "A component named LAMP already exists");
    a->SetName("lamp");  // its own name in another case
    EXPECT_EQ(owner->FindComponent("LaMp"), a);
    EXPECT_EQ(owner->FindComponent(""), nullptr);
    for (const char* bad : {"1a", "a b", "a\\b", "a-b"})
        EXPECT_THROW(b->SetName(bad), EComponentError) << bad;
    b->SetName("_a1");
    EXPECT_EQ(b->Name(), "_a1");
    EXPECT_FALSE(zv::SameName("Wall", "Wall0"));
    EXPECT_TRUE(zv::SameName("Wall", "wALL"));
    owner->Free();
}

TEST_F(RuntimeComponent, InsertComponentMovesOwnershipAndRefusesCyclesAndTakenNames) {
    TTracked* first = TTracked::Make(nullptr, "first");
    TTracked* second = TTracked::Make(nullptr, "second");
    TTracked* item = TTracked::Make(first, "item");
    second->InsertComponent(item);
    EXPECT_EQ(item->Owner(), second);
    EXPECT_EQ(first->ComponentCount(), 0);
    TTracked* grandchild = TTracked::Make(item, "grandchild");
    EXPECT_THROW(grandchild->InsertComponent(second), EComponentError);
    EXPECT_THROW(item->InsertComponent(item), EComponentError);
    EXPECT_EQ(second->Owner(), nullptr);

    TTracked* named = TTracked::Make(first, "named");
    named->SetName("Item");
    item->SetName("item");
    EXPECT_THROW(second->InsertComponent(named), EComponentError);
    EXPECT_EQ(named->Owner(), first);
    first->Free();
    second->Free();
    EXPECT_EQ(journal.size(), 5u);
}

TEST_F(RuntimeComponent, FreeNotificationLinksBothWaysUntilRemoved) {
    TTracked* watcher = TTracked::Make(nullptr, "watcher");
    TTracked* subject = TTracked::Make(nullptr, "subject");
    TTracked* quiet = TTracked::Make(nullptr, "quiet");
    subject->FreeNotification(watcher);
    quiet->FreeNotification(watcher);
    watcher->RemoveFreeNotification(quiet);
    subject->Free();
    quiet->Free();
    EXPECT_EQ(watcher->removals, 1);
    TTracked* other = TTracked::Make(nullptr, "other");
    other->FreeNotification(watcher);
    watcher->Free();
    EXPECT_EQ(other->removals, 1);
    other->Free();
}

TEST_F(RuntimeComponent, ARefusedFreeKeepsTheComponentUntilItsOwnerFreesIt) {
    TTracked* owner = TTracked::Make(nullptr, "owner");
    TTracked* guarded = TTracked::Make(owner, "guarded");
    guarded->refuseFree = true;
    EXPECT_THROW(guarded->Free(), zv::Exception);
    EXPECT_FALSE(guarded->IsDestroying());
    owner->Free();  // flagged as destroying before the destructors ran
    EXPECT_EQ(journal, (Journal{"owner", "guarded"}));
}

TEST_F(RuntimeComponent, AFailedAfterConstructionFreesTheNewComponent) {
    TTracked* owner = TTracked::Make(nullptr, "owner");
    EXPECT_THROW(TComponent::Create<TFailing>(owner), zv::Exception);
    EXPECT_EQ(owner->ComponentCount(), 0);
    EXPECT_EQ(journal, (Journal{"failing"}));
    owner->Free();
}

// A component whose destructor frees its (dying or living) owner.
TEST_F(RuntimeComponent, AComponentFreeingItsOwnerIsHarmless) {
    for (bool ownerFirst : {true, false}) {
        journal.clear();
        TTracked* owner = TTracked::Make(nullptr, "owner");
        TTracked::Make(owner, "a");
        TTracked::Make(owner, "b")->freeWhenDying = owner;
        if (ownerFirst) {
            owner->Free();
            EXPECT_EQ(journal, (Journal{"owner", "b", "a"}));
        } else {
            owner->DestroyComponents();
            EXPECT_EQ(journal, (Journal{"b", "owner", "a"}));
        }
    }
}

}  // namespace
