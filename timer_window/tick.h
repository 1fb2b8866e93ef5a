#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace tick {

// Which picture set draws the strip: green while time is left (zero included), magenta in overtime.
enum class DigitSet { Countdown, Overtime };

struct Result {
    double count = 0; // the count after taking one second off
    std::string text; // "hh:mm:ss" of the time left or of the overtime
    DigitSet set = DigitSet::Countdown;
};

// One second of the clock: the count goes down by one and picks what the strip shows.
Result secondElapsed(double count);

// "hh:mm:ss" of the time of day that lies `seconds` (>= 0) after midnight; 24 hours wrap to "00:00:00".
// A fraction of a second is dropped, so the strip never claims more time than is left.
std::string timeText(double seconds);

// The six digits of a "hh:mm:ss" caption (characters 1, 2, 4, 5, 7 and 8). A character that is not a
// digit reads as 0, so a damaged caption still draws something sensible.
std::array<std::int16_t, 6> digitsOfCaption(std::string_view caption);

// The wall-clock text written into the second detector ten times a second.
std::string clockText(int hours, int minutes, int seconds);

// The second detector's events come every `eventPeriod` ms, each `eventLead` ms past a mark of the wall
// clock's period, so the first event after a second's change follows it by about a millisecond.
inline constexpr int eventPeriod = 100;
inline constexpr int eventLead = 1;

// Milliseconds from an event at `millisecond` (0 to 999) of the wall clock's second to the next event:
// 1 to 100, whatever the lateness of this one. A clock that cannot tell the millisecond (-1) keeps the
// plain period.
int nextEventDelay(int millisecond);

} // namespace tick
