// Reading Wavefront OBJ files into an indexed mesh: polygonal faces with any
// number of corners, negative (relative) indexes, the v, v/vt, v//vn and
// v/vt/vn forms, one group per 'o' or 'g' statement.  Other statements are
// ignored.
#pragma once

#include <string>

#include "mesh.h"

namespace zv::tool {

// Reads the file; throws LoadError for a file that cannot be read or is malformed.
Mesh LoadObjFile(const std::string& path);

// Reads OBJ text held in memory; name is used in error messages.
Mesh ParseObj(const std::string& text, const std::string& name);

}  // namespace zv::tool
