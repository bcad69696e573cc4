// The command line of zvhlr.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "vec3.h"

namespace zv::tool {

struct Options {
    std::string input;   // empty: the built-in demo model
    std::string output;  // empty: derived from the input
    std::string view = "iso";
    std::optional<Vec3> direction;
    std::optional<Vec3> up;
    double perspectiveDegrees = 0;
    bool yUp = false;
    bool hidden = false;
    bool allEdges = false;
    double smoothDegrees = 25;  // above the 22.5° between facets of a 16-segment circle, below a 12-gon's 30°
    std::string size = "a4";
    double marginMm = 10;
    double strokeMm = 0.35;
    double dpi = 150;
    std::string label;           // a line of text under the drawing; empty: none
    std::string font = "Arial";  // its stroke font
    bool stats = false;
    bool reference = false;  // the slow reference calculation, for comparison
    bool quiet = false;
    bool help = false;
    bool version = false;
};

struct ParsedOptions {
    Options options;
    std::string error;  // empty when the command line is valid
};

ParsedOptions ParseOptions(const std::vector<std::string>& arguments);

std::string HelpText();

// The output file for the options: the given one, the input's name with the
// extension .svg, or "zvhlr-demo.svg" for the demo.
std::string OutputPath(const Options& options);

}  // namespace zv::tool
