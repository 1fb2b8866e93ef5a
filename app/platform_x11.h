#pragma once

#include <functional>

class QObject;
class QWidget;

// The few X11 window properties Qt has no call for. Each does nothing on another window system.
namespace platform::x11 {

bool isActive();

// Adds skip-taskbar and skip-pager to the window's state; only takes effect before the window is mapped.
void addSkipTaskbarState(QWidget& window);

// Declares the window a normal one, or gives it back the types Qt declared; only takes effect before the
// window is mapped.
void declareNormalWindow(QWidget& window, bool normal);

// The window of another program that has the keyboard focus, as the window manager names it: id 0 when
// there is none.
struct FocusedWindow {
    unsigned long id = 0;
    bool fullScreen = false; // it fills its screen, as a slide show does
};
FocusedWindow focusedWindow();

// Whether an X server answers at DISPLAY, before the application has a connection of its own.
bool serverReachable();

// Sends what is waiting to the server now.
void flush();

// Calls `changed` whenever any program maps or restacks a top-level window, for as long as `owner`
// lives, with the id of that window. Does nothing on another window system.
void watchStacking(QObject& owner, std::function<void(unsigned long window)> changed);

} // namespace platform::x11
