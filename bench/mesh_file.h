// Reading the faces of a Wavefront OBJ file (v and f records; other records
// are skipped) or an STL file (ASCII or binary) as one face per polygon.
#pragma once

#include <string>

#include "scenes.h"

namespace bench {

// Throws std::runtime_error with the file name and the reason when the file
// cannot be read or holds no usable face.
Scene ReadMeshFile(const std::string& path);

}  // namespace bench
