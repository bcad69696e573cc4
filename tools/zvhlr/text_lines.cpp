#include "text_lines.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "load_error.h"

namespace zv::tool {

std::vector<std::string_view> Tokens(std::string_view line) {
    std::vector<std::string_view> tokens;
    const char* blanks = " \t\r\f\v";
    size_t pos = line.find_first_not_of(blanks);
    while (pos != std::string_view::npos) {
        size_t end = line.find_first_of(blanks, pos);
        tokens.push_back(line.substr(pos, end == std::string_view::npos ? end : end - pos));
        pos = end == std::string_view::npos ? end : line.find_first_not_of(blanks, end);
    }
    return tokens;
}

std::string ReadWholeFile(const std::string& path) {
    std::error_code code;
    if (std::filesystem::is_directory(path, code)) throw LoadError(path, "is a directory, not a model file");
    std::ifstream in(path, std::ios::binary);
    if (!in) throw LoadError(path, std::string("cannot open file: ") + std::strerror(errno));
    std::ostringstream content;
    content << in.rdbuf();
    if (in.bad()) throw LoadError(path, "read error");
    return content.str();
}

}  // namespace zv::tool
