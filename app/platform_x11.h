#pragma once

class QWidget;

// The few X11 window properties Qt has no call for. Each does nothing on another window system.
namespace platform::x11 {

bool isActive();

// Adds skip-taskbar and skip-pager to the window's state; only takes effect before the window is mapped.
void addSkipTaskbarState(QWidget& window);

} // namespace platform::x11
