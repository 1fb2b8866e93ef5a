#pragma once

#include <string>
#include <string_view>

namespace Module1 {

// The key every character code of a stored address is XORed with.
inline constexpr short addressKey = 23;

// Turns a stored address back into text. The stored form is a comma-separated list of decimal numbers,
// one a character, each the character's code XOR addressKey. An empty list gives empty text. A field
// that is empty or not a decimal number throws the type-mismatch error (13), one above 32767 the
// overflow error (6), and one that decodes past 255 the invalid-argument error (5).
std::string DecodeAddress(std::string_view encoded);

// The stored form of an address; the inverse of DecodeAddress for single-byte text.
std::string encodeAddress(std::string_view address);

} // namespace Module1
