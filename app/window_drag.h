#pragma once

#include <QObject>
#include <QPoint>

class QWidget;

// Lets the presenter move a window by dragging a part of it with the left button. Past the system's
// drag distance, so that a click stays a click, the move goes to the window system's own move mode
// where a window manager manages the window, and is done here, from the pointer's screen position,
// where none does.
class WindowDrag final : public QObject {
public:
    // Watches `handle`'s mouse events; the window moved is the handle's top-level window.
    explicit WindowDrag(QWidget& handle);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget& window_;
    bool pressed_ = false;
    bool moving_ = false;
    QPoint pressPointer_;
    QPoint pressWindow_;
};
