#include "mesh_file.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace bench {
namespace {

std::runtime_error Failure(const std::string& path, const std::string& reason) {
    return std::runtime_error(path + ": " + reason);
}

bool Finite(const TXYZ& p) { return std::isfinite(p.X) && std::isfinite(p.Y) && std::isfinite(p.Z); }

std::string Extension(const std::string& path) {
    const size_t dot = path.find_last_of('.');
    std::string ext = dot == std::string::npos ? "" : path.substr(dot + 1);
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext;
}

// One OBJ vertex reference "i", "i/t", "i//n" or "i/t/n"; negative counts from the end.
bool ObjIndex(const std::string& token, size_t vertexCount, size_t& index) {
    long v = 0;
    try {
        v = std::stol(token.substr(0, token.find('/')));
    } catch (...) {
        return false;
    }
    if (v > 0 && static_cast<size_t>(v) <= vertexCount) {
        index = static_cast<size_t>(v - 1);
        return true;
    }
    if (v < 0 && static_cast<size_t>(-v) <= vertexCount) {
        index = vertexCount - static_cast<size_t>(-v);
        return true;
    }
    return false;
}

Scene ReadObj(const std::string& path, std::istream& in) {
    Scene scene{path, {}};
    std::vector<TXYZ> vertices;
    std::string line;
    int lineNumber = 0;
    while (std::getline(in, line)) {
        ++lineNumber;
        std::istringstream fields(line);
        std::string tag;
        fields >> tag;
        if (tag == "v") {
            TXYZ p{0, 0, 0};
            if (!(fields >> p.X >> p.Y >> p.Z) || !Finite(p))
                throw Failure(path, "bad vertex on line " + std::to_string(lineNumber));
            vertices.push_back(p);
        } else if (tag == "f") {
            Contour face;
            std::string token;
            while (fields >> token) {
                size_t index = 0;
                if (!ObjIndex(token, vertices.size(), index))
                    throw Failure(path, "bad vertex reference '" + token + "' on line " + std::to_string(lineNumber));
                face.push_back(vertices[index]);
            }
            if (face.size() >= 3) scene.faces.push_back({face, {}});
        }
    }
    return scene;
}

Scene ReadAsciiStl(const std::string& path, std::istream& in) {
    Scene scene{path, {}};
    std::string word;
    Contour face;
    while (in >> word) {
        if (word == "vertex") {
            TXYZ p{0, 0, 0};
            if (!(in >> p.X >> p.Y >> p.Z) || !Finite(p)) throw Failure(path, "bad vertex");
            face.push_back(p);
        } else if (word == "endfacet") {
            if (face.size() >= 3) scene.faces.push_back({face, {}});
            face.clear();
        }
    }
    return scene;
}

Scene ReadBinaryStl(const std::string& path, const std::string& bytes) {
    Scene scene{path, {}};
    uint32_t count = 0;
    std::memcpy(&count, bytes.data() + 80, 4);
    if (bytes.size() < 84 + static_cast<uint64_t>(count) * 50) throw Failure(path, "binary STL shorter than its count");
    for (uint32_t t = 0; t < count; ++t) {
        const char* record = bytes.data() + 84 + static_cast<size_t>(t) * 50;
        Contour face;
        for (int v = 0; v < 3; ++v) {
            float xyz[3];
            std::memcpy(xyz, record + 12 + 12 * v, 12);
            face.push_back({xyz[0], xyz[1], xyz[2]});
        }
        if (Finite(face[0]) && Finite(face[1]) && Finite(face[2])) scene.faces.push_back({face, {}});
    }
    return scene;
}

}  // namespace

Scene ReadMeshFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) throw Failure(path, "cannot open");
    std::ostringstream content;
    content << file.rdbuf();
    const std::string bytes = content.str();
    const std::string ext = Extension(path);
    Scene scene;
    if (ext == "obj") {
        std::istringstream in(bytes);
        scene = ReadObj(path, in);
    } else if (ext == "stl") {
        uint32_t count = 0;
        if (bytes.size() >= 84) std::memcpy(&count, bytes.data() + 80, 4);
        const bool binary = bytes.size() >= 84 && bytes.size() == 84 + static_cast<uint64_t>(count) * 50;
        if (binary) {
            scene = ReadBinaryStl(path, bytes);
        } else {
            std::istringstream in(bytes);
            scene = ReadAsciiStl(path, in);
        }
    } else {
        throw Failure(path, "not an .obj or .stl file");
    }
    if (scene.faces.empty()) throw Failure(path, "no face with 3 or more vertices");
    return scene;
}

}  // namespace bench
