// TZvGrob: an entity that takes part in picking, hover and selection and
// caches its drawing in the device's display list. TZVground: the grob at
// the top of a device's drawing tree.
#pragma once

#include "device/entity.h"
#include "platform/receiver.h"
#include "runtime/event.h"

namespace zv {

struct TZvPen {
    TColor Color = 0;
    int32_t Width = 1;
    TPenStyle Style = 0;
};

class TZvGrob : public TZvEntity {
public:
    static const TClass& Class();
    const TClass& ClassType() const override;

    // Slots in this order, after the entity's.
    virtual void GetLocalMatrix(TMatrix4& m) const;
    virtual bool HitTest(const TRect& rect, THitItem*& hit);
    // Copies the source's stream fields into this grob, through the
    // registered writer and reader classes; one change of this grob. None or
    // the grob itself is ignored; a source of another class raises.
    virtual void AssignGrob(TZvGrob* source);
    virtual TZVDevice* GetDevice() const;
    virtual TZvGrob* GetGrob(int32_t index) const { return dynamic_cast<TZvGrob*>(ChildAt(index)); }
    virtual void SetParentGrob(TZvGrob* parent);
    virtual void DoDraw();
    virtual void DrawPick(TZVDevice* device);
    virtual void Redraw() { DrawOn(GetDevice()); }
    virtual void MouseDown(TComponent* sender, TMouseButton button, TShiftState shift, int32_t x, int32_t y);
    virtual void MouseMove(TComponent* sender, TShiftState shift, int32_t x, int32_t y);
    virtual void MouseUp(TComponent* sender, TMouseButton button, TShiftState shift, int32_t x, int32_t y);
    virtual void Enter();
    virtual void Exit();
    virtual void Select();
    virtual void Unselect();

    TZvComponent* Changing(bool begin) override;
    void DoBeginChange() override;
    void DoEndChange() override;
    // A change of the template repaints the grob.
    void ListenedBeginChange(TComponent* sender, TComponent* obj) override;
    void ListenedEndChange(TComponent* sender, TComponent* obj) override;
    void ListenedDestroy(TComponent* sender, TComponent* obj) override;
    // After the entity's fields: "InheritClass" ("*" for none),
    // "CatchEnabled", "NoHit", "Selectenabled", "Hoverenabled",
    // "SelectPenenabled" (the last two of the flags carry the same value).
    void WriteToStream(TZVWriter& writer) override;
    void ReadFromStream(TZVReader& reader) override;

    // The path of the template grob; the template is resolved at first use.
    const std::string& InheritClass() const { return inheritClass_; }
    void SetInheritClass(const std::string& path);
    TZvGrob* InheritGrob();

    bool NoHit = false;
    bool CatchEnabled = true;
    bool SelectpenEnabled = true;
    bool Hoveredenabled = true;
    TZvPen SelectPen, HoverPen;
    TNotifyEvent OnBeginChange, OnEndChange, OnUnSelect, OnSelect, OnEnter, OnExit, OnDraw;
    TMouseEvent OnMOusedown, OnMouseUp;
    TMouseMoveEvent OnMouseMove;

    bool Selected() const { return selected_; }
    bool Hovered() const { return hovered_; }
    bool Compiled() const { return compiled_; }
    int32_t ListId() const { return listId_; }
    const TRect& ScreenRect() const { return screenRect_; }

protected:
    friend class TComponent;
    explicit TZvGrob(TComponent* owner);
    ~TZvGrob() override;
    void DrawContentsCached(TZVDevice& device) override;
    void DrawPass(TZVDevice* device) override { DrawPick(device); }
    // Forgets the template and leaves the parent while the grob can still
    // be drawn, so that its device repaints what it covered.
    void BeforeDestruction() override;
    void Notification(TComponent* component, TOperation operation) override;
    // The grob's own handler when assigned, else the template's.
    template <class E>
    const E& Handler(E TZvGrob::*event) {
        if ((this->*event).Assigned()) return this->*event;
        TZvGrob* source = InheritGrob();
        return source ? source->*event : this->*event;
    }
    // Stores the grob's pixel bounds after a change.
    virtual void RefreshScreenRect(TZVDevice& device, TRect& rect);

private:
    void ForgetTemplate();

    std::string inheritClass_;
    TZvGrob* inheritGrob_ = nullptr;
    bool selected_ = false;
    bool hovered_ = false;
    TRect screenRect_{};
    bool compiled_ = false;
    int32_t listId_ = 0;
};

class TZVground : public TZvGrob {
public:
    static const TClass& Class();
    const TClass& ClassType() const override;

    static TZVground* CreateFor(TZVDevice* device, const std::string& groundName);
    TZVDevice* GetDevice() const override { return device_; }
    std::string GetZvName() const override;
    const std::string& GroundName() const { return groundName_; }
    // True when entity is this ground or hangs below it.
    bool Contains(const TZvEntity* entity) const;

protected:
    friend class TComponent;
    explicit TZVground(TComponent* owner) : TZvGrob(owner) {}
    ~TZVground() override = default;
    void RefreshScreenRect(TZVDevice& device, TRect& rect) override;

private:
    TZVDevice* device_ = nullptr;
    std::string groundName_;
};

}  // namespace zv
