#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// What pressing the start button does with the minutes typed into the panel.
namespace start_step {

// The timer window's two layouts: minutes and seconds only under 61 minutes, hours too from 61 on.
struct Layout {
    double stripLeft;  // twips; the compact strip slides left so the minutes stand where the hours were
    double formWidth;  // twips
    bool hoursVisible; // the two hour digits and the colon after them
    bool operator==(const Layout&) const = default;
};

inline constexpr Layout compact{-720, 1440, false};
inline constexpr Layout wide{60, 2235, true};
inline constexpr double formHeight = 570; // twips, in both layouts

struct Result {
    std::string minutesText;               // the minutes box's text afterwards
    std::optional<std::string> storedTime; // the text written to "time", if it could be formed
    double countSeconds;
    std::int16_t presetSeconds;
    std::optional<Layout> layout; // none when the minutes cannot be read
};

// Each step that fails is skipped and the next one runs: minutes beyond 16 bits of seconds keep the
// previous preset, minutes beyond the double range keep the previous count.
Result plan(std::string_view minutesText, double previousCount, std::int16_t previousPreset);

} // namespace start_step
