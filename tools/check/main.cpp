// zvhlr-check: draws models the way zvhlr does and checks every drawing by
// ray casting; prints the wrong and missing lengths per model and view, and
// fails when any share exceeds the limit.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <filesystem>
#include <exception>

#include "camera.h"
#include "coplanar_merge.h"
#include "hidden_line_run.h"
#include "model_file.h"
#include "model_frame.h"
#include "ray_check.h"

using namespace zv::tool;

int main(int argc, char** argv) {
    std::vector<std::string> models;
    std::vector<std::string> views{"iso"};
    double perspective = 0, smooth = RunOptions{}.smoothDegrees, limit = 0.5;
    CLI::App app("Checks zvhlr's drawings of models by casting rays to the eye.", "zvhlr-check");
    app.add_option("MODEL", models, "model files (.obj, .stl)")->required();
    app.add_option("--view", views, "named views to check, comma-separated")->delimiter(',')->allow_extra_args(false)->capture_default_str();
    app.add_option("--perspective", perspective, "field of view in degrees; 0 for parallel")->capture_default_str();
    app.add_option("--smooth", smooth, "smooth-edge angle, as zvhlr's --smooth")->capture_default_str();
    app.add_option("--limit", limit, "largest wrong plus missing share in percent")->capture_default_str();
    CLI11_PARSE(app, argc, argv);

    std::printf("%-28s %-16s %12s %9s %9s %9s %9s %8s\n", "model", "view", "drawn", "vis>hid", "hid>vis", "missing",
                "skipped %", "wrong %");
    bool over = false;
    for (const std::string& path : models) {
        std::vector<Polygon> polygons;
        ModelFrame frame;
        try {
            Mesh mesh = LoadModelFile(path);
            MergeTolerance tolerance;
            frame = CentreOnBounds(mesh);  // checked in the model's own frame, as zvhlr draws
            tolerance.rounding = frame.rounding;
            polygons = MergeCoplanarFaces(mesh, tolerance);
        } catch (const std::exception& error) {
            std::fprintf(stderr, "zvhlr-check: %s\n", error.what());
            over = true;
            continue;
        }
        for (const std::string& name : views) {
            std::optional<ViewSpec> view = NamedView(name);
            if (!view) {
                std::fprintf(stderr, "zvhlr-check: unknown view '%s'\n", name.c_str());
                return 2;
            }
            view->perspectiveDegrees = perspective;
            const Camera camera(*view, BoundsOf(polygons));
            RunOptions options;
            options.smoothDegrees = smooth;
            options.rounding = frame.rounding;
            options.printedStep = frame.printedStep;
            const RunResult run = RemoveHiddenLines(polygons, camera, options);
            const CheckResult check = CheckDrawing(polygons, camera, smooth, run.drawing, frame.rounding);
            const double share = 100 * check.WrongShare();
            over = over || share > limit;
            const double skipped = check.checked > 0 ? 100 * check.skipped / check.checked : 0;
            std::printf("%-28s %-16s %12.6g %9.4g %9.4g %9.4g %9.2f %8.3f%s\n",
                        std::filesystem::path(path).filename().string().c_str(), name.c_str(), check.drawn,
                        check.visibleHidden, check.hiddenVisible, check.missing, skipped, share, share > limit ? "  !" : "");
        }
    }
    return over ? 1 : 0;
}
