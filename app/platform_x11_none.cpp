#include "app/platform_x11.h"

// Windows and macOS: their window systems honour Qt's window flags alone.
namespace platform::x11 {

bool isActive() {
    return false;
}
void addSkipTaskbarState(QWidget&) {}
void declareNormalWindow(QWidget&, bool) {}
FocusedWindow focusedWindow() {
    return {};
}
bool serverReachable() {
    return false;
}
void flush() {}
void watchStacking(QObject&, std::function<void(unsigned long)>) {}

} // namespace platform::x11
