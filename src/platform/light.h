// Tlight: a light source; TLights: a list that owns its lights. The
// light's setters are plain stores; the OpenGL light overrides them to pass
// each value on.
#pragma once

#include <cstdint>

#include "platform/colour.h"
#include "platform/component.h"
#include "runtime/list.h"
#include "runtime/stream.h"
#include "zvhlr.h"  // TXYZ

namespace zv {

constexpr int32_t kGLLinearAttenuation = 4616;
// Bytes of the light record of SaveToStream and LoadFromStream.
constexpr int32_t kLightRecordSize = 89;

class Tlight : public TZvComponent {
public:
    static const TClass& Class();
    const TClass& ClassType() const override;

    virtual double GetAttenuation() const { return attenuation_; }
    virtual void SetAttenuation(double value) { attenuation_ = value; }
    virtual int32_t GetAttenuationKind() const { return attenuationKind_; }
    virtual void SetAttenuationKind(int32_t value) { attenuationKind_ = value; }
    virtual TXYZ GetPosition() const { return position_; }
    virtual void SetPosition(const TXYZ& value) { position_ = value; }
    virtual void SetDirection(const TXYZ& value) { direction_ = value; }
    virtual TXYZ GetDirection() const { return direction_; }
    virtual void SetEnabled(bool value) { enabled_ = value; }
    virtual TColor GetAmbient() const { return ambient_; }
    virtual void SetAmbient(TColor value) { ambient_ = value; }
    virtual TColor GetDiffuse() const { return diffuse_; }
    virtual void SetDiffuse(TColor value) { diffuse_ = value; }
    virtual TColor GetSpecular() const { return specular_; }
    virtual void SetSpecular(TColor value) { specular_ = value; }
    virtual void SetSpotExponent(double value) { spotExponent_ = value; }
    virtual void SetSpotCutOff(double value) { spotCutOff_ = value; }
    virtual double GetSpotExponent() const { return spotExponent_; }
    virtual double GetSpotCutOff() const { return spotCutOff_; }
    // The 89-byte little-endian light record, through the setters; a
    // stream that ends early raises EStreamError and changes nothing.
    virtual void LoadFromStream(TStream& stream);
    virtual void SaveToStream(TStream& stream) const;

    bool Enabled() const { return enabled_; }
    // The hardware light that the device assigned, or -1.
    int32_t LightIndex() const { return lightIndex_; }
    void SetLightIndex(int32_t index) { lightIndex_ = index; }

protected:
    friend class TComponent;
    explicit Tlight(TComponent* owner) : TZvComponent(owner) {}
    ~Tlight() override = default;

private:
    TXYZ position_{0.0, 0.0, 2.0};
    TXYZ direction_{0.0, 0.0, -1.0};
    bool enabled_ = false;
    int32_t lightIndex_ = -1;
    double spotExponent_ = 1.0;
    double spotCutOff_ = 180.0;
    TColor ambient_ = 0xFFFFFF;
    TColor diffuse_ = 0xFFFFFF;
    TColor specular_ = 0xFFFFFF;
    double attenuation_ = 1.0;
    int32_t attenuationKind_ = kGLLinearAttenuation;
};

class TLights : public TList {
public:
    TLights() = default;
    // Frees the lights, the last first.
    ~TLights() override;
    Tlight* Items(int32_t index) const { return static_cast<Tlight*>(Get(index)); }
    void Clear() override;
};

}  // namespace zv
