#include "model_file.h"

#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "load_error.h"
#include "obj_loader.h"
#include "stl_loader.h"

namespace zv::tool {

std::string LowerExtension(const std::string& path) {
    std::string extension = std::filesystem::path(path).extension().string();
    if (!extension.empty()) extension.erase(0, 1);
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension;
}

namespace {

// The format read off the first bytes of a file whose extension does not tell:
// "stl" for a binary STL whose size matches its triangle count or a text
// starting with "solid", "obj" for a text with vertex lines, "" otherwise.
std::string SniffedFormat(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw LoadError(path, std::string("cannot open the file: ") + std::strerror(errno));
    std::string head(4096, '\0');
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<size_t>(in.gcount()));
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    if (!error && head.size() >= 84) {
        const auto* b = reinterpret_cast<const unsigned char*>(head.data() + 80);
        const std::uint64_t count = b[0] | b[1] << 8 | b[2] << 16 | std::uint64_t(b[3]) << 24;
        if (size == 84 + 50 * count) return "stl";
    }
    const size_t start = head.find_first_not_of(" \t\r\n");
    if (start != std::string::npos && head.compare(start, 5, "solid") == 0) return "stl";
    if (head.rfind("v ", 0) == 0 || head.find("\nv ") != std::string::npos) return "obj";
    return "";
}

}  // namespace

Mesh LoadModelFile(const std::string& path, const LoadProgress& progress) {
    std::string format = LowerExtension(path);
    if (format != "obj" && format != "stl") format = SniffedFormat(path);
    Mesh mesh;
    if (format == "obj") {
        mesh = LoadObjFile(path);
    } else if (format == "stl") {
        mesh = LoadStlFile(path, progress);
    } else {
        throw LoadError(path, "not a model zvhlr can read: it reads Wavefront OBJ and STL (ASCII or binary) files");
    }
    if (mesh.faces.empty()) throw LoadError(path, "the model has no faces");
    return mesh;
}

}  // namespace zv::tool
