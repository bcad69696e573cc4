// The model as the tool holds it: an indexed polygon mesh as read from a file,
// and planar polygons with holes as they go to the hidden-line library.
#pragma once

#include <string>
#include <vector>

#include "vec3.h"

namespace zv::tool {

// One face of a mesh: vertex indexes in order (counter-clockwise seen from
// outside) and the index of the object or group it belongs to.
struct MeshFace {
    std::vector<int> loop;
    int group = 0;
};

struct Mesh {
    std::vector<Vec3> vertices;
    std::vector<MeshFace> faces;
    std::vector<std::string> groups;  // names; a face's group indexes this list
};

using Ring = std::vector<Vec3>;

// A planar polygon: the outer ring (counter-clockwise around the face normal)
// and its holes (clockwise).  Rings are open: the last point is not repeated.
struct Polygon {
    Ring outer;
    std::vector<Ring> holes;
    int group = 0;
};

// Newell's normal of a ring: twice the vector area, pointing to the side from
// which the ring runs counter-clockwise.
Vec3 RingNormal(const Ring& ring);

// The smallest axis-aligned box around all polygons, as (min, max).
struct Box {
    Vec3 min, max;
    bool empty = true;
    void Add(Vec3 p);
    Vec3 Center() const { return (min + max) * 0.5; }
    double Diagonal() const { return empty ? 0.0 : Length(max - min); }
};

Box BoundsOf(const std::vector<Polygon>& polygons);
Box BoundsOf(const Mesh& mesh);

}  // namespace zv::tool
