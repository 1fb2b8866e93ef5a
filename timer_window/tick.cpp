#include "timer_window/tick.h"

#include <cmath>
#include <cstdio>

namespace tick {

namespace {

std::string twoDigits(int hours, int minutes, int seconds) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d", hours, minutes, seconds);
    return buffer;
}

} // namespace

Result secondElapsed(double count) {
    Result result;
    result.count = count - 1;
    // The sign test uses the exact value: a count of -0.4 is already overtime.
    const bool timeLeft = result.count >= 0;
    result.set = timeLeft ? DigitSet::Countdown : DigitSet::Overtime;
    result.text = timeText(timeLeft ? result.count : -result.count);
    return result;
}

std::string timeText(double seconds) {
    // fmod keeps counts far beyond the 32-bit range exact enough for the last day shown.
    const double withinDay = std::fmod(std::floor(seconds), 86400.0);
    const int whole = withinDay >= 0 ? static_cast<int>(withinDay) : 0;
    return twoDigits(whole / 3600, whole / 60 % 60, whole % 60);
}

std::array<std::int16_t, 6> digitsOfCaption(std::string_view caption) {
    static constexpr std::array<std::size_t, 6> positions{0, 1, 3, 4, 6, 7};
    std::array<std::int16_t, 6> digits{};
    for (std::size_t i = 0; i < positions.size(); ++i) {
        if (positions[i] < caption.size()) {
            const char c = caption[positions[i]];
            if (c >= '0' && c <= '9')
                digits[i] = static_cast<std::int16_t>(c - '0');
        }
    }
    return digits;
}

std::string clockText(int hours, int minutes, int seconds) {
    return twoDigits(hours, minutes, seconds);
}

int nextEventDelay(int millisecond) {
    if (millisecond < 0)
        return eventPeriod;
    // How far this event lies past its mark; a late event shortens the wait, so lateness never adds up.
    const int pastMark = (millisecond % eventPeriod - eventLead + eventPeriod) % eventPeriod;
    return eventPeriod - pastMark;
}

} // namespace tick
