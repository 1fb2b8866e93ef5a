#include "app/DecodeAddress.h"

#include "app/runtime_error.h"

namespace Module1 {

namespace {

int fieldNumber(std::string_view field) {
    if (field.empty() || field.find_first_not_of("0123456789") != std::string_view::npos)
        throw RuntimeError::typeMismatch();
    int number = 0;
    for (const char c : field) {
        number = number * 10 + (c - '0');
        // Checked on every digit: leading zeros add nothing, and a long field cannot wrap the number.
        if (number > 32767)
            throw RuntimeError::overflow();
    }
    return number;
}

} // namespace

std::string DecodeAddress(std::string_view encoded) {
    std::string address;
    if (encoded.empty())
        return address;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = encoded.find(',', start);
        const int code = fieldNumber(encoded.substr(start, comma - start)) ^ addressKey;
        // A character code of the single-byte code page.
        if (code > 255)
            throw RuntimeError(5, "无效的过程调用或参数");
        address.push_back(static_cast<char>(static_cast<unsigned char>(code)));
        if (comma == std::string_view::npos)
            break;
        start = comma + 1;
    }
    return address;
}

std::string encodeAddress(std::string_view address) {
    std::string encoded;
    for (const char c : address) {
        if (!encoded.empty())
            encoded += ',';
        encoded += std::to_string(static_cast<unsigned char>(c) ^ addressKey);
    }
    return encoded;
}

} // namespace Module1
