// Joining equal corner points of separate triangles into shared mesh vertices.
#pragma once

#include <map>
#include <tuple>

#include "mesh.h"

namespace zv::tool {

class VertexWeld {
public:
    explicit VertexWeld(Mesh& mesh) : mesh_(mesh) {}

    // The index of the mesh vertex at exactly p, added when there is none yet.
    int IndexOf(Vec3 p);

private:
    Mesh& mesh_;
    std::map<std::tuple<double, double, double>, int> index_;
};

}  // namespace zv::tool
