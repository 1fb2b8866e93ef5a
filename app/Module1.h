#pragma once

#include <cstdint>

class Form1;

// The state both windows share, one copy in the process.
namespace Module1 {

// Seconds of countdown left; below 0, seconds of overtime. It starts empty, and empty counts as 0
// everywhere, so 0 stands for it. A double keeps whole counts exact far beyond any talk.
extern double CountSeconds;

// The length of the current countdown in seconds, as the three resets restore it.
extern std::int16_t PresetSeconds;

// The timer window, loaded on first use.
Form1& form1();
bool form1Loaded();
void unloadForm1();

} // namespace Module1
