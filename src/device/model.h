// Model objects and their on-screen controllers: TZvMdgrob is a model
// entity without interaction, TZvMdctrl the grob that presents one model on
// a device; the controller tree mirrors the model tree. TZvMdSymbol and
// TZvSymbol are the symbol forms.
#pragma once

#include "device/ground.h"

namespace zv {

class TZvMdctrl;

class TZvMdgrob : public TZvEntity {
public:
    static const TClass& Class();
    const TClass& ClassType() const override;

    // Moves the model in the model tree and rebuilds the controllers that
    // present it below the controllers of the new parent. A parent that is
    // not a model is refused with a message.
    void SetParentEntity(TZvEntity* parent) override;

protected:
    friend class TComponent;
    explicit TZvMdgrob(TComponent* owner) : TZvEntity(owner) {}
    ~TZvMdgrob() override = default;
};

class TZvMdSymbol : public TZvMdgrob {
public:
    static const TClass& Class();
    const TClass& ClassType() const override;

protected:
    friend class TComponent;
    explicit TZvMdSymbol(TComponent* owner) : TZvMdgrob(owner) {}
    ~TZvMdSymbol() override = default;
};

class TZvMdctrl : public TZvGrob {
public:
    static const TClass& Class();
    const TClass& ClassType() const override;

    TZvMdgrob* MDgrob() const { return model_; }
    void SetMDgrob(TZvMdgrob* model);
    const std::string& MDClassName() const { return mdClassName_; }
    // Makes this controller the template for models of the registered
    // class of that name; an unknown name is refused with a message.
    void SetMDClassName(const std::string& name);

    // The base and the geometry are the model's.
    void GetBase(TProjectionBase& base) const override;
    void SetBase(const TProjectionBase& base) override;
    void Transform(const TMatrix4& m) override;
    void DrawContents(TZVDevice& device) override;
    // When the model dies the controller frees itself.
    void ListenedDestroy(TComponent* sender, TComponent* obj) override;
    // The copy presents the source's model.
    void AssignGrob(TZvGrob* source) override;
    // After the grob's fields: "MDgrob" (a reference), "MDClassName" ("*"
    // for none), then "HoverPen" and "SelectPen" as ".Color", ".Width" and
    // ".Style".
    void WriteToStream(TZVWriter& writer) override;
    void ReadFromStream(TZVReader& reader) override;
    // Takes up a model reference that was resolved after reading.
    void Loaded() override;

protected:
    friend class TComponent;
    explicit TZvMdctrl(TComponent* owner);
    ~TZvMdctrl() override;
    void Notification(TComponent* component, TOperation operation) override;

private:
    void AdoptReadModel();

    TZvMdgrob* model_ = nullptr;
    std::string mdClassName_;
    // The model reference as read (none for "NIL"); the reader may fill it
    // after the fields. The controller itself while nothing was read.
    TZvComponent* readModel_ = this;
};

// The controller tree of a model: a clone of the template controller of the
// model's class (or of its nearest ancestor class with one), else a plain
// controller; named "CTRL_" + the model's name; children likewise.
TZvMdctrl* CreateController(TZvMdgrob* model);

class TZvSymbol : public TZvComponent {
public:
    static const TClass& Class();
    const TClass& ClassType() const override;

protected:
    friend class TComponent;
    explicit TZvSymbol(TComponent* owner) : TZvComponent(owner) {}
    ~TZvSymbol() override = default;
    // Joins the container "Symbols".
    void AfterConstruction() override;
};

}  // namespace zv
