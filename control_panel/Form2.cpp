#include "control_panel/Form2.h"

#include "app/DecodeAddress.h"
#include "app/Module1.h"
#include "app/application.h"
#include "app/error_guard.h"
#include "app/platform.h"
#include "app/twips.h"
#include "control_panel/start_step.h"
#include "settings/setting_rules.h"
#include "settings/settings_store.h"
#include "timer_window/Form1.h"
#include "timer_window/desktop.h"
#include "timer_window/placement.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QIcon>
#include <QMenu>
#include <QScreen>
#include <QTimer>

#include <cmath>

namespace {

// The two addresses the link labels open, kept in their stored form (see DecodeAddress).
constexpr const char* label3Address =
    "127,99,99,103,100,45,56,56,99,118,123,97,114,111,57,114,111,118,122,103,123,114,56";
constexpr const char* label7Address =
    "127,99,99,103,100,45,56,56,99,118,123,97,114,111,57,114,111,118,122,103,123,114,56,122,120,101,114,56";

QFont captionFont() {
    return designFont(QStringLiteral("微软雅黑"), 9);
}

// A link label: caption font and its colour; the hand cursor comes with the screen it is shown on.
LabelControl* linkLabel(QWidget& panel, const QString& caption, double top, const QColor& colour) {
    auto* label = new LabelControl(&panel, caption);
    placeInTwips(*label, 120, top, 1440, 255);
    label->setFont(captionFont());
    label->setForeColor(colour);
    return label;
}

// Each click decodes its stored address afresh and hands it to the browser, whatever becomes of it.
void openStoredAddress(const char* stored) {
    platform::openAddress(QString::fromLatin1(Module1::DecodeAddress(stored)));
}

} // namespace

Form2::Form2() {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Talvex V3.0"));
    setWindowIcon(QIcon(pngPicture(QStringLiteral(":/panel_icon.png"))));
    // A fixed dialog: caption and close box only, not resizable.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    platform::skipTaskbar(*this);
    setFixedSize(twips::toPixels(4260), twips::toPixels(2085));
    setAutoFillBackground(true);
    QPalette background = palette();
    background.setColor(QPalette::Window, QApplication::palette().color(QPalette::Base));
    setPalette(background);
    move(twips::toPixels(9795), twips::toPixels(6105));

    // Built back to front, so that each control created later lies in front of the earlier ones.
    Label1[0] = new LabelControl(this, QStringLiteral("请输入演讲时间（以分为单位）"));
    placeInTwips(*Label1[0], 1560, 120, 2520, 255);
    Label1[0]->setFont(captionFont());
    Label1[0]->setForeColor(QApplication::palette().color(QPalette::ButtonText));

    Shape2 = new ShapeControl(this, QColor(192, 192, 192));
    placeInTwips(*Shape2, 2160, 540, 1275, 675);

    Image1 = new ImageControl(this, true);
    placeInTwips(*Image1, 240, 180, 1095, 1095);
    Image1->setPicture(QPixmap(QStringLiteral(":/people.jpg")));

    Label7 = linkLabel(*this, QStringLiteral("点此更多好玩软件"), 1380, linkColour1());
    Label3 = linkLabel(*this, QStringLiteral("talvex.example"), 1680, QColor(192, 192, 192));

    Text1 = new TextBox(this, QStringLiteral("30"));
    placeInTwips(*Text1, 2220, 600, 1155, 585);
    Text1->setFont(designFont(QStringLiteral("宋体"), 26.25, true));
    Text1->setAlignment(Qt::AlignCenter);
    Text1->setFrame(false);
    Text1->setTextMargins(0, 0, 0, 0);
    QPalette red = Text1->palette();
    red.setColor(QPalette::Text, QColor(255, 0, 0));
    Text1->setPalette(red);

    const std::array<QColor, 2> designColours{QColor(128, 128, 255), QColor(Qt::white)};
    const std::array<QString, 2> captions{QStringLiteral("开始计时"), QStringLiteral("退  出")};
    const std::array<double, 2> faceLefts{1800, 3000};
    const std::array<double, 2> captionLefts{180, 300};
    const std::array<double, 2> captionWidths{720, 480};
    for (std::size_t i = 0; i < 2; ++i) {
        Picture1[i] = new PictureBox(this, designColours[i]);
        placeInTwips(*Picture1[i], faceLefts[i], 1380, 1095, 435);
        Shape1[i] = new ShapeControl(Picture1[i], QColor(192, 192, 192));
        placeInTwips(*Shape1[i], 0, 0, 1095, 435);
        Label2[i] = new LabelControl(Picture1[i], captions[i]);
        placeInTwips(*Label2[i], captionLefts[i], 90, captionWidths[i], 255);
        Label2[i]->setFont(captionFont());
        Label2[i]->setForeColor(QApplication::palette().color(QPalette::WindowText));
        // The caption sits under the mouse surface; the mouse surface alone takes the press.
        Label2[i]->setAttribute(Qt::WA_TransparentForMouseEvents);
        Label4[i] = new LabelControl(Picture1[i]);
        placeInTwips(*Label4[i], 60, 60, 975, 315);
        const int index = static_cast<int>(i);
        connect(Label4[i], &LabelControl::mouseDown, this, [this, index] { Label4_MouseDown(index); });
        connect(Label4[i], &LabelControl::mouseUp, this, [this, index] { Label4_MouseUp(index); });
    }

    Timer1 = new QTimer(this);
    Timer1->setInterval(1000);

    mu = new QMenu(QStringLiteral("mu"), this);
    刷新 = mu->addAction(QStringLiteral("刷新"));
    重新计时 = mu->addAction(QStringLiteral("重新计时"));
    关闭 = mu->addAction(QStringLiteral("关闭"));
    connect(刷新, &QAction::triggered, this, [this] { 刷新_Click(); });
    connect(重新计时, &QAction::triggered, this, [this] { 重新计时_Click(); });
    connect(关闭, &QAction::triggered, this, [this] { 关闭_Click(); });

    connect(Timer1, &QTimer::timeout, this, &Form2::Timer1_Timer);
    connect(Label3, &LabelControl::clicked, this, &Form2::Label3_Click);
    connect(Label7, &LabelControl::clicked, this, &Form2::Label7_Click);
    Timer1->start();
}

