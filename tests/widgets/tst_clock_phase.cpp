#include "support.h"

#include "app/Module1.h"
#include "timer_window/Form1.h"
#include "timer_window/tick.h"

#include <QTest>
#include <QTimer>

#include <iterator>
#include <vector>

namespace {

// A wall clock that also tells the millisecond, set by hand like ManualClock.
class PhasedClock final : public Clock {
public:
    std::string timeOfDay() const override { return reading.timeOfDay; }
    WallTime now() const override { return reading; }

    // Sets the clock to `ms` milliseconds after midnight.
    void setMilliseconds(long long ms) { reading = {clockTextAt(ms / 1000), static_cast<int>(ms % 1000)}; }

    WallTime reading{"10:00:00", 1};
};

constexpr long long at(int hours, int minutes, int seconds, int ms) {
    return ((hours * 60LL + minutes) * 60 + seconds) * 1000 + ms;
}

} // namespace

class TestClockPhase final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { setUpTestApplication(); }

    // Each event sets the next one just past the next 100 ms mark of the wall clock, however late it ran.
    void eachEventPlacesTheNextOne_data() {
        QTest::addColumn<int>("millisecond");
        QTest::addColumn<int>("interval");
        QTest::newRow("on time") << 101 << 100;
        QTest::newRow("late") << 140 << 61;
        QTest::newRow("before the second changes") << 999 << 2;
        QTest::newRow("clock without milliseconds") << -1 << 100;
    }

    void eachEventPlacesTheNextOne() {
        QFETCH(int, millisecond);
        QFETCH(int, interval);
        TestEnvironment env;
        PhasedClock clock;
        clock_source::set(&clock);
        Form1& form = Module1::form1();
        clock.reading.millisecond = millisecond;
        fireTimer(form.Timer1);
        QVERIFY(form.Timer1->isActive());
        QVERIFY(form.Timer1->isSingleShot());
        QCOMPARE(form.Timer1->timerType(), Qt::PreciseTimer);
        QCOMPARE(form.Timer1->interval(), interval);
    }

    // The first event of a load does not wait a period: the strip is first painted with its first second.
    void firstEventComesAsSoonAsTheEventLoopRuns() {
        TestEnvironment env;
        Form1& form = Module1::form1();
        QVERIFY(form.Timer1->isActive());
        QCOMPARE(form.Timer1->interval(), 0);
        QCOMPARE(Module1::CountSeconds, 0.0); // nothing counted while loading
        QTRY_COMPARE(Module1::CountSeconds, -1.0);
        QCOMPARE(form.Label1->text(), QStringLiteral("00:00:01"));
    }

    // Ten seconds of wall clock, each event run when the previous one asked for it, some of them late:
    // every second counts once, and the event that counts it comes a millisecond after the second's change
    // plus only its own lateness, never an earlier one's.
    void eventsFollowTheWallClockAndCountEachSecondOnce() {
        TestEnvironment env;
        PhasedClock clock;
        clock_source::set(&clock);
        Form1& form = Module1::form1();
        Module1::CountSeconds = 100;
        const int lateness[] = {0, 0, 3, 0, 17, 0, 0, 1, 45, 0, 0, 99, 0, 0, 0, 8, 0, 60, 0};
        long long now = at(10, 0, 0, 437);
        const long long end = at(10, 0, 10, 437);
        int events = 0;
        std::vector<int> countedAt; // millisecond of each event that counted, after the first
        while (now < end) {
            const int late = lateness[events % std::size(lateness)];
            now += late;
            clock.setMilliseconds(now);
            const double before = Module1::CountSeconds;
            fireTimer(form.Timer1);
            ++events;
            if (Module1::CountSeconds != before) {
                QCOMPARE(Module1::CountSeconds, before - 1);
                if (events > 1) {
                    QVERIFY2(clock.reading.millisecond <= tick::eventLead + late,
                             qPrintable(QStringLiteral("counted at %1 ms, %2 ms late")
                                            .arg(clock.reading.millisecond)
                                            .arg(late)));
                    countedAt.push_back(clock.reading.millisecond);
                }
            }
            now += form.Timer1->interval();
        }
        QCOMPARE(Module1::CountSeconds, 89.0); // the seconds 10:00:00 to 10:00:10, eleven of them
        QCOMPARE(countedAt.size(), std::size_t{10});
        QVERIFY(events >= 90 && events <= 101);
    }

    // The phase changes nothing of the counting: a clock set back or forward counts one second, the seconds
    // skipped are not made up, and ten events in one second count once.
    void clockJumpsCountOneSecond() {
        TestEnvironment env;
        PhasedClock clock;
        clock_source::set(&clock);
        Form1& form = Module1::form1();
        Module1::CountSeconds = 1800;
        const struct {
            long long time;
            double count;
            const char* shown;
        } steps[] = {
            {at(10, 0, 0, 1), 1799, "00:29:59"},   // the first event after the load
            {at(10, 0, 0, 101), 1799, "00:29:59"}, // the same second
            {at(10, 0, 0, 901), 1799, "00:29:59"},
            {at(11, 30, 0, 1), 1798, "00:29:58"}, // set forward an hour and a half
            {at(9, 0, 0, 1), 1797, "00:29:57"},   // set back
            {at(9, 0, 0, 64), 1797, "00:29:57"},
        };
        for (const auto& step : steps) {
            clock.setMilliseconds(step.time);
            fireTimer(form.Timer1);
            QCOMPARE(Module1::CountSeconds, step.count);
            QCOMPARE(form.Label1->text(), QString::fromLatin1(step.shown));
            QCOMPARE(form.Timer1->interval(), tick::nextEventDelay(clock.reading.millisecond));
        }
    }
};

QTEST_MAIN(TestClockPhase)
#include "tst_clock_phase.moc"
