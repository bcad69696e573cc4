// TZvOglCanvas: the output device that renders the framework's graphic
// objects with OpenGL on an X11 window through GLX.
//
// The canvas owns the window's device context (display and window) and the
// GLX rendering context created on it, and makes that context current on the
// calling thread before each sequence of OpenGL calls (HandleValid). Every
// state operation stores its value in the device first, so a context that
// comes later picks it up where HandleCreated re-applies it; without a
// window, without a context or without OpenGL only the device-side state
// changes.
//
// In hidden-line mode a frame paints the grounds twice: first every polygon
// list as closed outlines in the pen colour, then every face filled in the
// background colour and pushed back by a polygon offset, so that an outline
// behind a nearer face is painted over while a face's own edges stay.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "device/device.h"
#include "ogl/x11_context.h"

namespace zv {

class TZVOglLight;

// (Sender, var DoCompile); kept for the host, the library never fires it.
using TCompileQueryEvent = TEvent<TComponent*, bool&>;

// The data of ExtendedPrimitive2 with kind kTexturedRectKind: a rectangle in
// the plane z = 0 covered with a texture.
constexpr int32_t kTexturedRectKind = 1;
struct TTexturedRect {
    double X1, Y1, X2, Y2;
    Tzvbitmap* Texture;
};

class TZvOglCanvas : public TZVDevice {
public:
    static const TClass& Class();
    const TClass& ClassType() const override;

    // Device operations with an OpenGL effect.
    void HandleCreated() override;
    void ReleaseHandle() override;
    void SetBrushColor(TColor color) override;
    void SetBrushClear(bool clear) override;
    void SetPenColor(TColor color) override;
    void SetPenStyle(TPenStyle style) override;
    void SetFontName(const std::string& name) override;
    void SetTexture(Tzvbitmap* texture) override;
    void SetDepthTest(bool on) override;
    void SetLighting(bool on) override;
    void SetPenWidth(int32_t width) override;
    void SetCullFace(bool on) override;
    void SetProjectionMatrix(const TMatrix4& m) override;
    void SetScale(const TXYZ& scale) override;
    void SetXorMode(bool on) override;
    // An X window id (0: detach). Takes the window's device context, adopts
    // its visual as the pixel format and creates the rendering context.
    void SetHandle(void* window) override;
    int32_t GetHitCount() const override;
    void SetRenderMode(int32_t mode) override;
    void SetPolygonMode(int32_t mode) override;
    // Numbers the light GL_LIGHT0 + its place in the list while that stays
    // below GL_MAX_LIGHTS; a light past the limit keeps LightIndex -1 and
    // never reaches OpenGL (its values are still stored).
    void AddLight(Tlight* light) override;
    void SetMatrix(const TMatrix4& m) override;
    void SetClockwise(bool on) override;
    void SetViewport(const TRect& r) override;
    void HandleHook() override;
    // xyz: the sphere's size along X, Y and Z; count: slices and stacks.
    void ExtendedPrimitive1(const double* xyz, int32_t count) override;
    void BeginPaint() override;
    void DrawGrounds() override;
    void EndPaint() override;
    void MultMatrix(const TMatrix4& m) override;
    void PushMatrix() override;
    void PopMatrix() override;
    void PushNamePair(int32_t tag, intptr_t value) override;
    void LoadNamePair(int32_t tag, intptr_t value) override;
    void PopNamePair() override;
    void PrepareSelectBuffer() override;
    void CheckError() override;
    bool HandleValid() const override;
    void Invalidate() override;
    void InvalidateWindow(const TRect* area, bool erase) override;
    void DrawText(const TXYZ& pos, const std::string& text) override;
    void DrawSymbolHook(TZvComponent* ref) override;
    void DrawLine3D(const TXYZ& p1, const TXYZ& p2) override;
    // Array 0 is the outer contour, the others its holes. Filled when the
    // polygon mode is GL_FILL; otherwise outlines, each closed when it
    // repeats its first point at the end or when hidden-line mode is on.
    void DrawPolylines(const TlistOFxyzArray& list) override;
    void ExtendedPrimitive2(int32_t kind, const void* data) override;

    // Numbering of the OpenGL lights.
    void RenumberLights();
    void AddDefaultLight();

    void SetAlpha(double alpha);
    void SetBlend(bool on);
    void SetBlendSrc(int32_t factor);
    void SetBlendDst(int32_t factor);
    double Alpha() const { return alpha_; }
    bool BlendOn() const { return blendOn_; }

    double TriangleResolution() const { return triangleResolution_; }
    void SetTriangleResolution(double value) { triangleResolution_ = value; }
    double DefaultTriangleResolution() const { return defaultTriangleResolution_; }
    void SetDefaultTriangleResolution(double value);

    const TDeviceContext& DC() const { return dc_; }
    GLContext RC() const { return rc_; }
    XWindow Window() const { return reinterpret_cast<uintptr_t>(Handle()); }
    // Base of the current font's 256 glyph lists; 0 until built.
    uint32_t GlyphBase() const { return glyphBase_; }

    TCompileQueryEvent OnBeforeCompile, OnAfterCompile;

protected:
    friend class TComponent;
    explicit TZvOglCanvas(TComponent* owner);
    ~TZvOglCanvas() override;
    void Notification(TComponent* component, TOperation operation) override;

private:
    struct TGlyphLists {
        std::string FontName;
        uint32_t Base;
    };

    void SetDC(const TDeviceContext& dc);
    // A context exists: calls inside a frame go to the context that the
    // frame made current, without asking the window system again.
    bool HasContext() const;
    void DeleteGlyphLists();
    uint32_t BuildGlyphLists();
    void ApplyMaterial(TComponent* sender);
    void ApplyColor(TColor color);
    void LoadMatrixOn(int32_t stack, const TMatrix4& m);
    void ProbeSelection();
    void RunSelectPass();
    void TranscribeHits(int32_t count);
    void DrawHiddenLineGrounds();
    void DrawOutlines(const TlistOFxyzArray& list);
    void DrawFaces(const TlistOFxyzArray& list);

    double alpha_ = 1.0;
    TDeviceContext dc_;
    GLContext rc_ = nullptr;
    double triangleResolution_ = 0;
    double defaultTriangleResolution_ = 2.0;
    mutable int32_t glHitCount_ = 0;
    std::vector<TGlyphLists> glyphLists_;
    uint32_t glyphBase_ = 0;
    bool blendOn_ = false;
    int32_t blendDst_ = 771;
    int32_t blendSrc_ = 770;
    struct {
        bool depthTest = true, lighting = true, cullFace = true;
    } xorSaved_;
    std::vector<uint32_t> glSelectBuffer_;
};

// The OpenGL error text for an error code ("Error: GL_INVALID_ENUM", ...),
// empty for GL_NO_ERROR.
std::string GLErrorText(uint32_t code);

// Library start-up of the canvas unit: registers the canvas and light classes.
void InitOglCanvasUnit();
void FinalizeOglCanvasUnit();

}  // namespace zv
