// TZvEntity: a component that a device draws: a local base, a scale, a
// visibility flag and an attribute set. It draws its own contents, then its
// child entities, inside its transformation and attributes.
#pragma once

#include "device/device.h"

namespace zv {

class TZvEntity : public TZvComponent {
public:
    static const TClass& Class();
    const TClass& ClassType() const override;

    // Slots in this order.
    virtual void ListenedBeginChange(TComponent* sender, TComponent* obj) { (void)sender, (void)obj; }
    virtual void ListenedEndChange(TComponent* sender, TComponent* obj) { (void)sender, (void)obj; }
    virtual void ListenedDestroy(TComponent* sender, TComponent* obj) { (void)sender, (void)obj; }
    virtual void AttributesBeginChange(TComponent* sender);
    virtual void AttributesEndChange(TComponent* sender);
    virtual TZVattributes* GetAttributes() const { return attributes_; }
    virtual void SetAttributes(TZVattributes* attributes);
    virtual void SetVisible(bool visible);
    virtual void SetBase(const TProjectionBase& base);
    virtual void GetBase(TProjectionBase& base) const { base = base_; }
    virtual void SetParentEntity(TZvEntity* parent);
    virtual TZvEntity* GetParentEntity() const { return dynamic_cast<TZvEntity*>(Parent()); }
    virtual void DrawContents(TZVDevice& device) { (void)device; }
    virtual void BeginDraw() { drawing_ = true; }
    virtual void Draw(TZVDevice* device);
    virtual void EndDraw() { drawing_ = false; }
    virtual void Transform(const TMatrix4& m) { (void)m; }
    virtual void EntityHook() {}
    virtual void LoadFromFile(const std::string& fileName);
    virtual void SaveToFile(const std::string& fileName);
    virtual TZvEntity* CloneEntity();
    virtual void DrawOn(TZVDevice* device);

    // "BaseO", "Basex", "Basey", "Basez", "Scale", "Visible",
    // "ParentAttributes", then the attribute set's fields; no children.
    void WriteToStream(TZVWriter& writer) override;
    void ReadFromStream(TZVReader& reader) override;

    bool ParentAttributes() const { return parentAttributes_; }
    void SetParentAttributes(bool on);
    bool Drawing() const { return drawing_; }
    bool Visible() const { return visible_; }
    const TXYZ& Scale() const { return scale_; }
    void SetScale(const TXYZ& scale);
    TZVattributes* Attributes() const { return attributes_; }
    // The transformation that drawing applies: the base's frame, then the
    // scale when it is not zero.
    TMatrix4 LocalMatrix() const;

protected:
    friend class TComponent;
    explicit TZvEntity(TComponent* owner);
    ~TZvEntity() override;
    void Notification(TComponent* component, TOperation operation) override;
    // Draws the contents, through the display list for a grob.
    virtual void DrawContentsCached(TZVDevice& device) { DrawContents(device); }
    // What DrawOn runs: Draw for an entity, the picking drawing for a grob.
    virtual void DrawPass(TZVDevice* device) { Draw(device); }
    // Reads the fields of a section as the stream writes a component into
    // this entity, in one change; its name, parent and children stay.
    void ReadSection(TZVReader& reader);

    TXYZ scale_{0, 0, 0};

private:
    void HookAttributes(TZVattributes* attributes, bool on);

    bool parentAttributes_ = false;
    bool drawing_ = false;
    TProjectionBase base_ = kDefaultProjection;
    bool visible_ = true;
    TZVattributes* attributes_ = nullptr;
};

}  // namespace zv
