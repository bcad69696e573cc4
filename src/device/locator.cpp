#include "device/locator.h"

#include <algorithm>

#include "platform/application.h"
#include "platform/message_server.h"
#include "platform/server.h"

namespace zv {
namespace {

TZvLocator* currentLocator = nullptr;
TZvLocator* unitLocator = nullptr;

}  // namespace

TZvLocator* CurrentLocator() { return currentLocator; }

const TClass& TZvLocator::Class() {
    static const TClass info("TZvLocator", &TComponent::Class(), &NewInstance<TZvLocator>);
    return info;
}
const TClass& TZvLocator::ClassType() const { return Class(); }

TZvLocator::TZvLocator(TComponent* owner) : TComponent(owner) {
    eventReceiver_ = Create<TEventReceiver>(this);
    eventReceiver_->OnMouseMove = TMouseMoveEvent(this, &TZvLocator::MouseMove);
    eventReceiver_->OnMouseDown = TMouseEvent(this, &TZvLocator::MouseDown);
    eventReceiver_->OnMouseup = TMouseEvent(this, &TZvLocator::MouseUp);
}

TZvLocator::~TZvLocator() {
    if (currentLocator == this) currentLocator = nullptr;
    if (TEventserver* server = ApplicationEventServer()) server->RemoveReceiver(eventReceiver_);
    SelectionLocked = false;
    ClearSelection();
    ClearHits();
    if (hoverGrob_) Unwatch(std::exchange(hoverGrob_, nullptr));
}

void TZvLocator::SetActive(bool active) {
    TEventserver* server = ApplicationEventServer();
    if (active) {
        if (currentLocator && currentLocator != this) currentLocator->SetActive(false);
        currentLocator = this;
        if (server && server->IndexOfReceiver(eventReceiver_) < 0) server->AddReceiver(eventReceiver_);
        if (server) server->MoveReceiver(eventReceiver_, 0);
    } else {
        if (server) server->RemoveReceiver(eventReceiver_);
        if (currentLocator == this) currentLocator = nullptr;
    }
    active_ = active;
}

// Every grob the locator refers to (hover, hits, selection) is linked by
// free-notification, so a dying grob drops out of all of them at once.
void TZvLocator::Watch(TZvGrob* grob) {
    if (grob) FreeNotification(grob);
}

void TZvLocator::Unwatch(TZvGrob* grob) {
    if (!grob || grob == hoverGrob_ || selection_.IndexOf(grob) >= 0) return;
    for (TZvGrob* hit : HitGrobs())
        if (hit == grob) return;
    RemoveFreeNotification(grob);
}

void TZvLocator::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation == TOperation::opRemove) Forget(component);
}

void TZvLocator::ObjectDestroyed(TComponent*, TComponent* obj) { Forget(obj); }

void TZvLocator::Forget(TComponent* grob) {
    int32_t i = selection_.IndexOf(grob);
    if (i >= 0) selection_.Delete(i);
    if (hoverGrob_ == grob) hoverGrob_ = nullptr;
    bool removed = false;
    for (int32_t k = hits_.Count() - 1; k >= 0; --k) {
        if (hits_.Items(k)->Target() != grob) continue;
        delete hits_.Items(k);
        hits_.Delete(k);
        removed = true;
    }
    if (removed) currentHit_ = -1;
}

TZvGrob* TZvLocator::HitGrob(int32_t i) const {
    if (i < 0 || i >= hits_.Count()) return nullptr;
    return dynamic_cast<TZvGrob*>(hits_.Items(i)->Target());
}

std::vector<TZvGrob*> TZvLocator::HitGrobs() const {
    std::vector<TZvGrob*> grobs;
    for (int32_t i = 0; i < hits_.Count(); ++i)
        if (TZvGrob* g = HitGrob(i)) grobs.push_back(g);
    return grobs;
}

void TZvLocator::ClearHits() {
    std::vector<TZvGrob*> old = HitGrobs();
    hits_.Clear();
    currentHit_ = -1;
    for (TZvGrob* g : old) Unwatch(g);
}

void TZvLocator::RefreshHits(int32_t x, int32_t y) {
    ClearHits();
    if (TZVDevice* device = ActiveDevice()) {
        THittypeList found;
        device->Pick(x, y, SelectionLocked ? &selection_ : nullptr, found);
        while (found.Count() > 0) {
            THitType* item = found.Items(0);
            found.Delete(0);
            hits_.Insert(hits_.Count(), item);
        }
        for (TZvGrob* g : HitGrobs()) Watch(g);
    }
    SetCurrentHit(hits_.Count() > 0 ? 0 : -1);
}

