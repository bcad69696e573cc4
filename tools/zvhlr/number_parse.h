// Locale-independent, exact parsing of numbers in model files.
#pragma once

#include <optional>
#include <string_view>

namespace zv::tool {

// The finite double that text spells completely (a leading '+' allowed), or
// nothing when text is not such a number.
std::optional<double> ParseFiniteDouble(std::string_view text);

// The integer that text spells completely (sign allowed), or nothing.
std::optional<long> ParseInteger(std::string_view text);

}  // namespace zv::tool
