#include "app/DecodeAddress.h"

#include "error_number.h"

#include <gtest/gtest.h>

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

} // namespace
