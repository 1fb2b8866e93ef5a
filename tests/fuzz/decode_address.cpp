// Any text given as an encoded address: never a crash, and an error only for a field that is not a
// decimal number (type mismatch), a number beyond 16 bits (overflow), or a code beyond the single-byte
// code page (invalid call). The expected outcome is worked out here field by field, independently.
#include "app/DecodeAddress.h"
#include "error_number.h"
#include "require.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

struct Expected {
    int error = 0;
    std::string text;
    bool withoutLeadingZeros = true;
};

Expected expectedDecoding(std::string_view list) {
    Expected expected;
    if (list.empty())
        return expected;
    std::vector<std::string_view> fields;
    for (std::size_t start = 0;;) {
        const std::size_t comma = list.find(',', start);
        fields.push_back(list.substr(start, comma == std::string_view::npos ? comma : comma - start));
        if (comma == std::string_view::npos)
            break;
        start = comma + 1;
    }
    // The first failing field decides the error; a field is read in full before its code is formed.
    for (const std::string_view field : fields) {
        if (field.empty() || field.find_first_not_of("0123456789") != std::string_view::npos)
            return {kTypeMismatch, {}, {}};
        if (field.size() > 1 && field[0] == '0')
            expected.withoutLeadingZeros = false;
        long value = 0;
        for (const char c : field) {
            value = value * 10 + (c - '0');
            if (value > 32767)
                return {kOverflow, {}, {}};
        }
        const long code = value ^ Module1::addressKey;
        if (code > 255)
            return {kInvalidCall, {}, {}};
        expected.text += static_cast<char>(static_cast<unsigned char>(code));
    }
    return expected;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view list(reinterpret_cast<const char*>(data), size);
    std::string text;
    const int error = errorNumberOf([&] { text = Module1::DecodeAddress(list); });
    const Expected expected = expectedDecoding(list);
    fuzz::require(error == expected.error, "the error of the first failing field");
    fuzz::require(error != 0 || text == expected.text, "one character per field, its number XOR the key");
    // A list written without leading zeros is exactly what encoding the decoded text gives.
    if (error == 0 && expected.withoutLeadingZeros)
        fuzz::require(Module1::encodeAddress(text) == list, "decoding is the inverse of encoding");
    return 0;
}
