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

// Keeps a top-level window out of the taskbar and the window switcher.
void skipTaskbar(QWidget& window);

// Hands the window to the system's own move mode, as if its caption were dragged. False when the
// system will not move it, and the caller moves it itself.
bool startSystemMove(QWidget& window);

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
