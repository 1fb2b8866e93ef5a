#include "app/Module1.h"

#include "app/window_slot.h"
#include "timer_window/Form1.h"

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

} // namespace Module1
