#include "timer_window/Form1.h"

#include "app/Module1.h"
#include "app/application.h"
#include "app/error_guard.h"
#include "app/platform.h"
#include "app/twips.h"
#include "app/window_drag.h"
#include "control_panel/Form2.h"
#include "timer_window/clock.h"
#include "timer_window/desktop.h"
#include "timer_window/tick.h"

#include <QCursor>
#include <QFont>
#include <QGuiApplication>
#include <QIcon>
#include <QMenu>
#include <QScreen>
#include <QTimer>

#include <vector>

namespace {

QString digitPictureFile(const char* colour, int index) {
    return index == 10 ? QStringLiteral(":/digits/%1_colon.jpg").arg(QLatin1String(colour))
                       : QStringLiteral(":/digits/%1_%2.jpg").arg(QLatin1String(colour)).arg(index);
}

// Design places of the hidden picture sets, digits 0 to 9 then the colon, in twips. They only keep the
// sets out of the visible area.
constexpr std::array<double, 11> magentaLefts{420,  1380, 2340, 3300, 4260, 5220,
                                              6180, 7140, 8100, 9060, 10140};
constexpr std::array<double, 11> greenLefts{420, 1380, 2400, 3360, 4320, 5280, 6300, 7260, 8220, 9180, 10260};

// One picture set: image controls at their natural size, element k showing digit k, element 10 the colon.
// A picture is read when it is first shown: a strip in overtime never reads the countdown set, and a strip
// counting down reads of the overtime set only the design pictures it opens with until the time is up.
void buildPictureSet(QWidget& window, std::array<ImageControl*, 11>& set, const char* colour,
                     const std::array<double, 11>& lefts, double top) {
    for (std::size_t k = 0; k < set.size(); ++k) {
        set[k] = new ImageControl(&window, false);
        set[k]->move(twips::toPixels(lefts[k]), twips::toPixels(top));
        set[k]->setPictureFile(digitPictureFile(colour, static_cast<int>(k)));
    }
}

} // namespace

Form1::Form1() {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Form1"));
    setWindowIcon(QIcon(pngPicture(QStringLiteral(":/timer_icon.png"))));
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    platform::skipTaskbar(*this);
    setAutoFillBackground(true);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    resize(twips::toPixels(2265), twips::toPixels(600));
    // The design place, measured from the primary screen's corner, so that on a desk whose primary
    // screen is not the leftmost one the strip still opens in front of the presenter.
    const std::vector<placement::Screen> screens = desktop::screens();
    const placement::Place design =
        screens.empty() ? placement::designPlace
                        : placement::onPrimary(placement::designPlace, Width(), Height(), screens.front());
    setLeft(design.left);
    setTop(design.top);

    // Built back to front, so that each control created later lies in front of the earlier ones.
    Label1 = new LabelControl(this, QStringLiteral("00:00.00"));
    placeInTwips(*Label1, 4560, 3420, 2295, 615);
    Label1->setFont(designFont(QStringLiteral("宋体"), 26.25, true));
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setForeColor(QColor(255, 0, 0));

    buildPictureSet(*this, Image3, "magenta", magentaLefts, 4080);
    buildPictureSet(*this, Image4, "green", greenLefts, 5880);

    // One event at a time, each placed against the wall clock by the one before (Timer1_Timer).
    Timer1 = new QTimer(this);
    Timer1->setTimerType(Qt::PreciseTimer);
    Timer1->setSingleShot(true);

    // Hidden, so it never builds the line edit that would load the fonts.
    Text1 = new LazyTextBox(this, QStringLiteral("Text1"));
    placeInTwips(*Text1, 5580, 1320, 795, 375);
    Text1->setVisible(false);

    Picture2 = new PictureBox(this, Qt::black);
    placeInTwips(*Picture2, 60, 60, 2115, 555);
    struct Slot {
        ImageControl** control;
        double left, top, width, height;
    };
    // Inside the strip, back to front; Label2 goes last so it takes the mouse over every picture.
    const std::array<Slot, 8> slots{{
        {&Image1[5], 1860, 0, 255, 435},
        {&Image1[4], 1560, 0, 255, 435},
        {&Image2[1], 1395, 90, 85, 260},
        {&Image1[3], 1080, 0, 255, 435},
        {&Image1[2], 780, 0, 255, 435},
        {&Image2[0], 615, 90, 85, 260},
        {&Image1[1], 300, 0, 255, 435},
        {&Image1[0], 0, 0, 249, 435},
    }};
    for (const Slot& slot : slots) {
        *slot.control = new ImageControl(Picture2, true);
        placeInTwips(**slot.control, slot.left, slot.top, slot.width, slot.height);
    }
    for (ImageControl* digit : Image1)
        digit->setPicture(Image3[2]->picture());
    for (ImageControl* colon : Image2)
        colon->setPicture(Image3[10]->picture());
    Label2 = new LabelControl(Picture2);
    placeInTwips(*Label2, 0, 0, 3375, 555);

    connect(Timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);
    connect(Text1, &LazyTextBox::Change, this, &Form1::Text1_Change);
    connect(Label1, &LabelControl::clicked, this, &Form1::Label1_Click);
    connect(Label2, &LabelControl::clicked, this, &Form1::Label2_Click);
    connect(Label2, &LabelControl::doubleClicked, this, &Form1::Label2_DblClick);
    connect(Label2, &LabelControl::mouseUp, this, &Form1::Label2_MouseUp);
    // The face is the only handle the presenter has: a drag with the left button moves the window.
    new WindowDrag(*Label2);

    watchScreens();

    // The clock runs from the moment the window is loaded, shown or not. Its first event comes as soon as
    // the event loop runs, so the strip is first painted with its first second rather than the design
    // pictures.
    Timer1->start(0);
}

