#pragma once

#include "timer_window/tick.h"

#include <string>

// The wall-clock text `seconds` after midnight; any number of days before or after wraps into the day.
inline std::string clockTextAt(long long seconds) {
    constexpr long long day = 86400;
    const auto inDay = static_cast<int>((seconds % day + day) % day);
    return tick::clockText(inDay / 3600, inDay / 60 % 60, inDay % 60);
}
