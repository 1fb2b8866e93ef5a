// The number of any text: never a crash, never a value that is not finite, and no error but the
// overflow. Texts made only of what strtod also reads are checked against it, digit for digit.
#include "app/conversions.h"
#include "error_number.h"
#include "require.h"

#include <cerrno>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

// The text as the C library would read it, or nothing when it holds a character whose meaning differs
// between the two readers (the skipped blanks aside).
bool asStrtodText(std::string_view text, std::string& out) {
    out.clear();
    for (const char c : text) {
        if (c == ' ' || c == '\t' || c == '\n')
            continue;
        if (c == 'd' || c == 'D') {
            out += 'e';
        } else if ((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.' || c == 'e' || c == 'E') {
            out += c;
        } else {
            return false;
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    double number = 0;
    const int error = errorNumberOf([&] { number = conv::numberOfText(text); });
    fuzz::require(error == 0 || error == kOverflow, "the number of a text throws only the overflow error");

    std::string plain;
    if (asStrtodText(text, plain)) {
        errno = 0;
        const double reference = std::strtod(plain.c_str(), nullptr);
        const bool beyondRange = errno == ERANGE && std::isinf(reference);
        fuzz::require((error == kOverflow) == beyondRange, "overflow exactly when beyond the double range");
        fuzz::require(error != 0 || number == reference, "the correctly rounded value");
    }
    if (error != 0)
        return 0;
    fuzz::require(std::isfinite(number), "the number of a text is finite");

    std::int16_t whole = 0;
    const int wholeError = errorNumberOf([&] { whole = conv::wholeNumber(number); });
    // -32768.5 still rounds to the even -32768; 32767.5 rounds to 32768.
    const bool outside = number < -32768.5 || number >= 32767.5;
    fuzz::require(wholeError == (outside ? kOverflow : 0), "whole number overflows exactly outside 16 bits");
    if (wholeError == 0) {
        const double distance = std::fabs(number - whole);
        fuzz::require(distance < 0.5 || (distance == 0.5 && whole % 2 == 0), "nearest whole, halves to even");
    }
    return 0;
}