void Form1::Form_Load() {
    platform::makeTopmost(*this);
}

void Form1::Timer1_Timer() {
    unhandled([&] {
        const WallTime now = clock_source::current().now();
        Timer1->start(tick::nextEventDelay(now.millisecond));
        // Nine events in ten find the same second. The box reports a change only for a new text anyway,
        // and handing it the same text would still cost an edit and an accessibility update each time.
        const QString text = QString::fromStdString(now.timeOfDay);
        if (text != Text1->text())
            Text1->setText(text);
    });
}

// The one-second tick: raised only when the wall-clock text really changes, so it follows the wall-clock
// second. Each change counts one second, however much time passed, so a clock set back counts one.
void Form1::Text1_Change() {
    resumeNextHandler([&] {
        const tick::Result second = tick::secondElapsed(Module1::CountSeconds);
        Module1::CountSeconds = second.count;
        resumeNext([&] { Label1->setText(QString::fromStdString(second.text)); });
        if (second.set == tick::DigitSet::Countdown)
            DrawCountdownDigits();
        else
            DrawOvertimeDigits();
    });
}

void Form1::DrawCountdownDigits() {
    drawDigits(Image4);
}

void Form1::DrawOvertimeDigits() {
    drawDigits(Image3);
}

void Form1::drawDigits(const std::array<ImageControl*, 11>& set) {
    const auto digits = tick::digitsOfCaption(Label1->text().toStdString());
    for (std::size_t i = 0; i < Image1.size(); ++i)
        resumeNext([&] { Image1[i]->setPicture(set.at(static_cast<std::size_t>(digits[i]))->picture()); });
    // The colons are drawn on every tick too: that is what turns them magenta when overtime begins.
    for (ImageControl* colon : Image2)
        resumeNext([&] { colon->setPicture(set[10]->picture()); });
}

void Form1::Label1_Click() {
    unhandled([] { Module1::resetToPreset(); });
}

void Form1::Label2_Click() {
    unhandled([] { Module1::resetToPreset(); });
}

void Form1::Label2_MouseUp(int button, int, double, double) {
    unhandled([&] {
        // Naming the panel's menu loads the panel, hidden, the first time. popup() returns at once; the
        // chosen command runs from the event loop, and nothing here follows it.
        if (button == 2)
            Module1::form2().mu->popup(QCursor::pos());
    });
}

void Form1::Label2_DblClick() {
    resumeNextHandler([] { Module1::returnToPanel(); });
}

// A monitor unplugged or changed while the strip counts must not leave it where nobody can reach it:
// no taskbar entry and no window of the program would be left to bring it back.
void Form1::watchScreens() {
    const auto watch = [this](QScreen* screen) {
        connect(screen, &QScreen::geometryChanged, this, &Form1::bringBackIfLost);
        connect(screen, &QScreen::availableGeometryChanged, this, &Form1::bringBackIfLost);
    };
    for (QScreen* screen : QGuiApplication::screens())
        watch(screen);
    connect(qGuiApp, &QGuiApplication::screenAdded, this, [this, watch](QScreen* screen) {
        watch(screen);
        bringBackIfLost();
    });
    connect(qGuiApp, &QGuiApplication::screenRemoved, this, &Form1::bringBackIfLost);
    connect(qGuiApp, &QGuiApplication::primaryScreenChanged, this, &Form1::bringBackIfLost);
}

// Judged once the window system has told the whole change, which may take several signals. The strip
// goes on counting where it lands, and nothing is stored: the presenter did not choose the place.
void Form1::bringBackIfLost() {
    QTimer::singleShot(0, this, [this] {
        if (isVisible())
            desktop::placeReachably(*this, {Left(), Top()}, Height());
    });
}
