// TZVmaterial: four colours, shininess and translucency of a surface. Every
// setter runs in a change bracket of its own.
#pragma once

#include "platform/colour.h"
#include "platform/graphic_object.h"

namespace zv {

#pragma pack(push, 1)
struct TMaterialRecord {
    TColor Ambient;
    TColor Diffuse;
    TColor Specular;
    TColor Emission;
    double Shininess;
    double Translucent;
};
#pragma pack(pop)
static_assert(sizeof(TMaterialRecord) == 32);

class TZVmaterial : public TZVGraphicObject {
public:
    static const TClass& Class();
    const TClass& ClassType() const override;

    virtual double GetTranslucent() const { return translucent_; }
    virtual void SetTranslucent(double value) { SetBracketed(translucent_, value); }
    virtual TColor GetAmbient() const { return ambient_; }
    virtual void SetAmbient(TColor value) { SetBracketed(ambient_, value); }
    virtual TColor GetDiffuse() const { return diffuse_; }
    virtual void SetDiffuse(TColor value) { SetBracketed(diffuse_, value); }
    virtual TColor GetSpecular() const { return specular_; }
    virtual void SetSpecular(TColor value) { SetBracketed(specular_, value); }
    virtual TColor GetEmission() const { return emission_; }
    virtual void SetEmission(TColor value) { SetBracketed(emission_, value); }
    virtual double GetShininess() const { return shininess_; }
    virtual void SetShininess(double value) { SetBracketed(shininess_, value); }

    void GetMaterialRecord(TMaterialRecord& record) const;
    TMaterialRecord GetMaterialRecord() const;
    // All six fields through their setters, inside one bracket.
    void SetMaterialRecord(const TMaterialRecord& record);

    // After the children: "Ambient", "Diffuse", "Specular", "Emission",
    // "Shininess", "Translucent".
    void WriteToStream(TZVWriter& writer) override;
    void ReadFromStream(TZVReader& reader) override;

protected:
    friend class TComponent;
    explicit TZVmaterial(TComponent* owner) : TZVGraphicObject(owner) {}
    ~TZVmaterial() override = default;

private:
    TColor ambient_ = 0xFFFFFF;
    TColor diffuse_ = 0x808080;
    TColor specular_ = 0x808080;
    TColor emission_ = 0x808080;
    double shininess_ = 0.2;
    double translucent_ = 1.0;
};

}  // namespace zv
