// TZvLocator: the process-wide tracker of the grobs under the mouse and of
// the selection. The current locator listens first to the application's
// mouse events, picks at every move, drives the hover state of the grob of
// the current hit and selects it on a mouse down.
#pragma once

#include "device/ground.h"
#include "platform/receiver.h"

namespace zv {

class TZvLocator : public TComponent {
public:
    static const TClass& Class();
    const TClass& ClassType() const override;

    // Slots in this order.
    virtual void ObjectDestroyed(TComponent* sender, TComponent* obj);
    virtual void Select(TZvGrob* grob);
    virtual void Unselect(TZvGrob* grob);
    virtual void ClearSelection();

    // True: this becomes the current locator (the old one is deactivated)
    // and sees every mouse event first. False: it stops listening.
    void SetActive(bool active);
    bool Active() const { return active_; }
    // Picks at the pixel on the active device and makes the first hit the
    // current one.
    void RefreshHits(int32_t x, int32_t y);
    // i outside the hits: none. A new hover grob gets Enter, the old one Exit.
    void SetCurrentHit(int32_t i);

    const TList& Selection() const { return selection_; }
    THittypeList& Hits() { return hits_; }
    int32_t CurrentHit() const { return currentHit_; }
    TZvGrob* HoverGrob() const { return hoverGrob_; }
    const TXYZ& CursorPosition() const { return cursor_; }
    bool SelectionLocked = false;
    bool AddToSelection = false;
    bool Enabled = true;

protected:
    friend class TComponent;
    explicit TZvLocator(TComponent* owner);
    ~TZvLocator() override;
    void Notification(TComponent* component, TOperation operation) override;

private:
    void MouseMove(TComponent* sender, TShiftState shift, int32_t x, int32_t y);
    void MouseDown(TComponent* sender, TMouseButton button, TShiftState shift, int32_t x, int32_t y);
    void MouseUp(TComponent* sender, TMouseButton button, TShiftState shift, int32_t x, int32_t y);
    TZVDevice* EventDevice() const;
    template <class F>
    void ForEachHitGrob(F call);
    TZvGrob* HitGrob(int32_t i) const;
    std::vector<TZvGrob*> HitGrobs() const;
    void ClearHits();
    void Watch(TZvGrob* grob);
    void Unwatch(TZvGrob* grob);
    void Forget(TComponent* grob);

    TList selection_;
    THittypeList hits_;
    bool active_ = false;
    int32_t currentHit_ = -1;
    TEventReceiver* eventReceiver_ = nullptr;
    TZvGrob* hoverGrob_ = nullptr;
    TXYZ cursor_{};
};

// The current locator, or none.
TZvLocator* CurrentLocator();
// The device unit's locator.
void CreateUnitLocator();
void FreeUnitLocator();

}  // namespace zv
