#include "dxf_writer.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <sstream>
#include <stdexcept>

#include "output_file.h"

namespace zv::tool {

namespace {

// One group: the code right-aligned in three columns, then the value.
void Group(std::ostream& out, int code, const std::string& value) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "%3d", code);
    out << buffer << '\n' << value << '\n';
}

void Group(std::ostream& out, int code, double value) { Group(out, code, ExactNumber(value)); }
void Group(std::ostream& out, int code, int value) { Group(out, code, std::to_string(value)); }

void Header(std::ostream& out, const Extent& extent) {
    Group(out, 0, "SECTION");
    Group(out, 2, "HEADER");
    Group(out, 9, "$ACADVER");
    Group(out, 1, "AC1009");
    Group(out, 9, "$EXTMIN");
    Group(out, 10, extent.min.x);
    Group(out, 20, extent.min.y);
    Group(out, 30, 0.0);
    Group(out, 9, "$EXTMAX");
    Group(out, 10, extent.max.x);
    Group(out, 20, extent.max.y);
    Group(out, 30, 0.0);
    Group(out, 9, "$LTSCALE");
    Group(out, 40, 1.0);
    Group(out, 0, "ENDSEC");
}

void Linetype(std::ostream& out, const std::string& name, const std::string& look, double dash, double gap) {
    Group(out, 0, "LTYPE");
    Group(out, 2, name);
    Group(out, 70, 0);
    Group(out, 3, look);
    Group(out, 72, 65);
    Group(out, 73, dash > 0 ? 2 : 0);
    Group(out, 40, dash > 0 ? dash + gap : 0.0);
    if (dash > 0) {
        Group(out, 49, dash);
        Group(out, 49, -gap);
    }
}

void Layer(std::ostream& out, const std::string& name, int colour, const std::string& linetype) {
    Group(out, 0, "LAYER");
    Group(out, 2, name);
    Group(out, 70, 0);
    Group(out, 62, colour);
    Group(out, 6, linetype);
}

// The dash of the hidden linetype: a hundredth of the drawing's diagonal.
double DashLength(const Extent& extent) {
    if (extent.empty) return 1;
    double diagonal = std::hypot(extent.max.x - extent.min.x, extent.max.y - extent.min.y);
    return diagonal > 0 ? diagonal / 100 : 1;
}

void Tables(std::ostream& out, const Extent& extent) {
    Group(out, 0, "SECTION");
    Group(out, 2, "TABLES");
    Group(out, 0, "TABLE");
    Group(out, 2, "LTYPE");
    Group(out, 70, 2);
    Linetype(out, "CONTINUOUS", "Solid line", 0, 0);
    const double dash = DashLength(extent);
    Linetype(out, "DASHED", "__ __ __ __", dash, dash / 2);
    Group(out, 0, "ENDTAB");
    Group(out, 0, "TABLE");
    Group(out, 2, "LAYER");
    Group(out, 70, 4);
    Layer(out, "0", 7, "CONTINUOUS");
    Layer(out, "VISIBLE", 7, "CONTINUOUS");
    Layer(out, "HIDDEN", 8, "DASHED");
    Layer(out, "TEXT", 7, "CONTINUOUS");
    Group(out, 0, "ENDTAB");
    Group(out, 0, "ENDSEC");
}

void Lines(std::ostream& out, const std::vector<Polyline>& lines, const std::string& layer) {
    for (const Polyline& line : lines) {
        for (size_t k = 1; k < line.size(); ++k) {
            Group(out, 0, "LINE");
            Group(out, 8, layer);
            Group(out, 10, line[k - 1].x);
            Group(out, 20, line[k - 1].y);
            Group(out, 30, 0.0);
            Group(out, 11, line[k].x);
            Group(out, 21, line[k].y);
            Group(out, 31, 0.0);
        }
    }
}

// Each line as one open POLYLINE with its VERTEX entities, so that a pen
// draws a letter's outline without lifting.
void Polylines(std::ostream& out, const std::vector<Polyline>& lines, const std::string& layer) {
    for (const Polyline& line : lines) {
        Group(out, 0, "POLYLINE");
        Group(out, 8, layer);
        Group(out, 66, 1);
        Group(out, 10, 0.0);
        Group(out, 20, 0.0);
        Group(out, 30, 0.0);
        Group(out, 70, 0);
        for (Point2 p : line) {
            Group(out, 0, "VERTEX");
            Group(out, 8, layer);
            Group(out, 10, p.x);
            Group(out, 20, p.y);
            Group(out, 30, 0.0);
        }
        Group(out, 0, "SEQEND");
        Group(out, 8, layer);
    }
}

}  // namespace

std::string ExactNumber(double value) {
    if (value == 0) return "0";
    char buffer[32];
    auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    if (error != std::errc()) return "0";
    return std::string(buffer, end);
}

void WriteDxf(const Drawing& drawing, bool withHidden, std::ostream& out) {
    Extent extent = ExtentOf(drawing, withHidden);
    if (extent.empty) extent = {{0, 0}, {0, 0}, false};
    Header(out, extent);
    Tables(out, extent);
    Group(out, 0, "SECTION");
    Group(out, 2, "ENTITIES");
    if (withHidden) Lines(out, drawing.hidden, "HIDDEN");
    Lines(out, drawing.visible, "VISIBLE");
    Polylines(out, drawing.text, "TEXT");
    Group(out, 0, "ENDSEC");
    Group(out, 0, "EOF");
}

void WriteDxfFile(const Drawing& drawing, bool withHidden, const std::string& path) {
    std::ostringstream text;
    WriteDxf(drawing, withHidden, text);
    const std::string bytes = text.str();
    OutputFile file(path);
    file.Write(bytes.data(), bytes.size());
    file.Close();
}

}  // namespace zv::tool
