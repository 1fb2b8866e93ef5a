// The yardstick the benchmark holds the timer against: a bare Qt Widgets program that shows pictures and
// no text, as the strip does. One frameless 151x40 black window paints the time of day with the strip's
// green JPEG pictures (six digits and two colons, in the strip's places), decoded once at start; a 100 ms
// timer reads the clock and repaints the window when the second has changed.
//
//     bare_window [x y]    places the window's top-left corner (default 280 164)

#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <QString>
#include <QTime>
#include <QTimer>
#include <QWidget>

#include <array>
#include <cstdlib>

namespace {

class PictureClock final : public QWidget {
public:
    PictureClock() : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint) {
        setWindowTitle(QStringLiteral("bare_window"));
        setAttribute(Qt::WA_OpaquePaintEvent);
        for (int k = 0; k < 10; ++k)
            pictures_[static_cast<std::size_t>(k)] = QPixmap(QStringLiteral(":/digits/green_%1.jpg").arg(k));
        pictures_[10] = QPixmap(QStringLiteral(":/digits/green_colon.jpg"));
        connect(&timer_, &QTimer::timeout, this, [this] { readClock(); });
        timer_.start(100);
        readClock();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::black);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        // The strip's places: hh:mm:ss, each colon between two pairs of digits.
        static constexpr std::array<QRect, 8> places{{{4, 4, 17, 29},
                                                      {24, 4, 17, 29},
                                                      {45, 10, 6, 17},
                                                      {56, 4, 17, 29},
                                                      {76, 4, 17, 29},
                                                      {97, 10, 6, 17},
                                                      {108, 4, 17, 29},
                                                      {128, 4, 17, 29}}};
        for (std::size_t i = 0; i < places.size(); ++i) {
            const QChar c = shown_.at(static_cast<qsizetype>(i));
            painter.drawPixmap(places[i],
                               pictures_[c.isDigit() ? static_cast<std::size_t>(c.digitValue()) : 10]);
        }
    }

private:
    void readClock() {
        const QString now = QTime::currentTime().toString(QStringLiteral("hh:mm:ss"));
        if (now != shown_) {
            shown_ = now;
            update();
        }
    }

    std::array<QPixmap, 11> pictures_;
    QString shown_;
    QTimer timer_;
};

} // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    const int x = argc > 2 ? std::atoi(argv[1]) : 280;
    const int y = argc > 2 ? std::atoi(argv[2]) : 164;
    PictureClock window;
    window.setGeometry(x, y, 151, 40);
    window.show();
    return QApplication::exec();
}
