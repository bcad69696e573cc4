#include "options.h"

#include <CLI/CLI.hpp>

#include <filesystem>
#include <memory>

#include "camera.h"
#include "number_parse.h"
#include "page_size.h"

namespace zv::tool {

namespace {

std::optional<Vec3> ParseVector(const std::string& text) {
    Vec3 v;
    double* slots[3] = {&v.x, &v.y, &v.z};
    size_t start = 0;
    for (int k = 0; k < 3; ++k) {
        size_t comma = text.find(',', start);
        if ((k < 2) == (comma == std::string::npos)) return std::nullopt;
        auto value = ParseFiniteDouble(text.substr(start, comma == std::string::npos ? comma : comma - start));
        if (!value) return std::nullopt;
        *slots[k] = *value;
        start = comma + 1;
    }
    if (Length(v) == 0) return std::nullopt;
    return v;
}

std::string ShortNumber(double v) {
    std::string text = std::to_string(v);
    text.erase(text.find_last_not_of('0') + 1);
    if (text.back() == '.') text.pop_back();
    return text;
}

std::string JoinedViewNames() {
    std::string text;
    for (const std::string& name : ViewNames()) text += (text.empty() ? "" : ", ") + name;
    return text;
}

// Validators that answer in the tool's own words; an answer starting with
// "needs" reads on from the option's name.
CLI::Validator NumberIn(double low, double high) {
    return CLI::Validator(
        [low, high](std::string& value) -> std::string {
            auto number = ParseFiniteDouble(value);
            if (number && *number >= low && *number <= high) return "";
            return "needs a number from " + ShortNumber(low) + " to " + ShortNumber(high) + ", not '" + value + "'";
        },
        "");
}

CLI::Validator VectorCheck() {
    return CLI::Validator(
        [](std::string& value) -> std::string {
            return ParseVector(value) ? "" : "needs three numbers X,Y,Z, not all zero, not '" + value + "'";
        },
        "");
}

CLI::Validator ViewCheck() {
    return CLI::Validator(
        [](std::string& value) -> std::string {
            return NamedView(value) ? "" : "unknown view '" + value + "'; views: " + JoinedViewNames();
        },
        "");
}

CLI::Validator PageCheck() {
    return CLI::Validator(
        [](std::string& value) -> std::string {
            return ParsePageSize(value) ? "" : "unknown page size '" + value + "' (try a4, a3-landscape, letter or 200x150mm)";
        },
        "");
}

// The values as CLI11 fills them; vectors and numbers are converted after the parse.
struct Raw {
    std::vector<std::string> inputs;
    std::string direction, up;
};

void DefineOutputOptions(CLI::App& app, Options& o) {
    const char* group = "Output";
    app.add_option("-o,--output", o.output,
                   "the drawing; its extension picks the format: .svg .pdf .png (page drawing, scaled to fit) or "
                   ".dxf (R12 DXF, layers VISIBLE and HIDDEN, in model units of the view plane); default: MODEL's "
                   "name with .svg, in the current folder")
        ->type_name("FILE")->group(group);
    app.add_flag("--hidden", o.hidden, "also draw hidden lines, dashed and lighter")->group(group);
    app.add_option("--size", o.size,
                   "page: a0..a5, letter, legal, tabloid (turned to suit the drawing; add -portrait or -landscape "
                   "to fix it), or WxH[mm|cm|in|pt|px], e.g. 200x150mm")
        ->check(PageCheck())->type_name("SIZE")->capture_default_str()->group(group);
    app.add_option("--margin", o.marginMm, "empty border around the drawing, in mm")
        ->check(NumberIn(0, 200))->type_name("MM")->capture_default_str()->group(group);
    app.add_option("--stroke", o.strokeMm, "width of visible lines in mm (hidden: 70 %)")
        ->check(NumberIn(0.01, 10))->type_name("MM")->capture_default_str()->group(group);
    app.add_option("--dpi", o.dpi, "resolution of PNG output")
        ->check(NumberIn(10, 1200))->type_name("N")->capture_default_str()->group(group);
    app.add_option("--label", o.label,
                   "write TEXT under the drawing in a stroke font, as lines like the drawing's (DXF: layer TEXT)")
        ->type_name("TEXT")->group(group);
    app.add_option("--font", o.font, "the font of the label")
        ->check(CLI::Validator([](std::string& v) { return v.empty() ? std::string("needs a font name") : ""; }, ""))
        ->type_name("NAME")->capture_default_str()->group(group);
}

void DefineViewOptions(CLI::App& app, Options& o, Raw& raw) {
    const char* group = "View";
    app.add_option("--view", o.view,
                   "front, back, left, right, top, bottom, iso, or an isometric corner: "
                   "iso-{front|back}-{left|right}, optionally ending in -bottom")
        ->check(ViewCheck())->type_name("NAME")->capture_default_str()->group(group);
    app.add_option("--dir", raw.direction,
                   "look along this direction instead (from the eye towards the model), e.g. --dir -1,2,-0.5")
        ->check(VectorCheck())->type_name("X,Y,Z")->group(group);
    app.add_option("--up", raw.up, "the direction that is up in the drawing [0,0,1]")->check(VectorCheck())->type_name("X,Y,Z")->group(group);
    app.add_option("--perspective", o.perspectiveDegrees,
                   "perspective projection with this field of view (1 to 170 degrees); parallel projection without it")
        ->check(NumberIn(1, 170))->type_name("DEG")->group(group);
    app.add_flag("--y-up", o.yUp, "the model's up axis is Y, not Z (as in many OBJ files); named views turn accordingly")
        ->group(group);
}

void DefineOtherOptions(CLI::App& app, Options& o) {
    app.add_flag("--all-edges", o.allEdges,
                 "draw every edge of every face; by default faces in one plane are merged so only real edges appear")
        ->group("Edges");
    app.add_option("--smooth", o.smoothDegrees,
                   "edges between faces meeting at less than DEG (such as the facets of a cylinder) are drawn only "
                   "on the outline; 0 draws them all")
        ->check(NumberIn(0, 89))->type_name("DEG")->capture_default_str()->group("Edges");
    const char* group = "Other";
    app.add_flag("--stats", o.stats, "print faces, contours, visible and hidden line lengths, the calculation mode and time")
        ->group(group);
    app.add_flag("--reference", o.reference,
                 "calculate the slow way, through zvhlr's own projection with every contour tested against every "
                 "face; the drawing is the same (for comparison)")
        ->group(group);
    app.add_flag("-q,--quiet", o.quiet, "print nothing but errors")->group(group);
    app.add_flag("-h,--help", o.help, "show this help")->group(group);
    app.add_flag("--version", o.version, "show the version")->group(group);
}

// The text broken into lines of at most width characters, at spaces.
std::string Wrapped(const std::string& text, size_t width) {
    std::string out;
    size_t lineStart = 0;
    for (size_t k = 0; k < text.size();) {
        size_t end = text.find(' ', k);
        if (end == std::string::npos) end = text.size();
        if (out.size() > lineStart && out.size() - lineStart + 1 + (end - k) > width) {
            out += '\n';
            lineStart = out.size();
        } else if (out.size() > lineStart) {
            out += ' ';
        }
        out += text.substr(k, end - k);
        k = end + 1;
    }
    return out;
}

const char* const kDescription =
    "Draws a clean line drawing of a 3-D model from a chosen view, with hidden\n"
    "lines removed (or shown dashed with --hidden).\n\n"
    "MODEL is a Wavefront OBJ (.obj) or STL (.stl, ASCII or binary) file.  Without\n"
    "MODEL, zvhlr draws its built-in demo part to zvhlr-demo.svg.\n";

const char* const kFooter =
    "Ctrl-C stops a long calculation; a progress line shows on a terminal.\n\n"
    "Examples:\n"
    "  zvhlr                                   draw the demo part\n"
    "  zvhlr bracket.stl --view front -o front.pdf\n"
    "  zvhlr part.obj --hidden --view iso-back-left -o part.png\n"
    "  zvhlr part.stl --dir 1,1,-1 --perspective 40 -o part.dxf\n";

// The tool's command line.  Subcommands (such as an interactive viewer) can be
// added to the returned application beside the drawing options.
std::unique_ptr<CLI::App> CommandLine(Options& o, Raw& raw) {
    auto app = std::make_unique<CLI::App>(kDescription, "zvhlr");
    app->set_help_flag();
    app->allow_extras();
    app->footer(kFooter);
    app->get_formatter()->column_width(26);
    app->option_defaults()->disable_flag_override();
    app->add_option("MODEL", raw.inputs, "the model file (.obj or .stl)")->expected(0, -1)->type_name("");
    DefineOutputOptions(*app, o);
    DefineViewOptions(*app, o, raw);
    DefineOtherOptions(*app, o);
    for (CLI::Option* option : app->get_options()) option->description(Wrapped(option->get_description(), 52));
    return app;
}

// CLI11's message in the tool's words: "NAME: needs ..." reads "NAME needs ...".
std::string MessageOf(const CLI::ParseError& error) {
    std::string text = error.what();
    const size_t colon = text.find(": ");
    if (colon != std::string::npos && text.compare(colon + 2, 5, "needs") == 0) return text.erase(colon, 1);
    const std::string flagValue = " was given a disallowed flag override";
    if (text.size() > flagValue.size() && text.ends_with(flagValue)) {
        std::string name = text.substr(0, text.size() - flagValue.size());
        return (name.starts_with("-") ? name : "--" + name) + " takes no value";
    }
    if (dynamic_cast<const CLI::ArgumentMismatch*>(&error) && colon != std::string::npos) {
        return text.substr(0, colon) + " needs a value";
    }
    return text;
}

std::string CheckAfterParse(const CLI::App& app, Options& o, const Raw& raw) {
    for (const std::string& extra : app.remaining()) {
        if (extra.size() > 1 && extra[0] == '-') return "unknown option '" + extra.substr(0, extra.find('=')) + "'";
    }
    if (raw.inputs.size() > 1) return "more than one input file given ('" + raw.inputs[0] + "' and '" + raw.inputs[1] + "')";
    if (!raw.inputs.empty()) o.input = raw.inputs[0];
    if (!raw.direction.empty()) o.direction = ParseVector(raw.direction);
    if (!raw.up.empty()) o.up = ParseVector(raw.up);
    if (o.direction && app.count("--view") > 0) return "--view and --dir cannot be used together";
    if (o.up && o.direction && Length(Cross(*o.direction, *o.up)) < 1e-9 * Length(*o.direction) * Length(*o.up)) {
        return "--up must not be parallel to --dir";
    }
    return "";
}

}  // namespace

ParsedOptions ParseOptions(const std::vector<std::string>& arguments) {
    ParsedOptions parsed;
    Raw raw;
    auto app = CommandLine(parsed.options, raw);
    std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());  // CLI11 takes them last first
    try {
        app->parse(reversed);
    } catch (const CLI::ParseError& error) {
        parsed.error = MessageOf(error);
        return parsed;
    }
    parsed.error = CheckAfterParse(*app, parsed.options, raw);
    return parsed;
}

std::string OutputPath(const Options& options) {
    if (!options.output.empty()) return options.output;
    if (options.input.empty()) return "zvhlr-demo.svg";
    return std::filesystem::path(options.input).filename().replace_extension(".svg").string();
}

std::string HelpText() {
    Options options;
    Raw raw;
    return CommandLine(options, raw)->help();
}

}  // namespace zv::tool
