// zvhlr: line drawings of 3-D models with hidden lines removed.
#include <zvhlr.h>

#include <cstdio>
#include <exception>
#include <filesystem>
#include <iostream>
#include <new>

#include "cairo_writer.h"
#include "camera.h"
#include "coplanar_merge.h"
#include "demo_model.h"
#include "dxf_writer.h"
#include "hidden_line_run.h"
#include "interrupt.h"
#include "label.h"
#include "load_error.h"
#include "model_file.h"
#include "model_frame.h"
#include "options.h"
#include "output_file.h"
#include "page_size.h"
#include "progress.h"

namespace zv::tool {
namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
constexpr int kExitInterrupted = 130;

enum class OutputFormat { Svg, Pdf, Png, Dxf, Unknown };

OutputFormat FormatOf(const std::string& path) {
    const std::string extension = LowerExtension(path);
    if (extension == "svg") return OutputFormat::Svg;
    if (extension == "pdf") return OutputFormat::Pdf;
    if (extension == "png") return OutputFormat::Png;
    if (extension == "dxf") return OutputFormat::Dxf;
    return OutputFormat::Unknown;
}

std::string ModelName(const Options& options) {
    return options.input.empty() ? "the demo part" : std::filesystem::path(options.input).filename().string();
}

// The model's polygons in its local frame.
struct Model {
    std::vector<Polygon> polygons;
    ModelFrame frame;
};

Model LoadModel(const Options& options, ProgressBar& bar) {
    if (options.input.empty()) return {DemoModel(), {}};
    Mesh mesh = LoadModelFile(options.input, [&bar](double fraction) { bar.Update(fraction); });
    bar.Begin("merging the faces of " + ModelName(options));
    Model model;
    model.frame = CentreOnBounds(mesh);
    MergeTolerance tolerance;
    tolerance.rounding = model.frame.rounding;
    model.polygons = options.allEdges ? FacesAsPolygons(mesh) : MergeCoplanarFaces(mesh, tolerance);
    return model;
}

ViewSpec ViewOf(const Options& options) {
    ViewSpec view = *NamedView(options.view, options.yUp);
    if (options.direction) {
        view.direction = *options.direction;
        view.up = options.yUp ? Vec3{0, 1, 0} : Vec3{0, 0, 1};
    }
    if (options.up) view.up = *options.up;
    view.perspectiveDegrees = options.perspectiveDegrees;
    return view;
}

RunResult Calculate(const Model& model, const Options& options, ProgressBar& bar) {
    Camera camera(ViewOf(options), BoundsOf(model.polygons));
    bar.Begin("hidden lines");
    RunOptions run;
    run.smoothDegrees = options.allEdges ? 0 : options.smoothDegrees;
    run.reference = options.reference;
    run.rounding = model.frame.rounding;
    run.printedStep = model.frame.printedStep;
    if (bar.Enabled()) run.progress = [&bar](double fraction) { bar.Update(fraction); };
    run.abortRequested = [] { return InterruptGuard::Requested(); };
    RunResult result = RemoveHiddenLines(model.polygons, camera, run);
    MoveToFileFrame(result.drawing, model.frame, camera);
    bar.Finish();
    return result;
}

void Write(const Drawing& drawing, const std::string& path, OutputFormat format, const Options& options) {
    if (format == OutputFormat::Dxf) return WriteDxfFile(drawing, options.hidden, path);
    Extent extent = ExtentOf(drawing, options.hidden);
    CairoStyle style;
    style.page = OrientedFor(*ParsePageSize(options.size), extent.max.x - extent.min.x, extent.max.y - extent.min.y);
    style.marginMm = options.marginMm;
    style.strokeMm = options.strokeMm;
    style.withHidden = options.hidden;
    style.dpi = options.dpi;
    CairoFormat cairoFormat = format == OutputFormat::Pdf ? CairoFormat::Pdf
                              : format == OutputFormat::Png ? CairoFormat::Png
                                                            : CairoFormat::Svg;
    WriteCairoDrawing(drawing, path, cairoFormat, style);
}

void PrintStats(const RunResult& result) {
    std::printf("faces:          %d\n", result.polygons);
    std::printf("contours:       %d", result.contours);
    if (result.rejected > 0) std::printf(" (%d refused by the library)", result.rejected);
    if (result.edgeOn > 0) std::printf(" (%d faces seen edge-on left out)", result.edgeOn);
    std::printf("\nvisible length: %.10g\n", LengthOf(result.drawing.visible));
    std::printf("hidden length:  %.10g\n", LengthOf(result.drawing.hidden));
    std::printf("mode:           %s\n", CalcModeName(result.mode));
    if (result.pairs >= 0) {
        std::printf("pairs tested:   %lld (%lld crossings)\n", static_cast<long long>(result.pairs),
                    static_cast<long long>(result.crossings));
    }
    std::printf("calculation:    %.3f s\n", result.seconds);
}

void QuietMessages(int32_t, const char*, void*) {}

void AddLabel(Drawing& drawing, const Options& options) {
    Label label = LabelUnder(options.label, options.font, ExtentOf(drawing, options.hidden));
    if (label.family.empty()) {
        std::fprintf(stderr, "zvhlr: no outline font found for \"%s\": the label is left out\n", options.font.c_str());
    }
    drawing.text = std::move(label.lines);
}

int Run(const Options& options) {
    const std::string output = OutputPath(options);
    const OutputFormat format = FormatOf(output);
    if (format == OutputFormat::Unknown) {
        std::fprintf(stderr, "zvhlr: %s: unknown drawing format (use .svg, .pdf, .png or .dxf)\n", output.c_str());
        return kExitUsage;
    }
    if (const std::string problem = OutputProblem(output); !problem.empty()) {
        std::fprintf(stderr, "zvhlr: %s: cannot write the drawing: %s\n", output.c_str(), problem.c_str());
        return kExitFailure;
    }
    if (options.input.empty() && !options.quiet) std::printf("No model file given: drawing the built-in demo part.\n");
    if (options.quiet) ZVSetMessageHandler(QuietMessages, nullptr);
    ProgressBar bar(!options.quiet);
    InterruptGuard guard;
    bar.Begin("loading " + ModelName(options));
    const Model model = LoadModel(options, bar);
    bar.Finish();
    if (InterruptGuard::Requested()) {
        std::fprintf(stderr, "zvhlr: stopped by Ctrl-C while loading %s; nothing written\n", ModelName(options).c_str());
        return kExitInterrupted;
    }
    RunResult result;
    if (!model.polygons.empty()) result = Calculate(model, options, bar);
    if (result.aborted) {
        std::fprintf(stderr, "zvhlr: calculation stopped by Ctrl-C; nothing written\n");
        return kExitInterrupted;
    }
    if (result.contours == 0) {
        std::fprintf(stderr, "zvhlr: %s: no drawable faces (every face has no area or is seen edge-on); nothing written\n",
                     options.input.c_str());
        return kExitFailure;
    }
    if (!options.label.empty()) AddLabel(result.drawing, options);
    Write(result.drawing, output, format, options);
    if (options.stats) PrintStats(result);
    if (!options.quiet) {
        std::error_code error;
        std::filesystem::path shown = std::filesystem::absolute(output, error);
        std::printf("Wrote %s\n", (error ? output : shown.string()).c_str());
    }
    return 0;
}

}  // namespace
}  // namespace zv::tool

int main(int argc, char** argv) {
    using namespace zv::tool;
    ParsedOptions parsed = ParseOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "zvhlr: %s\nTry 'zvhlr --help' for more information.\n", parsed.error.c_str());
        return kExitUsage;
    }
    if (parsed.options.help) {
        std::fputs(HelpText().c_str(), stdout);
        return 0;
    }
    if (parsed.options.version) {
        std::printf("zvhlr %d.%d\n", ZVHLR_VERSION_MAJOR, ZVHLR_VERSION_MINOR);
        return 0;
    }
    try {
        return Run(parsed.options);
    } catch (const LoadError& error) {
        std::fprintf(stderr, "zvhlr: %s\n", error.what());
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "zvhlr: out of memory\n");
    } catch (const std::exception& error) {
        std::fprintf(stderr, "zvhlr: %s\n", error.what());
    }
    return kExitFailure;
}
