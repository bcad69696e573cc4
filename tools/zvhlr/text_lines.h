// Splitting the text of a model file into numbered lines of whitespace tokens.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zv::tool {

// The whitespace-separated tokens of one line, into a vector the caller
// keeps from line to line (its old contents are dropped).
void SplitTokens(std::string_view line, std::vector<std::string_view>& tokens);

// Calls visit(lineNumber, line) for every line of text (1-based numbers,
// without the line end; "\r\n", "\n" and a lone "\r" each end a line, as
// they do for the OBJ reader library).
template <class Visit>
void ForEachLine(std::string_view text, Visit visit) {
    long number = 0;
    const size_t size = text.size();
    size_t start = 0;
    while (start < size) {
        size_t end = start;
        while (end < size && text[end] != '\n' && text[end] != '\r') ++end;
        visit(++number, text.substr(start, end - start));
        if (end == size) break;
        start = end + 1;
        if (text[end] == '\r' && start < size && text[start] == '\n') ++start;
    }
}

// Reads a whole file; throws LoadError when it cannot be opened or read.
std::string ReadWholeFile(const std::string& path);

}  // namespace zv::tool
