#include "app/Module1.h"

#include "app/platform.h"
#include "app/window_slot.h"
#include "control_panel/Form2.h"
#include "settings/setting_rules.h"
#include "settings/settings_store.h"
#include "timer_window/Form1.h"
#include "timer_window/desktop.h"
#include "timer_window/placement.h"

#include <QTimer>

void retireWindow(QWidget& window) {
    for (QTimer* timer : window.findChildren<QTimer*>())
        timer->stop();
    window.hide();
    window.deleteLater();
}

namespace Module1 {

double CountSeconds = 0;
std::int16_t PresetSeconds = 0;

namespace {

WindowSlot<Form1>& form1Slot() {
    static WindowSlot<Form1> slot;
    return slot;
}

WindowSlot<Form2>& form2Slot() {
    static WindowSlot<Form2> slot;
    return slot;
}

} // namespace

Form1& form1() {
    return form1Slot().get();
}
bool form1Loaded() {
    return form1Slot().isLoaded();
}
void unloadForm1() {
    form1Slot().unload();
}
Form2& form2() {
    return form2Slot().get();
}
bool form2Loaded() {
    return form2Slot().isLoaded();
}
void unloadForm2() {
    form2Slot().unload();
}

void showTimerAtStart() {
    Form1& timer = form1();
    // A store that cannot be read leaves the strip at its design place: it must start regardless.
    resumeNext([&] {
        const std::string left = settings_store::read(setting_rules::left);
        const std::string top = settings_store::read(setting_rules::top);
        if (placement::hasStoredPlace(left, top))
            desktop::placeReachably(timer, placement::storedPlace(left, top), timer.Height());
    });
    timer.show();
}

void resetToPreset() {
    CountSeconds = PresetSeconds;
}

void returnToPanel() {
    // Where windows cannot tell where they stand, storing their place would write 0,0 over a real one.
    if (platform::knowsWindowPositions()) {
        resumeNext(
            [] { settings_store::write(setting_rules::left, setting_rules::positionText(form1().Left())); });
        resumeNext(
            [] { settings_store::write(setting_rules::top, setting_rules::positionText(form1().Top())); });
    }
    resumeNext([] { unloadForm1(); });
    resumeNext([] { platform::showInFront(form2()); });
    resumeNext([] { form2().Text1->setFocus(Qt::OtherFocusReason); });
    // The whole text selected, so the new minutes are simply typed over the old ones.
    resumeNext([] {
        TextBox& minutes = *form2().Text1;
        minutes.setSelection(0, static_cast<int>(minutes.text().size()));
    });
}

void leaveProgram() {
    resumeNext([] {
        settings_store::write(setting_rules::exitCount,
                              setting_rules::raisedExitCount(settings_store::read(setting_rules::exitCount)));
    });
    platform::endProgram();
}

} // namespace Module1
