// zvhlr-view: an interactive viewer of OBJ and STL models (or the built-in
// demo part) on the library's OpenGL engine, with hidden lines removed.
#include <zvhlr.h>

#include <CLI/CLI.hpp>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

#include "coplanar_merge.h"
#include "demo_model.h"
#include "model_file.h"
#include "orbit_view.h"
// Xlib last: its macros (Success, None, Bool) clash with names in the headers above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

namespace zv::tool {
namespace {

constexpr int kClickSlack = 3;  // pixels a click may move and still pick

struct ViewerOptions {
    std::string model;
    std::string view = "iso";
    bool yUp = false;
    int width = 800, height = 600;
    int frames = 0;              // quit after this many paints (0: run until 'q')
    std::vector<int> pickAt;     // a click to make after the first paint
};

const char* const kKeys[][2] = {
    {"1 2 3 4 5 6", "front, back, left, right, top, bottom view"},
    {"0 or i", "isometric view"},
    {"h", "hidden-line drawing / shaded faces"},
    {"drag", "turn the model; wheel: zoom"},
    {"click", "print the face under the mouse"},
    {"q, Escape", "quit"},
};

const char* const kNamedKeys[] = {"iso", "front", "back", "left", "right", "top", "bottom"};

struct Scene {
    std::vector<Polygon> polygons;
    std::vector<int> faceOfEntry;  // the polygon of each entry the library numbered
};

Scene LoadScene(const std::string& model) {
    Scene scene;
    scene.polygons = model.empty() ? DemoModel() : MergeCoplanarFaces(LoadModelFile(model));
    return scene;
}

std::vector<TXYZ> Points(const Ring& ring) {
    std::vector<TXYZ> points;
    for (const Vec3& p : ring) points.push_back({p.x, p.y, p.z});
    return points;
}

// Hands every face to the library inside one edit bracket.
void AddFaces(ZVODHandle h, Scene& scene) {
    ZVODSetChanging(h, 1);
    ZVODClear(h);
    scene.faceOfEntry.clear();
    for (size_t face = 0; face < scene.polygons.size(); ++face) {
        const Polygon& polygon = scene.polygons[face];
        std::vector<TXYZ> outer = Points(polygon.outer);
        int32_t last = ZVODAddContour(h, static_cast<int32_t>(outer.size()), outer.data());
        for (const Ring& hole : polygon.holes) {
            std::vector<TXYZ> points = Points(hole);
            last = ZVODAddHole(h, static_cast<int32_t>(points.size()), points.data());
        }
        scene.faceOfEntry.resize(static_cast<size_t>(last + 1), static_cast<int>(face));
    }
    ZVODSetChanging(h, 0);
}

class Viewer {
public:
    Viewer(Display* display, const ViewerOptions& options, Scene scene)
        : display_(display), options_(options), scene_(std::move(scene)),
          view_(BoundsOf(scene_.polygons), options.yUp) {
        if (!view_.SetNamed(options.view)) view_.SetNamed("iso");
    }
    ~Viewer() {
        if (h_) ZVODFree(h_);
        if (window_) XDestroyWindow(display_, window_);
    }

    bool Open();
    int Run();

private:
    void ApplyView();
    void SetHiddenLines(bool on);
    void Pick(int x, int y);
    bool HandleKey(XKeyEvent& event);
    void HandleButton(const XButtonEvent& event, bool press);

