#include "device/device.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

#include "device/entity.h"
#include "device/ground.h"
#include "fonts/curves.h"
#include "fonts/stroke_font.h"
#include "platform/application.h"
#include "platform/message_server.h"
#include "runtime/message.h"

namespace zv {

constexpr int32_t kMatrixNameTag = 11000;

TPlaneFrame FrameOf(const TProjectionBase& base) { return {base.Origin, base.XAxis, base.YAxis, base.ZAxis}; }

const TClass& TZVDevice::Class() {
    static const TClass info("TZVDevice", &TZvComponent::Class(), &NewInstance<TZVDevice>);
    return info;
}
const TClass& TZVDevice::ClassType() const { return Class(); }

TZVDevice::TZVDevice(TComponent* owner) : TZvComponent(owner) {
    displayList_ = new TDisplayList(this);
    material_ = Create<TZVmaterial>(nullptr);
    selectBuffer_.assign(kSelectBufferSize, 0);
    if (TZvComponent* devices = DevicesContainer()) SetZvName(devices->UniqueChildName("StdDevice"));
}

void TZVDevice::AfterConstruction() {
    TZvComponent::AfterConstruction();
    SetFontName("Arial");
    stdGround_ = TZVground::CreateFor(this, "StdGround");
    quickGround_ = TZVground::CreateFor(this, "QuickGround");
    if (TZvComponent* devices = DevicesContainer()) SetParent(devices);
}

TZVDevice::~TZVDevice() {
    if (ActiveDevice() == this) SetActiveDevice(nullptr);
    if (TEventserver* server = ApplicationEventServer(); server && server->Context() == this) server->SetContext(nullptr);
    if (winControl_) winControl_->SetDevice(nullptr);
    winControl_ = nullptr;
    if (handle_) ReleaseHandle();
    handle_ = nullptr;
    if (quickGround_) quickGround_->Free();
    lights_.Clear();
    if (stdGround_) stdGround_->Free();
    matrixStack_.clear();
    delete displayList_;
    displayList_ = nullptr;
    if (material_) material_->Free();
}

// Names.

void TZVDevice::LoadName(int32_t name) {
    if (nameStack_.empty()) {
        CheckError();
        return;
    }
    nameStack_.back() = name;
}

void TZVDevice::PushName(int32_t name) {
    if (renderMode_ == kSelectMode) nameStack_.push_back(name);
}

void TZVDevice::PopName() {
    if (renderMode_ != kSelectMode) return;
    if (nameStack_.empty()) {
        CheckError();
        return;
    }
    nameStack_.pop_back();
}

// Names are 32-bit; a pointer value keeps its low half, which the decoding
// matches against the entities it drew.
void TZVDevice::PushNamePair(int32_t tag, intptr_t value) {
    if (pickSuppressed_) return;
    PushName(tag);
    PushName(static_cast<int32_t>(value));
}

void TZVDevice::LoadNamePair(int32_t tag, intptr_t value) {
    PopName();
    LoadName(tag);
    PushName(static_cast<int32_t>(value));
}

void TZVDevice::PopNamePair() {
    if (pickSuppressed_) return;
    PopName();
    PopName();
}

void TZVDevice::PushMatrixName() {
    if (renderMode_ != kSelectMode) return;
    int32_t offset = arena_.Append(&matrix_, sizeof matrix_);
    PushNamePair(kMatrixNameTag, offset);
}

// Window binding.

void TZVDevice::HandleCreated() {
    try {
        TRect client = winControl_ ? winControl_->ClientRect() : viewport_;
        SetViewport(client);
        SetPolygonMode(polygonMode_);
        SetPenWidth(penWidth_);
        SetBrushColor(brushColor_);
        SetBrushClear(brushClear_);
        SetPenColor(penColor_);
        SetPenStyle(penStyle_);
        SetProjectionKind(projectionKind_);
        SetBackgroundColor(backgroundColor_);
        SetCullFace(cullFace_);
        SetLighting(lighting_);
        SetClockwise(GetClockwise());
        SetRenderMode(GetRenderMode());
        SetDepthTest(depthTest_);
        HandleHook();
        SetUnitsPerCM(unitsPerCM_);
    } catch (const std::exception&) {
        ShowMessage(" Error on HandleCreated");
    }
}

void TZVDevice::SetHandle(void* handle) {
    if (handle) {
        Changing(true);
        handle_ = handle;
        HandleCreated();
        Changing(false);
    } else {
        if (handle_) ReleaseHandle();
        handle_ = nullptr;
    }
}

void TZVDevice::SetWinControl(TZvWinControl* control) {
    if (control) {
        SetHandle(control->WindowHandle());
        if (quickGround_) quickGround_->SetVisible(true);
        control->SetDevice(this);
        SetBackgroundColor(control->BrushColor());
    } else {
        SetHandle(nullptr);
        if (winControl_) {
            if (!winControl_->Destroying() && quickGround_) quickGround_->SetVisible(false);
            winControl_->SetDevice(nullptr);
        }
    }
    winControl_ = control;
}

// Attributes.

void TZVDevice::SetMaterial(const TZVmaterial* m) {
    if (attributesLocked_ || !m) return;
    material_->SetMaterialRecord(m->GetMaterialRecord());
}
void TZVDevice::SetBrushColor(TColor color) {
    if (!attributesLocked_) brushColor_ = color;
}
void TZVDevice::SetBrushClear(bool clear) {
    if (!attributesLocked_) brushClear_ = clear;
}
void TZVDevice::SetPenColor(TColor color) {
    if (!attributesLocked_) penColor_ = color;
}
void TZVDevice::SetPenStyle(TPenStyle style) {
    if (!attributesLocked_) penStyle_ = style;
}
void TZVDevice::SetPenWidth(int32_t width) {
    if (!attributesLocked_) penWidth_ = width;
}
void TZVDevice::SetTexture(Tzvbitmap* texture) {
    if (!attributesLocked_) texture_ = texture;
}

// Without the font unit (or for a name it refuses) the device keeps its
// name and draws text with no font.
void TZVDevice::SetFontName(const std::string& name) {
    if (attributesLocked_) return;
    fontName_ = name;
    try {
        font_ = &FontByName(name);
    } catch (const std::exception&) {
        font_ = nullptr;
    }
}

void TZVDevice::GetAttributeRecord(TAttributeRecord& record) const {
    std::memset(&record, 0, sizeof record);
    record.Texture = texture_;
    material_->GetMaterialRecord(record.Material);
    record.BrushFill = !brushClear_;
    record.PolygonMode = polygonMode_;
    record.Penwidth = penWidth_;
    record.Brushcolor = brushColor_;
    record.PenColor = penColor_;
    record.PenStyle = penStyle_;
}

void TZVDevice::SetAttributeRecord(const TAttributeRecord& r) {
    if (!r.ParentTexture) SetTexture(r.Texture);
    CheckError();
    if (!r.ParentMaterial && !attributesLocked_) material_->SetMaterialRecord(r.Material);
    CheckError();
    if (!r.ParentBrush) SetBrushClear(!r.BrushFill);
    CheckError();
    if (!r.ParentPolygonmode) SetPolygonMode(r.PolygonMode);
    CheckError();
    if (!r.ParentPen) SetPenWidth(r.Penwidth);
    CheckError();
    if (!r.ParentBrush) SetBrushColor(r.Brushcolor);
    CheckError();
    if (!r.ParentPen) {
        SetPenColor(r.PenColor);
        SetPenStyle(r.PenStyle);
    }
    CheckError();
}

// View.

void TZVDevice::Begin2D(bool begin) {
    if (begin) {
        if (begin2DLevel_++ > 0) return;
        PushMatrix();
        double w = GetWidth(), h = GetHeight();
        if (w == 0) w = 1;
        if (h == 0) h = 1;
        SetMatrix(ScaleMatrix({2 / w, -2 / h, 2 / w}));
        MultMatrix(TranslationMatrix({-w / 2, -h / 2, 0}));
        SetDepthTest(false);
        SetLighting(false);
        savedCullFace_ = cullFace_;
        SetCullFace(false);
    } else {
        if (begin2DLevel_ == 0) return;
        if (--begin2DLevel_ > 0) return;
        SetCullFace(savedCullFace_);
        PopMatrix();
        SetDepthTest(true);
        SetLighting(true);
    }
}

void TZVDevice::SetScale(const TXYZ& scale) {
    auto ratio = [](double v, double old) { return old == 0 ? v : v / old; };
    MultMatrix(ScaleMatrix({ratio(scale.X, scale_.X), ratio(scale.Y, scale_.Y), ratio(scale.Z, scale_.Z)}));
    scale_ = scale;
}

void TZVDevice::SetRenderMode(int32_t mode) {
    renderMode_ = mode;
    if (mode != kSelectMode) return;
    std::fill(selectBuffer_.begin(), selectBuffer_.end(), uint8_t{0});
    selectFill_ = 0;
    hitCount_ = 0;
    pickObjects_.clear();
    pickSpots_.clear();
    ClearNames();
}

double TZVDevice::GetZoomFactor() const {
    return defaultUnitsPerCM_ == 0 ? 1.0 : unitsPerCM_ / defaultUnitsPerCM_;
}

void TZVDevice::SetZoomFactor(double zoom) {
    if (zoom != 0) SetUnitsPerCM(defaultUnitsPerCM_ * zoom);
}

void TZVDevice::SetProjectionKind(int32_t kind) {
    projectionKind_ = kind;
    if (!HandleValid()) return;
    TMatrix4 m = UnitMatrix;
    if (kind == 0) {
        m.M[2][2] = -1;
    } else {
        double d = std::tan(pointOfView_ * std::numbers::pi / 180.0);
        if (d == 0) d = 1;
        m.M[0][0] = m.M[1][1] = m.M[3][3] = 1 / d;
        m.M[2][2] = -1 / d;
        m.M[2][3] = -1;
    }
    SetProjectionMatrix(m);
    SetProjection(kDefaultProjection);
}

void TZVDevice::UpdateViewport() { SetViewport(viewport_); }
void TZVDevice::SetLeft(int32_t x) {
    viewport_.Left = x;
    UpdateViewport();
}
void TZVDevice::SetTop(int32_t y) {
    viewport_.Top = y;
    UpdateViewport();
}
void TZVDevice::SetHeight(int32_t h) {
    viewport_.Bottom = viewport_.Top + h;
    UpdateViewport();
}
void TZVDevice::SetWidth(int32_t w) {
    viewport_.Right = viewport_.Left + w;
    UpdateViewport();
}

void TZVDevice::AddLight(Tlight* light) {
    if (!light) throw Exception("Error on AddLight Alight =NIL");
    lights_.Add(light);
}

void TZVDevice::RemoveLight(Tlight* light) {
    int32_t i = lights_.IndexOf(light);
    if (i >= 0) lights_.Delete(i);
}

void TZVDevice::SetPointOfView(double angle) {
    pointOfView_ = angle;
    if (!HandleValid()) return;
    SetProjectionKind(angle == 0 || angle == 180 ? 0 : 1);
}

void TZVDevice::SetUnitsPerCM(double units) {
    unitsPerCM_ = units;
    double w = std::abs(GetWidth()), h = std::abs(GetHeight());
    if (w != 0 && h != 0) SetScale({2 * units / w, 2 * units / h, 2 * units / w});
}

void TZVDevice::SetBackgroundColor(TColor color) {
    Changing(true);
    backgroundColor_ = color;
    Changing(false);
}

void TZVDevice::SetDefaultUnitsPerCM(double units) {
    defaultUnitsPerCM_ = units;
    Invalidate();
}

void TZVDevice::SetViewport(const TRect& r) {
    viewport_ = r;
    SetUnitsPerCM(unitsPerCM_);
}

void TZVDevice::ViewRay(const TXYZ& p, TXYZ& origin, TXYZ& direction) const {
    origin = p;
    if (pointOfView_ == 0) {
        direction = projection_.ZAxis;
        return;
    }
    double d = GetViewDistance();
    const TXYZ& z = projection_.ZAxis;
    TXYZ eye{projection_.Origin.X + z.X * d, projection_.Origin.Y + z.Y * d, projection_.Origin.Z + z.Z * d};
    direction = {p.X - eye.X, p.Y - eye.Y, p.Z - eye.Z};
}

double TZVDevice::GetViewDistance() const {
    double t = std::tan(pointOfView_ * std::numbers::pi / 360.0);
    return t == 0 ? 1000.0 : 1000.0 / t;
}

TMatrix4 TZVDevice::ViewMatrix() const {
    TMatrix4 inverse;
    InvertMatrix(MatrixFromFrame(FrameOf(projection_)), inverse);
    return MatMul(inverse, ScaleMatrix(scale_));
}

// Painting.

void TZVDevice::BeginPaint() {
    busy_ = true;
    SetMatrix(ViewMatrix());
}

void TZVDevice::DrawGrounds() {
    if (stdGround_) stdGround_->DrawOn(this);
    if (!quickGround_) return;
    bool cull = cullFace_;
    SetXorMode(true);
    SetCullFace(false);
    quickGround_->DrawOn(this);
    SetCullFace(cull);
    SetXorMode(false);
}

// In select mode the repaint runs at once: the pick reads what it wrote.
void TZVDevice::Invalidate() {
    if (busy_) return;
    if (renderMode_ == kSelectMode) Paint();
    else if (HandleValid()) InvalidateWindow(nullptr, true);
}

void TZVDevice::Paint() {
    if (IsLoading() || IsReading() || IsWriting() || busy_) return;
    if (LastChangeBegin() || ChangeLevel() > 0) return;
    BeginPaint();
    DrawGrounds();
    EndPaint();
}

TZvComponent* TZVDevice::Changing(bool begin) {
    TZvComponent* result = TZvComponent::Changing(begin);
    if (ChangeLevel() < 1) Invalidate();
    return result;
}

// Matrices.

void TZVDevice::MultMatrix(const TMatrix4& m) { SetMatrix(MatMul(m, matrix_)); }

void TZVDevice::PushMatrix() { matrixStack_.push_back(matrix_); }

void TZVDevice::PopMatrix() {
    if (matrixStack_.empty()) {
        ShowMessage("Matrixstack underflow ");
        SetMatrix(UnitMatrix);
        return;
    }
    TMatrix4 top = matrixStack_.back();
    matrixStack_.pop_back();
    SetMatrix(top);
}

// Bounds.

void TZVDevice::GetBounds2D(TZvEntity* entity, TRect& r) {
    r = {0, 0, 0, 0};
    if (!entity) return;
    int32_t mode = renderMode_;
    bool wasBusy = busy_;
    SetRenderMode(kBounds2DMode);
    bounds2D_ = {INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
    busy_ = true;
    TMatrix4 saved = matrix_;
    SetMatrix(ViewMatrix());
    MultAncestorMatrices(entity);
    entity->DrawOn(this);
    SetMatrix(saved);
    busy_ = wasBusy;
    SetRenderMode(mode);
    if (bounds2D_.Left > bounds2D_.Right) return;
    r = {bounds2D_.Left - 2, bounds2D_.Top - 2, bounds2D_.Right + 2, bounds2D_.Bottom + 2};
}

void TZVDevice::GetBounds3D(const TProjectionBase& projection, TZvEntity* entity, TBox3D& box) {
    EmptyBox(box);
    if (!entity) return;
    int32_t mode = renderMode_;
    bool wasBusy = busy_;
    SetRenderMode(kBounds3DMode);
    EmptyBox(bounds3D_);
    busy_ = true;
    TMatrix4 saved = matrix_;
    TMatrix4 inverse;
    InvertMatrix(MatrixFromFrame(FrameOf(projection)), inverse);
    SetMatrix(inverse);
    MultAncestorMatrices(entity);
    entity->DrawOn(this);
    SetMatrix(saved);
    busy_ = wasBusy;
    SetRenderMode(mode);
    box = bounds3D_;
}

void TZVDevice::MultAncestorMatrices(const TZvEntity* entity) {
    std::vector<const TZvEntity*> chain;
    for (const TZvEntity* e = entity->GetParentEntity(); e; e = e->GetParentEntity()) chain.push_back(e);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) MultMatrix((*it)->LocalMatrix());
}

TXYZ TZVDevice::ToPixel(const TXYZ& model) const {
    double w = 1;
    TXYZ c = TransformHomogeneous(MatMul(matrix_, projectionMatrix_), model, w);
    if (w != 0 && w != 1) c = {c.X / w, c.Y / w, c.Z / w};
    double width = GetWidth(), height = GetHeight();
    return {viewport_.Left + (c.X + 1) * width / 2, viewport_.Top + (1 - c.Y) * height / 2, (c.Z + 1) / 2};
}

void TZVDevice::GrowBounds2D(const TlistOFxyzArray& list) {
    for (int32_t i = 0; i < list.Count(); ++i) {
        const TXYZArray& a = *list.Items(i);
        for (int32_t k = 0; k < a.Count; ++k) {
            TXYZ p = ToPixel(a.At<TXYZ>(k));
            auto x = static_cast<int32_t>(std::lround(std::clamp(p.X, -1e9, 1e9)));
            auto y = static_cast<int32_t>(std::lround(std::clamp(p.Y, -1e9, 1e9)));
            bounds2D_.Left = std::min(bounds2D_.Left, x);
            bounds2D_.Top = std::min(bounds2D_.Top, y);
            bounds2D_.Right = std::max(bounds2D_.Right, x);
            bounds2D_.Bottom = std::max(bounds2D_.Bottom, y);
        }
    }
}

void TZVDevice::GrowBounds3D(const TlistOFxyzArray& list) {
    for (int32_t i = 0; i < list.Count(); ++i) {
        const TXYZArray& a = *list.Items(i);
        for (int32_t k = 0; k < a.Count; ++k) {
            TXYZ p = TransformPoint(matrix_, a.At<TXYZ>(k));
            bounds3D_.Min = {std::min(bounds3D_.Min.X, p.X), std::min(bounds3D_.Min.Y, p.Y),
                             std::min(bounds3D_.Min.Z, p.Z)};
            bounds3D_.Max = {std::max(bounds3D_.Max.X, p.X), std::max(bounds3D_.Max.Y, p.Y),
                             std::max(bounds3D_.Max.Z, p.Z)};
        }
    }
}

// Only the part of the window that the entity covers is repainted; a ground
// covers the whole window.
void TZVDevice::InvalidateRect(TZvEntity* entity) {
    if (!entity || busy_ || !HandleValid()) return;
    if (dynamic_cast<TZVground*>(entity)) {
        Invalidate();
        return;
    }
    TRect r;
    GetBounds2D(entity, r);
    r = {std::max(r.Left, viewport_.Left), std::max(r.Top, viewport_.Top), std::min(r.Right, viewport_.Right),
         std::min(r.Bottom, viewport_.Bottom)};
    if (r.Left < r.Right && r.Top < r.Bottom) InvalidateWindow(&r, true);
}

// An entity on the quick ground is drawn again in XOR mode, which erases it
// before a change and draws it after.
void TZVDevice::DrawInXorMode(TZvEntity* entity) {
    const bool xorMode = xorMode_;
    SetXorMode(true);
    entity->DrawOn(this);
    SetXorMode(xorMode);
}

void TZVDevice::BeginEntityChange(TZvEntity* entity) {
    if (!entity || busy_) return;
    if (quickGround_ && quickGround_->Contains(entity)) {
        DrawInXorMode(entity);
    } else {
        InvalidateRect(entity);
    }
}

void TZVDevice::EndEntityChange(TZvEntity* entity) {
    if (!entity || busy_) return;
    if (quickGround_ && quickGround_->Contains(entity)) {
        DrawInXorMode(entity);
    } else if (stdGround_ && stdGround_->Contains(entity)) {
        InvalidateRect(entity);
    }
}

// Primitives.

void TZVDevice::DrawText(const TXYZ& pos, const std::string& text) {
    if (font_) DrawGlyphs(*font_, text, pos, fontHeight_);
}

void TZVDevice::DrawGlyphs(const TGlyphs& glyphs, const std::string& text, const TXYZ& pos, double height) {
    PushMatrix();
    MultMatrix(MatMul(ScaleMatrix({height, height, height}), TranslationMatrix(pos)));
    double x = 0;
    for (unsigned char c : text) {
        const TGlyph* glyph = glyphs.Glyph(c);
        if (!glyph) continue;
        PushMatrix();
        MultMatrix(TranslationMatrix({x, 0, 0}));
        DrawPolylines(glyph->Polylines);
        PopMatrix();
        x += glyph->Advance;
    }
    PopMatrix();
}

namespace {

void AddCurvePolyline(const TCurve& curve, TlistOFxyzArray& list) {
    TXYArray flat;
    ArrayInit(flat, sizeof(TXY), 16);
    curve.Flatten(flat);
    TXYZArray* a = list.AddNew();
    for (int32_t i = 0; i < flat.Count; ++i) {
        TXYZ p = FrameToWorld(FrameOf(kDefaultProjection),
                              {flat.At<TXY>(i).X, flat.At<TXY>(i).Y, 0});
        ArrayAdd(*a, &p);
    }
    ArrayClear(flat);
}

}  // namespace

void TZVDevice::DrawCurve(const TCurve& curve) {
    TlistOFxyzArray list;
    AddCurvePolyline(curve, list);
    DrawPolylines(list);
}

void TZVDevice::DrawCurveList(const TList& curves) {
    PushNamePair(4000, 5);
    PushNamePair(7000, PickObject(&curves));
    PushMatrixName();
    TlistOFxyzArray list;
    for (int32_t i = 0; i < curves.Count(); ++i) AddCurvePolyline(*static_cast<const TCurve*>(curves.Get(i)), list);
    DrawPolylines(list);
    if (renderMode_ == kSelectMode) PopNamePair();
    PopNamePair();
    PopNamePair();
}

// One curve as a list of one, named with its kind (3 a primitive, 4 a
// reference) and the curve itself.
void TZVDevice::DrawOneCurve(const TCurve& curve, int32_t kind) {
    PushNamePair(4000, kind);
    PushNamePair(7000, PickObject(&curve));
    TList one;
    one.Add(const_cast<TCurve*>(&curve));
    DrawCurveList(one);
    PopNamePair();
    PopNamePair();
}

void TZVDevice::DrawCurveRef(const TCurve& curve) { DrawOneCurve(curve, 4); }

void TZVDevice::DrawPrimitive(const TCurve& value) { DrawOneCurve(value, 3); }

void TZVDevice::DrawEllipse(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    constexpr int steps = 36;
    TXYi points[steps + 1];
    double cx = (x1 + x2) / 2.0, cy = (y1 + y2) / 2.0, rx = (x2 - x1) / 2.0, ry = (y2 - y1) / 2.0;
    for (int i = 0; i <= steps; ++i) {
        double a = 2 * std::numbers::pi * i / steps;
        points[i] = {static_cast<int32_t>(std::lround(cx + rx * std::cos(a))),
                     static_cast<int32_t>(std::lround(cy + ry * std::sin(a)))};
    }
    DrawPolyline2D(points, steps);
}

void TZVDevice::DrawRectangle(const TRect& r) {
    const TXYi points[5] = {{r.Left, r.Top}, {r.Right, r.Top}, {r.Right, r.Bottom}, {r.Left, r.Bottom}, {r.Left, r.Top}};
    DrawPolyline2D(points, 4);
}

void TZVDevice::DrawLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2) { DrawLineP({x1, y1}, {x2, y2}); }

