#pragma once

#include <string>

// One reading of the wall clock.
struct WallTime {
    std::string timeOfDay; // the local time of day, "hh:mm:ss"
    int millisecond = -1;  // into that second, 0 to 999; -1 when the clock cannot tell
};

// Where the timer window reads the wall-clock time of day. Tests put a clock of their own in its place.
class Clock {
public:
    virtual ~Clock() = default;
    // The local time of day as "hh:mm:ss".
    virtual std::string timeOfDay() const = 0;
    // The time of day and its millisecond from one reading, so the two always belong together.
    virtual WallTime now() const { return {timeOfDay(), -1}; }
};

namespace clock_source {

const Clock& current();
// Replaces the clock; nullptr puts the system clock back. The caller keeps ownership.
void set(const Clock* clock);

} // namespace clock_source