    Display* display_;
    ViewerOptions options_;
    Scene scene_;
    OrbitView view_;
    Window window_ = 0;
    ZVODHandle h_ = nullptr;
    int width_ = 0, height_ = 0;
    bool hidden_ = true;
    bool dragging_ = false;
    int pressX_ = 0, pressY_ = 0, lastX_ = 0, lastY_ = 0;
    Atom deleteWindow_ = 0;
};

bool Viewer::Open() {
    width_ = options_.width;
    height_ = options_.height;
    const int screen = DefaultScreen(display_);
    window_ = XCreateSimpleWindow(display_, RootWindow(display_, screen), 0, 0, static_cast<unsigned>(width_),
                                  static_cast<unsigned>(height_), 0, 0, WhitePixel(display_, screen));
    XStoreName(display_, window_, ("zvhlr-view: " + (options_.model.empty() ? "demo part" : options_.model)).c_str());
    XSelectInput(display_, window_,
                 ExposureMask | StructureNotifyMask | KeyPressMask | ButtonPressMask | ButtonReleaseMask |
                     PointerMotionMask);
    deleteWindow_ = XInternAtom(display_, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display_, window_, &deleteWindow_, 1);
    XMapWindow(display_, window_);
    XEvent event;
    do XNextEvent(display_, &event);
    while (event.type != MapNotify);
    h_ = ZVODCreate(window_);
    if (!h_) return false;
    SetHiddenLines(true);
    ApplyView();
    AddFaces(h_, scene_);
    return true;
}

void Viewer::ApplyView() {
    const int32_t viewport[4] = {0, 0, width_, height_};
    ZVODSetViewPort(h_, viewport);
    TZVODData data;
    _ZVODGetData(h_, &data);
    std::array<double, 12> base = view_.Base(width_, height_, data.UnitsPerCM);
    ZVODProjectionBaseChanged(h_, base.data());
}

// The model files' faces run counter-clockwise seen from outside.
void Viewer::SetHiddenLines(bool on) {
    TZVODData data;
    _ZVODGetData(h_, &data);
    data.HiddenLines = on ? -1 : 0;
    data.Clockwise = 0;
    _ZVODSetData(h_, &data);
    _ZVODGetData(h_, &data);
    hidden_ = data.HiddenLines != 0;
    if (on && !hidden_) std::printf("hidden-line drawing is not available: this OpenGL lacks glPolygonOffset\n");
    ZVODChanged(h_);
}

void Viewer::Pick(int x, int y) {
    const int32_t entry = ZVODPick(h_, x, y);
    if (entry < 0 || entry >= static_cast<int32_t>(scene_.faceOfEntry.size())) {
        std::printf("picked nothing at (%d, %d)\n", x, y);
    } else {
        const int face = scene_.faceOfEntry[static_cast<size_t>(entry)];
        std::printf("picked face %d of %zu at (%d, %d) (%zu points, %zu holes)\n", face + 1, scene_.polygons.size(),
                    x, y, scene_.polygons[static_cast<size_t>(face)].outer.size(),
                    scene_.polygons[static_cast<size_t>(face)].holes.size());
    }
    std::fflush(stdout);
}

// False when the key asks to quit.
bool Viewer::HandleKey(XKeyEvent& event) {
    char text[8] = {};
    KeySym key = NoSymbol;
    XLookupString(&event, text, sizeof text - 1, &key, nullptr);
    if (key == XK_Escape || key == XK_q) return false;
    if (key == XK_h) {
        SetHiddenLines(!hidden_);
        std::printf("%s\n", hidden_ ? "hidden-line drawing" : "shaded faces");
        std::fflush(stdout);
    } else if (key == XK_i || (key >= XK_0 && key <= XK_6)) {
        view_.SetNamed(kNamedKeys[key == XK_i ? 0 : key - XK_0]);
        ApplyView();
    }
    return true;
}

void Viewer::HandleButton(const XButtonEvent& event, bool press) {
    if (event.button == Button4 || event.button == Button5) {
        if (!press) return;
        view_.Zoom(event.button == Button4 ? 1.1 : 1 / 1.1);
        ApplyView();
        return;
    }
    if (event.button != Button1) return;
    if (press) {
        dragging_ = true;
        pressX_ = lastX_ = event.x;
        pressY_ = lastY_ = event.y;
        return;
    }
    dragging_ = false;
    if (std::abs(event.x - pressX_) <= kClickSlack && std::abs(event.y - pressY_) <= kClickSlack) Pick(event.x, event.y);
}

int Viewer::Run() {
    int frames = 0;
    for (;;) {
        XEvent event;
        XNextEvent(display_, &event);
        switch (event.type) {
        case Expose:
            if (event.xexpose.count > 0) break;
            ZVODDraw(h_, 0);
            ++frames;
            if (frames == 1 && options_.pickAt.size() == 2) Pick(options_.pickAt[0], options_.pickAt[1]);
            if (options_.frames > 0 && frames >= options_.frames) {
                std::printf("rendered %d frames\n", frames);
                return 0;
            }
            if (options_.frames > 0) ZVODChanged(h_);
            break;
        case ConfigureNotify:
            if (event.xconfigure.width == width_ && event.xconfigure.height == height_) break;
            width_ = event.xconfigure.width;
            height_ = event.xconfigure.height;
            ApplyView();
            break;
        case KeyPress:
            if (!HandleKey(event.xkey)) return 0;
            break;
        case ButtonPress:
        case ButtonRelease: HandleButton(event.xbutton, event.type == ButtonPress); break;
        case MotionNotify:
            if (!dragging_) break;
            while (XCheckTypedWindowEvent(display_, window_, MotionNotify, &event)) {}
            view_.Drag(event.xmotion.x - lastX_, event.xmotion.y - lastY_);
            lastX_ = event.xmotion.x;
            lastY_ = event.xmotion.y;
            ApplyView();
            break;
        case ClientMessage:
            if (static_cast<Atom>(event.xclient.data.l[0]) == deleteWindow_) return 0;
            break;
        default: break;
        }
    }
}

void PrintKeys() {
    for (const auto& key : kKeys) std::printf("  %-12s %s\n", key[0], key[1]);
    std::fflush(stdout);
}

}  // namespace
}  // namespace zv::tool

int main(int argc, char** argv) {
    using namespace zv::tool;
    ViewerOptions options;
    CLI::App app{"zvhlr-view: look at a model with hidden lines removed by the OpenGL engine"};
    app.add_option("model", options.model, "OBJ or STL file (none: the built-in demo part)");
    app.add_option("--view", options.view, "the first view: iso, front, back, left, right, top, bottom, ...");
    app.add_flag("--y-up", options.yUp, "the model's up axis is Y (default Z)");
    app.add_option("--width", options.width, "window width in pixels")->check(CLI::Range(16, 8192));
    app.add_option("--height", options.height, "window height in pixels")->check(CLI::Range(16, 8192));
    app.add_option("--frames", options.frames, "quit after painting this many frames")->check(CLI::NonNegativeNumber);
    app.add_option("--pick", options.pickAt, "pick at window pixel X Y after the first frame")->expected(2);
    CLI11_PARSE(app, argc, argv);
    if (!NamedView(options.view)) {
        std::fprintf(stderr, "zvhlr-view: unknown view \"%s\"\n", options.view.c_str());
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        const char* name = std::getenv("DISPLAY");
        std::fprintf(stderr, "zvhlr-view: cannot open the X display \"%s\": the viewer needs an X server ($DISPLAY)\n",
                     name ? name : "");
        return 1;
    }
    int result = 1;
    try {
        Viewer viewer(display, options, LoadScene(options.model));
        std::printf("zvhlr-view: %s\n", options.model.empty() ? "the demo part" : options.model.c_str());
        PrintKeys();
        if (viewer.Open()) result = viewer.Run();
        else std::fprintf(stderr, "zvhlr-view: the OpenGL engine could not paint on the window\n");
    } catch (const std::exception& error) {
        std::fprintf(stderr, "zvhlr-view: %s\n", error.what());
    }
    XCloseDisplay(display);
    return result;
}
