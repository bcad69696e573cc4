#include "runtime/number_text.h"

#include <cerrno>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "runtime/exception.h"

namespace zv {

char DecimalSeparator() {
    const struct lconv* conv = std::localeconv();
    return (conv && conv->decimal_point && conv->decimal_point[0]) ? conv->decimal_point[0] : '.';
}

std::string FormatFixed(double x, int decimals) {
    char buffer[400];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, x);
    return buffer;  // printf writes the separator of the current locale
}

std::string FormatFloat(double x) {
    char buffer[64];
    for (int precision = 15; precision <= 17; ++precision) {
        std::snprintf(buffer, sizeof buffer, "%.*g", precision, x);
        if (std::strtod(buffer, nullptr) == x || std::isnan(x)) break;
    }
    return buffer;
}

double ParseFloat(const std::string& text) {
    size_t first = text.find_first_not_of(" \t");
    size_t last = text.find_last_not_of(" \t");
    if (first == std::string::npos) throw EConvertError("'' is not a valid floating point value");
    std::string trimmed = text.substr(first, last - first + 1);
    // Only digits, signs, exponent letters and the locale's separator make a number here;
    // strtod would also take "inf", "nan" and hexadecimal forms.
    char sep = DecimalSeparator();
    for (char c : trimmed) {
        bool allowed = (c >= '0' && c <= '9') || c == '+' || c == '-' || c == 'e' || c == 'E' || c == sep;
        if (!allowed) throw EConvertError("'" + trimmed + "' is not a valid floating point value");
    }
    errno = 0;
    char* end = nullptr;
    double value = std::strtod(trimmed.c_str(), &end);
    // An underflow gives the nearest subnormal or zero, which is what was
    // written; an overflow gives an infinity.
    if (end != trimmed.c_str() + trimmed.size() || !std::isfinite(value))
        throw EConvertError("'" + trimmed + "' is not a valid floating point value");
    return value;
}

int32_t ParseInteger(const std::string& text) {
    size_t first = text.find_first_not_of(" \t");
    size_t last = text.find_last_not_of(" \t");
    std::string trimmed = first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
    size_t digits = (!trimmed.empty() && (trimmed[0] == '-' || trimmed[0] == '+')) ? 1 : 0;
    bool valid = trimmed.size() > digits && trimmed.size() - digits <= 11;
    int64_t value = 0;
    for (size_t i = digits; valid && i < trimmed.size(); ++i) {
        valid = trimmed[i] >= '0' && trimmed[i] <= '9';
        value = value * 10 + (trimmed[i] - '0');
    }
    if (valid && trimmed[0] == '-') value = -value;
    if (!valid || value < INT32_MIN || value > INT32_MAX)
        throw EConvertError("'" + trimmed + "' is not a valid integer value");
    return static_cast<int32_t>(value);
}

}  // namespace zv
