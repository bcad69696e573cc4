// The model loaders of the command-line tool on any file content: the first
// byte chooses the reader (even: OBJ, odd: STL), the rest is the file.  A file
// either gives a mesh that the tool can use as it is (finite vertices, faces of
// at least three corners that index existing vertices and groups) or raises
// LoadError; no other outcome is allowed.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "load_error.h"
#include "mesh.h"
#include "obj_loader.h"
#include "stl_loader.h"

namespace {

void Check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "mesh_loader_fuzz: violated: %s\n", what);
        std::abort();
    }
}

void CheckMesh(const zv::tool::Mesh& mesh) {
    for (const zv::tool::Vec3& v : mesh.vertices)
        Check(std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z), "vertices are finite");
    const long vertices = static_cast<long>(mesh.vertices.size());
    const long groups = static_cast<long>(mesh.groups.size());
    for (const zv::tool::MeshFace& face : mesh.faces) {
        Check(face.loop.size() >= 3, "a face has at least three corners");
        Check(face.group >= 0 && face.group < groups, "a face's group exists");
        for (int index : face.loop) Check(index >= 0 && index < vertices, "a face's corners index existing vertices");
        for (size_t k = 0; k < face.loop.size(); ++k)
            Check(face.loop[k] != face.loop[(k + 1) % face.loop.size()], "neighbouring corners differ");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const bool stl = data[0] & 1;
    const std::string content(reinterpret_cast<const char*>(data) + 1, size - 1);
    try {
        CheckMesh(stl ? zv::tool::ParseStl(content, "fuzz.stl") : zv::tool::ParseObj(content, "fuzz.obj"));
    } catch (const zv::tool::LoadError&) {
    }
    return 0;
}
