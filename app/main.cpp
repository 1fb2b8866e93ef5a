#include "app/Module1.h"
#include "app/application.h"
#include "app/platform.h"
#include "app/start_guard.h"
#include "timer_window/Form1.h"

#include <QApplication>

#include <optional>

int main(int argc, char* argv[]) {
    // Qt reads its choice of window system when the application object is built, and never again.
    platform::chooseWindowSystem();
    std::optional<QApplication> application;
    {
        const StartGuard guard;
        application.emplace(argc, argv);
    }
    setUpApplication(*application);
    // The timer window is the startup window; the control panel comes into being on first use.
    Module1::showTimerAtStart();
    return QApplication::exec();
}
