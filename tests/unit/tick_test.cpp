#include "timer_window/tick.h"

#include <gtest/gtest.h>

#include <ostream>

#include <limits>

namespace {

using tick::DigitSet;

struct TickRow {
    const char* name;
    double countBefore;
    double countAfter;
    const char* text;
    DigitSet set;
};

// Names the row in test output instead of dumping its bytes.
void PrintTo(const TickRow& row, std::ostream* out) {
    *out << row.name;
}

class SecondElapsed : public testing::TestWithParam<TickRow> {};

TEST_P(SecondElapsed, TakesOneSecondAndPicksTheDisplay) {
    const TickRow& row = GetParam();
    const tick::Result result = tick::secondElapsed(row.countBefore);
    EXPECT_DOUBLE_EQ(result.count, row.countAfter);
    EXPECT_EQ(result.text, row.text);
    EXPECT_EQ(result.set, row.set);
}

INSTANTIATE_TEST_SUITE_P(
    Tick, SecondElapsed,
    testing::Values(TickRow{"HalfHourStartShows29_59", 1800, 1799, "00:29:59", DigitSet::Countdown},
                    TickRow{"OneMinuteLeft", 61, 60, "00:01:00", DigitSet::Countdown},
                    TickRow{"OneSecondLeft", 2, 1, "00:00:01", DigitSet::Countdown},
                    TickRow{"ZeroBelongsToTheCountdown", 1, 0, "00:00:00", DigitSet::Countdown},
                    TickRow{"FirstSecondOfOvertime", 0, -1, "00:00:01", DigitSet::Overtime},
                    TickRow{"OvertimeOverAMinute", -60, -61, "00:01:01", DigitSet::Overtime},
                    TickRow{"AnHourOfOvertime", -3599, -3600, "01:00:00", DigitSet::Overtime},
                    TickRow{"ADayWrapsToMidnight", 86401, 86400, "00:00:00", DigitSet::Countdown},
                    TickRow{"PastADayWrapsAround", 90062, 90061, "01:01:01", DigitSet::Countdown},
                    TickRow{"OvertimeBeyond16Bits", -32768, -32769, "09:06:09", DigitSet::Overtime},
                    TickRow{"OvertimeBeyond32Bits", -4294967296.0, -4294967297.0, "06:28:17",
                            DigitSet::Overtime},
                    TickRow{"FractionDroppedWhileCounting", 30.5, 29.5, "00:00:29", DigitSet::Countdown},
                    TickRow{"FractionAboveZeroIsCountdown", 1.5, 0.5, "00:00:00", DigitSet::Countdown},
                    TickRow{"FractionBelowZeroIsOvertime", 0.6, -0.4, "00:00:00", DigitSet::Overtime},
                    TickRow{"FractionalOvertime", -0.4, -1.4, "00:00:01", DigitSet::Overtime}),
    [](const testing::TestParamInfo<TickRow>& info) { return info.param.name; });

TEST(TimeText, HugeCountsStayEightCharacters) {
    EXPECT_EQ(tick::timeText(1e300).size(), 8u);
    EXPECT_EQ(tick::timeText(std::numeric_limits<double>::max()).size(), 8u);
}

struct CaptionRow {
    const char* caption;
    std::array<std::int16_t, 6> digits;
};

TEST(DigitsOfCaption, ReadsTheSixDigitPositions) {
    const CaptionRow rows[] = {
        {"12:34:56", {1, 2, 3, 4, 5, 6}}, {"00:00:00", {0, 0, 0, 0, 0, 0}},
        {"09x87y65", {0, 9, 8, 7, 6, 5}}, // the colon positions are never read
        {"ab:cd:ef", {0, 0, 0, 0, 0, 0}}, // a damaged caption draws zeros
        {"00:00.00", {0, 0, 0, 0, 0, 0}}, // the design caption
        {"1", {1, 0, 0, 0, 0, 0}},        // short text: the missing digits read as 0
        {"", {0, 0, 0, 0, 0, 0}},
    };
    for (const CaptionRow& row : rows) {
        SCOPED_TRACE(row.caption);
        EXPECT_EQ(tick::digitsOfCaption(row.caption), row.digits);
    }
}

TEST(ClockText, TwoDigitsEach) {
    EXPECT_EQ(tick::clockText(0, 0, 0), "00:00:00");
    EXPECT_EQ(tick::clockText(9, 5, 7), "09:05:07");
    EXPECT_EQ(tick::clockText(23, 59, 59), "23:59:59");
}

TEST(NextEventDelay, LandsJustPastTheNextMark) {
    const struct {
        int millisecond;
        int delay;
    } rows[] = {
        {1, 100},             // on time: one full period
        {2, 99},              // a millisecond late: the lateness is taken off the wait
        {57, 44},             // very late: still the next mark, not a period from now
        {99, 2},              // just before a mark
        {0, 1},               // on a mark itself: the event just past it is a millisecond away
        {100, 1},             // the same within the second
        {101, 100}, {999, 2}, // just before the second changes: the next event is the first of the new second
        {-1, 100},            // a clock that cannot tell the millisecond keeps the plain period
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.millisecond);
        EXPECT_EQ(tick::nextEventDelay(row.millisecond), row.delay);
    }
}

TEST(NextEventDelay, EveryMillisecondOfTheSecondLandsOneMillisecondPastAMark) {
    for (int ms = 0; ms < 1000; ++ms) {
        const int delay = tick::nextEventDelay(ms);
        SCOPED_TRACE(ms);
        EXPECT_GE(delay, 1);
        EXPECT_LE(delay, tick::eventPeriod);
        EXPECT_EQ((ms + delay) % tick::eventPeriod, tick::eventLead);
    }
}

} // namespace
