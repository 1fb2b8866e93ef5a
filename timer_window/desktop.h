#pragma once

#include "timer_window/placement.h"

#include <vector>

class TwipsWindow;

// The desktop as the window system reports it now, in twips.
namespace desktop {

// Every screen, the primary first.
std::vector<placement::Screen> screens();

// The window's rectangle at `place` with the given height, on the whole pixels it would really take.
placement::Area areaAt(const TwipsWindow& window, placement::Place place, double height);

// Moves the window to `place`, or to the fallback place on the primary screen when nobody could reach
// it there. Judged at the given height, which the window may take only afterwards.
void placeReachably(TwipsWindow& window, placement::Place place, double height);

} // namespace desktop
