#include "obj_loader.h"

#include <tiny_obj_loader.h>

#include <istream>
#include <streambuf>
#include <string_view>

#include "load_error.h"
#include "number_parse.h"
#include "text_lines.h"

namespace zv::tool {

namespace {

// Counts of the referable elements seen so far, and the exact vertex positions.
struct ObjElements {
    std::vector<Vec3> positions;
    long texcoords = 0;
    long normals = 0;
};

// Checks the statements the tool relies on, line by line, so that a malformed
// file is reported with the line and the fault.  The reader library itself is
// lenient (it reads a bad number as 0 and only warns about bad indexes).
class ObjChecker {
public:
    explicit ObjChecker(const std::string& name) : name_(name) {}

    ObjElements Check(const std::string& text) {
        std::vector<std::string_view> tokens;
        ForEachLine(text, [&](long number, std::string_view line) {
            line_ = number;
            SplitTokens(line, tokens);
            if (!tokens.empty() && tokens[0][0] != '#') Statement(tokens);
        });
        return std::move(elements_);
    }

private:
    [[noreturn]] void Fail(const std::string& what) const { throw LoadError::AtLine(name_, line_, what); }

    // Checks every number of the statement; returns how many there are and
    // keeps the first three.
    size_t Numbers(const std::vector<std::string_view>& tokens, double first[3]) const {
        for (size_t k = 1; k < tokens.size(); ++k) {
            auto value = ParseFiniteDouble(tokens[k]);
            if (!value) Fail("'" + std::string(tokens[0]) + "': '" + std::string(tokens[k]) + "' is not a finite number");
            if (k <= 3) first[k - 1] = *value;
        }
        return tokens.size() - 1;
    }

    void Statement(const std::vector<std::string_view>& tokens) {
        std::string_view keyword = tokens[0];
        double values[3];
        if (keyword == "v") {
            size_t count = Numbers(tokens, values);
            if (count < 3) Fail("a vertex needs three coordinates, this one has " + std::to_string(count));
            elements_.positions.push_back({values[0], values[1], values[2]});
        } else if (keyword == "vt") {
            if (Numbers(tokens, values) == 0) Fail("a texture coordinate needs at least one number");
            ++elements_.texcoords;
        } else if (keyword == "vn") {
            if (Numbers(tokens, values) != 3) Fail("a normal needs three numbers");
            ++elements_.normals;
        } else if (keyword == "f") {
            Face(tokens);
        }
    }

    // Checks one index of a corner reference: nonzero, and within the elements
    // defined so far (negative indexes count back from the last one).
    void CheckIndex(std::string_view text, long available, const char* kind, std::string_view corner) const {
        auto index = ParseInteger(text);
        auto where = [&] { return "face corner '" + std::string(corner) + "': "; };  // built for a message only
        if (!index) Fail(where() + "'" + std::string(text) + "' is not an index");
        if (*index == 0) Fail(where() + "index 0 is not allowed (indexes start at 1)");
        long resolved = *index > 0 ? *index : available + *index + 1;
        if (resolved < 1 || resolved > available) {
            Fail(where() + std::string(kind) + " index " + std::to_string(*index) + " is out of range (" +
                 std::to_string(available) + " defined so far)");
        }
    }

    void Face(const std::vector<std::string_view>& tokens) {
        if (tokens.size() < 4) Fail("a face needs at least three corners, this one has " + std::to_string(tokens.size() - 1));
        for (size_t k = 1; k < tokens.size(); ++k) {
            std::string_view corner = tokens[k];
            std::string_view parts[3];
            size_t count = 0, start = 0;
            for (size_t slash; (slash = corner.find('/', start)) != std::string_view::npos; start = slash + 1) {
                if (count == 2) Fail("face corner '" + std::string(corner) + "' has more than three parts");
                parts[count++] = corner.substr(start, slash - start);
            }
            parts[count++] = corner.substr(start);
            CheckIndex(parts[0], static_cast<long>(elements_.positions.size()), "vertex", corner);
            if (count >= 2 && !parts[1].empty()) CheckIndex(parts[1], elements_.texcoords, "texture", corner);
            if (count == 3) {
                if (parts[2].empty()) Fail("face corner '" + std::string(corner) + "' has an empty normal index");
                CheckIndex(parts[2], elements_.normals, "normal", corner);
            }
        }
    }

