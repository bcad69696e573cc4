// Which polygon draws which edge.  Neighbouring polygons share edges; each
// shared edge is drawn once, from a polygon that faces the viewer when there
// is one.  Smooth edges (between faces that meet at a small angle, such as the
// facets of a cylinder) are drawn only where they are part of the outline
// seen from the viewer, i.e. between a face turned towards the viewer and one
// turned away.
#pragma once

#include <span>
#include <vector>

#include "mesh.h"

namespace zv::tool {

// Ring 0 is the outer ring of a polygon, ring k > 0 its hole k - 1.
struct EdgeRef {
    int polygon = 0;
    int ring = 0;
    int edge = 0;  // from point edge to point edge + 1 of the ring
};

class EdgeTable {
public:
    // smoothAngleDegrees 0 makes no edge smooth.
    EdgeTable(const std::vector<Polygon>& polygons, double smoothAngleDegrees);

    // Whether the edge is drawn, given for every polygon whether it was handed
    // to the library (present) and whether it faces the viewer.
    bool Draws(const EdgeRef& ref, const std::vector<bool>& present, const std::vector<bool>& facesViewer) const;

    bool IsSmooth(const EdgeRef& ref) const;

    // True when some edge belongs to one ring only: the model is a sheet or
    // has a gap, and the backs of its faces may be seen.
    bool HasOpenEdge() const;

private:
    // The rings' edges that one edge of the model is, in the order of the rings.
    using Users = std::span<const EdgeRef>;

    int SharedOf(const EdgeRef& ref) const;
    Users UsersOf(int shared) const;

    std::vector<int> usersStart_;   // per shared edge, where its users begin in users_ (one more at the end)
    std::vector<EdgeRef> users_;
    std::vector<bool> smooth_;                 // per shared edge
    std::vector<std::vector<int>> ringStart_;  // per polygon and ring, where its edges begin in edgeShared_
    std::vector<int> edgeShared_;              // per edge of every ring, its shared edge
};

}  // namespace zv::tool