void TZVDevice::DrawLineP(const TXYi& p1, const TXYi& p2) {
    Begin2D(true);
    DrawLine3D(XYiToXYZ(p1), XYiToXYZ(p2));
    Begin2D(false);
}

void TZVDevice::DrawPolyline2D(const TXYi* points, int32_t lastIndex) {
    if (!points || lastIndex < 0) return;
    TXYZArray a;
    ArrayInit(a, sizeof(TXYZ), lastIndex + 1);
    for (int32_t i = 0; i <= lastIndex; ++i) {
        TXYZ p = XYiToXYZ(points[i]);
        ArrayAdd(a, &p);
    }
    Begin2D(true);
    DrawPolyline3D(a);
    Draw2DHook();
    Begin2D(false);
    ArrayClear(a);
}

void TZVDevice::FrameRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2) { FrameRectR({x1, y1, x2, y2}); }

void TZVDevice::FrameRectR(const TRect& r) {
    int32_t mode = polygonMode_;
    SetPolygonMode(kGLLine);
    DrawRectangle(r);
    SetPolygonMode(mode);
}

// sweep in radians; 0 or a full turn draws the circle.
void TZVDevice::DrawArc3D(const TXYZ& center, const TXYZ& axis, const TXYZ& start, double sweep) {
    if (sweep == 0 || std::abs(sweep) > 2 * std::numbers::pi) sweep = 2 * std::numbers::pi;
    TXYZ u{start.X - center.X, start.Y - center.Y, start.Z - center.Z};
    TXYZ v{axis.Y * u.Z - axis.Z * u.Y, axis.Z * u.X - axis.X * u.Z, axis.X * u.Y - axis.Y * u.X};
    double len = std::sqrt(axis.X * axis.X + axis.Y * axis.Y + axis.Z * axis.Z);
    if (len == 0) return;
    v = {v.X / len, v.Y / len, v.Z / len};
    int steps = std::max(4, static_cast<int>(std::ceil(std::abs(sweep) / (std::numbers::pi / 32))));
    TXYZArray a;
    ArrayInit(a, sizeof(TXYZ), steps + 1);
    for (int i = 0; i <= steps; ++i) {
        double t = sweep * i / steps, c = std::cos(t), s = std::sin(t);
        TXYZ p{center.X + u.X * c + v.X * s, center.Y + u.Y * c + v.Y * s, center.Z + u.Z * c + v.Z * s};
        ArrayAdd(a, &p);
    }
    DrawPolyline3D(a);
    ArrayClear(a);
}

