#include "options.h"

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>

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

std::optional<double> ParseNumberIn(const std::string& text, double low, double high) {
    auto value = ParseFiniteDouble(text);
    if (!value || *value < low || *value > high) return std::nullopt;
    return value;
}

std::string JoinedViewNames() {
    std::string text;
    for (const std::string& name : ViewNames()) text += (text.empty() ? "" : ", ") + name;
    return text;
}

class Parser {
public:
    ParsedOptions Parse(const std::vector<std::string>& arguments) {
        for (size_t k = 0; k < arguments.size() && result_.error.empty(); ++k) {
            std::string argument = arguments[k];
            std::optional<std::string> inlineValue;
            if (argument.rfind("--", 0) == 0 && argument.find('=') != std::string::npos) {
                inlineValue = argument.substr(argument.find('=') + 1);
                argument = argument.substr(0, argument.find('='));
            }
            if (argument.size() > 1 && argument[0] == '-') {
                Option(argument, inlineValue, arguments, k);
            } else if (o().input.empty()) {
                o().input = argument;
            } else {
                Fail("more than one input file given ('" + o().input + "' and '" + argument + "')");
            }
        }
        if (result_.error.empty()) CheckCombination();
        return result_;
    }

private:
    Options& o() { return result_.options; }
    void Fail(const std::string& error) {
        if (result_.error.empty()) result_.error = error;
    }

    void CheckCombination() {
        if (o().direction && viewGiven_) Fail("--view and --dir cannot be used together");
        if (o().up && o().direction && Length(Cross(*o().direction, *o().up)) < 1e-9 * Length(*o().direction) * Length(*o().up)) {
            Fail("--up must not be parallel to --dir");
        }
    }

    void Option(const std::string& name, const std::optional<std::string>& inlineValue,
                const std::vector<std::string>& arguments, size_t& k) {
        static const std::map<std::string, bool Options::*> flags = {
            {"--hidden", &Options::hidden}, {"--all-edges", &Options::allEdges}, {"--y-up", &Options::yUp},
            {"--stats", &Options::stats},   {"--quiet", &Options::quiet},        {"-q", &Options::quiet},
            {"--reference", &Options::reference},
            {"--help", &Options::help},     {"-h", &Options::help},              {"--version", &Options::version},
        };
        if (auto flag = flags.find(name); flag != flags.end()) {
            if (inlineValue) return Fail(name + " takes no value");
            o().*(flag->second) = true;
            return;
        }
        static const char* const valued[] = {"-o",     "--output", "--view",   "--dir",    "--up", "--perspective",
                                             "--smooth", "--size", "--margin", "--stroke", "--dpi",
                                             "--label", "--font"};
        if (std::find(std::begin(valued), std::end(valued), name) == std::end(valued)) {
            return Fail("unknown option '" + name + "'");
        }
        std::string value;
        if (inlineValue) {
            value = *inlineValue;
        } else if (k + 1 < arguments.size()) {
            value = arguments[++k];
        } else {
            return Fail(name + " needs a value");
        }
        Valued(name, value);
    }

    void Number(double& slot, const std::string& name, const std::string& value, double low, double high) {
        if (auto number = ParseNumberIn(value, low, high)) {
            slot = *number;
        } else {
            Fail(name + " needs a number from " + ShortNumber(low) + " to " + ShortNumber(high) + ", not '" + value + "'");
        }
    }

    static std::string ShortNumber(double v) {
        std::string text = std::to_string(v);
        text.erase(text.find_last_not_of('0') + 1);
        if (text.back() == '.') text.pop_back();
        return text;
    }

