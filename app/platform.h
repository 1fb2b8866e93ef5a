#pragma once

#include <functional>

class QString;
class QWidget;
class RuntimeError;

// Everything that differs between window systems, behind one small interface. The windows call these
// and never test for the operating system themselves.
namespace platform {

// Keeps the window above every other window, a full-screen slide show included.
void makeTopmost(QWidget& window);

// Shows a window the presenter asked for in front of every other window, a focused full-screen slide
// show included, and gives it the keyboard focus.
void showInFront(QWidget& window);

// Keeps a top-level window out of the taskbar and the window switcher.
void skipTaskbar(QWidget& window);

// Hands the window to the system's own move mode, as if its caption were dragged. False when the
// system will not move it, and the caller moves it itself.
bool startSystemMove(QWidget& window);

// Chooses the window system before the application object is built. On a Wayland desktop that runs an X
// server (XWayland, as the mainstream desktops do) the program runs through X11: a Wayland window can
// neither place itself, nor learn where it stands, nor stay above a full-screen window. Without an X
// server it says so on standard error, in one line, and runs as a Wayland window. A window system the
// user named in QT_QPA_PLATFORM is used as it stands.
void chooseWindowSystem();

// Whether the program can place its top-level windows and read back where they stand. A Wayland
// window is placed by the compositor alone and reads 0,0 wherever it is.
bool knowsWindowPositions();
// The same question for a Qt platform by name ("xcb", "wayland", "offscreen", ...).
bool knowsWindowPositions(const QString& platformName);

// Opens a web address with the desktop's default browser; the outcome is not looked at.
void openAddress(const QString& address);

// The run-time error message box.
void showRuntimeError(const RuntimeError& error);

// Ends the process at once: no further handler of any window runs.
[[noreturn]] void endProgram();

// Test seams. The end-of-program handler must not return: the tests throw ProgramEnded from it so
// that the handler that ended the program stops where the process would have stopped.
void setEndProgramHandler(std::function<void()> handler);
void setErrorMessageHandler(std::function<void(const RuntimeError&)> handler);
void setOpenAddressHandler(std::function<void(const QString&)> handler);

} // namespace platform
