// Loading a model file of any supported format, chosen by its extension.
#pragma once

#include <string>

#include "mesh.h"

namespace zv::tool {

// Reads an .obj or .stl file (extension case-insensitive); throws LoadError
// for an unsupported extension, an unreadable or malformed file, or a model
// without faces.
Mesh LoadModelFile(const std::string& path);

// The extension of a path in lower case, without the dot ("" when none).
std::string LowerExtension(const std::string& path);

}  // namespace zv::tool
