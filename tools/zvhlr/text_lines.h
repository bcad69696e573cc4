// Splitting the text of a model file into numbered lines of whitespace tokens.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zv::tool {

// The whitespace-separated tokens of one line.
std::vector<std::string_view> Tokens(std::string_view line);

// Calls visit(lineNumber, line) for every line of text (1-based numbers,
// without the line end; "\r\n", "\n" and a lone "\r" each end a line, as
// they do for the OBJ reader library).
template <class Visit>
void ForEachLine(std::string_view text, Visit visit) {
    long number = 0;
    while (!text.empty()) {
        size_t end = text.find_first_of("\r\n");
        visit(++number, text.substr(0, end));
        if (end == std::string_view::npos) break;
        size_t next = end + 1;
        if (text[end] == '\r' && next < text.size() && text[next] == '\n') ++next;
        text.remove_prefix(next);
    }
}

// Reads a whole file; throws LoadError when it cannot be opened or read.
std::string ReadWholeFile(const std::string& path);

}  // namespace zv::tool
