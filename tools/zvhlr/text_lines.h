// Splitting the text of a model file into numbered lines of whitespace tokens.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zv::tool {

// The whitespace-separated tokens of one line.
std::vector<std::string_view> Tokens(std::string_view line);

// Calls visit(lineNumber, line) for every line of text (1-based numbers,
// without the line end; "\r\n" and "\n" both end a line).
template <class Visit>
void ForEachLine(std::string_view text, Visit visit) {
    long number = 0;
    while (!text.empty()) {
        size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        visit(++number, line);
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
}

// Reads a whole file; throws LoadError when it cannot be opened or read.
std::string ReadWholeFile(const std::string& path);

}  // namespace zv::tool
