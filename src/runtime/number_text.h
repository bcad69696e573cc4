// Numbers in text, with the decimal separator of the current C locale.
#pragma once

#include <cstdint>
#include <string>

namespace zv {

// The locale's decimal separator (LC_NUMERIC of the current C locale).
char DecimalSeparator();
// Formats x with exactly `decimals` digits after the separator, rounded.
std::string FormatFixed(double x, int decimals);
// Formats x with the shortest text that reads back to the same Double.
std::string FormatFloat(double x);
// Parses a whole text (blanks around it allowed) as a number written with the
// locale's separator; raises EConvertError when it is not one.
double ParseFloat(const std::string& text);
// Parses a whole text (blanks around it allowed) as a decimal 32-bit integer
// with an optional sign; raises EConvertError when it is not one.
int32_t ParseInteger(const std::string& text);

}  // namespace zv
