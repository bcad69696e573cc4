#include "number_parse.h"

#include <charconv>
#include <cmath>

namespace zv::tool {

namespace {

std::string_view WithoutPlus(std::string_view text) {
    if (text.size() > 1 && text[0] == '+' && text[1] != '-') text.remove_prefix(1);
    return text;
}

}  // namespace

std::optional<double> ParseFiniteDouble(std::string_view text) {
    text = WithoutPlus(text);
    double value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
    if (!std::isfinite(value)) return std::nullopt;
    return value;
}

std::optional<long> ParseInteger(std::string_view text) {
    text = WithoutPlus(text);
    long value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
    return value;
}

}  // namespace zv::tool
