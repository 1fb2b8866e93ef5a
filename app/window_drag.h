#pragma once

#include <QPoint>

class QWidget;

// Moves a window by dragging a part of it. Past a few pixels of slack the move goes to the window
// system's own move mode where the window manager manages the window, and is done here where it does not.
class WindowDrag final {
public:
    void press(QPoint globalPointer, QPoint windowPosition);
    void follow(QWidget& window, QPoint globalPointer);
    void release() { pressed_ = false; }

private:
    bool pressed_ = false;
    bool moving_ = false;
    QPoint pressPointer_;
    QPoint pressWindow_;
};
