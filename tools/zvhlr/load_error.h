// The error a model loader throws for a file it cannot read: it names the file,
// the place (a line of a text file or a byte offset of a binary one) and what
// was wrong there.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace zv::tool {

class LoadError : public std::runtime_error {
public:
    // Without a place (the file as a whole).
    LoadError(const std::string& file, const std::string& what)
        : std::runtime_error(file + ": " + what) {}

    static LoadError AtLine(const std::string& file, long line, const std::string& what) {
        return LoadError(file + ":" + std::to_string(line), what);
    }

    static LoadError AtByte(const std::string& file, std::uint64_t offset, const std::string& what) {
        return LoadError(file + ": byte " + std::to_string(offset), what);
    }
};

}  // namespace zv::tool
