// Long runs of the timer window: thousands of loads and unloads, and an hour of ticks, without the
// number of widgets or the memory of the process growing.
#include "support.h"

#include "app/Module1.h"
#include "timer_window/Form1.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>
#include <QTimer>

#include <array>
#include <cstdio>

#ifdef Q_OS_LINUX
#include <unistd.h>
#endif

// Under AddressSanitizer freed memory is held back in quarantine, so the resident size says nothing there;
// LeakSanitizer checks that build at exit instead.
#if defined(__SANITIZE_ADDRESS__)
#define TALVEX_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TALVEX_ASAN 1
#endif
#endif

namespace {

// What a leak would make grow: the widgets alive in the process and its resident memory.
struct Footprint {
    qsizetype widgets = 0;
    qsizetype topLevel = 0;
    long long residentBytes = -1; // -1 where it cannot be read
};

long long residentBytes() {
#ifdef Q_OS_LINUX
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    if (fields.size() < 2)
        return -1;
    return fields[1].toLongLong() * sysconf(_SC_PAGESIZE);
#else
    return -1;
#endif
}

Footprint footprint() {
    return {QApplication::allWidgets().size(), QApplication::topLevelWidgets().size(), residentBytes()};
}

// A window left behind per cycle is some 35 widgets, about 40 KiB, so hundreds of MiB over 9,000 cycles;
// the slack is for the allocator's own bookkeeping, which settles early.
constexpr long long kResidentSlack = 8 * 1024 * 1024;

void expectNoGrowth(const Footprint& early, const Footprint& late) {
    QCOMPARE(late.widgets, early.widgets);
    QCOMPARE(late.topLevel, early.topLevel);
#ifndef TALVEX_ASAN
    if (early.residentBytes >= 0 && late.residentBytes >= 0) {
        const long long growth = late.residentBytes - early.residentBytes;
        std::printf("resident memory: %lld KiB, then %lld KiB\n", early.residentBytes / 1024,
                    late.residentBytes / 1024);
        QVERIFY2(growth < kResidentSlack, qPrintable(QStringLiteral("grew by %1 KiB").arg(growth / 1024)));
    }
#endif
}

} // namespace

class TestLongRun final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { setUpTestApplication(); }

    void tenThousandLoadsAndUnloads() {
        TestEnvironment env;
        QElapsedTimer elapsed;
        elapsed.start();
        const Footprint before = footprint();
        Footprint atThousand;
        for (int cycle = 1; cycle <= 10'000; ++cycle) {
            Form1& form = Module1::form1();
            // As the start button does: shown, and its first timer event counts a second. The offscreen
            // platform says once a show that it cannot raise a window.
            QTest::ignoreMessage(QtWarningMsg, "This plugin does not support raise()");
            form.show();
            env.clock.time = clockTextAt(cycle);
            fireTimer(form.Timer1);
            unloadAllWindows();
            // The events a load posts (polish, layout, paint) are taken by the event loop in the program;
            // left queued, they would pile up here and slow every later deletion.
            QCoreApplication::processEvents();
            if (cycle == 1'000)
                atThousand = footprint();
        }
        const Footprint atTenThousand = footprint();
        std::printf("10000 cycles in %lld ms\n", static_cast<long long>(elapsed.elapsed()));

        QCOMPARE(Module1::CountSeconds, -10'000.0);
        QVERIFY(!Module1::form1Loaded());
        // Every window is gone with its unload, not only no more of them pile up.
        QCOMPARE(atThousand.widgets, before.widgets);
        expectNoGrowth(atThousand, atTenThousand);
    }

    void anHourOfTicks() {
        TestEnvironment env;
        Form1& form = Module1::form1();
        QTest::ignoreMessage(QtWarningMsg, "This plugin does not support raise()");
        form.show();
        Module1::CountSeconds = 1800;
        QElapsedTimer elapsed;
        elapsed.start();

        // Ten timer events a wall-clock second, from 10:00:00; the clock is set back an hour at 20
        // minutes and forward three hours at 40: each of those changes counts one second like any other.
        const int start = 10 * 3600;
        int offset = 0;
        Footprint atSixMinutes;
        for (int second = 0; second < 3600; ++second) {
            if (second == 1200)
                offset -= 3600;
            if (second == 2400)
                offset += 3 * 3600;
            env.clock.time = clockTextAt(start + second + offset);
            for (int event = 0; event < 10; ++event)
                fireTimer(form.Timer1);
            QCOMPARE(Module1::CountSeconds, 1799.0 - second);
            if (second == 1799) {
                QCOMPARE(form.Label1->text(), QStringLiteral("00:00:00"));
                QCOMPARE(form.Image1[5]->picture().toImage(), form.Image4[0]->picture().toImage());
            }
            if (second % 600 == 0)
                QCoreApplication::processEvents(); // lets the strip paint now and then
            if (second == 360)
                atSixMinutes = footprint();
        }
        const Footprint atHour = footprint();
        std::printf("an hour of ticks in %lld ms\n", static_cast<long long>(elapsed.elapsed()));

        // Half an hour of countdown, then half an hour of overtime in magenta.
        QCOMPARE(Module1::CountSeconds, -1800.0);
        QCOMPARE(form.Label1->text(), QStringLiteral("00:30:00"));
        const std::array<int, 6> digits{0, 0, 3, 0, 0, 0};
        for (std::size_t i = 0; i < digits.size(); ++i)
            QCOMPARE(form.Image1[i]->picture().toImage(), form.Image3[digits[i]]->picture().toImage());
        for (ImageControl* colon : form.Image2)
            QCOMPARE(colon->picture().toImage(), form.Image3[10]->picture().toImage());
        expectNoGrowth(atSixMinutes, atHour);
    }
};

QTEST_MAIN(TestLongRun)
#include "tst_long_run.moc"
