#include "app/conversions.h"
#include "app/runtime_error.h"
#include "error_number.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <utility>
#include <vector>

namespace {

struct TextCase {
    std::string text;
    double expected;
};

TEST(NumberOfText, ReadsDecimalNumbers) {
    const std::vector<TextCase> cases = {
        {"", 0},
        {"abc", 0},
        {"45abc", 45},
        {"-", 0},
        {"+-5", 0},
        {"--5", 0},
        {".", 0},
        {"+7", 7},
        {"-12", -12},
        {"1 2", 12},
        {" - 5", -5},
        {"\t1\n2 ", 12},
        {"1\r2", 1}, // only blanks, tabs and line feeds are skipped
        {".5", 0.5},
        {"-.5", -0.5},
        {"5.", 5},
        {"1.2.3", 1.2},
        {"1,5", 1},
        {"1D3", 1000},
        {"1d3", 1000},
        {"2.5e-1", 0.25},
        {"2.5E+2", 250},
        {"1 e 2", 100},
        {"1E", 1},
        {"1E+", 1},
        {"1D-x", 1},
        {"3E2.5", 300},
        {"1E2E3", 100},
        {"0.000E999999", 0},
        {"1E-400", 0},
        {"-1E-400", 0},
        {"12\xE2\x82\xAC", 12},
        {"\xE2\x82\xAC"
         "12",
         0},
        // Must be the correctly rounded double, not an accumulation of digits.
        {"123456789012345678901234567890", 1.2345678901234568e29},
        {"0.1", 0.1},
        {"2.2250738585072014E-308", 2.2250738585072014e-308},
        // The text of the smallest subnormal reads back as that number, not as 0.
        {"4.94065645841247E-324", std::numeric_limits<double>::denorm_min()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("text \"" + c.text + "\"");
        EXPECT_EQ(conv::numberOfText(c.text), c.expected);
    }
}

TEST(NumberOfText, ReadsLongDigitStrings) {
    const std::vector<TextCase> cases = {
        {"1" + std::string(300, '0') + "E-300", 1},
        // Many digits behind the point and a large exponent that brings the value back to 1.
        {"0." + std::string(399, '0') + "1E400", 1},
        {"0." + std::string(400, '0') + "1", 0},
        {std::string(500, '0') + "7", 7},
        {"&H" + std::string(40, '0') + "FF", 255},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("text of " + std::to_string(c.text.size()) + " characters");
        EXPECT_EQ(conv::numberOfText(c.text), c.expected);
    }
}

TEST(NumberOfText, ReadsHexadecimalAndOctalPatterns) {
    const std::vector<TextCase> cases = {
        {"&HFFFF", -1},
        {"&h7fff", 32767},
        {"&H8000", -32768},
        {"&O177777", -1},
        {"&o17", 15},
        {"&H10000", 65536},
        {"&O200000", 65536},
        {"&H7FFFFFFF", 2147483647},
        {"&H80000000", -2147483648.0},
        {"&HFFFFFFFF", -1},
        {"&O37777777777", -1},
        {"& H F F", 255},
        {"&HFFG", 255},
        {"&O78", 7},
        {"&", 0},
        {"&X1", 0},
        {"&12", 0},
        {"&H", 0},
        {"&HG", 0},
        {"&O8", 0},
        {"&H-1", 0},
        {"-&H1", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("text \"" + c.text + "\"");
        EXPECT_EQ(conv::numberOfText(c.text), c.expected);
    }
}

TEST(NumberOfText, ThrowsOverflowBeyondTheRange) {
    const std::vector<std::string> texts = {
        "1E400",
        "-1E400",
        "1.8E308",
        // The text of the largest double: rounded to 15 digits it lies just beyond the range.
        "1.79769313486232E+308",
        "1D99999999999999999999999",
        std::string(400, '9'),
        "&H100000000",
        "&O40000000000",
        // Would wrap a 64-bit accumulator back to a small value.
        "&H10000000000000000FF",
    };
    for (const auto& text : texts) {
        SCOPED_TRACE("text \"" + text.substr(0, 40) + "\"");
        EXPECT_EQ(errorNumberOf([&] { (void)conv::numberOfText(text); }), kOverflow);
    }
}

TEST(WholeNumber, RoundsHalvesToEven) {
    struct Case {
        double value;
        std::int16_t expected;
    };
    const std::vector<Case> cases = {
        {0.5, 0},           {1.5, 2},
        {2.5, 2},           {3.5, 4},
        {-0.5, 0},          {-1.5, -2},
        {-2.5, -2},         {0.49999999999999994, 0}, // adding 0.5 and flooring would give 1
        {2.7, 3},           {-2.7, -3},
        {32767.4, 32767},   {-32768.5, -32768},
        {-32768.4, -32768},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("value " + std::to_string(c.value));
        EXPECT_EQ(conv::wholeNumber(c.value), c.expected);
    }
}

TEST(WholeNumber, ThrowsOverflowOutsideTheRange) {
    const std::vector<double> values = {
        32767.5,
        32768,
        -32768.6,
        -32769.5,
        1e10,
        std::numeric_limits<double>::infinity(),
        -std::numeric_limits<double>::infinity(),
        std::numeric_limits<double>::quiet_NaN(),
    };
    for (const double value : values) {
        SCOPED_TRACE("value " + std::to_string(value));
        EXPECT_EQ(errorNumberOf([&] { (void)conv::wholeNumber(value); }), kOverflow);
    }
}

// The same rounding into 32 bits, for places beyond what 16 bits hold.
TEST(LongWholeNumber, RoundsHalvesToEvenWithinThirtyTwoBits) {
    const std::pair<double, std::int32_t> rows[] = {{32768, 32768},
                                                    {40000.5, 40000},
                                                    {40001.5, 40002},
                                                    {-32769, -32769},
                                                    {2147483647, 2147483647},
                                                    {2147483646.5, 2147483646},
                                                    {-2147483648.5, -2147483648}};
    for (const auto& [value, expected] : rows) {
        SCOPED_TRACE("value " + std::to_string(value));
        EXPECT_EQ(conv::longWholeNumber(value), expected);
    }
    for (const double value :
         {2147483647.5, 2147483648.0, -2147483648.6, 1e300, std::numeric_limits<double>::quiet_NaN()}) {
        SCOPED_TRACE("value " + std::to_string(value));
        EXPECT_EQ(errorNumberOf([&] { (void)conv::longWholeNumber(value); }), kOverflow);
    }
}

TEST(AddWhole, AddsWithinTheRangeAndThrowsOutside) {
    struct Case {
        std::int16_t a;
        std::int16_t b;
        int expected; // 0 with overflow set when the sum leaves the range
        bool overflow;
    };
    const std::vector<Case> cases = {
        {2, 3, 5, false},           {32767, 0, 32767, false},
        {32767, -32768, -1, false}, {-32767, -1, -32768, false},
        {32767, 1, 0, true},        {-32768, -1, 0, true},
        {32767, 32767, 0, true},    {-32768, -32768, 0, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.a) + " + " + std::to_string(c.b));
        if (c.overflow) {
            EXPECT_EQ(errorNumberOf([&] { (void)conv::addWhole(c.a, c.b); }), kOverflow);
        } else {
            EXPECT_EQ(conv::addWhole(c.a, c.b), c.expected);
        }
    }
}

struct FormatCase {
    double value;
    std::string expected;
};

constexpr double kLargestSingle = std::numeric_limits<float>::max();

TEST(TextOfSingle, WritesAtMostSevenDigits) {
    const std::vector<FormatCase> cases = {
        {12345678, "1.234568E+07"},
        {1234567, "1234567"},
        {9999999.6, "1E+07"},
        {16777217, "1.677722E+07"},
        {0.1, "0.1"},
        {0.1 + 0.2, "0.3"},
        {7245.5, "7245.5"},
        {4000, "4000"},
        {30, "30"},
        {12.5, "12.5"},
        {0.5, "0.5"},
        {-0.25, "-0.25"},
        {0.0001, "0.0001"},
        {0.00001, "1E-05"},
        {1.0000001, "1"},
        {1e38, "1E+38"},
        {0.0, "0"},
        {-0.0, "0"},
        {-1e-50, "0"}, // becomes -0 as a single
        {kLargestSingle, "3.402823E+38"},
        {kLargestSingle + 0x1p102, "3.402823E+38"}, // still rounds down to the largest single
        {-kLargestSingle, "-3.402823E+38"},
        {-(kLargestSingle + 0x1p102), "-3.402823E+38"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("expected " + c.expected);
        EXPECT_EQ(conv::textOfSingle(c.value), c.expected);
    }
}

TEST(TextOfSingle, ThrowsOverflowWhenNotASingle) {
    const std::vector<double> values = {
        1e39,
        -1e39,
        kLargestSingle + 0x1p103,
        -(kLargestSingle + 0x1p103),
        std::numeric_limits<double>::infinity(),
        std::numeric_limits<double>::quiet_NaN(),
    };
    for (const double value : values) {
        SCOPED_TRACE("value " + std::to_string(value));
        EXPECT_EQ(errorNumberOf([&] { (void)conv::textOfSingle(value); }), kOverflow);
    }
}

TEST(TextOfDouble, WritesAtMostFifteenDigits) {
    const std::vector<FormatCase> cases = {
        {1e15, "1E+15"},
        {123456789012345, "123456789012345"},
        {999999999999999.9, "1E+15"},
        {0.1 + 0.2, "0.3"},
        {546.125, "546.125"},
        {-1234.5, "-1234.5"},
        {1e100, "1E+100"},
        {1e-100, "1E-100"},
        {0.0001, "0.0001"},
        {0.00001, "1E-05"},
        {30, "30"},
        {-0.0, "0"},
        {std::numeric_limits<double>::max(), "1.79769313486232E+308"},
        {std::numeric_limits<double>::denorm_min(), "4.94065645841247E-324"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("expected " + c.expected);
        EXPECT_EQ(conv::textOfDouble(c.value), c.expected);
    }
}

TEST(TextOfDouble, ThrowsOverflowWhenNotFinite) {
    const std::vector<double> values = {
        std::numeric_limits<double>::infinity(),
        -std::numeric_limits<double>::infinity(),
        std::numeric_limits<double>::quiet_NaN(),
    };
    for (const double value : values) {
        SCOPED_TRACE("value " + std::to_string(value));
        EXPECT_EQ(errorNumberOf([&] { (void)conv::textOfDouble(value); }), kOverflow);
    }
}

TEST(TextOfWhole, WritesTheDigits) {
    const std::vector<std::pair<std::int16_t, std::string>> cases = {
        {0, "0"}, {7, "7"}, {-5, "-5"}, {32767, "32767"}, {-32768, "-32768"},
    };
    for (const auto& [value, expected] : cases) {
        SCOPED_TRACE("expected " + expected);
        EXPECT_EQ(conv::textOfWhole(value), expected);
    }
}

// The program adopts the user's locale at start; a comma decimal point there must change nothing.
class CommaLocale : public ::testing::Test {
protected:
    void SetUp() override {
        previous_ = std::setlocale(LC_ALL, nullptr);
        // glibc's names first, then the name Microsoft's C runtime knows (Wine also takes "de_DE").
        for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8", "ru_RU.UTF-8",
                                 "nl_NL.UTF-8", "de_DE", "German_Germany.1252"}) {
            if (std::setlocale(LC_ALL, name) != nullptr &&
                std::string(std::localeconv()->decimal_point) == ",") {
                return;
            }
        }
        std::setlocale(LC_ALL, previous_.c_str());
        GTEST_SKIP() << "no locale with a comma decimal point is installed";
    }

    void TearDown() override { std::setlocale(LC_ALL, previous_.c_str()); }

private:
    std::string previous_;
};

TEST_F(CommaLocale, ConvertsWithTheFullStopOnly) {
    EXPECT_EQ(conv::numberOfText("1.5"), 1.5);
    EXPECT_EQ(conv::numberOfText("1,5"), 1);
    EXPECT_EQ(conv::textOfSingle(12.5), "12.5");
    EXPECT_EQ(conv::textOfDouble(546.125), "546.125");
    EXPECT_EQ(conv::textOfDouble(1.5e20), "1.5E+20");
}

} // namespace
