// TZVOglLight: a light that passes every change of its values on to one
// OpenGL light of the canvas it belongs to.
//
// LightIndex is the OpenGL light (GL_LIGHT0 + the light's place in the
// canvas's list) or -1 while none is assigned. Values are always stored;
// they reach OpenGL only while the light is enabled, numbered and its canvas
// has a context, and an enabled light sends all of them again.
#pragma once

#include <string>

#include "platform/light.h"

namespace zv {

class TZvOglCanvas;

class TZVOglLight : public Tlight {
public:
    static const TClass& Class();
    const TClass& ClassType() const override;

    void SetAttenuation(double value) override;
    void SetPosition(const TXYZ& value) override;
    void SetDirection(const TXYZ& value) override;
    void SetEnabled(bool value) override;
    void SetAmbient(TColor value) override;
    void SetDiffuse(TColor value) override;
    void SetSpecular(TColor value) override;
    // Sent clamped to 0..128.
    void SetSpotExponent(double value) override;
    // Sent as 180 above 90; a spot (below 90) makes the canvas subdivide
    // filled faces at its default triangle resolution.
    void SetSpotCutOff(double value) override;

    TZvOglCanvas* ZvOglCanvas() const { return canvas_; }
    // Attaches the light to a canvas (adding it to the canvas's lights) or,
    // with none, detaches it.
    void SetZvOglCanvas(TZvOglCanvas* canvas);

    // The position and direction as text: three coordinates joined by "/".
    std::string LightPosition() const;
    void SetLightPosition(const std::string& text);
    std::string LightDirection() const;
    void SetLightDirection(const std::string& text);

    // The canvas exists and its context is current.
    bool IsLive() const;
    // Sends every stored value to OpenGL.
    void ApplyAll();

protected:
    friend class TComponent;
    explicit TZVOglLight(TComponent* owner) : Tlight(owner) {}
    ~TZVOglLight() override;
    void Notification(TComponent* component, TOperation operation) override;

private:
    bool Sending() const;
    void SendColor(uint32_t kind, TColor color);
    void SendScalar(uint32_t kind, float value);
    void SendInEyeSpace(uint32_t kind, const float* values);
    void Refresh();
    void Detach();

    TZvOglCanvas* canvas_ = nullptr;
};

}  // namespace zv
