// Loading a model file of any supported format, chosen by its extension or,
// when that does not tell, by its content.
#pragma once

#include <string>

#include "mesh.h"
#include "stl_loader.h"

namespace zv::tool {

// Reads an OBJ or STL file (extension case-insensitive, content for other
// names); throws LoadError for a file of another format, an unreadable or
// malformed file, or a model without faces.  progress hears the fraction read
// (STL files; OBJ files report nothing).
Mesh LoadModelFile(const std::string& path, const LoadProgress& progress = {});

// The extension of a path in lower case, without the dot ("" when none).
std::string LowerExtension(const std::string& path);

}  // namespace zv::tool
