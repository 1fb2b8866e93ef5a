#pragma once

#include <string>

// Where the timer window reads the wall-clock time of day. Tests put a clock of their own in its place.
class Clock {
public:
    virtual ~Clock() = default;
    // The local time of day as "hh:mm:ss".
    virtual std::string timeOfDay() const = 0;
};

namespace clock_source {

const Clock& current();
// Replaces the clock; nullptr puts the system clock back. The caller keeps ownership.
void set(const Clock* clock);

} // namespace clock_source
