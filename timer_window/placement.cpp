#include "timer_window/placement.h"

#include "app/runtime_error.h"
#include "settings/setting_rules.h"

#include <algorithm>

namespace placement {

namespace {

// The length of the overlap of [start, start + length) with [otherStart, otherStart + otherLength).
double overlap(double start, double length, double otherStart, double otherLength) {
    return std::min(start + length, otherStart + otherLength) - std::max(start, otherStart);
}

// Keeps [start, start + length) inside [lowest, lowest + room) as far as it fits, the start first.
double clampedInto(double start, double length, double lowest, double room) {
    return std::max(lowest, std::min(start, lowest + room - length));
}

} // namespace

bool reachable(Area window, std::span<const Screen> screens) {
    const double wantedWidth = std::min(grabbableSide, window.width);
    const double wantedHeight = std::min(grabbableSide, window.height);
    return std::any_of(screens.begin(), screens.end(), [&](const Screen& screen) {
        const Area& usable = screen.available;
        return overlap(window.left, window.width, usable.left, usable.width) >= wantedWidth &&
               overlap(window.top, window.height, usable.top, usable.height) >= wantedHeight;
    });
}

Place onPrimary(Place fromCorner, double width, double height, const Screen& primary) {
    Place place{primary.whole.left + fromCorner.left, primary.whole.top + fromCorner.top};
    const Screen only[] = {primary};
    if (!reachable({place.left, place.top, width, height}, only)) {
        const Area& usable = primary.available;
        place.left = clampedInto(place.left, width, usable.left, usable.width);
        place.top = clampedInto(place.top, height, usable.top, usable.height);
    }
    return place;
}

std::optional<Place> fallbackFor(Area window, std::span<const Screen> screens) {
    if (screens.empty() || reachable(window, screens))
        return std::nullopt;
    return onPrimary(fallbackPlace, window.width, window.height, screens.front());
}

Place storedPlace(std::string_view left, std::string_view top) {
    // A text too large for any number leaves its side at 0, as the start of a countdown does.
    Place place{0, 0};
    resumeNext([&] { place.left = setting_rules::leftOf(left); });
    resumeNext([&] { place.top = setting_rules::topOf(top); });
    return place;
}

bool hasStoredPlace(std::string_view left, std::string_view top) {
    return !left.empty() || !top.empty();
}

} // namespace placement
