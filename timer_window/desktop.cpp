#include "timer_window/desktop.h"

#include "app/controls.h"
#include "app/twips.h"

#include <QGuiApplication>
#include <QScreen>

namespace desktop {

namespace {

placement::Area inTwips(const QRect& pixels) {
    return {twips::fromPixels(pixels.x()), twips::fromPixels(pixels.y()), twips::fromPixels(pixels.width()),
            twips::fromPixels(pixels.height())};
}

} // namespace

std::vector<placement::Screen> screens() {
    std::vector<placement::Screen> all;
    QScreen* primary = QGuiApplication::primaryScreen();
    if (primary)
        all.push_back({inTwips(primary->geometry()), inTwips(primary->availableGeometry())});
    for (const QScreen* screen : QGuiApplication::screens()) {
        if (screen != primary)
            all.push_back({inTwips(screen->geometry()), inTwips(screen->availableGeometry())});
    }
    return all;
}

placement::Area areaAt(const TwipsWindow& window, placement::Place place, double height) {
    return {twips::fromPixels(twips::toPixels(place.left)), twips::fromPixels(twips::toPixels(place.top)),
            window.Width(), twips::fromPixels(twips::toPixels(height))};
}

void placeReachably(TwipsWindow& window, placement::Place place, double height) {
    if (const auto fallback = placement::fallbackFor(areaAt(window, place, height), screens()))
        place = *fallback;
    window.setLeft(place.left);
    window.setTop(place.top);
}

} // namespace desktop
