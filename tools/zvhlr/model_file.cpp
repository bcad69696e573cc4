#include "model_file.h"

#include <cctype>
#include <filesystem>

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

Mesh LoadModelFile(const std::string& path) {
    const std::string extension = LowerExtension(path);
    Mesh mesh;
    if (extension == "obj") {
        mesh = LoadObjFile(path);
    } else if (extension == "stl") {
        mesh = LoadStlFile(path);
    } else if (extension.empty()) {
        throw LoadError(path, "no file extension: zvhlr reads .obj and .stl files");
    } else {
        throw LoadError(path, "unknown model format '." + extension + "' (zvhlr reads .obj and .stl files)");
    }
    if (mesh.faces.empty()) throw LoadError(path, "the model has no faces");
    return mesh;
}

}  // namespace zv::tool
