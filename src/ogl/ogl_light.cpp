#include "ogl/ogl_light.h"

#include <algorithm>

#include "geometry/frame.h"
#include "geometry/point_array.h"
#include "ogl/gl_entry_points.h"
#include "ogl/ogl_canvas.h"
#include "runtime/class_registry.h"
#include "runtime/message.h"

namespace zv {

const TClass& TZVOglLight::Class() {
    static const TClass info("TZVOglLight", &Tlight::Class(), &NewInstance<TZVOglLight>);
    return info;
}
const TClass& TZVOglLight::ClassType() const { return Class(); }

TZVOglLight::~TZVOglLight() {
    if (canvas_) SetZvOglCanvas(nullptr);
}

void TZVOglLight::Notification(TComponent* component, TOperation operation) {
    Tlight::Notification(component, operation);
    // A dying canvas frees the lights in its list itself.
    if (operation == TOperation::opRemove && component == canvas_) canvas_ = nullptr;
}

bool TZVOglLight::IsLive() const { return canvas_ && canvas_->HandleValid(); }

bool TZVOglLight::Sending() const { return Enabled() && LightIndex() >= GL_LIGHT0 && IsLive(); }

void TZVOglLight::Refresh() {
    if (IsLive()) canvas_->Invalidate();
}

void TZVOglLight::SendColor(uint32_t kind, TColor color) {
    const TColorFractions c = ColorToFractions(color);
    const GLfloat v[4] = {static_cast<GLfloat>(c.R), static_cast<GLfloat>(c.G), static_cast<GLfloat>(c.B), 1.0f};
    glLightfv(static_cast<GLenum>(LightIndex()), kind, v);
}

void TZVOglLight::SendScalar(uint32_t kind, float value) {
    glLightfv(static_cast<GLenum>(LightIndex()), kind, &value);
}

// Positions and directions are given in the eye space of the canvas's view.
void TZVOglLight::SendInEyeSpace(uint32_t kind, const float* values) {
    GLint saved = GL_MODELVIEW;
    glGetIntegerv(GL_MATRIX_MODE, &saved);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glLightfv(static_cast<GLenum>(LightIndex()), kind, values);
    glPopMatrix();
    glMatrixMode(static_cast<GLenum>(saved));
}

namespace {

// A world point in the canvas's eye space: the view frame of its projection
// base, scaled like the view.
TXYZ ToEyeSpace(const TZvOglCanvas& canvas, const TXYZ& p) {
    TProjectionBase base;
    canvas.GetProjection(base);
    const TXYZ q = WorldToFrame(FrameOf(base), p);
    const TXYZ& s = canvas.Scale();
    return {q.X * s.X, q.Y * s.Y, q.Z * s.Z};
}

}  // namespace

void TZVOglLight::SetAttenuation(double value) {
    Tlight::SetAttenuation(value);
    if (!Sending()) return;
    SendScalar(static_cast<uint32_t>(GetAttenuationKind()), static_cast<float>(std::max(value, 0.0)));
    Refresh();
}

void TZVOglLight::SetAmbient(TColor value) {
    Tlight::SetAmbient(value);
    if (!Sending()) return;
    SendColor(GL_AMBIENT, value);
    Refresh();
}

void TZVOglLight::SetDiffuse(TColor value) {
    Tlight::SetDiffuse(value);
    if (!Sending()) return;
    SendColor(GL_DIFFUSE, value);
    Refresh();
}

void TZVOglLight::SetSpecular(TColor value) {
    Tlight::SetSpecular(value);
    if (!Sending()) return;
    SendColor(GL_SPECULAR, value);
    Refresh();
}

void TZVOglLight::SetSpotExponent(double value) {
    Tlight::SetSpotExponent(value);
    if (!Sending()) return;
    SendScalar(GL_SPOT_EXPONENT, static_cast<float>(std::clamp(value, 0.0, 128.0)));
    Refresh();
}

void TZVOglLight::SetSpotCutOff(double value) {
    Tlight::SetSpotCutOff(value);
    if (!Sending()) return;
    const float sent = value > 90 ? 180.0f : static_cast<float>(std::max(value, 0.0));
    SendScalar(GL_SPOT_CUTOFF, sent);
    canvas_->SetTriangleResolution(sent < 90 ? canvas_->DefaultTriangleResolution() : 0.0);
    Refresh();
}

void TZVOglLight::SetPosition(const TXYZ& value) {
    Tlight::SetPosition(value);
    if (!Sending()) return;
    const TXYZ p = ToEyeSpace(*canvas_, value);
    const GLfloat v[4] = {static_cast<GLfloat>(p.X), static_cast<GLfloat>(p.Y), static_cast<GLfloat>(p.Z), 1.0f};
    SendInEyeSpace(GL_POSITION, v);
    Refresh();
}

void TZVOglLight::SetDirection(const TXYZ& value) {
    Tlight::SetDirection(value);
    if (!Sending()) return;
    const TXYZ d = ToEyeSpace(*canvas_, value), o = ToEyeSpace(*canvas_, {0, 0, 0});
    const GLfloat v[4] = {static_cast<GLfloat>(d.X - o.X), static_cast<GLfloat>(d.Y - o.Y),
                          static_cast<GLfloat>(d.Z - o.Z), 0.0f};
    SendInEyeSpace(GL_SPOT_DIRECTION, v);
    Refresh();
}

void TZVOglLight::SetEnabled(bool value) {
    Tlight::SetEnabled(value);
    if (LightIndex() < GL_LIGHT0 || !IsLive()) return;
    if (value) {
        glEnable(GL_LIGHTING);
        glEnable(static_cast<GLenum>(LightIndex()));
        ApplyAll();
    } else {
        glDisable(static_cast<GLenum>(LightIndex()));
    }
    Refresh();
}

void TZVOglLight::ApplyAll() {
    if (canvas_) canvas_->Changing(true);
    SetPosition(GetPosition());
    SetDirection(GetDirection());
    SetAmbient(GetAmbient());
    SetDiffuse(GetDiffuse());
    SetSpecular(GetSpecular());
    SetAttenuation(GetAttenuation());
    SetSpotCutOff(GetSpotCutOff());
    SetSpotExponent(GetSpotExponent());
    if (canvas_) {
        canvas_->Changing(false);
        canvas_->CheckError();
    }
}

// Moving to another canvas leaves the old one first; the stored Enabled
// flag survives the move.
void TZVOglLight::SetZvOglCanvas(TZvOglCanvas* canvas) {
    if (canvas == canvas_) return;
    if (canvas_) Detach();
    if (!canvas) return;
    canvas_ = canvas;
    FreeNotification(canvas);
    if (canvas->GetLights().IndexOf(this) < 0) canvas->AddLight(this);
    SetEnabled(Enabled());
    Refresh();
}

void TZVOglLight::Detach() {
    TZvOglCanvas* old = canvas_;
    try {
        if (Enabled() && LightIndex() >= GL_LIGHT0 && IsLive()) glDisable(static_cast<GLenum>(LightIndex()));
        old->RemoveLight(this);
    } catch (const std::exception&) {
        ShowMessage("error destroying light :" + std::to_string(LightIndex() - GL_LIGHT0));
    }
    RemoveFreeNotification(old);
    canvas_ = nullptr;
}

std::string TZVOglLight::LightPosition() const { return XYZToStr(GetPosition()); }
std::string TZVOglLight::LightDirection() const { return XYZToStr(GetDirection()); }

void TZVOglLight::SetLightPosition(const std::string& text) {
    const TXYZ p = StrToXYZ(text);
    if (canvas_) canvas_->Changing(true);
    SetPosition(p);
    if (canvas_) canvas_->Changing(false);
}

void TZVOglLight::SetLightDirection(const std::string& text) {
    const TXYZ d = StrToXYZ(text);
    if (canvas_) canvas_->Changing(true);
    SetDirection(d);
    if (canvas_) canvas_->Changing(false);
}

}  // namespace zv
