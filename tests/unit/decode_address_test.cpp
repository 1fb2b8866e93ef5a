#include "app/DecodeAddress.h"

#include "error_number.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(DecodeAddress, RoundTripsAsciiText) {
    std::string everyPrintable;
    for (char c = ' '; c <= '~'; ++c)
        everyPrintable += c;
    for (const std::string& text :
         {std::string("https://talvex.example/"), everyPrintable, std::string("a,b")}) {
        SCOPED_TRACE(text);
        EXPECT_EQ(Module1::DecodeAddress(Module1::encodeAddress(text)), text);
    }
}

TEST(DecodeAddress, SingleNumberAndEmptyList) {
    EXPECT_EQ(Module1::DecodeAddress(std::to_string('h' ^ Module1::addressKey)), "h");
    EXPECT_EQ(Module1::DecodeAddress(""), "");
}

TEST(DecodeAddress, MalformedFieldIsATypeMismatch) {
    for (const char* list : {"104,", ",104", "104,,104", "1 04", "x", "-5", "104;105"}) {
        SCOPED_TRACE(list);
        EXPECT_EQ(errorNumberOf([&] { Module1::DecodeAddress(list); }), 13);
    }
}

TEST(DecodeAddress, FieldsReadAsDecimalWholeNumbers) {
    struct Case {
        const char* list;
        int error; // 0 when the list decodes
        std::string text;
    };
    const std::string key(1, static_cast<char>(Module1::addressKey));
    const Case cases[] = {
        {"0", 0, key},
        {"0000000127", 0, "h"},            // leading zeros add nothing, however many
        {"0,255,032767", 5, ""},           // 032767 is 32767: within 16 bits, beyond a character code
        {"232", 0, "\xFF"},                // 232 XOR 23, the last code of the code page
        {"256", 5, ""},                    // the first number beyond the character codes
        {"32768", 6, ""},                  // beyond 16 bits
        {"99999999999999999999", 6, ""},   // must not wrap back into range
        {"99999999999999999999x", 13, ""}, // not a number at all
        {"32768,x", 6, ""},                // the first failing field decides
        {"x,32768", 13, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.list);
        std::string text;
        EXPECT_EQ(errorNumberOf([&] { text = Module1::DecodeAddress(c.list); }), c.error);
        if (c.error == 0) {
            EXPECT_EQ(text, c.text);
        }
    }
}

} // namespace
