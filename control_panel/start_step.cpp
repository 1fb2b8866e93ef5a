#include "control_panel/start_step.h"

#include "app/conversions.h"
#include "app/runtime_error.h"
#include "settings/setting_rules.h"

#include <cmath>

namespace start_step {

Result plan(std::string_view minutesText, double previousCount, std::int16_t previousPreset) {
    Result result{std::string(minutesText), std::nullopt, previousCount, previousPreset, std::nullopt};
    // Only the value 0 is replaced; anything else, a negative number included, stays as typed.
    resumeNext([&] {
        if (conv::numberOfText(result.minutesText) == 0)
            result.minutesText = "30";
    });
    resumeNext([&] { result.storedTime = setting_rules::minutesStored(result.minutesText); });
    resumeNext([&] {
        const double seconds = conv::numberOfText(result.minutesText) * 60;
        if (!std::isfinite(seconds))
            throw RuntimeError::overflow();
        result.countSeconds = seconds;
    });
    resumeNext([&] { result.presetSeconds = conv::wholeNumber(result.countSeconds); });
    resumeNext([&] { result.layout = conv::numberOfText(result.minutesText) < 61 ? compact : wide; });
    return result;
}

} // namespace start_step
