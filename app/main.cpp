#include "app/Module1.h"
#include "app/application.h"
#include "timer_window/Form1.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    setUpApplication(application);
    // The timer window is the startup window; the control panel comes into being on first use.
    Module1::form1().show();
    return QApplication::exec();
}
