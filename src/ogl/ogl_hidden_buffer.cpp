#include "ogl/ogl_hidden_buffer.h"

#include <cmath>

#include "ogl/gl_entry_points.h"
#include "ogl/ogl_canvas.h"
#include "ogl/ogl_display_list.h"
#include "ogl/ogl_light.h"
#include "platform/hit_list.h"

namespace zv {
namespace {

constexpr TColor kWhite = 0xFFFFFF;
constexpr int32_t kGroupNameTag = 8000;

}  // namespace

// Tmygrob.

const TClass& Tmygrob::Class() {
    static const TClass info("Tmygrob", &TZvGrob::Class(), nullptr);
    return info;
}
const TClass& Tmygrob::ClassType() const { return Class(); }

void Tmygrob::DrawContents(TZVDevice& device) {
    (void)device;
    DoDraw();
}

void Tmygrob::DoDraw() {
    if (!Owner) return;
    TZVDevice* canvas = Owner->Canvas();
    for (int32_t i = 0; i < Owner->ContourCount(); ++i) {
        canvas->PushNamePair(kGroupNameTag, i);
        canvas->DrawPolylines(*Owner->ContourAt(i));
        canvas->PopNamePair();
    }
}

// TOglhiddenbuffer.

bool AcceptableContour(const TPointArray& points) {
    if (points.Count < 2 || !points.Data || points.ElemSize != static_cast<int32_t>(sizeof(TXYZ))) return false;
    for (int32_t k = 0; k < points.Count; ++k) {
        const TXYZ& p = points.At<TXYZ>(k);
        if (!std::isfinite(p.X) || !std::isfinite(p.Y) || !std::isfinite(p.Z)) return false;
    }
    return true;
}

TOglhiddenbuffer::TOglhiddenbuffer(Window window)
    : TOglhiddenbuffer(TComponent::Create<TZvOglCanvas>(nullptr), window) {}

TOglhiddenbuffer::TOglhiddenbuffer(TZVDevice* canvas, Window window) : canvas_(canvas) {
    try {
        grob_ = TComponent::Create<Tmygrob>(nullptr);
        grob_->Owner = this;
        grob_->SetParentEntity(canvas_->StdGround());
        canvas_->SetBackgroundColor(kWhite);
        canvas_->SetHandle(reinterpret_cast<void*>(window));
        displayList_ = new TOglDisplayList(canvas_);
        AddLightOff();
        canvas_->SetHiddenLineMode(true);
        canvas_->SetAutoCompile(false);
        canvas_->SetPenColor(0);
    } catch (...) {
        if (grob_) grob_->Owner = nullptr;
        delete displayList_;
        canvas_->Free();
        throw;
    }
}

// A light of its own, switched off, after the default lights that attaching
// the window made; the first light of the list is then switched off and
// placed at (1, 1, 5).
void TOglhiddenbuffer::AddLightOff() {
    canvas_->AddLight(TComponent::Create<TZVOglLight>(nullptr));
    TLights& lights = canvas_->GetLights();
    if (lights.Count() == 0) return;
    Tlight* first = lights.Items(0);
    first->SetEnabled(false);
    first->SetPosition({1, 1, 5});
}

TOglhiddenbuffer::~TOglhiddenbuffer() {
    grob_->Owner = nullptr;  // nothing of the buffer is drawn from here on
    Clear();
    delete displayList_;
    canvas_->Free();  // frees its grounds and with them the grob
}

void TOglhiddenbuffer::Clear() {
    // A group stands once for its contour and once per hole, in adjacent
    // entries: it is freed at the first of them.
    for (int32_t i = Contours.Count() - 1; i >= 0; --i) {
        void* group = Contours.Get(i);
        Contours.Delete(i);
        if (i == 0 || Contours.Get(i - 1) != group) delete static_cast<TlistOFxyzArray*>(group);
    }
    Contours.SetCapacity(0);
    MarkListInvalid();
    currentGroup_ = nullptr;
}

void TOglhiddenbuffer::MarkListInvalid() { displayList_->SetCompiled(false); }

void TOglhiddenbuffer::AddContour(const TPointArray& points) {
    if (!AcceptableContour(points)) return;
    auto* group = new TlistOFxyzArray;
    try {
        ArrayAssign(*group->AddNew(), points);
        Contours.Add(group);
    } catch (...) {
        delete group;
        throw;
    }
    currentGroup_ = group;
    MarkListInvalid();
}

void TOglhiddenbuffer::AddHole(const TPointArray& points) {
    if (!currentGroup_ || !AcceptableContour(points)) return;
    Contours.Add(currentGroup_);
    ArrayAssign(*currentGroup_->AddNew(), points);
    MarkListInvalid();
}

void TOglhiddenbuffer::SetChanging(bool begin) {
    changeCount_ += begin ? 1 : -1;
    if (changeCount_ == 0) Changed();
}

void TOglhiddenbuffer::Changed() {
    canvas_->Invalidate();
    OnChange(this);
}

void TOglhiddenbuffer::Draw() { canvas_->Paint(); }

void TOglhiddenbuffer::SetProjectionBase(const double base[12]) {
    TProjectionBase p{{base[0], base[1], base[2]}, {base[3], base[4], base[5]}, {base[6], base[7], base[8]},
                      {base[9], base[10], base[11]}};
    SetChanging(true);
    canvas_->SetProjection(p);
    SetChanging(false);
}

bool TOglhiddenbuffer::Clockwise() const { return canvas_ && canvas_->GetClockwise(); }

void TOglhiddenbuffer::SetClockwise(bool value) {
    if (value == Clockwise()) return;
    MarkListInvalid();
    canvas_->SetClockwise(value);
    Changed();
}

void TOglhiddenbuffer::SetHiddenLines(bool value) {
    if (value && !glPolygonOffset) return;
    hiddenLines_ = value;
    canvas_->SetHiddenLineMode(value);
    Changed();
}

int32_t TOglhiddenbuffer::Pick(int32_t x, int32_t y) {
    THittypeList hits;
    if (!canvas_->Pick(x, y, nullptr, hits)) return -1;
    const TPickHit* nearest = nullptr;
    for (int32_t i = 0; i < hits.Count(); ++i) {
        auto* hit = dynamic_cast<const TPickHit*>(hits.Items(i));
        if (!hit || !hit->HasValue || hit->Value < 0 || hit->Value >= ContourCount()) continue;
        if (!nearest || hit->Depth < nearest->Depth) nearest = hit;
    }
    if (!nearest) return -1;
    int32_t index = nearest->Value;
    while (index > 0 && Contours.Get(index - 1) == Contours.Get(index)) --index;
    return index;
}

}  // namespace zv
