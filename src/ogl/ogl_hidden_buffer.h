// TOglhiddenbuffer: planar faces painted on a window by the OpenGL canvas with
// hidden lines removed by the depth buffer. The buffer keeps the faces as
// contour groups (outer contour, then its holes); Tmygrob hangs below the
// canvas's standard ground and hands every group to the canvas in each pass
// of its two-pass hidden-line painting.
#pragma once

#include <cstdint>

#include "device/ground.h"
#include "geometry/point_array.h"
#include "runtime/event.h"

namespace zv {

class TOglhiddenbuffer;

// The graphic object that walks the buffer's contour groups.
class Tmygrob : public TZvGrob {
public:
    static const TClass& Class();
    const TClass& ClassType() const override;

    // Each entry of the owner's Contours, in list order, goes to the
    // device's DrawPolylines; in a select pass every entry carries its index
    // under the name tag 8000.
    void DoDraw() override;
    void DrawContents(TZVDevice& device) override;

    TOglhiddenbuffer* Owner = nullptr;

protected:
    friend class TComponent;
    explicit Tmygrob(TComponent* owner) : TZvGrob(owner) {}
};

class TOglhiddenbuffer {
public:
    using Window = unsigned long;  // an X window id

    // A buffer painting through a new OpenGL canvas on window.
    explicit TOglhiddenbuffer(Window window);
    TOglhiddenbuffer(const TOglhiddenbuffer&) = delete;
    TOglhiddenbuffer& operator=(const TOglhiddenbuffer&) = delete;
    virtual ~TOglhiddenbuffer();

    virtual void Clear();

    // A new contour group with a copy of points as its outer contour. Fewer
    // than two points or a coordinate that is not finite store nothing.
    void AddContour(const TPointArray& points);
    // A copy of points as a hole of the current group; the group enters
    // Contours once more. Without a current group (before the first contour,
    // after Clear) the hole is refused; so is a hole that AddContour would
    // refuse.
    void AddHole(const TPointArray& points);
    int32_t ContourCount() const { return Contours.Count(); }
    TlistOFxyzArray* ContourAt(int32_t index) const { return static_cast<TlistOFxyzArray*>(Contours.Get(index)); }

    // Edit bracket: closing the outermost one calls Changed.
    void SetChanging(bool begin);
    // Invalidates the window, then OnChange.
    void Changed();
    // Paints the window now.
    void Draw();
    // base: origin, X axis, Y axis, Z axis (towards the viewer), 12 doubles.
    void SetProjectionBase(const double base[12]);
    bool Clockwise() const;
    void SetClockwise(bool value);
    // Switching on needs glPolygonOffset; without it the call does nothing.
    void SetHiddenLines(bool value);

    // The group drawn nearest to the viewer at window pixel (x, y): the
    // index of its first entry in Contours, or -1 when no outline is near.
    int32_t Pick(int32_t x, int32_t y);

    TZVDevice* Canvas() const { return canvas_; }
    Tmygrob* Grob() const { return grob_; }
    TDisplayList* DisplayList() const { return displayList_; }
    int32_t ChangeCount() const { return changeCount_; }
    bool HiddenLines() const { return hiddenLines_; }

    // Called by Changed when assigned; the library never assigns it.
    TEvent<TOglhiddenbuffer*> OnChange;

private:
    // Takes over the new canvas: it is freed again when the set-up fails.
    TOglhiddenbuffer(TZVDevice* canvas, Window window);
    void AddLightOff();
    void MarkListInvalid();

    Tmygrob* grob_ = nullptr;
    int32_t changeCount_ = 0;
    bool hiddenLines_ = false;
    TDisplayList* displayList_ = nullptr;
    TlistOFxyzArray* currentGroup_ = nullptr;
    TList Contours;
    TZVDevice* canvas_ = nullptr;
};

// True when points can be stored: at least two points, all finite.
bool AcceptableContour(const TPointArray& points);

}  // namespace zv
