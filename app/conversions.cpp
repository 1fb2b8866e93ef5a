#include "app/conversions.h"

#include "app/runtime_error.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <system_error>

namespace conv {

namespace {

bool isSkipped(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isExponentLetter(char c) {
    return c == 'E' || c == 'e' || c == 'D' || c == 'd';
}

// The value of a digit in the given base, or -1 when the character is no such digit.
int digitValue(char c, int base) {
    int value = -1;
    if (isDigit(c)) {
        value = c - '0';
    } else if (c >= 'A' && c <= 'F') {
        value = c - 'A' + 10;
    } else if (c >= 'a' && c <= 'f') {
        value = c - 'a' + 10;
    }
    return value < base ? value : -1;
}

std::string withoutSkipped(std::string_view text) {
    std::string kept;
    kept.reserve(text.size());
    for (const char c : text) {
        if (!isSkipped(c)) {
            kept += c;
        }
    }
    return kept;
}

// "&H..." or "&O...": small values are 16-bit patterns so that &HFFFF is -1 like a whole number,
// larger ones are 32-bit patterns.
double patternNumber(std::string_view text) {
    if (text.size() < 2) {
        return 0.0;
    }
    int base = 0;
    if (text[1] == 'H' || text[1] == 'h') {
        base = 16;
    } else if (text[1] == 'O' || text[1] == 'o') {
        base = 8;
    } else {
        return 0.0;
    }
    std::uint64_t value = 0;
    for (std::size_t i = 2; i < text.size(); ++i) {
        const int digit = digitValue(text[i], base);
        if (digit < 0) {
            break;
        }
        // Checked on every digit so that a long digit string cannot wrap the accumulator.
        value = value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
        if (value > 0xFFFFFFFFu) {
            throw RuntimeError::overflow();
        }
    }
    if (value <= 0xFFFFu) {
        return static_cast<std::int16_t>(static_cast<std::uint16_t>(value));
    }
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

// Beyond these decimal magnitudes the value is certainly outside the double range, whatever the digits.
constexpr std::int64_t kExponentCap = 1'000'000'000;
constexpr std::int64_t kBeyondLargest = 400;
constexpr std::int64_t kBeyondSmallest = -400;

double decimalNumber(std::string_view text) {
    std::size_t i = 0;
    // from_chars takes neither '+' nor 'D', so the accepted part is rewritten into its form.
    std::string number;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        if (text[i] == '-') {
            number += '-';
        }
        ++i;
    }
    number += '0'; // lets ".5" and "-.5" read without relying on a bare point being accepted

    bool anyDigit = false;
    bool point = false;
    bool nonZero = false;
    // Where the first non-zero digit stands, as the exponent e of 0.d... x 10^e: it tells an
    // overflow from an underflow without building the value.
    std::int64_t leadExponent = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (isDigit(c)) {
            anyDigit = true;
            if (!point) {
                if (nonZero || c != '0') {
                    nonZero = true;
                    ++leadExponent;
                }
            } else if (!nonZero) {
                if (c == '0') {
                    --leadExponent;
                } else {
                    nonZero = true;
                }
            }
            number += c;
        } else if (c == '.' && !point) {
            point = true;
            number += c;
        } else {
            break;
        }
    }
    if (!anyDigit || !nonZero) {
        return 0.0;
    }

    std::int64_t exponent = 0;
    if (i < text.size() && isExponentLetter(text[i])) {
        std::size_t j = i + 1;
        bool negative = false;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) {
            negative = text[j] == '-';
            ++j;
        }
        // Without a digit the letter is a misfit and the number ends before it.
        for (; j < text.size() && isDigit(text[j]); ++j) {
            exponent = std::min(exponent * 10 + (text[j] - '0'), kExponentCap);
        }
        if (negative) {
            exponent = -exponent;
        }
    }

    const std::int64_t magnitude = leadExponent + exponent;
    if (magnitude > kBeyondLargest) {
        throw RuntimeError::overflow();
    }
    if (magnitude < kBeyondSmallest) {
        return 0.0;
    }
    number += 'e';
    number += std::to_string(exponent);

    double value = 0.0;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        if (magnitude > 0) {
            throw RuntimeError::overflow();
        }
        return 0.0;
    }
    return value;
}

// Keeps the float conversion defined: a finite double that would round beyond the largest float.
bool fitsSingle(double value) {
    // Half a unit in the last place above the largest float still rounds down to it; from there on
    // the rounding goes to infinity.
    const double limit = static_cast<double>(std::numeric_limits<float>::max()) + 0x1p103;
    return std::isfinite(value) && std::fabs(value) < limit;
}

template <class Real> std::string generalText(Real value, int precision) {
    if (value == 0) {
        return "0"; // also for -0, which the presenter should never see
    }
    // Large enough for a sign, 15 digits, the point and a three-digit exponent.
    char buffer[64];
    const auto result =
        std::to_chars(std::begin(buffer), std::end(buffer), value, std::chars_format::general, precision);
    std::string text(std::begin(buffer), result.ptr);
    std::replace(text.begin(), text.end(), 'e', 'E');
    return text;
}

} // namespace

double numberOfText(std::string_view text) {
    const std::string kept = withoutSkipped(text);
    if (!kept.empty() && kept.front() == '&') {
        return patternNumber(kept);
    }
    return decimalNumber(kept);
}

namespace {

// The nearest whole number, halves to the even neighbour, when it lies in [lowest, highest].
template <class Whole> Whole roundedInto(double value) {
    constexpr double lowest = static_cast<double>(std::numeric_limits<Whole>::min());
    constexpr double highest = static_cast<double>(std::numeric_limits<Whole>::max());
    // Checked before rounding so that the conversion below is always defined; the bounds are the
    // halves that still round into the range (-32768.5 goes to the even -32768, 32767.5 to 32768).
    if (!(value >= lowest - 0.5 && value < highest + 0.5)) {
        throw RuntimeError::overflow();
    }
    // Rounded by hand rather than through the floating-point environment, whose mode may be changed.
    double whole = std::floor(value);
    const double fraction = value - whole; // exact for values of this size
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0.0)) {
        whole += 1.0;
    }
    return static_cast<Whole>(whole);
}

} // namespace

std::int16_t wholeNumber(double value) {
    return roundedInto<std::int16_t>(value);
}

std::int32_t longWholeNumber(double value) {
    return roundedInto<std::int32_t>(value);
}

std::int16_t addWhole(std::int16_t a, std::int16_t b) {
    const int sum = a + b;
    if (sum < std::numeric_limits<std::int16_t>::min() || sum > std::numeric_limits<std::int16_t>::max()) {
        throw RuntimeError::overflow();
    }
    return static_cast<std::int16_t>(sum);
}

std::string textOfSingle(double value) {
    if (!fitsSingle(value)) {
        throw RuntimeError::overflow();
    }
    return generalText(static_cast<float>(value), 7);
}

std::string textOfDouble(double value) {
    if (!std::isfinite(value)) {
        throw RuntimeError::overflow();
    }
    return generalText(value, 15);
}

std::string textOfWhole(std::int16_t value) {
    return std::to_string(value);
}

} // namespace conv
