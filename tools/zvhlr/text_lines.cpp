#include "text_lines.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "load_error.h"

namespace zv::tool {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v'; }

}  // namespace

void SplitTokens(std::string_view line, std::vector<std::string_view>& tokens) {
    tokens.clear();
    size_t pos = 0;
    while (true) {
        while (pos < line.size() && IsBlank(line[pos])) ++pos;
        if (pos == line.size()) return;
        size_t end = pos;
        while (end < line.size() && !IsBlank(line[end])) ++end;
        tokens.push_back(line.substr(pos, end - pos));
        pos = end;
    }
}

std::string ReadWholeFile(const std::string& path) {
    std::error_code code;
    if (std::filesystem::is_directory(path, code)) throw LoadError(path, "is a directory, not a model file");
    std::ifstream in(path, std::ios::binary);
    if (!in) throw LoadError(path, std::string("cannot open file: ") + std::strerror(errno));
    std::string content;
    if (auto size = std::filesystem::file_size(path, code); !code) content.reserve(size);
    char block[1 << 16];
    while (in.read(block, sizeof block) || in.gcount() > 0) content.append(block, static_cast<size_t>(in.gcount()));
    if (in.bad()) throw LoadError(path, "read error");
    return content;
}

}  // namespace zv::tool