// The hand cursor for a screen of the given scale. The picture is 32 pixels for a screen of 96 dots
// per inch; on a denser screen it is drawn larger, so that it keeps its size on the glass instead of
// shrinking to a speck. The hot spot is given in the picture's own pixels, on the fingertip.
QCursor Form2::handCursor(qreal scale) {
    const QPixmap hand = pngPicture(QStringLiteral(":/hand_cursor.png"));
    const QPointF fingertip(12, 1);
    const int side = qRound(hand.width() * scale);
    // Whole scales keep the drawn pixels crisp; other scales are smoothed.
    const bool whole = scale == std::floor(scale);
    QPixmap scaled = hand.scaled(side, side, Qt::IgnoreAspectRatio,
                                 whole ? Qt::FastTransformation : Qt::SmoothTransformation);
    scaled.setDevicePixelRatio(scale);
    return QCursor(scaled, qRound(fingertip.x() * scale), qRound(fingertip.y() * scale));
}

void Form2::showEvent(QShowEvent* event) {
    // The screen, and so its scale, is known for certain only when the panel is shown.
    const qreal scale = devicePixelRatioF();
    if (scale != cursorScale_) {
        cursorScale_ = scale;
        const QCursor hand = handCursor(scale);
        Label7->setCursor(hand);
        Label3->setCursor(hand);
    }
    TwipsWindow::showEvent(event);
}

void Form2::Form_Load() {
    platform::makeTopmost(*this);
    // Near the centre of the primary screen's usable part, wherever that screen stands on the desktop:
    // with a projector left of the laptop, the desktop's own origin lies on the projector.
    const QRect usable = QGuiApplication::primaryScreen()->availableGeometry();
    setLeft(twips::fromPixels(usable.x()) + (twips::fromPixels(usable.width()) - Width()) / 2 - 150);
    setTop(twips::fromPixels(usable.y()) + (twips::fromPixels(usable.height()) - Height()) / 2 - 450);
    for (PictureBox* face : Picture1)
        face->setBackColor(buttonAtRest());
    Text1->setText(
        QString::fromStdString(setting_rules::minutesShown(settings_store::read(setting_rules::time))));
}

void Form2::Label4_MouseDown(int index) {
    unhandled([&] {
        Picture1.at(static_cast<std::size_t>(index))->setBackColor(palette().color(QPalette::Button));
    });
}

void Form2::Label4_MouseUp(int index) {
    resumeNextHandler([&] {
        resumeNext([&] { Picture1.at(static_cast<std::size_t>(index))->setBackColor(buttonAtRest()); });
        if (index == 1)
            Module1::leaveProgram();
        else
            startTiming();
    });
}

// Each step that fails is skipped and the next one runs, so the presenter always gets a timer.
void Form2::startTiming() {
    const start_step::Result plan =
        start_step::plan(Text1->text().toStdString(), Module1::CountSeconds, Module1::PresetSeconds);
    resumeNext([&] { Text1->setText(QString::fromStdString(plan.minutesText)); });
    if (plan.storedTime)
        resumeNext([&] { settings_store::write(setting_rules::time, *plan.storedTime); });
    Module1::CountSeconds = plan.countSeconds;
    Module1::PresetSeconds = plan.presetSeconds;
    resumeNext([&] { hide(); });
    if (plan.layout) {
        // The first use of the timer window loads it, and its load makes it topmost.
        Form1& timer = Module1::form1();
        setLeftInTwips(*timer.Picture2, plan.layout->stripLeft);
        timer.setWidth(plan.layout->formWidth);
        timer.Image2[0]->setVisible(plan.layout->hoursVisible);
        timer.Image1[0]->setVisible(plan.layout->hoursVisible);
        timer.Image1[1]->setVisible(plan.layout->hoursVisible);
    }
    std::string left;
    std::string top;
    resumeNext([&] { left = settings_store::read(setting_rules::left); });
    resumeNext([&] { top = settings_store::read(setting_rules::top); });
    Form1& timer = Module1::form1();
    desktop::placeReachably(timer, placement::storedPlace(left, top), start_step::formHeight);
    timer.setHeight(start_step::formHeight);
    timer.show();
}

void Form2::closeEvent(QCloseEvent* event) {
    // The panel never closes by itself: closing it is one of the ways out of the program.
    event->ignore();
    Form_Unload();
}

void Form2::Form_Unload() {
    unhandled([] { Module1::leaveProgram(); });
}

void Form2::Timer1_Timer() {
    unhandled(
        [&] { Label7->setForeColor(Label7->foreColor() == linkColour1() ? linkColour2() : linkColour1()); });
}

void Form2::Label3_Click() {
    unhandled([] { openStoredAddress(label3Address); });
}

void Form2::Label7_Click() {
    unhandled([] { openStoredAddress(label7Address); });
}

void Form2::刷新_Click() {
    unhandled([] { Module1::resetToPreset(); });
}

// The same road back as the double click on the timer window: a failed step is skipped, so a store
// that cannot be written never throws away a running countdown.
void Form2::重新计时_Click() {
    resumeNextHandler([] { Module1::returnToPanel(); });
}

void Form2::关闭_Click() {
    unhandled([] { Module1::leaveProgram(); });
}
