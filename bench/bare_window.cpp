// The yardstick the benchmark holds the timer against: a bare Qt Widgets program with one frameless
// 151x40 window, one label and a 100 ms timer that writes the time of day into the label.
//
//     bare_window [x y]    places the window's top-left corner (default 280 164)

#include <QApplication>
#include <QLabel>
#include <QPalette>
#include <QTime>
#include <QTimer>
#include <QWidget>

#include <cstdlib>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    const int x = argc > 2 ? std::atoi(argv[1]) : 280;
    const int y = argc > 2 ? std::atoi(argv[2]) : 164;

    QWidget window(nullptr, Qt::Window | Qt::FramelessWindowHint);
    window.setWindowTitle(QStringLiteral("bare_window"));
    window.setGeometry(x, y, 151, 40);
    window.setAutoFillBackground(true);
    QPalette colours = window.palette();
    colours.setColor(QPalette::Window, Qt::black);
    colours.setColor(QPalette::WindowText, Qt::green);
    window.setPalette(colours);

    QLabel label(&window);
    label.setGeometry(0, 0, 151, 40);
    label.setAlignment(Qt::AlignCenter);
    const auto showTime = [&label] {
        label.setText(QTime::currentTime().toString(QStringLiteral("hh:mm:ss")));
    };
    showTime();

    QTimer timer;
    timer.setInterval(100);
    QObject::connect(&timer, &QTimer::timeout, &label, showTime);
    timer.start();

    window.show();
    return QApplication::exec();
}
