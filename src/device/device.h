// TZVDevice: the abstract drawing surface. It keeps the view (viewport,
// units per centimetre, projection base, matrix and its stack), the drawing
// attributes, the lights, the two grounds, a display list and the picking
// state (name stack, pick rectangle, arena, hit list), and implements the
// bookkeeping of every primitive; a concrete device adds the rasterising and
// calls the inherited operation to keep these fields in step.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "device/display_list.h"
#include "geometry/frame.h"
#include "geometry/point_array.h"
#include "geometry/polygon2d.h"
#include "geometry/space.h"
#include "platform/attributes.h"
#include "platform/component.h"
#include "platform/hit_list.h"
#include "platform/light.h"
#include "platform/memory_arena.h"

namespace zv {

class TZvEntity;
class TZvGrob;
class TZVground;
class TCurve;
class TGlyphs;

constexpr int32_t kRenderMode = 7168;
constexpr int32_t kSelectMode = 7170;
constexpr int32_t kBounds2DMode = 1;
constexpr int32_t kBounds3DMode = 2;
constexpr int32_t kGLLine = 6913;
constexpr int32_t kSelectBufferSize = 32000;

struct TRect {
    int32_t Left, Top, Right, Bottom;
    bool operator==(const TRect&) const = default;
};

// A hit item as the device's select pass fills it: besides the item's own
// fields the primitive kind (tag 4000), the primitive data (7000) and the
// value of tag 8000.
class TPickHit : public THitItem {
public:
    int32_t Kind = 0;
    const void* Data = nullptr;
    bool HasValue = false;
    int32_t Value = 0;
    // The spot of a polyline hit found by the software test, or -1.
    int32_t Spot = -1;
};

// Origin and three axes: 12 doubles.
struct TProjectionBase {
    TXYZ Origin, XAxis, YAxis, ZAxis;
};
constexpr TProjectionBase kDefaultProjection{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
TPlaneFrame FrameOf(const TProjectionBase& base);

// What a device needs of a window control of the host's window glue.
class TZvWinControl {
public:
    virtual ~TZvWinControl() = default;
    virtual void* WindowHandle() const = 0;
    virtual TColor BrushColor() const = 0;
    virtual TRect ClientRect() const = 0;
    virtual void SetDevice(TZVDevice* device) = 0;
    virtual bool Destroying() const { return false; }
};

class TZVDevice : public TZvComponent {
public:
    static const TClass& Class();
    const TClass& ClassType() const override;

    // Slots in this order.
    virtual void LoadName(int32_t name);
    virtual void PushName(int32_t name);
    virtual void PopName();
    virtual void HandleCreated();
    virtual void ReleaseHandle() {}
    virtual void SetDepthRange(int32_t value) { depthRange_ = value; }
    virtual void SetMaterial(const TZVmaterial* m);
    virtual void SetBrushColor(TColor color);
    virtual void SetBrushClear(bool clear);
    virtual void SetPenColor(TColor color);
    virtual void SetPenStyle(TPenStyle style);
    virtual void SetFontName(const std::string& name);
    virtual void SetTexture(Tzvbitmap* texture);
    virtual void GetAttributeRecord(TAttributeRecord& record) const;
    virtual void SetAttributeRecord(const TAttributeRecord& record);
    virtual void AttributesChanged() {}
    virtual void SetDepthTest(bool on) { depthTest_ = on; }
    virtual void SetLighting(bool on) { lighting_ = on; }
    virtual void SetPenWidth(int32_t width);
    virtual void Begin2D(bool begin);
    virtual void SetCullFace(bool on) { cullFace_ = on; }
    virtual void GetProjectionMatrix(TMatrix4& m) const { m = projectionMatrix_; }
    virtual void SetProjectionMatrix(const TMatrix4& m) { projectionMatrix_ = m; }
    virtual void SetScale(const TXYZ& scale);
    virtual void SetXorMode(bool on) { xorMode_ = on; }
    virtual void SetHandle(void* handle);
    virtual void InvalidateRect(TZvEntity* entity);
    virtual int32_t GetHitCount() const { return hitCount_; }
    virtual int32_t GetRenderMode() const { return renderMode_; }
    virtual void SetRenderMode(int32_t mode);
    virtual void SetPolygonMode(int32_t mode) { polygonMode_ = mode; }
    virtual double GetZoomFactor() const;
    virtual void SetZoomFactor(double zoom);
    virtual void SetProjectionKind(int32_t kind);
    virtual void SetWinControl(TZvWinControl* control);
    virtual int32_t GetLeft() const { return viewport_.Left; }
    virtual int32_t GetTop() const { return viewport_.Top; }
    virtual void SetLeft(int32_t x);
    virtual void SetTop(int32_t y);
    virtual TLights& GetLights() { return lights_; }
    virtual void AddLight(Tlight* light);
    virtual void RemoveLight(Tlight* light);
    virtual int32_t GetHeight() const { return viewport_.Bottom - viewport_.Top; }
    virtual int32_t GetWidth() const { return viewport_.Right - viewport_.Left; }
    virtual void SetHeight(int32_t h);
    virtual void SetWidth(int32_t w);
    virtual void GetProjection(TProjectionBase& p) const { p = projection_; }
    virtual void SetPointOfView(double angle);
    virtual double GetPointOfView() const { return pointOfView_; }
    virtual void GetMatrix(TMatrix4& m) const { m = matrix_; }
    virtual void SetMatrix(const TMatrix4& m) { matrix_ = m; }
    virtual void SetProjection(const TProjectionBase& p) { projection_ = p; }
    virtual void SetUnitsPerCM(double units);
    virtual bool GetClockwise() const { return clockwise_; }
    virtual void SetClockwise(bool on) { clockwise_ = on; }
    virtual void SetBackgroundColor(TColor color);
    virtual void SetDefaultUnitsPerCM(double units);
    virtual bool GetSelectEnabled() const { return selectEnabled_; }
    virtual void SetSelectEnabled(bool on) { selectEnabled_ = on; }
    virtual void GetViewport(TRect& r) const { r = viewport_; }
    virtual void SetViewport(const TRect& r);
    virtual void HandleHook() {}
    virtual void RefineHits(const TRect& rect, THittypeList& hits);
    virtual void ExtendedPrimitive1(const double* xyz, int32_t count);
    virtual void ViewRay(const TXYZ& p, TXYZ& origin, TXYZ& direction) const;
    virtual void BeginPaint();
    virtual void DrawGrounds();
    virtual void EndPaint() { busy_ = false; }
    virtual void MultMatrix(const TMatrix4& m);
    virtual void PushMatrix();
    virtual void PopMatrix();
    virtual void LoadMatrix(const TMatrix4& m) { SetMatrix(m); }
    virtual void PushNamePair(int32_t tag, intptr_t value);
    virtual void LoadNamePair(int32_t tag, intptr_t value);
    virtual void PopNamePair();
    virtual void GetBounds2D(TZvEntity* entity, TRect& r);
    virtual void GetBounds3D(const TProjectionBase& projection, TZvEntity* entity, TBox3D& box);
    virtual void ClearNames() { nameStack_.clear(); }
    virtual void PrepareSelectBuffer() {}
    virtual void BeginEntityChange(TZvEntity* entity);
    virtual void EndEntityChange(TZvEntity* entity);
    virtual void CheckError() {}
    virtual bool Pick(int32_t x, int32_t y, const TList* exclude, THittypeList& hits);
    virtual int32_t HitTest(const TXYZ& p) const { (void)p; return -1; }
    virtual bool HandleValid() const { return handle_ != nullptr && !IsDestroying(); }
    virtual void Invalidate();
    virtual void Paint();
    virtual void DrawText(const TXYZ& pos, const std::string& text);
    virtual void DrawCurve(const TCurve& curve);
    virtual void ReservedPrimitive(int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t,
                                   int32_t) {}
    virtual void DrawEllipse(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
    virtual void DrawRectangle(const TRect& r);
    virtual void DrawLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
    virtual void DrawLineP(const TXYi& p1, const TXYi& p2);
    virtual void DrawPolyline2D(const TXYi* points, int32_t lastIndex);
    virtual void DrawPolyline2DAlias(const TXYi* points, int32_t lastIndex) { DrawPolyline2D(points, lastIndex); }
    virtual void Draw2DHook() {}
    virtual void FrameRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
    virtual void FrameRectR(const TRect& r);
    virtual void DrawLine3D(const TXYZ& p1, const TXYZ& p2) { (void)p1, (void)p2; }
    virtual void DrawArc3D(const TXYZ& center, const TXYZ& axis, const TXYZ& start, double sweep);
    virtual void DrawCircle3D(const TXYZ& p1, const TXYZ& p2, const TXYZ& normal);
    virtual void DrawPolyline3D(const TXYZArray& points);
    virtual void DrawPolygon3D(int32_t count, const TXYZ* points);
    virtual void DrawPolylines(const TlistOFxyzArray& list);
    virtual void DrawCurveList(const TList& curves);
    virtual void DrawCurveRef(const TCurve& curve);
    virtual void DrawPrimitive(const TCurve& value);
    virtual void DrawSymbolHook(TZvComponent* ref) { (void)ref; }
    virtual void DrawGlyphs(const TGlyphs& glyphs, const std::string& text, const TXYZ& pos, double height);
    virtual void DrawEntity(TZvEntity* entity);
    virtual void DrawRect3D(const TRect2D& r);
    virtual void ExtendedPrimitive2(int32_t kind, const void* data) { (void)kind, (void)data; }
    virtual double GetViewDistance() const;
    // Asks the bound window to repaint the area in window pixels (the whole
    // client area for none), erasing it first when asked; base: nothing, a
    // concrete device reaches its window system here.
    virtual void InvalidateWindow(const TRect* area, bool erase) { (void)area, (void)erase; }

    // The view matrix: the inverse of the projection base's frame, times
    // the scale.
    TMatrix4 ViewMatrix() const;
    // Projects a model point through Matrix and the projection matrix to
    // window pixels (y down) and a depth in 0..1.
    TXYZ ToPixel(const TXYZ& model) const;
    // Stores the matrix in the arena and pushes its offset under 11000.
    void PushMatrixName();
    // Names are 32 bits wide: an object named in a select pass is entered
    // in a table of the pass and named by its number there (from 1).
    int32_t PickObject(const void* object);
    // The object of a number that PickObject gave in this pass, or none.
    const void* PickedObject(int32_t number) const;
    // The 3-D point seen at a window pixel at a depth in 0..1.
    TXYZ FromPixel(double x, double y, double depth) const;

    bool AutoCompile() const { return displayList_ && displayList_->AutoCompile(); }
    void SetAutoCompile(bool on) {
        if (displayList_) displayList_->SetAutoCompile(on);
    }

    // State fields.
    const TRect& Viewport() const { return viewport_; }
    const TRect& Bounds2D() const { return bounds2D_; }
    const TBox3D& Bounds3D() const { return bounds3D_; }
    const TProjectionBase& Projection() const { return projection_; }
    const TMatrix4& Matrix() const { return matrix_; }
    double UnitsPerCM() const { return unitsPerCM_; }
    bool Busy() const { return busy_; }
    void SetBusy(bool on) { busy_ = on; }
    TDisplayList* DisplayList() const { return displayList_; }
    TZvWinControl* WinControl() const { return winControl_; }
    int32_t ProjectionKind() const { return projectionKind_; }
    const std::vector<uint8_t>& SelectBuffer() const { return selectBuffer_; }
    int32_t SelectFill() const { return selectFill_; }
    const TXYZ& Scale() const { return scale_; }
    TColor BackgroundColor() const { return backgroundColor_; }
    double DefaultUnitsPerCM() const { return defaultUnitsPerCM_; }
    TZVground* QuickGround() const { return quickGround_; }
    TZVground* StdGround() const { return stdGround_; }
    const TMatrix4& ProjectionMatrix() const { return projectionMatrix_; }
    const std::vector<int32_t>& NameStack() const { return nameStack_; }
    int32_t MatrixDepth() const { return static_cast<int32_t>(matrixStack_.size()); }
    int32_t Begin2DLevel() const { return begin2DLevel_; }
    int32_t PickAperture() const { return pickAperture_; }
    void SetPickAperture(int32_t pixels) { pickAperture_ = pixels; }
    const TRect& PickRect() const { return pickRect_; }
    void* Handle() const { return handle_; }
    bool XorMode() const { return xorMode_; }
    int32_t PolygonMode() const { return polygonMode_; }
    bool CullFace() const { return cullFace_; }
    int32_t PenWidth() const { return penWidth_; }
    bool Lighting() const { return lighting_; }
    bool DepthTest() const { return depthTest_; }
    Tzvbitmap* Texture() const { return texture_; }
    const std::string& FontName() const { return fontName_; }
    TGlyphs* Font() const { return font_; }
    bool BrushClear() const { return brushClear_; }
    TColor PenColor() const { return penColor_; }
    TColor BrushColor() const { return brushColor_; }
    TPenStyle PenStyle() const { return penStyle_; }
    int32_t FontHeight() const { return fontHeight_; }
    void SetFontHeight(int32_t h) { fontHeight_ = h; }
    TZVmaterial* Material() const { return material_; }
    bool AttributesLocked() const { return attributesLocked_; }
    void SetAttributesLocked(bool on) { attributesLocked_ = on; }
    bool HiddenLineMode() const { return hiddenLineMode_; }
    void SetHiddenLineMode(bool on) { hiddenLineMode_ = on; }
    uint32_t DepthRange() const { return static_cast<uint32_t>(depthRange_); }
    bool PickSuppressed() const { return pickSuppressed_; }
    void SetPickSuppressed(bool on) { pickSuppressed_ = on; }
    THittypeList* HitList() const { return hitList_; }
    const TList* PickExclude() const { return pickExclude_; }
    TZVMemory& Arena() { return arena_; }

    TZvComponent* Changing(bool begin) override;

protected:
    friend class TComponent;
    explicit TZVDevice(TComponent* owner);
    ~TZVDevice() override;
    void AfterConstruction() override;

    // Writes one hit record (name count, depth range, the name stack) into
    // the select buffer; a full buffer takes no more records.
    void RecordHit(uint32_t minDepth, uint32_t maxDepth);
    // Turns the select buffer's records into hit items of HitList.
    void DecodeSelectBuffer();
    void UpdateViewport();
    // A concrete device's own display list takes the place of the base's.
    void ReplaceDisplayList(TDisplayList* list) {
        delete displayList_;
        displayList_ = list;
    }

private:
    void DrawOneCurve(const TCurve& curve, int32_t kind);
    // Multiplies in the transformations of the entity's ancestors,
    // outermost first, as its drawing inherits them.
    void MultAncestorMatrices(const TZvEntity* entity);
    void DrawInXorMode(TZvEntity* entity);
    void HitTestPolylines(const TlistOFxyzArray& list);
    void GrowBounds2D(const TlistOFxyzArray& list);
    void GrowBounds3D(const TlistOFxyzArray& list);

    TRect viewport_{0, 0, 180, 180};
    TRect bounds2D_{};
    TBox3D bounds3D_{};
    TProjectionBase projection_ = kDefaultProjection;
    int32_t renderMode_ = kRenderMode;
    TMatrix4 matrix_ = UnitMatrix;
    double unitsPerCM_ = 30.0;
    double pointOfView_ = 0.0;
    TLights lights_;
    bool busy_ = false;
    TDisplayList* displayList_ = nullptr;
    TZvWinControl* winControl_ = nullptr;
    bool clockwise_ = true;
    int32_t projectionKind_ = 0;
    bool selectEnabled_ = true;
    std::vector<uint8_t> selectBuffer_;
    int32_t selectFill_ = 0;
    int32_t hitCount_ = 0;
    TXYZ scale_{1, 1, 1};
    TColor backgroundColor_ = 0;
    double defaultUnitsPerCM_ = 30.0;
    TZVground* quickGround_ = nullptr;
    TZVground* stdGround_ = nullptr;
    TMatrix4 projectionMatrix_ = UnitMatrix;
    std::vector<int32_t> nameStack_;
    std::vector<TMatrix4> matrixStack_;
    int32_t begin2DLevel_ = 0;
    int32_t pickAperture_ = 10;
    TRect pickRect_{};
    void* handle_ = nullptr;
    bool xorMode_ = false;
    int32_t polygonMode_ = kGLFill;
    bool cullFace_ = true;
    int32_t penWidth_ = 1;
    bool lighting_ = true;
    bool depthTest_ = true;
    bool savedCullFace_ = true;
    Tzvbitmap* texture_ = nullptr;
    std::string fontName_;
    TGlyphs* font_ = nullptr;
    bool brushClear_ = false;
    TColor penColor_ = 0;
    TColor brushColor_ = 0xFFFFFF;
    TPenStyle penStyle_ = 0;
    int32_t fontHeight_ = 10;
    TZVmaterial* material_ = nullptr;
    bool attributesLocked_ = false;
    bool hiddenLineMode_ = false;
    int32_t depthRange_ = -1;
    bool pickSuppressed_ = false;
    THittypeList* hitList_ = nullptr;
    const TList* pickExclude_ = nullptr;
    TZVMemory arena_{32};
    std::vector<const void*> pickObjects_;
    // Per polyline hit of the software test: the point of the polyline
    // inside the pick rectangle nearest to its centre (pixels, depth 0..1).
    std::vector<TXYZ> pickSpots_;
};

// The container "Devices" while the device unit runs, or none.
TZvComponent* DevicesContainer();
// The container "Symbols" while the device unit runs, or none.
TZvComponent* SymbolsContainer();
// The current device; switching to another device broadcasts message 7.
TZVDevice* ActiveDevice();
void SetActiveDevice(TZVDevice* device);

// Library start-up of the device unit: registers the entity and device
// classes, creates "Devices", "Symbols" and the locator.
void InitDeviceUnit();
void FinalizeDeviceUnit();

}  // namespace zv
