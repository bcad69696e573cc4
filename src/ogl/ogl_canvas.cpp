// The canvas's context, frame, state and matrices.
#include "ogl/ogl_canvas.h"

#include <algorithm>

#include "ogl/gl_entry_points.h"
#include "ogl/ogl_display_list.h"
#include "ogl/ogl_light.h"
#include "ogl/opengl_unit.h"
#include "platform/colour.h"
#include "platform/material.h"
#include "runtime/class_registry.h"
#include "runtime/message.h"
#include "runtime/yield.h"

namespace zv {

namespace {

void SetCap(GLenum cap, bool on) {
    if (on) glEnable(cap);
    else glDisable(cap);
}

// The stack that glMatrixMode selected, restored when the guard ends.
class MatrixModeGuard {
public:
    explicit MatrixModeGuard(GLenum mode) {
        glGetIntegerv(GL_MATRIX_MODE, &saved_);
        glMatrixMode(mode);
    }
    ~MatrixModeGuard() { glMatrixMode(static_cast<GLenum>(saved_)); }
    MatrixModeGuard(const MatrixModeGuard&) = delete;
    MatrixModeGuard& operator=(const MatrixModeGuard&) = delete;

private:
    GLint saved_ = GL_MODELVIEW;
};

}  // namespace

std::string GLErrorText(uint32_t code) {
    static const char* const names[] = {"GL_INVALID_ENUM",    "GL_INVALID_VALUE",    "GL_INVALID_OPERATION",
                                        "GL_STACK_OVERFLOW",  "GL_STACK_UNDERFLOW",  "GL_OUT_OF_MEMORY"};
    if (code == GL_NO_ERROR) return {};
    if (code >= GL_INVALID_ENUM && code <= GL_OUT_OF_MEMORY)
        return std::string("Error: ") + names[code - GL_INVALID_ENUM];
    return "Unbekannter Fehler " + std::to_string(code);
}

const TClass& TZvOglCanvas::Class() {
    static const TClass info("TZvOglCanvas", &TZVDevice::Class(), &NewInstance<TZvOglCanvas>);
    return info;
}
const TClass& TZvOglCanvas::ClassType() const { return Class(); }

TZvOglCanvas::TZvOglCanvas(TComponent* owner) : TZVDevice(owner) {
    ReplaceDisplayList(new TOglDisplayList(this));
    Material()->AfterChange = TNotifyEvent(this, &TZvOglCanvas::ApplyMaterial);
    glSelectBuffer_.assign(kSelectBufferSize / sizeof(uint32_t), 0);
}

TZvOglCanvas::~TZvOglCanvas() {
    if (WinControl()) SetWinControl(nullptr);
    if (Handle()) SetHandle(nullptr);
    SetDC({});
    Material()->AfterChange = nullptr;
}

void TZvOglCanvas::Notification(TComponent* component, TOperation operation) {
    TZVDevice::Notification(component, operation);
    if (operation != TOperation::opRemove) return;
    if (auto* light = dynamic_cast<Tlight*>(component)) RemoveLight(light);
}

// Window and context.

bool TZvOglCanvas::HandleValid() const {
    if (!dc_ || !rc_ || IsDestroying() || !OpenGLAvailable()) return false;
    if (CurrentContext() == rc_ && CurrentWindow() == dc_.window) return true;
    return MakeCurrent(dc_, rc_);
}

bool TZvOglCanvas::HasContext() const { return rc_ && OpenGLAvailable(); }

void TZvOglCanvas::SetDC(const TDeviceContext& dc) {
    if (dc == dc_) return;
    if (dc_ && rc_) {
        DeleteGlyphLists();
        DeleteContext(dc_, rc_);
    }
    dc_ = {};
    rc_ = nullptr;
    if (dc) {
        dc_ = dc;
        SetupPixelFormat(dc_);
        rc_ = CreateContext(dc_);
    }
    YieldTimeSlice();
}

void TZvOglCanvas::SetHandle(void* window) {
    if (window) SetDC(GetDC(reinterpret_cast<uintptr_t>(window)));
    TZVDevice::SetHandle(window);
}

void TZvOglCanvas::ReleaseHandle() {
    SetDC({});
    TZVDevice::ReleaseHandle();
}

void TZvOglCanvas::HandleCreated() {
    TZVDevice::HandleCreated();
    if (!HandleValid()) return;
    AddDefaultLight();
    glCullFace(GL_BACK);
    glShadeModel(GL_SMOOTH);
    glDepthFunc(GL_LESS);
    PrepareSelectBuffer();
    ProbeSelection();
    CheckError();
}

// One polygon at the far end of the depth range, picked with the identity
// view: its hit record tells the depth value of the far plane.
void TZvOglCanvas::ProbeSelection() {
    const bool cull = CullFace();
    SetCullFace(false);
    SetRenderMode(kSelectMode);
    const TMatrix4 view = Matrix();
    SetMatrix(UnitMatrix);
    glBegin(GL_POLYGON);
    glVertex3d(-1, -1, -1);
    glVertex3d(1, -1, -1);
    glVertex3d(1, 1, -1);
    glVertex3d(-1, 1, -1);
    glEnd();
    SetMatrix(view);
    SetCullFace(cull);
    if (glRenderMode(GL_RENDER) > 0) SetDepthRange(static_cast<int32_t>(glSelectBuffer_[1]));
    SetRenderMode(kRenderMode);
}

void TZvOglCanvas::Invalidate() {
    if (Busy()) return;
    Arena().Reset();
    if (GetRenderMode() == kSelectMode) RunSelectPass();
    else InvalidateWindow(nullptr, true);
}

// The window system sends the host a paint request for the area.
void TZvOglCanvas::InvalidateWindow(const TRect* area, bool erase) {
    (void)erase;
    if (!Window()) return;
    if (!area) {
        zv::InvalidateRect(Window(), nullptr);
        return;
    }
    const TRectI rect{area->Left, area->Top, area->Right, area->Bottom};
    zv::InvalidateRect(Window(), &rect);
}

// The frame.

void TZvOglCanvas::BeginPaint() {
    if (ChangeLevel() != 0) return;
    if (HandleValid()) {
        MatrixModeGuard texture(GL_TEXTURE);
        glLoadIdentity();
    }
    SetTexture(nullptr);
    TZVDevice::BeginPaint();
    if (GetRenderMode() == kRenderMode && HandleValid()) {
        const TColorFractions c = ColorToFractions(BackgroundColor());
        glClearColor(static_cast<GLfloat>(c.R), static_cast<GLfloat>(c.G), static_cast<GLfloat>(c.B), 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        CheckError();
    }
    PushMatrix();
}

void TZvOglCanvas::EndPaint() {
    if (ChangeLevel() != 0) return;
    TZVDevice::EndPaint();
    if (GetRenderMode() == kRenderMode && HandleValid()) zv::SwapBuffers(dc_);
    PopMatrix();
}

void TZvOglCanvas::DrawGrounds() {
    if (HiddenLineMode() && HandleValid()) DrawHiddenLineGrounds();
    else TZVDevice::DrawGrounds();
}

// Pass 1 draws every polygon list as outlines in the pen colour, pass 2
// fills every face in the background colour behind a polygon offset; the
// attributes are locked in both passes. A select pass needs only the faces.
void TZvOglCanvas::DrawHiddenLineGrounds() {
    const bool locked = AttributesLocked();
    const TColor brush = BrushColor(), pen = PenColor();
    const bool lighting = Lighting(), cull = CullFace();
    const int32_t polygonMode = PolygonMode();
    const bool selecting = GetRenderMode() == kSelectMode;
    // A list compiled in the outline pass would replay outlines in the fill
    // pass: both passes draw directly.
    const bool autoCompile = AutoCompile();
    SetAutoCompile(false);
    SetAttributesLocked(false);
    glEnable(GL_POLYGON_OFFSET_FILL);
    if (glPolygonOffset) glPolygonOffset(1.5f, 1.0f);
    SetBrushColor(BackgroundColor());
    SetPenColor(pen);
    SetLighting(false);
    SetPolygonMode(GL_LINE);
    SetAttributesLocked(true);
    SetCullFace(true);
    if (!selecting) TZVDevice::DrawGrounds();
    SetAttributesLocked(false);
    SetLighting(false);
    SetBrushColor(BackgroundColor());
    SetAttributesLocked(true);
    SetPolygonMode(GL_FILL);
    TZVDevice::DrawGrounds();
    SetAttributesLocked(false);
    SetLighting(lighting);
    SetPolygonMode(polygonMode);
    SetBrushColor(brush);
    SetPenColor(pen);
    glDisable(GL_POLYGON_OFFSET_FILL);
    SetCullFace(cull);
    SetAttributesLocked(locked);
    SetAutoCompile(autoCompile);
}

// State.

void TZvOglCanvas::ApplyColor(TColor color) {
    if (!HandleValid()) return;
    const TColorFractions c = ColorToFractions(color);
    const GLfloat rgba[4] = {static_cast<GLfloat>(c.R), static_cast<GLfloat>(c.G), static_cast<GLfloat>(c.B),
                             static_cast<GLfloat>(alpha_)};
    glColor4fv(rgba);
}

void TZvOglCanvas::SetPenColor(TColor color) {
    if (AttributesLocked()) return;
    TZVDevice::SetPenColor(color);
    Material()->SetEmission(color);
    ApplyColor(color);
}

// Lines and faces share the one current colour.
void TZvOglCanvas::SetBrushColor(TColor color) {
    if (AttributesLocked()) return;
    TZVDevice::SetBrushColor(color);
    Material()->SetEmission(color);
    ApplyColor(color);
}

void TZvOglCanvas::SetBrushClear(bool clear) {
    if (AttributesLocked()) return;
    TZVDevice::SetBrushClear(clear);
    SetAlpha(clear ? 0.0 : 1.0);
}

void TZvOglCanvas::SetPenStyle(TPenStyle style) {
    if (AttributesLocked()) return;
    TZVDevice::SetPenStyle(style);
    if (!HandleValid()) return;
    struct Stipple {
        GLint factor;
        GLushort pattern;
    };
    static constexpr Stipple stipples[] = {{8, 0xEEEE}, {3, 0xAAAA}, {3, 0xE4E4}, {3, 0xE4E4}};
    if (style >= 1 && style <= 4) {
        glLineStipple(stipples[style - 1].factor, stipples[style - 1].pattern);
        glEnable(GL_LINE_STIPPLE);
    } else {
        glDisable(GL_LINE_STIPPLE);
    }
}

void TZvOglCanvas::SetPenWidth(int32_t width) {
    if (AttributesLocked()) return;
    TZVDevice::SetPenWidth(width);
    if (HandleValid()) glLineWidth(static_cast<GLfloat>(width));
}

void TZvOglCanvas::SetDepthTest(bool on) {
    TZVDevice::SetDepthTest(on);
    if (HandleValid()) SetCap(GL_DEPTH_TEST, on);
}

void TZvOglCanvas::SetLighting(bool on) {
    TZVDevice::SetLighting(on);
    if (!HandleValid()) return;
    SetCap(GL_LIGHTING, on);
    if (on && GetLights().Count() == 0) {
        AddDefaultLight();
        RenumberLights();
    }
}

void TZvOglCanvas::SetCullFace(bool on) {
    TZVDevice::SetCullFace(on);
    if (HandleValid()) SetCap(GL_CULL_FACE, on);
}

void TZvOglCanvas::SetPolygonMode(int32_t mode) {
    TZVDevice::SetPolygonMode(mode);
    if (!HandleValid()) return;
    glPolygonMode(GL_FRONT_AND_BACK, static_cast<GLenum>(mode));
    CheckError();
}

void TZvOglCanvas::SetClockwise(bool on) {
    TZVDevice::SetClockwise(on);
    if (!HandleValid()) return;
    glFrontFace(on ? GL_CW : GL_CCW);
    CheckError();
}

// Leaving XOR mode brings depth test, lighting and culling back to what they
// were when it began.
void TZvOglCanvas::SetXorMode(bool on) {
    TZVDevice::SetXorMode(on);
    if (!HandleValid()) return;
    if (on) {
        glEnable(GL_COLOR_LOGIC_OP);
        glLogicOp(GL_XOR);
        xorSaved_ = {DepthTest(), Lighting(), CullFace()};
        SetDepthTest(false);
        SetLighting(false);
        SetCullFace(false);
    } else {
        glDisable(GL_COLOR_LOGIC_OP);
        SetDepthTest(xorSaved_.depthTest);
        SetLighting(xorSaved_.lighting);
        SetCullFace(xorSaved_.cullFace);
        if (!Busy()) zv::SwapBuffers(dc_);
    }
}

void TZvOglCanvas::SetAlpha(double alpha) {
    if (AttributesLocked() || !HandleValid()) return;
    alpha_ = alpha;
    if (alpha == 1.0) {
        SetBlend(false);
    } else {
        SetBlend(true);
        SetBlendSrc(GL_SRC_ALPHA);
        SetBlendDst(GL_ONE_MINUS_SRC_ALPHA);
        GLfloat diffuse[4] = {0, 0, 0, 1};
        glGetMaterialfv(GL_FRONT, GL_DIFFUSE, diffuse);
        diffuse[3] = static_cast<GLfloat>(alpha);
        glMaterialfv(GL_FRONT, GL_DIFFUSE, diffuse);
    }
    ApplyColor(BrushColor());
    CheckError();
}

void TZvOglCanvas::SetBlend(bool on) {
    if (AttributesLocked()) return;
    blendOn_ = on;
    if (HandleValid()) SetCap(GL_BLEND, on);
}

void TZvOglCanvas::SetBlendSrc(int32_t factor) {
    if (AttributesLocked()) return;
    blendSrc_ = factor;
    if (HandleValid()) glBlendFunc(static_cast<GLenum>(blendSrc_), static_cast<GLenum>(blendDst_));
}

void TZvOglCanvas::SetBlendDst(int32_t factor) {
    if (AttributesLocked()) return;
    blendDst_ = factor;
    if (HandleValid()) glBlendFunc(static_cast<GLenum>(blendSrc_), static_cast<GLenum>(blendDst_));
}

void TZvOglCanvas::SetDefaultTriangleResolution(double value) {
    if (value != defaultTriangleResolution_) triangleResolution_ = value;
    defaultTriangleResolution_ = value;
}

void TZvOglCanvas::ApplyMaterial(TComponent*) {
    if (!HandleValid()) return;
    const TZVmaterial& m = *Material();
    auto send = [](GLenum kind, TColor color, double alpha) {
        const TColorFractions c = ColorToFractions(color);
        const GLfloat v[4] = {static_cast<GLfloat>(c.R), static_cast<GLfloat>(c.G), static_cast<GLfloat>(c.B),
                              static_cast<GLfloat>(alpha)};
        glMaterialfv(GL_FRONT_AND_BACK, kind, v);
    };
    send(GL_AMBIENT, m.GetAmbient(), 1.0);
    SetAlpha(m.GetTranslucent());
    send(GL_DIFFUSE, m.GetDiffuse(), m.GetTranslucent());
    send(GL_SPECULAR, m.GetSpecular(), 1.0);
    send(GL_EMISSION, m.GetEmission(), 1.0);
    const GLfloat shininess = static_cast<GLfloat>(std::clamp(m.GetShininess(), 0.0, 128.0));
    glMaterialfv(GL_FRONT_AND_BACK, GL_SHININESS, &shininess);
}

int32_t TZvOglCanvas::GetHitCount() const {
    if (GetRenderMode() == kRenderMode || !HandleValid()) return glHitCount_;
    glHitCount_ = glRenderMode(GL_RENDER);
    return glHitCount_;
}

// The device's bounds modes are stored also without a context, so that
// bounds are measured in them.
void TZvOglCanvas::SetRenderMode(int32_t mode) {
    const bool glMode = mode >= GL_RENDER && mode <= GL_SELECT;
    if (!HandleValid()) {
        if (!glMode) TZVDevice::SetRenderMode(mode);
        return;
    }
    if (glMode) glRenderMode(static_cast<GLenum>(mode));
    TZVDevice::SetRenderMode(mode);
    CheckError();
}

// The viewport's rectangle is in window pixels from the top; OpenGL counts
// rows from the bottom of the window.
void TZvOglCanvas::SetViewport(const TRect& r) {
    TZVDevice::SetViewport(r);
    if (!HandleValid()) return;
    const int32_t windowHeight = ClientRect(Window()).Y2;
    glViewport(r.Left, windowHeight - r.Bottom, r.Right - r.Left, r.Bottom - r.Top);
}

void TZvOglCanvas::HandleHook() {
    TZVDevice::HandleHook();
    if (HandleValid()) glInitNames();
}

void TZvOglCanvas::CheckError() {
    if (!HasContext()) return;
    const std::string text = GLErrorText(glGetError());
    if (!text.empty()) ShowMessage(text);
}

// Matrices.

void TZvOglCanvas::LoadMatrixOn(int32_t stack, const TMatrix4& m) {
    if (!HandleValid()) return;
    {
        MatrixModeGuard mode(static_cast<GLenum>(stack));
        glLoadMatrixd(&m.M[0][0]);
    }
    CheckError();
}

void TZvOglCanvas::SetProjectionMatrix(const TMatrix4& m) {
    TZVDevice::SetProjectionMatrix(m);
    LoadMatrixOn(GL_PROJECTION, m);
}

void TZvOglCanvas::SetMatrix(const TMatrix4& m) {
    TZVDevice::SetMatrix(m);
    LoadMatrixOn(GL_MODELVIEW, m);
}

void TZvOglCanvas::MultMatrix(const TMatrix4& m) {
    if (!HandleValid()) {
        TZVDevice::MultMatrix(m);
        return;
    }
    glMultMatrixd(&m.M[0][0]);
    TMatrix4 view;
    glGetDoublev(GL_MODELVIEW_MATRIX, &view.M[0][0]);
    TZVDevice::SetMatrix(view);
    CheckError();
}

void TZvOglCanvas::PushMatrix() {
    if (!HandleValid()) {
        TZVDevice::PushMatrix();
        return;
    }
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    if (mode == GL_MODELVIEW) TZVDevice::PushMatrix();
    glPushMatrix();
}

void TZvOglCanvas::PopMatrix() {
    if (!HandleValid()) {
        TZVDevice::PopMatrix();
        return;
    }
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    if (mode == GL_MODELVIEW) TZVDevice::PopMatrix();
    glPopMatrix();
}

void TZvOglCanvas::SetScale(const TXYZ& scale) {
    if (HandleValid()) TZVDevice::SetScale(scale);
}

// Lights.

void TZvOglCanvas::AddLight(Tlight* light) {
    TZVDevice::AddLight(light);
    if (HandleValid()) {
        GLint maxLights = 8;
        glGetIntegerv(GL_MAX_LIGHTS, &maxLights);
        const int32_t place = GetLights().Count() - 1;
        light->SetLightIndex(place < maxLights ? GL_LIGHT0 + place : -1);
    }
    auto* oglLight = dynamic_cast<TZVOglLight*>(light);
    if (oglLight && !oglLight->ZvOglCanvas()) oglLight->SetZvOglCanvas(this);
}

void TZvOglCanvas::RenumberLights() {
    if (!HandleValid()) return;
    GLint maxLights = 8;
    glGetIntegerv(GL_MAX_LIGHTS, &maxLights);
    for (int32_t i = 0; i < GetLights().Count(); ++i) {
        auto* light = dynamic_cast<TZVOglLight*>(GetLights().Items(i));
        if (!light) continue;
        const bool enabled = light->Enabled();
        light->SetEnabled(false);
        light->SetLightIndex(i < maxLights ? GL_LIGHT0 + i : -1);
        light->SetEnabled(enabled);
    }
}

void TZvOglCanvas::AddDefaultLight() {
    AddLight(TComponent::Create<TZVOglLight>(nullptr));
    Tlight* light = GetLights().Items(GetLights().Count() - 1);
    const double w = GetWidth(), units = UnitsPerCM() == 0 ? 1 : UnitsPerCM();
    light->SetAttenuation(15.0);
    light->SetEnabled(true);
    light->SetPosition({-w / (5 * units), 0, w / units});
}

// Unit.

void InitOglCanvasUnit() {
    RegisterClass(TZvOglCanvas::Class());
    RegisterClass(TZVOglLight::Class());
}

void FinalizeOglCanvasUnit() {
    UnregisterClass(TZVOglLight::Class());
    UnregisterClass(TZvOglCanvas::Class());
}

}  // namespace zv