void TZvLocator::SetCurrentHit(int32_t i) {
    currentHit_ = (i >= 0 && i < hits_.Count()) ? i : -1;
    TZvGrob* grob = HitGrob(currentHit_);
    if (grob != hoverGrob_) {
        TZvGrob* old = std::exchange(hoverGrob_, nullptr);
        if (old) {
            TLifeWatch watch(old);
            old->Exit();
            if (watch.Alive()) Unwatch(old);
        }
        if (grob && HitGrob(currentHit_) == grob) {
            hoverGrob_ = grob;
            Watch(grob);
            grob->Enter();
        }
    }
    if (currentHit_ >= 0)
        if (auto* item = dynamic_cast<THitItem*>(hits_.Items(currentHit_))) cursor_ = item->Point;
}

// A handler may free grobs: each one is looked up again before its call.
template <class F>
void TZvLocator::ForEachHitGrob(F call) {
    for (TZvGrob* g : HitGrobs()) {
        std::vector<TZvGrob*> now = HitGrobs();
        if (std::find(now.begin(), now.end(), g) != now.end()) call(g);
    }
}

TZVDevice* TZvLocator::EventDevice() const {
    TEventserver* server = ApplicationEventServer();
    return server ? dynamic_cast<TZVDevice*>(server->Context()) : nullptr;
}

void TZvLocator::MouseMove(TComponent*, TShiftState shift, int32_t x, int32_t y) {
    if (TZVDevice* device = EventDevice()) SetActiveDevice(device);
    RefreshHits(x, y);
    if (hits_.Count() == 0)
        if (TZVDevice* device = ActiveDevice()) cursor_ = device->FromPixel(x, y, 0.5);
    if (Enabled) ForEachHitGrob([&](TZvGrob* g) { g->MouseMove(g, shift, x, y); });
}

void TZvLocator::MouseDown(TComponent*, TMouseButton button, TShiftState shift, int32_t x, int32_t y) {
    if (TZVDevice* device = EventDevice()) SetActiveDevice(device);
    if (Enabled) ForEachHitGrob([&](TZvGrob* g) { g->MouseDown(g, button, shift, x, y); });
    AddToSelection = shift & ssShift;
    TZvGrob* target = HitGrob(currentHit_);
    // Replacing the selection keeps the grob that stays selected untouched.
    if (!AddToSelection && !SelectionLocked)
        for (int32_t i = selection_.Count() - 1; i >= 0; --i)
            if (i < selection_.Count() && selection_.Get(i) != target) Unselect(static_cast<TZvGrob*>(selection_.Get(i)));
    if (target && HitGrob(currentHit_) == target) Select(target);
}

void TZvLocator::MouseUp(TComponent*, TMouseButton button, TShiftState shift, int32_t x, int32_t y) {
    if (TZVDevice* device = EventDevice()) SetActiveDevice(device);
    if (Enabled) ForEachHitGrob([&](TZvGrob* g) { g->MouseUp(g, button, shift, x, y); });
}

void TZvLocator::Select(TZvGrob* grob) {
    if (!grob || selection_.IndexOf(grob) >= 0) return;
    selection_.Add(grob);
    Watch(grob);
    grob->Select();
}

void TZvLocator::Unselect(TZvGrob* grob) {
    if (SelectionLocked || !grob) return;
    int32_t i = selection_.IndexOf(grob);
    if (i < 0) return;
    selection_.Delete(i);
    TLifeWatch watch(grob);
    Unwatch(grob);
    grob->Unselect();
    if (watch.Alive()) FrameworkBroadcast(8, grob);
}

void TZvLocator::ClearSelection() {
    if (SelectionLocked) return;
    while (selection_.Count() > 0) Unselect(static_cast<TZvGrob*>(selection_.Get(selection_.Count() - 1)));
}

void CreateUnitLocator() {
    if (unitLocator) return;
    unitLocator = TComponent::Create<TZvLocator>(nullptr);
    unitLocator->SetActive(true);
}

void FreeUnitLocator() {
    TZvLocator* locator = std::exchange(unitLocator, nullptr);
    if (locator) locator->Free();
}

}  // namespace zv