    const std::string& name_;
    ObjElements elements_;
    long line_ = 0;
};

// Appends a face unless it has fewer than three distinct corners; repeated
// neighbouring corners are dropped.
void AddFace(Mesh& mesh, std::vector<int> loop, int group) {
    std::vector<int> clean;
    for (int index : loop) {
        if (clean.empty() || clean.back() != index) clean.push_back(index);
    }
    while (clean.size() > 1 && clean.front() == clean.back()) clean.pop_back();
    if (clean.size() < 3) return;
    mesh.faces.push_back({std::move(clean), group});
}

// Builds the mesh from the reader's statement callbacks.
struct MeshBuilder {
    Mesh mesh;
    std::vector<Vec3> exact;  // the positions as the checker read them
    size_t vertexCount = 0;   // 'v' statements seen so far
    int group = -1;           // no group statement yet

    void StartGroup(std::string name) {
        group = static_cast<int>(mesh.groups.size());
        mesh.groups.push_back(std::move(name));
    }

    void AddVertex(double x, double y, double z) {
        mesh.vertices.push_back(vertexCount < exact.size() ? exact[vertexCount] : Vec3{x, y, z});
        ++vertexCount;
    }

    void AddFaceOf(const tinyobj::index_t* corners, int count) {
        std::vector<int> loop;
        for (int k = 0; k < count; ++k) {
            int raw = corners[k].vertex_index;
            long resolved = raw > 0 ? raw - 1 : static_cast<long>(vertexCount) + raw;
            if (raw == 0 || resolved < 0 || resolved >= static_cast<long>(vertexCount)) return;
            loop.push_back(static_cast<int>(resolved));
        }
        if (group < 0) StartGroup("");
        AddFace(mesh, std::move(loop), group);
    }
};

tinyobj::callback_t MeshBuilderCallbacks() {
    tinyobj::callback_t callbacks;
    callbacks.vertex_cb = [](void* user, tinyobj::real_t x, tinyobj::real_t y, tinyobj::real_t z, tinyobj::real_t) {
        static_cast<MeshBuilder*>(user)->AddVertex(x, y, z);
    };
    callbacks.index_cb = [](void* user, tinyobj::index_t* corners, int count) {
        static_cast<MeshBuilder*>(user)->AddFaceOf(corners, count);
    };
    callbacks.group_cb = [](void* user, const char** names, int count) {
        std::string name;
        for (int k = 0; k < count; ++k) name += (k ? " " : "") + std::string(names[k]);
        static_cast<MeshBuilder*>(user)->StartGroup(name);
    };
    callbacks.object_cb = [](void* user, const char* name) {
        static_cast<MeshBuilder*>(user)->StartGroup(name ? name : "");
    };
    return callbacks;
}

// Lets the reader library read the text in place (a string stream would copy it).
struct TextBuffer : std::streambuf {
    explicit TextBuffer(const std::string& text) {
        char* begin = const_cast<char*>(text.data());  // only ever read
        setg(begin, begin, begin + text.size());
    }
};

}  // namespace

Mesh ParseObj(const std::string& text, const std::string& name) {
    MeshBuilder builder;
    builder.exact = ObjChecker(name).Check(text).positions;
    TextBuffer buffer(text);
    std::istream stream(&buffer);
    std::string warnings, errors;
    if (!tinyobj::LoadObjWithCallback(stream, MeshBuilderCallbacks(), &builder, nullptr, &warnings, &errors)) {
        throw LoadError(name, errors.empty() ? "the OBJ reader failed" : errors.substr(0, errors.find('\n')));
    }
    return std::move(builder.mesh);
}

Mesh LoadObjFile(const std::string& path) { return ParseObj(ReadWholeFile(path), path); }

}  // namespace zv::tool
