// Writing a benchmark scene as a Wavefront OBJ file for the zvhlr tool: one
// vertex per distinct corner, faces without holes as they are, faces with
// holes cut into triangles (the tool merges coplanar neighbours back into
// one face with its holes).
#pragma once

#include <string>
#include <vector>

#include "scenes.h"

namespace bench {

// Triangles covering a planar face with holes, as corners listed in the
// turning sense of the face's outer contour. Throws std::runtime_error when
// the face cannot be cut (self-crossing or degenerate contours).
std::vector<std::vector<TXYZ>> Triangulate(const Face& face);

// Throws std::runtime_error when the file cannot be written.
void WriteObjFile(const std::string& path, const Scene& scene);

}  // namespace bench
