#include "support.h"

#include "app/Module1.h"
#include "settings/settings_store.h"
#include "timer_window/Form1.h"

#include <QApplication>
#include <QTest>
#include <QTimer>

// Steps the timer window's clock as the 100 ms timer would, without waiting for real time.
static void fireTimer(Form1& form) {
    fireTimer(form.Timer1);
}

class TestForm1 final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { setUpTestApplication(); }

    void builtGeometryInPixels() {
        TestEnvironment env;
        Form1& form = Module1::form1();
        QCOMPARE(form.size(), QSize(151, 40));
        QCOMPARE(form.pos(), QPoint(280, 164));
        QCOMPARE(form.Left(), 4200.0);
        QCOMPARE(form.Top(), 2460.0);
        QCOMPARE(form.Picture2->geometry(), QRect(4, 4, 141, 37));
        QVERIFY(form.windowFlags().testFlag(Qt::FramelessWindowHint));
        QVERIFY(form.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QCOMPARE(form.windowTitle(), QStringLiteral("Form1"));
        QCOMPARE(form.windowIcon().availableSizes(), QList<QSize>{QSize(32, 32)});
        QCOMPARE(form.palette().color(QPalette::Window), QColor(Qt::black));

        // The slots tile the strip: the last digit ends at the strip's right edge.
        const QList<QRect> expected{{0, 0, 17, 29},  {20, 0, 17, 29},  {52, 0, 17, 29},
                                    {72, 0, 17, 29}, {104, 0, 17, 29}, {124, 0, 17, 29}};
        for (int i = 0; i < 6; ++i)
            QCOMPARE(form.Image1[i]->geometry(), expected[i]);
        QCOMPARE(form.Image2[0]->geometry(), QRect(41, 6, 6, 17));
        QCOMPARE(form.Image2[1]->geometry(), QRect(93, 6, 6, 17));

        // The mouse surface lies in front of every picture and covers the whole strip.
        QCOMPARE(form.Label2->parentWidget(), form.Picture2);
        QCOMPARE(form.Picture2->childAt(8, 10), form.Label2);
        QCOMPARE(form.Picture2->childAt(140, 36), form.Label2);
        // The black margin around the strip belongs to the window itself.
        QCOMPARE(form.childAt(2, 2), nullptr);

        // The detector, the caption and the picture sets lie outside the window, where nothing shows.
        QVERIFY(form.Text1->isHidden());
        QCOMPARE(form.Text1->text(), QStringLiteral("Text1"));
        const QRect client = form.rect();
        QVERIFY(!client.intersects(form.Label1->geometry()));
        for (int d = 0; d <= 10; ++d) {
            QVERIFY(!client.intersects(form.Image3[d]->geometry()));
            QVERIFY(!client.intersects(form.Image4[d]->geometry()));
        }
        QCOMPARE(form.Image3[0]->size(), QSize(63, 110));
        QCOMPARE(form.Image4[0]->size(), QSize(63, 109));
        QCOMPARE(form.Image3[10]->size(), QSize(22, 63));
        QCOMPARE(form.Image4[10]->size(), QSize(21, 63));

        // Before the first tick the strip reads 22:22:22 in magenta.
        for (ImageControl* slot : form.Image1)
            QCOMPARE(slot->picture().toImage(), form.Image3[2]->picture().toImage());
        // The first event is due at once; each event then places the next (see tst_clock_phase).
        QVERIFY(form.Timer1->isActive());
        QCOMPARE(form.Timer1->interval(), 0);
    }

    void tenTimerEventsInOneSecondCountOnce() {
        TestEnvironment env;
        Form1& form = Module1::form1();
        Module1::CountSeconds = 100;
        env.clock.time = "10:00:00";
        for (int i = 0; i < 10; ++i)
            fireTimer(form);
        QCOMPARE(Module1::CountSeconds, 99.0);
        env.clock.time = "10:00:01";
        for (int i = 0; i < 10; ++i)
            fireTimer(form);
        QCOMPARE(Module1::CountSeconds, 98.0);
    }

    void firstTimerEventAfterEachLoadCounts() {
        TestEnvironment env;
        env.clock.time = "10:00:00";
        fireTimer(Module1::form1());
        QCOMPARE(Module1::CountSeconds, -1.0); // the empty count goes to -1: overtime from the start

        // Unloaded and loaded again within the same wall-clock second: the new window counts at once.
        unloadAllWindows();
        QVERIFY(!Module1::form1Loaded());
        Form1& again = Module1::form1();
        QCOMPARE(again.Text1->text(), QStringLiteral("Text1"));
        fireTimer(again);
        QCOMPARE(Module1::CountSeconds, -2.0);
    }

    void aClockSetBackCountsOneSecond() {
        TestEnvironment env;
        Form1& form = Module1::form1();
        Module1::CountSeconds = 1800;
        env.clock.time = "10:00:00";
        fireTimer(form);
        env.clock.time = "09:00:00";
        fireTimer(form);
        QCOMPARE(Module1::CountSeconds, 1798.0);
        QCOMPARE(form.Label1->text(), QStringLiteral("00:29:58"));
    }

    void unloadedWindowStopsTheCount() {
        TestEnvironment env;
        Form1& form = Module1::form1();
        QPointer<QTimer> timer = form.Timer1;
        Module1::CountSeconds = 50;
        Module1::unloadForm1();
        QVERIFY(!timer || !timer->isActive());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(timer.isNull());
        QCOMPARE(Module1::CountSeconds, 50.0);
    }

    void countdownTurnsIntoOvertimeInEverySlot() {
        TestEnvironment env;
        Form1& form = Module1::form1();
        Module1::CountSeconds = 2;
        const auto expectShown = [&form](const std::array<ImageControl*, 11>& set, const char* text) {
            QCOMPARE(form.Label1->text(), QString::fromLatin1(text));
            const QString digits = QString::fromLatin1(text).remove(QLatin1Char(':'));
            for (int i = 0; i < 6; ++i) {
                const int d = digits.at(i).digitValue();
                QCOMPARE(form.Image1[i]->picture().toImage(), set[d]->picture().toImage());
            }
            for (ImageControl* colon : form.Image2)
                QCOMPARE(colon->picture().toImage(), set[10]->picture().toImage());
        };
        const std::vector<std::pair<std::string, const char*>> seconds{{"10:00:00", "00:00:01"},
                                                                       {"10:00:01", "00:00:00"},
                                                                       {"10:00:02", "00:00:01"},
                                                                       {"10:00:03", "00:00:02"}};
        const std::array<const std::array<ImageControl*, 11>*, 4> sets{&form.Image4, &form.Image4,
                                                                       &form.Image3, &form.Image3};
        for (std::size_t i = 0; i < seconds.size(); ++i) {
            env.clock.time = seconds[i].first;
            fireTimer(form);
            expectShown(*sets[i], seconds[i].second);
        }
        // The green and magenta pictures really differ, so the comparison above tells the sets apart.
        QVERIFY(form.Image4[0]->picture().toImage() != form.Image3[0]->picture().toImage());
        QVERIFY(form.Image4[10]->picture().toImage() != form.Image3[10]->picture().toImage());
    }

    // At start the strip stands where the presenter last left it, so that the first double click
    // stores that place again instead of the design place over it. A place nobody could reach on
    // this 800 by 800 pixel screen gives the default place.
    void startsAtTheStoredPlace_data() {
        QTest::addColumn<QString>("left"); // a null text: nothing stored
        QTest::addColumn<QString>("top");
        QTest::addColumn<QPoint>("place"); // twips
        QTest::newRow("nothing stored") << QString() << QString() << QPoint(4200, 2460);
        QTest::newRow("stored by a double click") << "7245"
                                                  << "3600" << QPoint(7245, 3600);
        QTest::newRow("left 0 means 4000") << "0"
                                           << "3600" << QPoint(4000, 3600);
        QTest::newRow("only top stored") << QString() << "3600" << QPoint(4000, 3600);
        QTest::newRow("off every screen") << "30000"
                                          << "1200" << QPoint(4000, 0);
        QTest::newRow("top beyond 32 bits reads as 0") << "7245"
                                                       << "1e10" << QPoint(7245, 0);
    }

    void startsAtTheStoredPlace() {
        QFETCH(QString, left);
        QFETCH(QString, top);
        QFETCH(QPoint, place);
        TestEnvironment env;
        if (!left.isNull())
            settings_store::write("left", left.toStdString());
        if (!top.isNull())
            settings_store::write("top", top.toStdString());
        Module1::showTimerAtStart();
        Form1& timer = Module1::form1();
        QVERIFY(timer.isVisible());
        QCOMPARE(timer.pos(), QPoint(qRound(place.x() / 15.0), qRound(place.y() / 15.0)));

        Module1::returnToPanel();
        QCOMPARE(QString::fromStdString(settings_store::read("left")), QString::number(place.x()));
        QCOMPARE(QString::fromStdString(settings_store::read("top")), QString::number(place.y()));
        QVERIFY(env.errors.empty());
    }
};

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
