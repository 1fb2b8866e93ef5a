#include "app/window_drag.h"

#include "app/platform.h"

#include <QApplication>
#include <QWidget>

void WindowDrag::press(QPoint globalPointer, QPoint windowPosition) {
    pressed_ = true;
    moving_ = false;
    pressPointer_ = globalPointer;
    pressWindow_ = windowPosition;
}

void WindowDrag::follow(QWidget& window, QPoint globalPointer) {
    if (!pressed_)
        return;
    const QPoint offset = globalPointer - pressPointer_;
    if (!moving_) {
        if (offset.manhattanLength() < QApplication::startDragDistance())
            return;
        moving_ = true;
        if (platform::startSystemMove(window)) {
            // The window system follows the pointer from here and takes the release too.
            pressed_ = false;
            return;
        }
    }
    window.move(pressWindow_ + offset);
}
