#pragma once

#include <cstdint>

class Form1;
class Form2;

// The state both windows share, one copy in the process.
namespace Module1 {

// Seconds of countdown left; below 0, seconds of overtime. It starts empty, and empty counts as 0
// everywhere, so 0 stands for it. A double keeps whole counts exact far beyond any talk.
extern double CountSeconds;

// The length of the current countdown in seconds, as the three resets restore it.
extern std::int16_t PresetSeconds;

// The two windows, each loaded on first use.
Form1& form1();
bool form1Loaded();
void unloadForm1();
Form2& form2();
bool form2Loaded();
// Drops the control panel without its unload handler; only the tests need this.
void unloadForm2();

// The start of the program: the timer window is loaded and shown, at the place stored by the last
// double click or 重新计时 when there is one and someone could reach it there, at its design place
// otherwise; then the first double click stores where the presenter sees it.
void showTimerAtStart();

// The three resets (a click on the timer, the menu's 刷新): the count starts again from the preset.
// Nothing is redrawn; the next second shows it.
void resetToPreset();

// The road back from the timer to the control panel, from the double click and from the menu: the
// timer's position is stored, the timer is unloaded (its count stands still) and the panel is shown
// with the minutes ready to be typed over. Each step that fails is skipped.
void returnToPanel();

// The three ways out: the exit counter goes up by one, then the program ends at once. The counter is
// only a statistic, so nothing about it may stop the exit or show an error.
[[noreturn]] void leaveProgram();

} // namespace Module1
