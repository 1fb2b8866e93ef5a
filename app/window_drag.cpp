#include "app/window_drag.h"

#include "app/platform.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

WindowDrag::WindowDrag(QWidget& handle) : QObject(&handle), window_(*handle.window()) {
    handle.installEventFilter(this);
}

bool WindowDrag::eventFilter(QObject*, QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton) {
            pressed_ = true;
            moving_ = false;
            pressPointer_ = mouse->globalPosition().toPoint();
            pressWindow_ = window_.pos();
        }
        break;
    }
    case QEvent::MouseMove: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (!pressed_ || !(mouse->buttons() & Qt::LeftButton)) {
            pressed_ = false;
            break;
        }
        const QPoint offset = mouse->globalPosition().toPoint() - pressPointer_;
        if (!moving_) {
            if (offset.manhattanLength() < QApplication::startDragDistance())
                break;
            moving_ = true;
            if (platform::startSystemMove(window_)) {
                // The window system follows the pointer from here and takes the release too.
                pressed_ = false;
                break;
            }
        }
        window_.move(pressWindow_ + offset);
        break;
    }
    case QEvent::MouseButtonRelease:
        pressed_ = false;
        break;
    default:
        break;
    }
    // The label's own handlers still see every event: a press and release without a drag is a click.
    return false;
}
