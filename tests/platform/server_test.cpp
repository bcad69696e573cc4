#include "platform/server.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/message_server.h"
#include "platform/receiver.h"

namespace {

using zv::TComponent;
using zv::TzvChangeReceiver;
using zv::Tzvreceiver;
using zv::TzvServer;

std::vector<std::string> heard;

// A receiver that writes its hooks and messages into `heard`.
class TProbe : public Tzvreceiver {
public:
    std::string label;
    Tzvreceiver* victim = nullptr;  // freed when this one receives a message
    bool raise = false;

    static TProbe* Make(const std::string& label) {
        TProbe* p = Create<TProbe>(nullptr);
        p->label = label;
        return p;
    }
    void Receive(TzvServer*, int32_t message, TComponent*) override {
        heard.push_back(label + ":" + std::to_string(message));
        if (victim) {
            victim->Free();
            victim = nullptr;
        }
        if (raise) throw zv::Exception("handler failed");
    }
    void Connected(TzvServer*) override { heard.push_back(label + " connected"); }
    void Disconnected() override { heard.push_back(label + " disconnected"); }

protected:
    friend class zv::TComponent;
    explicit TProbe(TComponent* owner) : Tzvreceiver(owner) {}
};

template <class T>
T* New() {
    return TComponent::Create<T>(nullptr);
}

class ServerReceiver : public testing::Test {
protected:
    void SetUp() override { heard.clear(); }
};

TEST(MethodEvents, UnassignedEventsAreSkippedAndBoundOnesCallTheirObject) {
    zv::TNotifyEvent none;
    EXPECT_FALSE(none.Assigned());
    none(nullptr);  // nothing happens

    struct Counter {
        int calls = 0;
        void Hit(zv::TComponent*) { ++calls; }
    } counter;
    zv::TNotifyEvent bound(&counter, &Counter::Hit);
    EXPECT_TRUE(bound.Assigned());
    EXPECT_EQ(bound.Data(), &counter);
    bound(nullptr);
    bound(nullptr);
    EXPECT_EQ(counter.calls, 2);

    zv::TKeyEvent doubling = [](TComponent*, uint16_t& key, zv::TShiftState) { key = static_cast<uint16_t>(key * 2); };
    uint16_t key = 21;
    doubling(nullptr, key, 0);
    EXPECT_EQ(key, 42);
    EXPECT_EQ(doubling.Data(), nullptr);
}

TEST_F(ServerReceiver, SubscribingTwiceKeepsOneEntryAndReturnsTheFirstIndex) {
    auto* server = New<TzvServer>();
    TProbe* a = TProbe::Make("a");
    TProbe* b = TProbe::Make("b");
    EXPECT_EQ(server->AddReceiver(a), 0);
    EXPECT_EQ(server->AddReceiver(b), 1);
    EXPECT_EQ(server->AddReceiver(a), 0);
    EXPECT_EQ(server->ReceiverCount(), 2);
    EXPECT_EQ(heard, (std::vector<std::string>{"a connected", "b connected"}));
    server->Free();
    a->Free();
    b->Free();
}

TEST_F(ServerReceiver, BroadcastReachesReceiversInSubscriptionOrder) {
    auto* server = New<TzvServer>();
    std::vector<TProbe*> probes = {TProbe::Make("1"), TProbe::Make("2"), TProbe::Make("3")};
    for (TProbe* p : probes) server->AddReceiver(p);
    heard.clear();
    server->Broadcast(12, nullptr);
    EXPECT_EQ(heard, (std::vector<std::string>{"1:12", "2:12", "3:12"}));

    heard.clear();
    server->MoveReceiver(probes[2], 0);
    TProbe* stranger = TProbe::Make("stranger");
    server->MoveReceiver(stranger, 0);  // not subscribed: ignored
    EXPECT_THROW(server->MoveReceiver(probes[0], 3), zv::EListError);
    server->Broadcast(9, nullptr);
    EXPECT_EQ(heard, (std::vector<std::string>{"3:9", "1:9", "2:9"}));
    EXPECT_EQ(server->IndexOfReceiver(probes[1]), 2);
    EXPECT_EQ(server->ReceiverAt(0), probes[2]);
    server->Free();
    for (TProbe* p : probes) p->Free();
    stranger->Free();
}

TEST_F(ServerReceiver, ChangeNotificationsRunForwardAndDestroyBackward) {
    auto* server = New<zv::TZvChangeServer>();
    auto* object = New<TComponent>();
    std::vector<TzvChangeReceiver*> receivers;
    std::vector<std::string> order;
    for (int i = 1; i <= 3; ++i) {
        auto* r = New<TzvChangeReceiver>();
        std::string n = std::to_string(i);
        r->OnBeginChange = [&order, n, r, object](TComponent* sender, TComponent* changed) {
            EXPECT_EQ(sender, r);
            EXPECT_EQ(changed, object);
            order.push_back("begin" + n);
        };
        r->OnEndChange = [&order, n](TComponent*, TComponent*) { order.push_back("end" + n); };
        r->OnDestroyObject = [&order, n](TComponent*, TComponent*) { order.push_back("destroy" + n); };
        server->AddReceiver(r);
        receivers.push_back(r);
    }
    // A plain receiver on a change server is skipped by change notifications.
    TProbe* plain = TProbe::Make("plain");
    server->AddReceiver(plain);
    server->BeginChange(object);
    server->EndChange(object);
    server->DestroyObject(object);
    EXPECT_EQ(order, (std::vector<std::string>{"begin1", "begin2", "begin3", "end1", "end2", "end3", "destroy3",
                                               "destroy2", "destroy1"}));
    server->Free();
    for (auto* r : receivers) r->Free();
    plain->Free();
    object->Free();
}

TEST_F(ServerReceiver, ADestroyHandlerMayTakeItsOwnReceiverOut) {
    auto* server = New<zv::TZvChangeServer>();
    std::vector<std::string> order;
    std::vector<TzvChangeReceiver*> receivers;
    for (int i = 1; i <= 3; ++i) {
        auto* r = New<TzvChangeReceiver>();
        std::string n = std::to_string(i);
        r->OnDestroyObject = [&order, n, server, r](TComponent*, TComponent*) {
            order.push_back(n);
            server->RemoveReceiver(r);
        };
        server->AddReceiver(r);
        receivers.push_back(r);
    }
    server->DestroyObject(nullptr);
    EXPECT_EQ(order, (std::vector<std::string>{"3", "2", "1"}));
    EXPECT_EQ(server->ReceiverCount(), 0);
    server->Free();
    for (auto* r : receivers) r->Free();
}

TEST_F(ServerReceiver, AFreedReceiverLeavesTheServerWithoutDisconnected) {
    auto* server = New<TzvServer>();
    auto* other = New<TzvServer>();
    TProbe* a = TProbe::Make("a");
    TProbe* b = TProbe::Make("b");
    server->AddReceiver(a);
    server->AddReceiver(b);
    other->AddReceiver(a);
    heard.clear();
    a->Free();
    EXPECT_EQ(server->ReceiverCount(), 1);
    EXPECT_EQ(other->ReceiverCount(), 0);
    EXPECT_TRUE(heard.empty());  // no Disconnected for a dying receiver
    server->RemoveReceiver(b);
    EXPECT_EQ(heard, (std::vector<std::string>{"b disconnected"}));
    server->RemoveReceiver(b);  // not subscribed any more: ignored
    EXPECT_EQ(heard.size(), 1u);
    server->Broadcast(1, nullptr);
    EXPECT_EQ(heard.size(), 1u);
    server->Free();
    other->Free();
    b->Free();
}

TEST_F(ServerReceiver, AReceiverFreedDuringABroadcastIsNotCalled) {
    auto* server = New<TzvServer>();
    TProbe* first = TProbe::Make("first");
    TProbe* second = TProbe::Make("second");
    TProbe* third = TProbe::Make("third");
    server->AddReceiver(first);
    server->AddReceiver(second);
    server->AddReceiver(third);
    first->victim = second;
    heard.clear();
    server->Broadcast(7, nullptr);
    EXPECT_EQ(heard, (std::vector<std::string>{"first:7", "third:7"}));
    EXPECT_EQ(server->ReceiverCount(), 2);
    server->Free();
    first->Free();
    third->Free();
}

TEST_F(ServerReceiver, AReceiverJoiningDuringABroadcastWaitsForTheNextOne) {
    auto* server = New<zv::TZvChangeServer>();
    auto* joiner = New<TzvChangeReceiver>();
    auto* host = New<TzvChangeReceiver>();
    int joinerCalls = 0;
    host->OnBeginChange = [&](TComponent*, TComponent*) { server->AddReceiver(joiner); };
    joiner->OnBeginChange = [&](TComponent*, TComponent*) { ++joinerCalls; };
    server->AddReceiver(host);
    server->BeginChange(nullptr);
    EXPECT_EQ(joinerCalls, 0);
    server->BeginChange(nullptr);
    EXPECT_EQ(joinerCalls, 1);
    server->Free();
    joiner->Free();
    host->Free();
}

TEST_F(ServerReceiver, AnExceptionInAHandlerStopsTheBroadcast) {
    auto* server = New<TzvServer>();
    TProbe* a = TProbe::Make("a");
    TProbe* b = TProbe::Make("b");
    server->AddReceiver(a);
    server->AddReceiver(b);
    a->raise = true;
    heard.clear();
    EXPECT_THROW(server->Broadcast(3, nullptr), zv::Exception);
    EXPECT_EQ(heard, (std::vector<std::string>{"a:3"}));
    server->Free();
    a->Free();
    b->Free();
}

TEST_F(ServerReceiver, AFreedServerDisconnectsItsReceiversLastFirstAndFreesNone) {
    auto* server = New<TzvServer>();
    TProbe* a = TProbe::Make("a");
    TProbe* b = TProbe::Make("b");
    server->AddReceiver(a);
    server->AddReceiver(b);
    heard.clear();
    server->Free();
    EXPECT_EQ(heard, (std::vector<std::string>{"b disconnected", "a disconnected"}));
    auto* again = New<TzvServer>();
    EXPECT_EQ(again->AddReceiver(a), 0);  // still alive and usable
    again->Free();
    a->Free();
    b->Free();
}

TEST_F(ServerReceiver, TheEventServerTakesEventReceiversOnly) {
    auto* server = New<zv::TEventserver>();
    auto* events = New<zv::TEventReceiver>();
    TProbe* plain = TProbe::Make("plain");
    auto* change = New<TzvChangeReceiver>();
    EXPECT_EQ(server->AddReceiver(events), 0);
    EXPECT_EQ(server->AddReceiver(plain), 0);
    EXPECT_EQ(server->AddReceiver(change), 0);
    EXPECT_EQ(server->ReceiverCount(), 1);
    EXPECT_TRUE(heard.empty());  // the refused one was never connected
    server->Free();
    events->Free();
    plain->Free();
    change->Free();
}

TEST_F(ServerReceiver, MouseMovesToTheLastPositionAreSwallowed) {
    auto* server = New<zv::TEventserver>();
    auto* r = New<zv::TEventReceiver>();
    std::vector<std::pair<int, int>> moves;
    r->OnMouseMove = [&](TComponent* sender, zv::TShiftState, int32_t x, int32_t y) {
        EXPECT_EQ(sender, r);
        moves.emplace_back(x, y);
    };
    server->AddReceiver(r);
    server->MouseMove(0, 0, 0);  // the start position is (0, 0)
    server->MouseMove(0, 5, 7);
    server->MouseMove(0, 5, 7);
    server->MouseMove(0, 5, 8);
    server->MouseMove(0, 6, 8);
    EXPECT_EQ(moves, (std::vector<std::pair<int, int>>{{5, 7}, {5, 8}, {6, 8}}));
    EXPECT_EQ(server->LastMouseX(), 6);
    EXPECT_EQ(server->LastMouseY(), 8);
    server->Free();
    r->Free();
}

TEST_F(ServerReceiver, InputEventsReachTheirHandlersWithTheirArguments) {
    auto* server = New<zv::TEventserver>();
    auto* r = New<zv::TEventReceiver>();
    std::vector<std::string> got;
    auto mouse = [&](const char* what) {
        return [&got, what](TComponent*, zv::TMouseButton b, zv::TShiftState s, int32_t x, int32_t y) {
            got.push_back(std::string(what) + " " + std::to_string(int(b)) + " " + std::to_string(s) + " " +
                          std::to_string(x) + " " + std::to_string(y));
        };
    };
    r->OnMouseDown = mouse("down");
    r->OnMouseup = mouse("up");
    r->OnKeyDown = [&](TComponent*, uint16_t& key, zv::TShiftState s) {
        got.push_back("keydown " + std::to_string(key) + " " + std::to_string(s));
        key = 0;
    };
    r->OnKeyUp = [&](TComponent*, uint16_t& key, zv::TShiftState) { got.push_back("keyup " + std::to_string(key)); };
    r->OnKeyPress = [&](TComponent*, char& key) {
        got.push_back(std::string("press ") + key);
        key = 'Y';
    };
    server->AddReceiver(r);
    server->MouseDown(zv::TMouseButton::mbRight, zv::ssShift, 3, 4);
    server->MouseUp(zv::TMouseButton::mbMiddle, zv::ssCtrl | zv::ssAlt, 10, 20);
    uint16_t key = 65;
    server->KeyDown(key, zv::ssCtrl);
    EXPECT_EQ(key, 0);  // handlers change the key for the caller
    key = 66;
    server->KeyUp(key, 0);
    char c = 'x';
    server->KeyPress(c);
    EXPECT_EQ(c, 'Y');
    EXPECT_EQ(got, (std::vector<std::string>{"down 1 1 3 4", "up 2 6 10 20", "keydown 65 4", "keyup 66", "press x"}));
    server->Free();
    r->Free();
}

TEST_F(ServerReceiver, TheContextIsAFreeSlotForTheDispatcher) {
    auto* server = New<zv::TEventserver>();
    auto* device = New<TComponent>();
    EXPECT_EQ(server->Context(), nullptr);
    server->SetContext(device);
    EXPECT_EQ(server->Context(), device);
    server->SetContext(nullptr);
    server->Free();
    device->Free();
}

TEST_F(ServerReceiver, TheProcessWideMessageServerIsOneObject) {
    zv::TZVmessageserver* server = zv::GlobalMessageServer();
    EXPECT_EQ(zv::GlobalMessageServer(), server);
    TProbe* p = TProbe::Make("p");
    server->AddReceiver(p);
    zv::FrameworkBroadcast(zv::zvmEntityReleased, nullptr);
    EXPECT_EQ(heard.back(), "p:8");
    p->Free();
    EXPECT_EQ(server->IndexOfReceiver(p), -1);
}

}  // namespace
