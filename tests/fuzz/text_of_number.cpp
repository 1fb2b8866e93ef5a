// The text of a number read back. The text keeps 15 (double) or 7 (single) significant digits, so it
// cannot give back every bit of the number; what it does promise is that the text is a fixed point:
// reading it gives the double nearest to the written decimal, and that double, written again, gives
// the same text. The one exception is the text of the largest doubles, "1.79769313486232E+308": its
// decimal lies beyond the double range, so reading it back is the overflow error.
#include "app/conversions.h"
#include "error_number.h"
#include "require.h"

#include <cerrno>
#include <cfloat>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// printf's %G has the same rule as the conversions: the exponent form from the given number of digits
// on, or below 1E-4, without trailing zeros.
std::string printfText(double value, int digits) {
    if (value == 0)
        return "0";
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*G", digits, value);
    return buffer;
}

// Reads a text back and checks it is a fixed point of `write`.
template <class Write> void checkReadBack(const std::string& text, Write write) {
    errno = 0;
    const double reference = std::strtod(text.c_str(), nullptr);
    if (errno == ERANGE && std::isinf(reference)) {
        fuzz::require(errorNumberOf([&] { (void)conv::numberOfText(text); }) == kOverflow,
                      "a text beyond the double range reads as the overflow error");
        return;
    }
    double back = 0;
    fuzz::require(errorNumberOf([&] { back = conv::numberOfText(text); }) == 0, "the text reads back");
    fuzz::require(back == reference, "the text reads back as the nearest double");
    fuzz::require(write(back) == text, "the read-back number has the same text");
}

void checkDouble(double value) {
    std::string text;
    const int error = errorNumberOf([&] { text = conv::textOfDouble(value); });
    if (!std::isfinite(value)) {
        fuzz::require(error == kOverflow, "a number that is not finite has no text");
        return;
    }
    fuzz::require(error == 0, "every finite double has a text");
    fuzz::require(text == printfText(value, 15), "15 significant digits");
    checkReadBack(text, [](double back) { return conv::textOfDouble(back); });
}

void checkSingle(double value) {
    std::string text;
    const int error = errorNumberOf([&] { text = conv::textOfSingle(value); });
    if (!std::isfinite(value) || std::fabs(value) > FLT_MAX) {
        // Just beyond the largest single, on either side of zero, the value still rounds to it; any
        // further is an overflow.
        fuzz::require(error == kOverflow ||
                          (error == 0 && text == printfText(std::copysign(double{FLT_MAX}, value), 7)),
                      "beyond the single range: the overflow error or the largest single");
        return;
    }
    fuzz::require(error == 0, "every number within the single range has a text");
    fuzz::require(text == printfText(static_cast<double>(static_cast<float>(value)), 7),
                  "7 significant digits of the single");
    checkReadBack(text, [](double back) { return conv::textOfSingle(back); });
}

} // namespace

// The input's first eight bytes are a double and its first four a single, so every bit pattern of both,
// subnormals and the extremes included, is reachable.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size >= sizeof(float)) {
        float single = 0;
        std::memcpy(&single, data, sizeof single);
        checkSingle(single);
    }
    if (size >= sizeof(double)) {
        double number = 0;
        std::memcpy(&number, data, sizeof number);
        checkDouble(number);
        checkSingle(number);
    }
    return 0;
}