    void Valued(const std::string& name, const std::string& value) {
        if (name == "-o" || name == "--output") {
            o().output = value;
        } else if (name == "--view") {
            if (!NamedView(value)) return Fail("unknown view '" + value + "'; views: " + JoinedViewNames());
            o().view = value;
            viewGiven_ = true;
        } else if (name == "--dir" || name == "--up") {
            auto vector = ParseVector(value);
            if (!vector) return Fail(name + " needs three numbers X,Y,Z, not all zero, not '" + value + "'");
            (name == "--dir" ? o().direction : o().up) = vector;
        } else if (name == "--perspective") {
            Number(o().perspectiveDegrees, name, value, 1, 170);
        } else if (name == "--smooth") {
            Number(o().smoothDegrees, name, value, 0, 89);
        } else if (name == "--size") {
            if (!ParsePageSize(value)) return Fail("unknown page size '" + value + "' (try a4, a3-landscape, letter or 200x150mm)");
            o().size = value;
        } else if (name == "--margin") {
            Number(o().marginMm, name, value, 0, 200);
        } else if (name == "--stroke") {
            Number(o().strokeMm, name, value, 0.01, 10);
        } else if (name == "--dpi") {
            Number(o().dpi, name, value, 10, 1200);
        } else if (name == "--label") {
            o().label = value;
        } else if (name == "--font") {
            if (value.empty()) return Fail("--font needs a font name");
            o().font = value;
        } else {
            Fail("unknown option '" + name + "'");
        }
    }

    ParsedOptions result_;
    bool viewGiven_ = false;
};

}  // namespace

ParsedOptions ParseOptions(const std::vector<std::string>& arguments) { return Parser().Parse(arguments); }

std::string OutputPath(const Options& options) {
    if (!options.output.empty()) return options.output;
    if (options.input.empty()) return "zvhlr-demo.svg";
    return std::filesystem::path(options.input).filename().replace_extension(".svg").string();
}

std::string HelpText() {
    return R"(Usage: zvhlr [OPTIONS] [MODEL]

Draws a clean line drawing of a 3-D model from a chosen view, with hidden
lines removed (or shown dashed with --hidden).

MODEL is a Wavefront OBJ (.obj) or STL (.stl, ASCII or binary) file.  Without
MODEL, zvhlr draws its built-in demo part to zvhlr-demo.svg.

Output:
  -o, --output FILE     the drawing; its extension picks the format:
                          .svg .pdf .png  (page drawing, scaled to fit)
                          .dxf            (R12 DXF, layers VISIBLE and HIDDEN,
                                           in model units of the view plane)
                        default: MODEL's name with .svg, in the current folder
      --hidden          also draw hidden lines, dashed and lighter
      --size SIZE       page: a0..a5, letter, legal, tabloid (turned to suit
                        the drawing; add -portrait or -landscape to fix it),
                        or WxH[mm|cm|in|pt|px], e.g. 200x150mm   [a4]
      --margin MM       empty border around the drawing            [10]
      --stroke MM       width of visible lines (hidden: 70 %)      [0.35]
      --dpi N           resolution of PNG output                   [150]
      --label TEXT      write TEXT under the drawing in a stroke font, as
                        lines like the drawing's (DXF: layer TEXT)
      --font NAME       the font of the label                      [Arial]

View:
      --view NAME       front, back, left, right, top, bottom, iso, or an
                        isometric corner: iso-{front|back}-{left|right},
                        optionally ending in -bottom                [iso]
      --dir X,Y,Z       look along this direction instead (from the eye
                        towards the model), e.g. --dir -1,2,-0.5
      --up X,Y,Z        the direction that is up in the drawing     [0,0,1]
      --perspective DEG perspective projection with this field of view
                        (1 to 170 degrees); parallel projection without it
      --y-up            the model's up axis is Y, not Z (as in many OBJ
                        files); named views turn accordingly

Edges:
      --all-edges       draw every edge of every face; by default faces in
                        one plane are merged so only real edges appear
      --smooth DEG      edges between faces meeting at less than DEG (such
                        as the facets of a cylinder) are drawn only on the
                        outline; 0 draws them all                   [20]

Other:
      --stats           print faces, contours, visible and hidden line
                        lengths, the calculation mode and time
      --reference       calculate the slow way, through zvhlr's own
                        projection with every contour tested against every
                        face; the drawing is the same (for comparison)
  -q, --quiet           print nothing but errors
  -h, --help            show this help
      --version         show the version

Ctrl-C stops a long calculation; a progress bar shows on a terminal.

Examples:
  zvhlr                                   draw the demo part
  zvhlr bracket.stl --view front -o front.pdf
  zvhlr part.obj --hidden --view iso-back-left -o part.png
  zvhlr part.stl --dir 1,1,-1 --perspective 40 -o part.dxf
)";
}

}  // namespace zv::tool
