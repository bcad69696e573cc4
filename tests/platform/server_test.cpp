#include "platform/server.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/receiver.h"

namespace {

using zv::TComponent;
using zv::TzvChangeReceiver;
using zv::Tzvreceiver;
using zv::TzvServer;
using Heard = std::vector<std::string>;

Heard heard;

// A receiver that writes its hooks and messages into `heard`.
class TProbe : public Tzvreceiver {
public:
    std::string label;
    Tzvreceiver* victim = nullptr;  // freed when this one receives a message
    bool raise = false;
    TzvServer* joinOnReceive = nullptr;
    Tzvreceiver* joiner = nullptr;

    static TProbe* Make(const std::string& label) {
        TProbe* p = Create<TProbe>(nullptr);
        p->label = label;
        return p;
    }
    void Receive(TzvServer*, int32_t message, TComponent*) override {
        heard.push_back(label + ":" + std::to_string(message));
        if (victim) victim->Free(), victim = nullptr;
        if (joinOnReceive) joinOnReceive->AddReceiver(joiner), joinOnReceive = nullptr;
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

TEST(Server, BroadcastOrderMovesAndChangesDuringABroadcast) {
    heard.clear();
    auto* server = New<TzvServer>();
    std::vector<TProbe*> p = {TProbe::Make("1"), TProbe::Make("2"), TProbe::Make("3"), TProbe::Make("4")};
    for (int i = 0; i < 3; ++i) EXPECT_EQ(server->AddReceiver(p[i]), i);
    EXPECT_EQ(server->AddReceiver(p[0]), 0);  // once only
    server->MoveReceiver(p[2], 0);
    server->MoveReceiver(p[3], 0);  // not subscribed: ignored
    EXPECT_THROW(server->MoveReceiver(p[0], 3), zv::EListError);
    p[2]->victim = p[0];                          // freed before its turn: not called
    p[2]->joinOnReceive = server, p[2]->joiner = p[3];  // joins: waits for the next one
    server->Broadcast(9, nullptr);
    p[1]->raise = true;  // stops the broadcast
    EXPECT_THROW(server->Broadcast(5, nullptr), zv::Exception);
    EXPECT_EQ(heard, (Heard{"1 connected", "2 connected", "3 connected", "3:9", "4 connected", "2:9", "3:5", "2:5"}));
    heard.clear();
    server->RemoveReceiver(p[3]);
    server->Free();  // disconnects the rest last first and frees none
    EXPECT_EQ(heard, (Heard{"4 disconnected", "2 disconnected", "3 disconnected"}));
    // A freed receiver leaves every server without being told it is disconnected.
    auto* one = New<TzvServer>();
    auto* other = New<TzvServer>();
    one->AddReceiver(p[1]);
    other->AddReceiver(p[1]);
    heard.clear();
    p[1]->Free();
    EXPECT_TRUE(one->ReceiverCount() + other->ReceiverCount() == 0 && heard.empty());
    for (TComponent* c : std::initializer_list<TComponent*>{one, other, p[2], p[3]}) c->Free();
}

TEST(Server, ChangeNotificationsRunForwardAndDestroyBackward) {
    auto* server = New<zv::TZvChangeServer>();
    auto* object = New<TComponent>();
    std::vector<TzvChangeReceiver*> receivers;
    Heard order;
    for (int i = 1; i <= 3; ++i) {
        auto* r = New<TzvChangeReceiver>();
        std::string n = std::to_string(i);
        r->OnBeginChange = [&order, n, r, object](TComponent* sender, TComponent* changed) {
            EXPECT_TRUE(sender == r && changed == object);
            order.push_back("begin" + n);
        };
        r->OnEndChange = [&order, n](TComponent*, TComponent*) { order.push_back("end" + n); };
        r->OnDestroyObject = [&order, n, server, r](TComponent*, TComponent*) {
            order.push_back("destroy" + n);
            server->RemoveReceiver(r);  // a handler may take its own receiver out
        };
        server->AddReceiver(r);
        receivers.push_back(r);
    }
    TProbe* plain = TProbe::Make("plain");  // skipped by change notifications
    server->AddReceiver(plain);
    server->BeginChange(object);
    server->EndChange(object);
    server->DestroyObject(object);
    EXPECT_EQ(order, (Heard{"begin1", "begin2", "begin3", "end1", "end2", "end3", "destroy3", "destroy2", "destroy1"}));
    EXPECT_EQ(server->ReceiverCount(), 1);
    server->Free();
    for (TComponent* c : std::initializer_list<TComponent*>{receivers[0], receivers[1], receivers[2], plain, object}) c->Free();
}

TEST(Server, TheEventServerPassesInputToEventReceiversOnly) {
    heard.clear();
    auto* server = New<zv::TEventserver>();
    auto* r = New<zv::TEventReceiver>();
    TProbe* plain = TProbe::Make("plain");
    EXPECT_EQ(server->AddReceiver(r), 0);
    EXPECT_TRUE(server->AddReceiver(plain) == 0 && server->ReceiverCount() == 1);  // refused, never connected
    Heard got;
    r->OnMouseMove = [&](TComponent*, zv::TShiftState, int32_t x, int32_t y) {
        got.push_back("move " + std::to_string(x) + " " + std::to_string(y));
    };
    r->OnMouseDown = [&](TComponent* sender, zv::TMouseButton b, zv::TShiftState s, int32_t x, int32_t y) {
        EXPECT_EQ(sender, r);
        got.push_back("down " + std::to_string(int(b)) + " " + std::to_string(s) + " " + std::to_string(x + y));
    };
    r->OnKeyDown = [&](TComponent*, uint16_t& key, zv::TShiftState) { key = 0; };
    r->OnKeyPress = [&](TComponent*, char& key) { key = 'Y'; };
    server->AddReceiver(r);
    for (auto [x, y] : {std::pair{0, 0}, {5, 7}, {5, 7}, {5, 8}}) server->MouseMove(0, x, y);  // starts at (0, 0)
    server->MouseDown(zv::TMouseButton::mbRight, zv::ssShift, 3, 4);
    uint16_t key = 65;
    server->KeyDown(key, zv::ssCtrl);
    char c = 'x';
    server->KeyPress(c);
    EXPECT_TRUE(key == 0 && c == 'Y');  // handlers change the key for the caller
    EXPECT_EQ(got, (Heard{"move 5 7", "move 5 8", "down 1 1 7"}));
    EXPECT_TRUE(heard.empty());
    for (TComponent* c : std::initializer_list<TComponent*>{server, r, plain}) c->Free();
}

}  // namespace
