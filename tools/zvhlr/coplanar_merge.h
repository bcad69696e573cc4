// Turning an indexed mesh into planar polygons for the hidden-line library.
// Triangulated models draw every triangle edge; merging neighbouring faces
// that lie in one plane leaves only the real edges of the model.
#pragma once

#include <vector>

#include "mesh.h"

namespace zv::tool {

struct MergeTolerance {
    double angleDegrees = 0.5;   // largest angle between the normals of merged faces
    double relativeDistance = 1e-5;  // largest distance from the plane, as a fraction of the model's diagonal
    double rounding = 0;  // how far corners may be off, when more than a float's step at their own size
};

// Neighbouring faces of one group whose normals agree within the angle and
// whose corners lie in the largest face's plane within the distance become one
// polygon, with holes where the merged region has them.  Where the rounding
// of the corners exceeds that distance, the plane is fitted to the region as
// it grows and a corner may lie off it by what the rounding explains: half a
// float's step in each coordinate, plus the error of the fitted plane.  Only faces joined by
// an edge that exactly two consistently oriented faces share are merged.
// Faces of no area are left out; a face that is not planar is split into a
// fan of triangles first.  Where float rounding of the corners exceeds the
// distance allowed, corners are moved onto the planes of the merged faces
// (see plane_snap.h).  Pairs of faces that cover each other back to back (a
// wall of no thickness inside the material) are left out.
std::vector<Polygon> MergeCoplanarFaces(const Mesh& mesh, MergeTolerance tolerance = {});

// Every face as a polygon of its own (faces of no area left out).
std::vector<Polygon> FacesAsPolygons(const Mesh& mesh);

}  // namespace zv::tool
