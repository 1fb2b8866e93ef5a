// The system clock against the C library's reading of the local time. It works out the local text once
// per second, so these check that it is never stale: not within a second, not across a second's change,
// and not after the zone changes.
#include "timer_window/clock.h"
#include "timer_window/tick.h"

#include <QTest>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>
#include <thread>

namespace {

std::string localText() {
    tzset(); // so that a new TZ is read
    // Not time(): it reads a coarse clock that can still show the last second for a few milliseconds.
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    std::tm local{};
    localtime_r(&now.tv_sec, &local);
    return tick::clockText(local.tm_hour, local.tm_min, local.tm_sec);
}

// Reads the system clock until its text moves on to a new second, at most two seconds long.
WallTime firstReadingOfNextSecond() {
    const std::string start = clock_source::current().now().timeOfDay;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    for (;;) {
        const WallTime reading = clock_source::current().now();
        if (reading.timeOfDay != start || std::chrono::steady_clock::now() > deadline)
            return reading;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

// Sets TZ for one test and puts the old value back.
class ZoneGuard {
public:
    ZoneGuard() {
        if (const char* zone = std::getenv("TZ"))
            old_ = zone;
    }
    ~ZoneGuard() {
        if (old_)
            setenv("TZ", old_->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
    ZoneGuard(const ZoneGuard&) = delete;
    ZoneGuard& operator=(const ZoneGuard&) = delete;

private:
    std::optional<std::string> old_;
};

} // namespace

class TestSystemClock final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { clock_source::set(nullptr); }

    void agreesWithTheLocalTimeReadingByReading() {
        WallTime previous = clock_source::current().now();
        int changes = 0;
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(1300);
        while (std::chrono::steady_clock::now() < end) {
            const std::string before = localText();
            const WallTime reading = clock_source::current().now();
            const std::string after = localText();
            QVERIFY2(reading.timeOfDay == before || reading.timeOfDay == after,
                     (reading.timeOfDay + " read between " + before + " and " + after).c_str());
            QVERIFY(reading.millisecond >= 0 && reading.millisecond <= 999);
            // Readings are a few milliseconds apart, so the text moves on exactly when the millisecond
            // wraps.
            const bool textChanged = reading.timeOfDay != previous.timeOfDay;
            QVERIFY2(textChanged == (reading.millisecond < previous.millisecond),
                     (previous.timeOfDay + "." + std::to_string(previous.millisecond) + " then " +
                      reading.timeOfDay + "." + std::to_string(reading.millisecond))
                         .c_str());
            changes += textChanged ? 1 : 0;
            previous = reading;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        QVERIFY(changes >= 1);
    }

    void followsAChangeOfZoneByTheNextSecond() {
        ZoneGuard guard;
        // Two zones five and a half hours apart, so no hour or minute reads the same in both.
        for (const char* zone : {"UTC0", "IST-5:30", "UTC0"}) {
            setenv("TZ", zone, 1);
            const WallTime reading = firstReadingOfNextSecond();
            // Read right after the second's change, so both lie within the same second.
            const std::string expected = localText();
            QVERIFY2(reading.timeOfDay == expected, (std::string(zone) + ": " + reading.timeOfDay).c_str());
        }
    }
};

QTEST_GUILESS_MAIN(TestSystemClock)
#include "tst_system_clock.moc"
