#pragma once

#include "app/error_guard.h"

#include <QPointer>
#include <QWidget>

// Takes a window out of use at once (hidden, its timers stopped) and deletes it once control is back in
// the event loop: the window may be unloading itself from one of its own handlers.
void retireWindow(QWidget& window);

// One process-wide instance of a window. Using it loads the window when it is not loaded: the widget and
// its controls are built with their design values, then its load handler runs. Loading does not show it.
template <class Window> class WindowSlot final {
public:
    Window& get() {
        if (!window_) {
            window_ = new Window;
            Window& loaded = *window_;
            unhandled([&] { loaded.Form_Load(); });
        }
        return *window_;
    }

    bool isLoaded() const { return !window_.isNull(); }

    // Destroys the window; the next use builds a fresh one. Runs no unload handler.
    void unload() {
        if (Window* window = window_.data()) {
            window_.clear();
            retireWindow(*window);
        }
    }

private:
    QPointer<Window> window_;
};