// A circle with p1 and p2 at the ends of a diameter, in the plane of normal.
void TZVDevice::DrawCircle3D(const TXYZ& p1, const TXYZ& p2, const TXYZ& normal) {
    if (renderMode_ != kRenderMode) return;
    TXYZ center{(p1.X + p2.X) / 2, (p1.Y + p2.Y) / 2, (p1.Z + p2.Z) / 2};
    DrawArc3D(center, normal, p1, 0);
}

void TZVDevice::DrawPolyline3D(const TXYZArray& points) {
    PushNamePair(4000, 2);
    PushNamePair(7000, PickObject(&points));
    PushMatrixName();
    TlistOFxyzArray list;
    ArrayAssign(*list.AddNew(), points);
    DrawPolylines(list);
    if (renderMode_ == kSelectMode) PopNamePair();
    PopNamePair();
    PopNamePair();
}

// The outline of the polygon; a concrete device fills it.
void TZVDevice::DrawPolygon3D(int32_t count, const TXYZ* points) {
    if (!points || count < 2) return;
    TXYZArray a = ArrayView(points, sizeof(TXYZ), count);
    TlistOFxyzArray list;
    ArrayAssign(*list.AddNew(), a);
    TXYZ first = points[0];
    ArrayAdd(*list.Items(0), &first);
    DrawPolylines(list);
}

void TZVDevice::ExtendedPrimitive1(const double* xyz, int32_t count) {
    if (!xyz || count < 1) return;
    TXYZArray a = ArrayView(xyz, sizeof(TXYZ), count);
    DrawPolyline3D(a);
}

void TZVDevice::DrawPolylines(const TlistOFxyzArray& list) {
    switch (renderMode_) {
    case kSelectMode: HitTestPolylines(list); break;
    case kBounds2DMode: GrowBounds2D(list); break;
    case kBounds3DMode: GrowBounds3D(list); break;
    default: break;
    }
}

void TZVDevice::DrawEntity(TZvEntity* entity) {
    if (entity) entity->DrawOn(this);
}

void TZVDevice::DrawRect3D(const TRect2D& r) {
    TXYZ points[5] = {{r.X1, r.Y1, 0}, {r.X2, r.Y1, 0}, {r.X2, r.Y2, 0}, {r.X1, r.Y2, 0}, {r.X1, r.Y1, 0}};
    TXYZArray a = ArrayView(points, sizeof(TXYZ), 5);
    DrawPolyline3D(a);
}

}  // namespace zv
