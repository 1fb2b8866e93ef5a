#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The text and number conversions used wherever a setting or a text box becomes a number and back.
// They never depend on the user's locale: the decimal separator is always the full stop.
namespace conv {

// The number of a text. Blanks, tabs and line feeds are skipped wherever they stand; then an optional
// sign, digits with at most one decimal point, and an optional exponent (E or D, optional sign, digits).
// "&H" and "&O" read a hexadecimal or octal whole number; up to FFFF its digits are a 16-bit pattern
// ("&HFFFF" is -1), up to FFFFFFFF a 32-bit one. The first misfit ends the number; a text
// without a number gives 0. A value beyond the double range throws RuntimeError::overflow().
double numberOfText(std::string_view text);

// The whole number of a number: nearest integer, halves to even; outside -32768..32767 (or not finite)
// throws RuntimeError::overflow().
std::int16_t wholeNumber(double value);

// The same rounding into 32 bits: outside -2147483648..2147483647 throws RuntimeError::overflow().
std::int32_t longWholeNumber(double value);

// 16-bit addition that throws RuntimeError::overflow() when the sum leaves the 16-bit range.
std::int16_t addWhole(std::int16_t a, std::int16_t b);

// The text of a number: no leading blank, '-' for negatives, no separators, whole values without a point,
// at most 7 (single) or 15 (double) significant digits, then the exponent form such as 1.234568E+07.
std::string textOfSingle(double value);
std::string textOfDouble(double value);
std::string textOfWhole(std::int16_t value);

} // namespace conv
