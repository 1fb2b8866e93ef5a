#include "control_panel/start_step.h"

#include <gtest/gtest.h>

#include <ostream>

namespace {

using start_step::compact;
using start_step::wide;

struct StartRow {
    const char* name;
    const char* typed;
    const char* minutesText;
    const char* storedTime;
    double count;
    std::int16_t preset;
    start_step::Layout layout;
};

// Names the row in test output instead of dumping its bytes.
void PrintTo(const StartRow& row, std::ostream* out) {
    *out << row.name;
}

// The previous count and preset are 77 and 9, so a row shows when a step keeps them.
class StartStep : public testing::TestWithParam<StartRow> {};

TEST_P(StartStep, SetsTheCountdownFromTheMinutes) {
    const StartRow& row = GetParam();
    const start_step::Result result = start_step::plan(row.typed, 77, 9);
    EXPECT_EQ(result.minutesText, row.minutesText);
    ASSERT_TRUE(result.storedTime.has_value());
    EXPECT_EQ(*result.storedTime, row.storedTime);
    EXPECT_DOUBLE_EQ(result.countSeconds, row.count);
    EXPECT_EQ(result.presetSeconds, row.preset);
    ASSERT_TRUE(result.layout.has_value());
    EXPECT_EQ(*result.layout, row.layout);
}

INSTANTIATE_TEST_SUITE_P(
    Minutes, StartStep,
    testing::Values(StartRow{"EmptyMeansThirty", "", "30", "30", 1800, 1800, compact},
                    StartRow{"BlankMeansThirty", "   ", "30", "30", 1800, 1800, compact},
                    StartRow{"ZeroMeansThirty", "0", "30", "30", 1800, 1800, compact},
                    StartRow{"NoNumberMeansThirty", "x", "30", "30", 1800, 1800, compact},
                    StartRow{"TrailingLettersKeptInTheBox", "45abc", "45abc", "45", 2700, 2700, compact},
                    StartRow{"HalfAMinute", "0.5", "0.5", "0.5", 30, 30, compact},
                    StartRow{"NegativeAccepted", "-5", "-5", "-5", -300, -300, compact},
                    StartRow{"SixtyIsStillCompact", "60", "60", "60", 3600, 3600, compact},
                    StartRow{"SixtyAndAHalfIsCompact", "60.5", "60.5", "60.5", 3630, 3630, compact},
                    StartRow{"SixtyOneIsWide", "61", "61", "61", 3660, 3660, wide},
                    StartRow{"PresetBeyond16BitsKeepsTheOldOne", "600", "600", "600", 36000, 9, wide},
                    StartRow{"FirstMinutesBeyond16Bits", "546.125", "546.125", "546.125", 32767.5, 9, wide},
                    StartRow{"FractionalSecondRoundsUp", "0.01", "0.01", "0.01", 0.6, 1, compact},
                    StartRow{"HalfSecondRoundsToEvenUp", "0.025", "0.025", "0.025", 1.5, 2, compact},
                    StartRow{"HalfSecondRoundsToEvenDown", "0.075", "0.075", "0.075", 4.5, 4, compact}),
    [](const testing::TestParamInfo<StartRow>& info) { return info.param.name; });

TEST(StartStepLimits, MinutesBeyondTheDoubleRangeKeepTheCount) {
    // 1E307 minutes are a finite number, but not in seconds.
    const start_step::Result result = start_step::plan("1E307", 77, 9);
    EXPECT_EQ(result.minutesText, "1E307");
    EXPECT_EQ(result.storedTime, "1E+307");
    EXPECT_DOUBLE_EQ(result.countSeconds, 77);
    EXPECT_EQ(result.presetSeconds, 77);
    EXPECT_EQ(result.layout, wide);
}

TEST(StartStepLimits, UnreadableMinutesSkipEveryStepThatNeedsThem) {
    const start_step::Result result = start_step::plan("1E400", 77, 9);
    EXPECT_EQ(result.minutesText, "1E400");
    EXPECT_FALSE(result.storedTime.has_value());
    EXPECT_DOUBLE_EQ(result.countSeconds, 77);
    EXPECT_EQ(result.presetSeconds, 77);
    EXPECT_FALSE(result.layout.has_value());
}

} // namespace
