#include "support.h"

#include "app/Module1.h"
#include "control_panel/Form2.h"
#include "settings/settings_store.h"
#include "timer_window/Form1.h"

#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QScreen>
#include <QSettings>
#include <QTest>
#include <QTimer>

namespace {

void store(const char* key, const char* text) {
    settings_store::write(key, text);
}

// A press and release with one button at a point of a button face.
void pressFace(Form2& panel, int index, Qt::MouseButton button, QPoint at = {30, 14}) {
    QWidget* face = panel.Picture1[static_cast<std::size_t>(index)];
    QWidget* target = face->childAt(at) ? face->childAt(at) : face;
    const QPoint local = target->mapFrom(face, at);
    QTest::mousePress(target, button, {}, local);
    QTest::mouseRelease(target, button, {}, local);
}

} // namespace

class TestForm2 final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { setUpTestApplication(); }

    void builtGeometryInPixels() {
        TestEnvironment env;
        Form2& panel = Module1::form2();
        QCOMPARE(panel.size(), QSize(284, 139));
        QCOMPARE(panel.windowTitle(), QStringLiteral("Talvex V3.0"));
        QVERIFY(!panel.isVisible()); // loading does not show it
        QCOMPARE(panel.Picture1[0]->geometry(), QRect(120, 92, 73, 29));
        QCOMPARE(panel.Picture1[1]->geometry(), QRect(200, 92, 73, 29));
        QCOMPARE(panel.Label4[0]->geometry(), QRect(4, 4, 65, 21));
        QCOMPARE(panel.Text1->geometry(), QRect(148, 40, 77, 39));
        QCOMPARE(panel.Shape2->geometry(), QRect(144, 36, 85, 45));
        QCOMPARE(panel.Image1->geometry(), QRect(16, 12, 73, 73));
        QCOMPARE(panel.Label1[0]->geometry(), QRect(104, 8, 168, 17));
        QCOMPARE(panel.Label2[0]->text(), QStringLiteral("开始计时"));
        QCOMPARE(panel.Label2[1]->text(), QStringLiteral("退  出")); // both blanks kept
        QCOMPARE(panel.Label7->foreColor(), Form2::linkColour1());
        QVERIFY(panel.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(!panel.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
        QVERIFY(!panel.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
        // The icons and the hand cursor are read from the compiled-in pictures at their own sizes.
        QCOMPARE(panel.windowIcon().availableSizes(), QList<QSize>{QSize(48, 48)});
        QCOMPARE(QApplication::windowIcon().availableSizes(), QList<QSize>{QSize(48, 48)});
        panel.show();
        for (const LabelControl* link : {panel.Label7, panel.Label3}) {
            QCOMPARE(link->cursor().shape(), Qt::BitmapCursor);
            QCOMPARE(link->cursor().pixmap().size(), QSize(32, 32));
            QCOMPARE(link->cursor().hotSpot(), QPoint(12, 1));
        }
        panel.hide();

        // The captions fit the widths they were designed for in the substitute CJK font.
        const QFontMetrics captions(panel.Label1[0]->font());
        QVERIFY(captions.horizontalAdvance(panel.Label1[0]->text()) <= panel.Label1[0]->width());
        QVERIFY(captions.horizontalAdvance(panel.Label2[0]->text()) <= panel.Label2[0]->width());
        QVERIFY(QFontInfo(panel.Label1[0]->font()).family().contains(QStringLiteral("CJK")));

        // The menu exists only for the popup; its items in order.
        QStringList items;
        for (QAction* action : panel.mu->actions())
            items << action->text();
        QCOMPARE(items,
                 (QStringList{QStringLiteral("刷新"), QStringLiteral("重新计时"), QStringLiteral("关闭")}));
    }

    void loadPlacesThePanelAndShowsTheStoredMinutes_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("shown");
        QTest::newRow("nothing stored shows 30") << QString() << QStringLiteral("30");
        QTest::newRow("0 shows 30") << QStringLiteral("0") << QStringLiteral("30");
        QTest::newRow("no number shows 30") << QStringLiteral("abc") << QStringLiteral("30");
        QTest::newRow("leading blanks and letters") << QStringLiteral("  45abc") << QStringLiteral("45");
        QTest::newRow("fraction kept") << QStringLiteral("12.5") << QStringLiteral("12.5");
    }

    void loadPlacesThePanelAndShowsTheStoredMinutes() {
        QFETCH(QString, stored);
        QFETCH(QString, shown);
        TestEnvironment env;
        if (!stored.isNull())
            store("time", stored.toUtf8().constData());
        Form2& panel = Module1::form2();
        QCOMPARE(panel.Text1->text(), shown);
        const QSize screen = QGuiApplication::primaryScreen()->size();
        QCOMPARE(panel.x(), qRound(((screen.width() * 15.0 - 4260) / 2 - 150) / 15));
        QCOMPARE(panel.y(), qRound(((screen.height() * 15.0 - 2085) / 2 - 450) / 15));
        QCOMPARE(panel.Picture1[0]->backColor(), Form2::buttonAtRest());
        QCOMPARE(panel.Picture1[1]->backColor(), Form2::buttonAtRest());
    }

    // On a denser screen the hand is drawn with more pixels, so that it keeps its size on the glass.
    void handCursorFollowsTheScreensScale_data() {
        QTest::addColumn<qreal>("scale");
        QTest::addColumn<QSize>("pixels");
        QTest::addColumn<QPoint>("hotSpot"); // in the picture's pixels: on the fingertip
        QTest::newRow("96 dpi") << qreal(1) << QSize(32, 32) << QPoint(12, 1);
        QTest::newRow("125%") << qreal(1.25) << QSize(40, 40) << QPoint(15, 1);
        QTest::newRow("200%") << qreal(2) << QSize(64, 64) << QPoint(24, 2);
    }

    void handCursorFollowsTheScreensScale() {
        QFETCH(qreal, scale);
        QFETCH(QSize, pixels);
        QFETCH(QPoint, hotSpot);
        const QCursor hand = Form2::handCursor(scale);
        QCOMPARE(hand.shape(), Qt::BitmapCursor);
        QCOMPARE(hand.pixmap().size(), pixels);
        QCOMPARE(hand.pixmap().devicePixelRatio(), scale);
        QCOMPARE(hand.hotSpot(), hotSpot);
    }

    void aPressOnTheRimDoesNothing() {
        TestEnvironment env;
        Form2& panel = Module1::form2();
        panel.show();
        Module1::CountSeconds = 5;
        for (const QPoint rim : {QPoint(1, 1), QPoint(71, 27), QPoint(2, 14)}) {
            pressFace(panel, 0, Qt::LeftButton, rim);
            pressFace(panel, 1, Qt::LeftButton, rim);
        }
        QCOMPARE(Module1::CountSeconds, 5.0);
        QVERIFY(panel.isVisible());
        QCOMPARE(env.programEnds, 0);
    }

    void anyButtonStartsTiming_data() {
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::newRow("left") << Qt::LeftButton;
        QTest::newRow("right") << Qt::RightButton;
        QTest::newRow("middle") << Qt::MiddleButton;
    }

    void anyButtonStartsTiming() {
        QFETCH(Qt::MouseButton, button);
        TestEnvironment env;
        Form2& panel = Module1::form2();
        panel.show();
        QTest::mousePress(panel.Label4[0], button, {}, QPoint(10, 10));
        QCOMPARE(panel.Picture1[0]->backColor(), panel.palette().color(QPalette::Button));
        QTest::mouseRelease(panel.Label4[0], button, {}, QPoint(10, 10));
        QCOMPARE(panel.Picture1[0]->backColor(), Form2::buttonAtRest());
        QCOMPARE(Module1::CountSeconds, 1800.0);
        QCOMPARE(Module1::PresetSeconds, std::int16_t(1800));
        QCOMPARE(settings_store::read("time"), std::string("30"));
        QVERIFY(panel.isHidden());
        // Compact strip at the default place: left 4000 twips, top 0.
        Form1& timer = Module1::form1();
        QVERIFY(timer.isVisible());
        QCOMPARE(timer.Left(), 4000.0);
        QCOMPARE(timer.Top(), 0.0);
        QCOMPARE(timer.size(), QSize(96, 38));
        QCOMPARE(timer.Picture2->x(), -48);
        QVERIFY(timer.Image1[0]->isHidden() && timer.Image1[1]->isHidden() && timer.Image2[0]->isHidden());
    }

    // Every kind of text a person or a paste can put into the minutes box, then the start button. The
    // count and preset were 77 and 9 before, so a row shows where a step kept them.
    void minutesAsTypedOrPasted_data() {
        QTest::addColumn<QString>("input");
        QTest::addColumn<bool>("pasted");
        QTest::addColumn<QString>("boxAfter");   // null: the box keeps what it holds
        QTest::addColumn<QString>("storedTime"); // null: nothing written
        QTest::addColumn<double>("count");
        QTest::addColumn<int>("preset");
        QTest::addColumn<int>("stripWidth"); // pixels; 151 is the design width, left alone
        const auto row = [](const char* name, const QString& input, bool pasted, const QString& boxAfter,
                            const QString& stored, double count, int preset, int width) {
            QTest::newRow(name) << input << pasted << boxAfter << stored << count << preset << width;
        };
        const QString keep;
        const QString thirty = QStringLiteral("30");
        row("empty", QString(), false, thirty, thirty, 1800, 1800, 96);
        row("blanks", QStringLiteral("   "), false, thirty, thirty, 1800, 1800, 96);
        row("x", QStringLiteral("x"), false, thirty, thirty, 1800, 1800, 96);
        row("0", QStringLiteral("0"), false, thirty, thirty, 1800, 1800, 96);
        row("-5", QStringLiteral("-5"), false, keep, QStringLiteral("-5"), -300, -300, 96);
        row("45abc", QStringLiteral("45abc"), false, keep, QStringLiteral("45"), 2700, 2700, 96);
        row("1 2", QStringLiteral("1 2"), false, keep, QStringLiteral("12"), 720, 720, 96);
        row("&H1E", QStringLiteral("&H1E"), false, keep, thirty, 1800, 1800, 96);
        row("&O36", QStringLiteral("&O36"), false, keep, thirty, 1800, 1800, 96);
        row("1e3", QStringLiteral("1e3"), false, keep, QStringLiteral("1000"), 60000, 9, 149);
        row("1D2", QStringLiteral("1D2"), false, keep, QStringLiteral("100"), 6000, 6000, 149);
        // Too big for a number at all: every step that needs it is skipped, the preset follows the old count.
        row("1e309", QStringLiteral("1e309"), false, keep, QString(), 77, 77, 151);
        row("546.125", QStringLiteral("546.125"), false, keep, QStringLiteral("546.125"), 32767.5, 9, 149);
        row("9999999999", QStringLiteral("9999999999"), false, keep, QStringLiteral("9999999999"),
            599999999940.0, 9, 149);
        row("nan", QStringLiteral("nan"), false, thirty, thirty, 1800, 1800, 96);
        row("inf", QStringLiteral("inf"), false, thirty, thirty, 1800, 1800, 96);
        row("full-width 30", QStringLiteral("３０"), true, thirty, thirty, 1800, 1800, 96);
        row("100,000 digits", QString(100000, QLatin1Char('9')), true, keep, QString(), 77, 77, 151);
        row("100,000 characters", QStringLiteral("7") + QString(99999, QLatin1Char(' ')), true, keep,
            QStringLiteral("7"), 420, 420, 96);
        row("tabs", QStringLiteral("\t4\t5\t"), true, keep, QStringLiteral("45"), 2700, 2700, 96);
        row("control character",
            QStringLiteral("3\x01"
                           "9"),
            true, keep, QStringLiteral("3"), 180, 180, 96);
        row("line feed", QStringLiteral("2\n5"), true, keep, QStringLiteral("25"), 1500, 1500, 96);
        row("carriage return", QStringLiteral("2\r\n5"), true, keep, QStringLiteral("2"), 120, 120, 96);
    }

    void minutesAsTypedOrPasted() {
        QFETCH(QString, input);
        QFETCH(bool, pasted);
        QFETCH(QString, boxAfter);
        QFETCH(QString, storedTime);
        QFETCH(double, count);
        QFETCH(int, preset);
        QFETCH(int, stripWidth);
        TestEnvironment env;
        Module1::CountSeconds = 77;
        Module1::PresetSeconds = 9;
        Form2& panel = Module1::form2();
        panel.show();
        TextBox& box = *panel.Text1;
        box.setFocus();
        QTest::keyClick(&box, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(&box, Qt::Key_Delete);
        if (pasted) {
            QGuiApplication::clipboard()->setText(input);
            QTest::keyClick(&box, Qt::Key_V, Qt::ControlModifier);
        } else {
            QTest::keyClicks(&box, input);
        }
        // The box holds at most its length limit of what was pasted.
        const QString held = input.left(box.maxLength());
        QCOMPARE(box.text(), held);

        QTest::mouseClick(panel.Label4[0], Qt::LeftButton);

        QCOMPARE(box.text(), boxAfter.isNull() ? held : boxAfter);
        QCOMPARE(QString::fromStdString(settings_store::read("time")),
                 storedTime.isNull() ? QString() : storedTime);
        QCOMPARE(Module1::CountSeconds, count);
        QCOMPARE(Module1::PresetSeconds, std::int16_t(preset));
        QVERIFY(panel.isHidden());
        Form1& timer = Module1::form1();
        QVERIFY(timer.isVisible());
        QCOMPARE(timer.width(), stripWidth);
        QVERIFY(env.errors.empty());
        QCOMPARE(env.programEnds, 0);
    }

    // A stored place that leaves less than a grabbable part of the strip (20 by 20 pixels) on the
    // screen (800 by 800 pixels here) is one nobody could reach: the strip goes to the default place.
    void aLostTimerComesBackToTheDefaultPlace_data() {
        QTest::addColumn<QString>("left");
        QTest::addColumn<QString>("top");
        QTest::addColumn<QPoint>("place"); // twips
        const auto row = [](const char* name, const char* left, const char* top, QPoint place) {
            QTest::newRow(name) << QString::fromLatin1(left) << QString::fromLatin1(top) << place;
        };
        const QPoint fallback(4000, 0);
        row("on the screen", "7245", "3600", QPoint(7245, 3600));
        row("twenty pixels on the left", "-1140", "3600", QPoint(-1140, 3600));
        row("nineteen pixels on the left", "-1155", "3600", fallback);
        row("twenty pixels on the right", "11700", "3600", QPoint(11700, 3600));
        row("nineteen pixels on the right", "11715", "3600", fallback);
        row("twenty pixels on the top", "7245", "-270", QPoint(7245, -270));
        row("nineteen pixels on the top", "7245", "-285", fallback);
        row("twenty pixels on the bottom", "7245", "11700", QPoint(7245, 11700));
        row("nineteen pixels on the bottom", "7245", "11715", fallback);
        row("an unplugged monitor", "30000", "1200", fallback);
        row("left 1e300", "1e300", "1200", fallback);
        row("left -1e300", "-1e300", "1200", fallback);
        row("top beyond 16 bits, off this screen", "7245", "99999", fallback);
        row("top beyond 32 bits reads as 0", "7245", "1e10", QPoint(7245, 0));
    }

    void aLostTimerComesBackToTheDefaultPlace() {
        QFETCH(QString, left);
        QFETCH(QString, top);
        QFETCH(QPoint, place);
        TestEnvironment env;
        QCOMPARE(QGuiApplication::primaryScreen()->geometry(), QRect(0, 0, 800, 800));
        store("left", left.toUtf8().constData());
        store("top", top.toUtf8().constData());
        Form2& panel = Module1::form2();
        QTest::mouseClick(panel.Label4[0], Qt::LeftButton);
        Form1& timer = Module1::form1();
        QVERIFY(timer.isVisible());
        QCOMPARE(timer.Left(), double(place.x()));
        QCOMPARE(timer.Top(), double(place.y()));
        QCOMPARE(timer.pos(), QPoint(qRound(place.x() / 15.0), qRound(place.y() / 15.0)));
        QVERIFY(env.errors.empty());
    }

    void startUsesTheStoredPositionAndTheWideLayout() {
        TestEnvironment env;
        store("left", "7245.5");
        store("top", "7245.5");
        Form2& panel = Module1::form2();
        panel.Text1->setText(QStringLiteral("61"));
        QTest::mouseClick(panel.Label4[0], Qt::LeftButton);
        Form1& timer = Module1::form1();
        QCOMPARE(timer.Left(), 7245.5);
        QCOMPARE(timer.Top(), 7246.0);
        QCOMPARE(timer.size(), QSize(149, 38));
        QCOMPARE(timer.Picture2->x(), 4);
        QVERIFY(!timer.Image1[0]->isHidden() && !timer.Image2[0]->isHidden());
        QCOMPARE(Module1::CountSeconds, 3660.0);
    }

    void aStoreThatCannotBeWrittenStillStartsTiming() {
        TestEnvironment env;
        QVERIFY(QDir(env.configDir()).mkdir(QStringLiteral("quorvy.conf")));
        Form2& panel = Module1::form2();
        panel.Text1->setText(QStringLiteral("10"));
        QTest::mouseClick(panel.Label4[0], Qt::LeftButton);
        QCOMPARE(Module1::CountSeconds, 600.0);
        QVERIFY(Module1::form1().isVisible());
        QVERIFY(env.errors.empty());
    }

    void aPanelShownAgainKeepsItsPlaceAndText() {
        TestEnvironment env;
        Form2& panel = Module1::form2();
        panel.show();
        panel.Text1->setText(QStringLiteral("45abc"));
        panel.move(10, 20);
        QTest::mouseClick(panel.Label4[0], Qt::LeftButton);
        store("time", "7");
        panel.show();
        QCOMPARE(&Module1::form2(), &panel);
        QCOMPARE(panel.pos(), QPoint(10, 20));
        QCOMPARE(panel.Text1->text(), QStringLiteral("45abc"));
        QCOMPARE(settings_store::read("time"), std::string("7"));
    }

    // Each way out raises the stored counter exactly once and ends the program without a message.
    void eachExitRaisesTheCounterOnce_data() {
        QTest::addColumn<QString>("way");
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        for (const char* way : {"exit button", "close box", "menu"}) {
            const QString w = QString::fromLatin1(way);
            QTest::addRow("%s, absent", way) << w << QString() << QStringLiteral("1");
            QTest::addRow("%s, 29", way) << w << QStringLiteral("29") << QStringLiteral("30");
            QTest::addRow("%s, 30", way) << w << QStringLiteral("30") << QStringLiteral("30");
            QTest::addRow("%s, -7", way) << w << QStringLiteral("-7") << QStringLiteral("-6");
            QTest::addRow("%s, damaged 40000", way) << w << QStringLiteral("40000") << QStringLiteral("1");
            QTest::addRow("%s, 32767", way) << w << QStringLiteral("32767") << QStringLiteral("30");
        }
    }

    void eachExitRaisesTheCounterOnce() {
        QFETCH(QString, way);
        QFETCH(QString, before);
        QFETCH(QString, after);
        TestEnvironment env;
        if (!before.isNull())
            store("cs", before.toUtf8().constData());
        Form2& panel = Module1::form2();
        panel.show();
        if (way == QLatin1String("exit button"))
            QTest::mouseClick(panel.Label4[1], Qt::LeftButton);
        else if (way == QLatin1String("close box"))
            QVERIFY(!panel.close());
        else
            panel.关闭->trigger();
        QCOMPARE(env.programEnds, 1);
        QVERIFY(env.errors.empty());
        QCOMPARE(QString::fromStdString(settings_store::read("cs")), after);
    }

    void linkLabelBlinksOnEveryTick() {
        TestEnvironment env;
        Form2& panel = Module1::form2();
        QCOMPARE(panel.Timer1->interval(), 1000);
        QVERIFY(panel.Timer1->isActive());
        const auto tick = [&] { fireTimer(panel.Timer1); };
        tick();
        QCOMPARE(panel.Label7->foreColor(), Form2::linkColour2());
        tick();
        QCOMPARE(panel.Label7->foreColor(), Form2::linkColour1());
        panel.Label7->setForeColor(Qt::red); // any other colour goes back to the first one
        tick();
        QCOMPARE(panel.Label7->foreColor(), Form2::linkColour1());
    }
};

QTEST_MAIN(TestForm2)
#include "tst_form2.moc"
