#pragma once

#include <optional>
#include <span>
#include <string_view>

// Where the timer window may stand on the desktop, in twips. A presenter's desk changes between talks
// (a projector comes and goes, a laptop docks), so every place the window is given is checked against
// the screens as they are now.
namespace placement {

// A rectangle on the desktop: a screen, a part of one, or the timer window.
struct Area {
    double left, top, width, height;
};

// One screen as the window system reports it: all of it, and the part that windows may use (without
// the desktop's panels and docks).
struct Screen {
    Area whole;
    Area available;
};

struct Place {
    double left, top;
    bool operator==(const Place&) const = default;
};

// The timer window as built, measured from the primary screen's top left corner.
inline constexpr Place designPlace{4200, 2460};
// Where a timer window nobody could reach goes, measured from the primary screen's top left corner.
inline constexpr Place fallbackPlace{4000, 0};
// The side of the smallest square a presenter can still take with the mouse: 20 pixels.
inline constexpr double grabbableSide = 300;

// Whether a part of the window big enough to take with the mouse (20 by 20 pixels, or as much of a
// smaller window) lies in the usable part of one screen. A sliver along an edge is not enough.
bool reachable(Area window, std::span<const Screen> screens);

// A place given from the primary screen's top left corner, as a place on the desktop. A window that
// would not be reachable there is moved into the primary screen's usable part.
Place onPrimary(Place fromCorner, double width, double height, const Screen& primary);

// Where a window nobody could reach goes instead: the fallback place on the primary screen. None when
// the window is reachable where it stands, or when there is no screen at all to judge by. `screens`
// lists the primary screen first.
std::optional<Place> fallbackFor(Area window, std::span<const Screen> screens);

// The place stored under "left" and "top", read as the start of a countdown reads it: "left" with 4000
// in place of 0, "top" as a whole number. A side whose text is too large to read counts as 0.
Place storedPlace(std::string_view left, std::string_view top);

// Whether the settings hold a place at all: a presenter who never moved the timer has none.
bool hasStoredPlace(std::string_view left, std::string_view top);

} // namespace placement
