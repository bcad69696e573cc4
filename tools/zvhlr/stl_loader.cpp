#include "stl_loader.h"

#include <cctype>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "load_error.h"
#include "number_parse.h"
#include "text_lines.h"
#include "vertex_weld.h"

namespace zv::tool {

namespace {

constexpr size_t kHeaderSize = 84;
constexpr size_t kTriangleSize = 50;

std::uint32_t ReadU32(const std::string& data, size_t at) {
    const auto* b = reinterpret_cast<const unsigned char*>(data.data() + at);
    return std::uint32_t(b[0]) | std::uint32_t(b[1]) << 8 | std::uint32_t(b[2]) << 16 | std::uint32_t(b[3]) << 24;
}

double ReadF32(const std::string& data, size_t at) {
    std::uint32_t bits = ReadU32(data, at);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

bool StartsWithSolid(const std::string& data) {
    size_t start = data.find_first_not_of(" \t\r\n");
    return start != std::string::npos && data.compare(start, 5, "solid") == 0;
}

// Adds a triangle (or polygon) unless two of its corners coincide.
void AddFace(Mesh& mesh, VertexWeld& weld, const std::vector<Vec3>& corners, int group) {
    MeshFace face;
    face.group = group;
    for (Vec3 p : corners) {
        int index = weld.IndexOf(p);
        for (int other : face.loop) {
            if (other == index) return;
        }
        face.loop.push_back(index);
    }
    mesh.faces.push_back(std::move(face));
}

// Triangles or lines between two progress reports.
constexpr std::uint64_t kReportEvery = 8192;

Mesh ParseBinaryStl(const std::string& data, const std::string& name, const LoadProgress& progress) {
    if (data.size() < kHeaderSize) {
        throw LoadError::AtByte(name, data.size(),
                                "truncated binary STL: the header needs 84 bytes, the file has " +
                                    std::to_string(data.size()));
    }
    const std::uint64_t count = ReadU32(data, 80);
    const std::uint64_t needed = kHeaderSize + count * kTriangleSize;
    if (data.size() < needed) {
        std::uint64_t complete = (data.size() - kHeaderSize) / kTriangleSize;
        throw LoadError::AtByte(name, kHeaderSize + complete * kTriangleSize,
                                "truncated binary STL: the header announces " + std::to_string(count) +
                                    " triangles (" + std::to_string(needed) + " bytes), the file has " +
                                    std::to_string(data.size()) + " bytes");
    }
    Mesh mesh;
    mesh.groups.push_back(std::string(data.substr(0, 80).c_str()));
    VertexWeld weld(mesh.vertices);
    for (std::uint64_t t = 0; t < count; ++t) {
        if (progress && t % kReportEvery == 0) progress(double(t) / double(count));
        const size_t base = kHeaderSize + t * kTriangleSize;
        std::vector<Vec3> corners;
        for (int c = 0; c < 3; ++c) {
            size_t at = base + 12 + 12 * c;
            Vec3 p{ReadF32(data, at), ReadF32(data, at + 4), ReadF32(data, at + 8)};
            if (!IsFinite(p)) {
                throw LoadError::AtByte(name, at, "triangle " + std::to_string(t + 1) + " has a non-finite coordinate");
            }
            corners.push_back(p);
        }
        AddFace(mesh, weld, corners, 0);
    }
    return mesh;
}

bool Is(std::string_view token, std::string_view keyword) {
    if (token.size() != keyword.size()) return false;
    for (size_t k = 0; k < token.size(); ++k) {
        if (std::tolower(static_cast<unsigned char>(token[k])) != keyword[k]) return false;
    }
    return true;
}

std::string Quoted(std::string_view token) { return "'" + std::string(token) + "'"; }

// Reads the ASCII form line by line as a small state machine.
class AsciiStlReader {
public:
    AsciiStlReader(const std::string& name) : name_(name), weld_(mesh_.vertices) {}

    Mesh Read(const std::string& data, const LoadProgress& progress) {
        std::vector<std::string_view> tokens;
        ForEachLine(data, [&](long number, std::string_view line) {
            line_ = number;
            if (progress && number % kReportEvery == 0) progress(double(line.data() - data.data()) / double(data.size()));
            SplitTokens(line, tokens);
            if (!tokens.empty()) Statement(tokens);
        });
        if (state_ != State::Outside && state_ != State::InSolid) Fail("the file ends inside a facet");
        if (state_ == State::Outside && mesh_.groups.empty()) Fail("no 'solid' found");
        return std::move(mesh_);
    }

private:
    enum class State { Outside, InSolid, InFacet, InLoop, AfterLoop };

    [[noreturn]] void Fail(const std::string& what) const { throw LoadError::AtLine(name_, line_, what); }

    void Expect(State state, std::string_view keyword) const {
        if (state_ != state) Fail("unexpected " + Quoted(keyword));
    }

    Vec3 Point(const std::vector<std::string_view>& tokens, std::string_view what) const {
        if (tokens.size() != 4) {
            Fail(Quoted(what) + " needs three numbers");
        }
        Vec3 p;
        double* slots[3] = {&p.x, &p.y, &p.z};
        size_t first = tokens.size() - 3;
        for (size_t k = 0; k < 3; ++k) {
            auto value = ParseFiniteDouble(tokens[first + k]);
            if (!value) Fail(Quoted(tokens[first + k]) + " is not a finite number");
            *slots[k] = *value;
        }
        return p;
    }

    void Statement(const std::vector<std::string_view>& tokens) {
        std::string_view keyword = tokens[0];
        if (Is(keyword, "solid")) {
            Expect(State::Outside, keyword);
            std::string groupName;
            for (size_t k = 1; k < tokens.size(); ++k) groupName += (k > 1 ? " " : "") + std::string(tokens[k]);
            mesh_.groups.push_back(groupName);
            state_ = State::InSolid;
        } else if (Is(keyword, "facet")) {
            Expect(State::InSolid, keyword);
            if (tokens.size() < 2 || !Is(tokens[1], "normal")) Fail("'facet' must be followed by 'normal'");
            Point({tokens.begin() + 1, tokens.end()}, "normal");
            state_ = State::InFacet;
        } else if (Is(keyword, "outer")) {
            Expect(State::InFacet, keyword);
            if (tokens.size() != 2 || !Is(tokens[1], "loop")) Fail("expected 'outer loop'");
            corners_.clear();
            state_ = State::InLoop;
        } else if (Is(keyword, "vertex")) {
            Expect(State::InLoop, keyword);
            corners_.push_back(Point(tokens, "vertex"));
        } else if (Is(keyword, "endloop")) {
            Expect(State::InLoop, keyword);
            if (corners_.size() < 3) Fail("a facet needs at least three vertices, this one has " + std::to_string(corners_.size()));
            AddFace(mesh_, weld_, corners_, static_cast<int>(mesh_.groups.size()) - 1);
            state_ = State::AfterLoop;
        } else if (Is(keyword, "endfacet")) {
            Expect(State::AfterLoop, keyword);
            state_ = State::InSolid;
        } else if (Is(keyword, "endsolid")) {
            Expect(State::InSolid, keyword);
            state_ = State::Outside;
        } else {
            Fail("unknown keyword " + Quoted(keyword));
        }
    }

    const std::string& name_;
    Mesh mesh_;
    VertexWeld weld_;
    State state_ = State::Outside;
    long line_ = 0;
    std::vector<Vec3> corners_;
};

}  // namespace

bool LooksLikeBinaryStl(const std::string& data) {
    if (data.size() >= kHeaderSize && kHeaderSize + std::uint64_t(ReadU32(data, 80)) * kTriangleSize == data.size()) {
        return true;
    }
    return !StartsWithSolid(data);
}

Mesh ParseStl(const std::string& data, const std::string& name, const LoadProgress& progress) {
    if (LooksLikeBinaryStl(data)) return ParseBinaryStl(data, name, progress);
    return AsciiStlReader(name).Read(data, progress);
}

Mesh LoadStlFile(const std::string& path, const LoadProgress& progress) {
    return ParseStl(ReadWholeFile(path), path, progress);
}

}  // namespace zv::tool
