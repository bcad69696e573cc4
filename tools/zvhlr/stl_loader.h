// Reading STL files, ASCII and binary, into an indexed mesh.
#pragma once

#include <functional>
#include <string>

#include "mesh.h"

namespace zv::tool {

// The fraction of the data read so far; called now and then while reading.
using LoadProgress = std::function<void(double)>;

// Reads the file; throws LoadError for a file that cannot be read or is malformed.
Mesh LoadStlFile(const std::string& path, const LoadProgress& progress = {});

// Reads STL data held in memory; name is used in error messages.
Mesh ParseStl(const std::string& data, const std::string& name, const LoadProgress& progress = {});

// True when the data is a binary STL: its size matches the triangle count of
// the header exactly, or it does not begin with "solid".
bool LooksLikeBinaryStl(const std::string& data);

}  // namespace zv::tool
