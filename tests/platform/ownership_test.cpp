// Creating, parenting, renaming, listening to and destroying components in
// random (seeded) orders keeps the tree consistent; run under the address
// sanitizer, it also shows that nothing is leaked or touched after free.
#include <gtest/gtest.h>

#include <array>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "platform/application.h"
#include "platform/component.h"
#include "zvhlr.h"

namespace {

using zv::TClass;
using zv::TComponent;
using zv::TZvComponent;

std::set<TZvComponent*> alive;

class TLiving : public TZvComponent {
public:
    static const TClass& Class() {
        static const TClass info("TLiving", &TZvComponent::Class(), &NewInstance<TLiving>);
        return info;
    }
    const TClass& ClassType() const override { return Class(); }

protected:
    friend class zv::TComponent;
    explicit TLiving(TComponent* owner) : TZvComponent(owner) { alive.insert(this); }
    ~TLiving() override { alive.erase(this); }
};

class TLivingDevice : public TLiving {
public:
    static const TClass& Class() {
        static const TClass info("TLivingDevice", &TLiving::Class(), &NewInstance<TLivingDevice>);
        return info;
    }
    const TClass& ClassType() const override { return Class(); }

protected:
    friend class zv::TComponent;
    explicit TLivingDevice(TComponent* owner) : TLiving(owner) {}
};

class RandomWorld {
public:
    explicit RandomWorld(unsigned seed) : rng_(seed) {
        TZvComponent* root = zv::Application()->Components();
        for (int32_t i = 0; i < root->ChildCount(); ++i) preexisting_.insert(root->ChildAt(i));
    }

    void Step() {
        switch (Pick(12)) {
            case 0:
            case 1: Make(); break;
            case 2:
            case 3: Guard([&] { if (auto* c = Any()) c->SetParent(Chance(4) ? nullptr : Any()); }); break;
            case 4: Guard([&] { if (auto* c = Any()) c->SetZvName(Name()); }); break;
            case 5: Guard([&] { if (auto* c = Any()) c->SetName(Ident()); }); break;
            case 6: Guard([&] { if (auto* c = Any()) c->Free(); }); break;
            case 7: Guard([&] { if (auto* o = Any(); o && Any()) o->InsertComponent(Any()); }); break;
            case 8: Listen(); break;
            case 9: Guard([&] { if (auto* c = Any()) c->SetFlags(Chance(3) ? TZvComponent::zvfSystemComponent : 0); }); break;
            case 10: Guard([&] { if (auto* c = Any()) c->ClearChildren(); }); break;
            case 11: Constrain(); break;
        }
    }

    void CheckInvariants() const {
        TZvComponent* root = zv::Application()->Components();
        for (TZvComponent* c : alive) {
            if (TZvComponent* p = c->Parent()) {
                ASSERT_TRUE(alive.count(p)) << "parent freed";
                ASSERT_TRUE(Occurrences(p, c) == 1 && Occurrences(root, c) == 0);
                if (!c->GetZvName().empty()) ASSERT_EQ(p->FindChild(c->GetPath(p)), c) << c->GetPath();
            } else {
                ASSERT_EQ(Occurrences(root, c), 1);
            }
            if (TComponent* o = c->Owner()) {
                ASSERT_TRUE(alive.count(static_cast<TZvComponent*>(o))) << "owner freed";
                ASSERT_EQ(o->Components(c->ComponentIndex()), c);
            }
            int depth = 0;
            for (TZvComponent* a = c->Parent(); a; a = a->Parent()) ASSERT_LE(++depth, int(alive.size()));
            std::set<std::string> names;
            for (int32_t i = 0; i < c->ChildCount(); ++i) {
                TZvComponent* child = c->ChildAt(i);
                ASSERT_TRUE(alive.count(child) && child->Parent() == c) << "child freed or elsewhere";
                std::string upper = zv::UpperCaseName(child->GetZvName());
                ASSERT_TRUE(upper.empty() || names.insert(upper).second) << "sibling names collide";
            }
            ASSERT_GE(c->ChangeLevel(), 0);
        }
        for (int32_t i = 0; i < root->ChildCount(); ++i) {
            TZvComponent* entry = root->ChildAt(i);
            ASSERT_TRUE(alive.count(entry) || preexisting_.count(entry)) << "root lists a freed component";
        }
    }

    void FreeEverything() {
        for (TZvComponent* c : alive) c->SetFlags(0);
        while (!alive.empty()) {
            TZvComponent* top = *alive.begin();
            while (top->Owner()) top = static_cast<TZvComponent*>(top->Owner());
            top->Free();
        }
    }

private:
    template <class Action>
    void Guard(Action action) {
        try {
            action();
        } catch (const zv::Exception&) {  // refused operations are part of the game
        }
    }
    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
    bool Chance(int oneIn) { return Pick(oneIn) == 0; }
    TZvComponent* Any() {
        if (alive.empty()) return nullptr;
        auto it = alive.begin();
        std::advance(it, Pick(static_cast<int>(alive.size())));
        return *it;
    }
    std::string Name() { return std::array{"", "Beam", "beam", "Beam0", "Beam1", "BEAM2", "Wall", "a\\b", "c1"}[Pick(9)]; }
    std::string Ident() { return std::array{"", "Beam", "beam", "Beam0", "Wall", "Room", "bad name"}[Pick(7)]; }
    void Make() {
        TComponent* owner = Chance(3) ? nullptr : Any();
        Guard([&] {
            TZvComponent* c = Chance(3) ? TComponent::Create<TLivingDevice>(owner) : TComponent::Create<TLiving>(owner);
            c->ChangeReceiver()->OnDestroyObject = [this, c](TComponent*, TComponent* dying) {
                c->StopListening(static_cast<TZvComponent*>(dying));
                if (Chance(4)) Guard([&] { if (auto* v = Any()) v->Free(); });
            };
        });
    }
    void Listen() {
        TZvComponent *a = Any(), *b = Any();
        if (!a || !b) return;
        if (Chance(3)) return a->StopListening(b);
        a->ListenTo(b);
        b->Changing(true);
        if (Chance(2)) {  // a nested bracket
            b->Changing(true);
            b->Changing(false);
        }
        b->Changing(false);
    }
    void Constrain() {
        TZvComponent* c = Any();
        if (!c) return;
        const TClass* classes[] = {nullptr, &TLiving::Class(), &TLivingDevice::Class()};
        c->SetChildClass(classes[Pick(3)]);
        if (Chance(4)) zv::Application()->SetCurrentRoot(Chance(2) ? nullptr : Any());
    }
    static int Occurrences(const TZvComponent* list, const TZvComponent* c) {
        int n = 0;
        for (int32_t i = 0; i < list->ChildCount(); ++i) n += (list->ChildAt(i) == c);
        return n;
    }

    std::mt19937 rng_;
    std::set<TZvComponent*> preexisting_;
};

TEST(ComponentOwnership, RandomLivesKeepTheTreeConsistentAndLeaveNothingBehind) {
    ZVSetMessageHandler([](int32_t, const char*, void*) {}, nullptr);  // clearing errors are expected
    for (unsigned seed = 1; seed <= 40; ++seed) {
        SCOPED_TRACE(seed);
        RandomWorld world(seed);
        for (int step = 0; step < 400; ++step) {
            world.Step();
            world.CheckInvariants();
            if (testing::Test::HasFatalFailure()) {
                world.FreeEverything();
                return;
            }
        }
        world.FreeEverything();
        EXPECT_EQ(zv::Application()->CurrentRoot(), nullptr);
    }
    ZVSetMessageHandler(nullptr, nullptr);
}

}  // namespace
