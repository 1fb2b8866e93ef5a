// Long runs of the tick rule: days of overtime second by second, the 24-hour wraps, and a wall clock
// that is set back and forward while the talk runs.
#include "clock_text.h"
#include "timer_window/tick.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace {

using tick::DigitSet;

constexpr int kDay = 86400;

// A clock face that is stepped one second at a time, as an odometer: the expected display, worked out
// without the division the tick itself uses.
class Odometer {
public:
    Odometer(int hours, int minutes, int seconds) : h_(hours), m_(minutes), s_(seconds) {}

    void forward() {
        if (++s_ < 60)
            return;
        s_ = 0;
        if (++m_ < 60)
            return;
        m_ = 0;
        h_ = (h_ + 1) % 24;
    }

    void backward() {
        if (--s_ >= 0)
            return;
        s_ = 59;
        if (--m_ >= 0)
            return;
        m_ = 59;
        h_ = (h_ + 23) % 24;
    }

    bool atMidnight() const { return h_ == 0 && m_ == 0 && s_ == 0; }

    // The six digits the strip draws, hours tens first.
    std::array<std::int16_t, 6> digits() const {
        return {static_cast<std::int16_t>(h_ / 10), static_cast<std::int16_t>(h_ % 10),
                static_cast<std::int16_t>(m_ / 10), static_cast<std::int16_t>(m_ % 10),
                static_cast<std::int16_t>(s_ / 10), static_cast<std::int16_t>(s_ % 10)};
    }

private:
    int h_, m_, s_;
};

// One tick and what the strip then draws: the digits read back from the text, and the picture set.
struct Shown {
    std::array<std::int16_t, 6> digits;
    DigitSet set;
};

Shown tickOnce(double& count, std::string& text) {
    tick::Result second = tick::secondElapsed(count);
    count = second.count;
    text = std::move(second.text);
    return {tick::digitsOfCaption(text), second.set};
}

TEST(LongRun, HundredDaysOfOvertimeSecondBySecond) {
    constexpr int kDays = 100;
    double count = 0; // never set: overtime from the first second
    std::string text;
    Odometer expected(0, 0, 0);
    std::vector<std::string> beforeWraps;
    std::vector<std::string> afterWraps;
    std::string previous = "00:00:00";
    for (int second = 1; second <= kDays * kDay; ++second) {
        expected.forward();
        const Shown shown = tickOnce(count, text);
        // Checked without an assertion per second, which would cost more than the tick itself.
        if (shown.digits != expected.digits() || shown.set != DigitSet::Overtime || text.size() != 8) {
            FAIL() << "second " << second << " shows " << text;
        }
        if (expected.atMidnight()) {
            beforeWraps.push_back(previous);
            afterWraps.push_back(text);
        }
        previous = text;
    }
    EXPECT_EQ(count, -static_cast<double>(kDays) * kDay);
    EXPECT_EQ(text, "00:00:00");
    EXPECT_EQ(tick::digitsOfCaption(text), (std::array<std::int16_t, 6>{}));
    ASSERT_EQ(afterWraps.size(), static_cast<std::size_t>(kDays));
    for (int day = 0; day < kDays; ++day) {
        SCOPED_TRACE("wrap " + std::to_string(day + 1));
        EXPECT_EQ(beforeWraps[day], "23:59:59");
        EXPECT_EQ(afterWraps[day], "00:00:00");
    }

    // And on past the last wrap, still in overtime.
    const Shown next = tickOnce(count, text);
    EXPECT_EQ(text, "00:00:01");
    EXPECT_EQ(next.set, DigitSet::Overtime);
}

TEST(LongRun, CountdownOfTwoDaysWrapsAndRunsIntoOvertime) {
    // Two days, one hour and one second: the first tick shows 01:00:00.
    double count = 2 * kDay + 3600 + 1;
    std::string text;
    Odometer expected(1, 0, 1);
    struct Seen {
        double count;
        std::string text;
        DigitSet set;
    };
    std::vector<Seen> atMidnight;
    while (count > 0) {
        expected.backward();
        const Shown shown = tickOnce(count, text);
        if (shown.digits != expected.digits() || shown.set != DigitSet::Countdown)
            FAIL() << "count " << count << " shows " << text;
        if (expected.atMidnight())
            atMidnight.push_back({count, text, shown.set});
    }
    // Midnight at two days, one day and zero, all in the countdown set; zero is the last of them.
    ASSERT_EQ(atMidnight.size(), 3u);
    EXPECT_EQ(atMidnight[0].count, 2.0 * kDay);
    EXPECT_EQ(atMidnight[1].count, 1.0 * kDay);
    EXPECT_EQ(atMidnight[2].count, 0.0);
    for (const Seen& seen : atMidnight) {
        EXPECT_EQ(seen.text, "00:00:00");
        EXPECT_EQ(seen.set, DigitSet::Countdown);
    }

    // Then the overtime, for a day and a second.
    Odometer overtime(0, 0, 0);
    for (int second = 1; second <= kDay + 1; ++second) {
        overtime.forward();
        const Shown shown = tickOnce(count, text);
        if (shown.digits != overtime.digits() || shown.set != DigitSet::Overtime)
            FAIL() << "overtime second " << second << " shows " << text;
    }
    EXPECT_EQ(count, -(kDay + 1.0));
    EXPECT_EQ(text, "00:00:01");
}

// A wall clock that a test sets by hand, in seconds after midnight, and the hidden text box that turns
// its text into ticks: a tick only when the text it is given differs from the one it holds.
class WallClock {
public:
    void step(int seconds) { now_ += seconds; }
    std::string text() const { return clockTextAt(now_); }

private:
    long long now_ = 10 * 3600;
};

class SecondDetector {
public:
    // Returns whether the assignment was a change, that is, a tick.
    bool assign(const std::string& text) {
        if (text == held_)
            return false;
        held_ = text;
        return true;
    }

private:
    std::string held_ = "Text1";
};

TEST(LongRun, ClockSetBackOrForwardCountsOneSecond) {
    struct Jump {
        const char* name;
        int seconds; // added to the wall clock between two timer events
    };
    const Jump jumps[] = {
        {"back an hour", -3600},
        {"forward an hour", 3600},
        {"back twelve hours", -12 * 3600},
        {"forward 23 hours", 23 * 3600},
        {"back a second", -1},
        {"forward past midnight", 14 * 3600},
        {"back across midnight", -20000},
        {"forward a day less 1", kDay - 1},
    };
    for (const Jump& jump : jumps) {
        SCOPED_TRACE(jump.name);
        WallClock clock;
        SecondDetector detector;
        double count = 1800;
        const auto timerEvent = [&] {
            if (detector.assign(clock.text()))
                count = tick::secondElapsed(count).count;
        };
        // A minute of ten timer events a second, the jump in the middle of a second.
        int ticks = 0;
        for (int second = 0; second < 60; ++second) {
            for (int event = 0; event < 10; ++event) {
                const double before = count;
                if (second == 30 && event == 5)
                    clock.step(jump.seconds);
                timerEvent();
                ASSERT_TRUE(count == before || count == before - 1) << "at second " << second;
                ticks += count != before;
            }
            clock.step(1);
        }
        // One tick per wall-clock second, and one more for the jump itself: never an hour, never back.
        EXPECT_EQ(ticks, 61);
        EXPECT_EQ(count, 1800 - 61);
    }
}

} // namespace
