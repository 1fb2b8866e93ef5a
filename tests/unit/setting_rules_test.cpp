#include "settings/setting_rules.h"

#include "error_number.h"

#include <gtest/gtest.h>

namespace {

struct TextRow {
    const char* stored;
    const char* expected;
};

TEST(SettingRules, MinutesShownAtLoad) {
    const TextRow rows[] = {
        {"", "30"},    {"0", "30"},     {"abc", "30"}, {"  45abc", "45"}, {" 45 ", "45"}, {"12.5", "12.5"},
        {"045", "45"}, {"1.50", "1.5"}, {"-5", "-5"},  {"0.0", "30"},     {"1D2", "100"}, {"&H1E", "30"},
    };
    for (const TextRow& row : rows) {
        SCOPED_TRACE(row.stored);
        EXPECT_EQ(setting_rules::minutesShown(row.stored), row.expected);
    }
}

TEST(SettingRules, MinutesStoredAtStart) {
    const TextRow rows[] = {{"45abc", "45"}, {"30", "30"}, {"0.5", "0.5"}, {"546.125", "546.125"},
                            {"-5", "-5"},    {"x", "0"},   {"1e3", "1000"}};
    for (const TextRow& row : rows) {
        SCOPED_TRACE(row.stored);
        EXPECT_EQ(setting_rules::minutesStored(row.stored), row.expected);
    }
}

TEST(SettingRules, LeftReadBack) {
    const std::pair<const char*, double> rows[] = {{"", 4000},        {"0", 4000},        {"abc", 4000},
                                                   {"-300", -300},    {"7245.5", 7245.5}, {"4200", 4200},
                                                   {"100000", 100000}};
    for (const auto& [stored, expected] : rows) {
        SCOPED_TRACE(stored);
        EXPECT_DOUBLE_EQ(setting_rules::leftOf(stored), expected);
    }
}

// Beyond 16 bits too: a projector below a 1440-pixel laptop screen starts past 32767 twips.
TEST(SettingRules, TopReadBackRoundsHalvesToEven) {
    const std::pair<const char*, std::int32_t> rows[] = {{"", 0},
                                                         {"0", 0},
                                                         {"abc", 0},
                                                         {"7245.5", 7246},
                                                         {"7244.5", 7244},
                                                         {"2460", 2460},
                                                         {"-300", -300},
                                                         {"32767", 32767},
                                                         {"32768", 32768},
                                                         {"40000", 40000},
                                                         {"-32769", -32769},
                                                         {"40000.5", 40000},
                                                         {"2147483647", 2147483647}};
    for (const auto& [stored, expected] : rows) {
        SCOPED_TRACE(stored);
        EXPECT_EQ(setting_rules::topOf(stored), expected);
    }
}

TEST(SettingRules, TopOutside32BitsIsAnOverflow) {
    for (const char* stored : {"2147483648", "-2147483649", "1E10", "1E400"}) {
        SCOPED_TRACE(stored);
        EXPECT_EQ(errorNumberOf([&] { setting_rules::topOf(stored); }), 6);
    }
}

TEST(SettingRules, PositionWrittenAsSingle) {
    const std::pair<double, const char*> rows[] = {
        {4200, "4200"}, {0, "0"}, {-300, "-300"}, {7245.5, "7245.5"}, {12345678, "1.234568E+07"}};
    for (const auto& [twips, expected] : rows) {
        SCOPED_TRACE(expected);
        EXPECT_EQ(setting_rules::positionText(twips), expected);
    }
}

TEST(SettingRules, ExitCounterRisesToThirtyAndNeverFails) {
    const TextRow rows[] = {
        {"", "1"},      {"0", "1"},           {"29", "30"},    {"30", "30"},    {"100", "30"},
        {"-7", "-6"},   {"abc", "1"},         {"40000", "1"},  {"32767", "30"}, {"32766", "30"},
        {"1E400", "1"}, {"-32768", "-32767"}, {"-32769", "1"}, {"2.5", "3"},    {"  5  ", "6"},
    };
    for (const TextRow& row : rows) {
        SCOPED_TRACE(row.stored);
        EXPECT_EQ(setting_rules::raisedExitCount(row.stored), row.expected);
    }
}

} // namespace
