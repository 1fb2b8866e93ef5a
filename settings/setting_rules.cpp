#include "settings/setting_rules.h"

#include "app/conversions.h"
#include "app/runtime_error.h"

namespace setting_rules {

std::string minutesShown(std::string_view stored) {
    const double minutes = conv::numberOfText(stored);
    return conv::textOfDouble(minutes == 0 ? 30 : minutes);
}

std::string minutesStored(std::string_view minutesBoxText) {
    return conv::textOfDouble(conv::numberOfText(minutesBoxText));
}

double leftOf(std::string_view stored) {
    const double left = conv::numberOfText(stored);
    return left == 0 ? 4000 : left;
}

std::int32_t topOf(std::string_view stored) {
    return conv::longWholeNumber(conv::numberOfText(stored));
}

std::string positionText(double twips) {
    return conv::textOfSingle(twips);
}

std::string raisedExitCount(std::string_view stored) {
    std::int16_t count = 0;
    resumeNext([&] { count = conv::wholeNumber(conv::numberOfText(stored)); });
    resumeNext([&] { count = conv::addWhole(count, 1); });
    if (count > 30)
        count = 30;
    return conv::textOfWhole(count);
}

} // namespace setting_rules
