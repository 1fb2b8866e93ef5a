#include "timer_window/clock.h"

#include "timer_window/tick.h"

#include <QDateTime>
#include <QTime>

#include <optional>

namespace {

class SystemClock final : public Clock {
public:
    std::string timeOfDay() const override { return now().timeOfDay; }
    // A zone's offset from UTC is a whole number of seconds, so the local text cannot change within one
    // second of the system clock. It is worked out once per second rather than on every event, which
    // spares the zone lookup (a stat of the zone file) nine times in ten; a clock that is set is seen at
    // once, a change of zone at the next second.
    WallTime now() const override {
        const qint64 msecs = QDateTime::currentMSecsSinceEpoch();
        const qint64 second = msecs / 1000 - (msecs % 1000 < 0 ? 1 : 0);
        if (!lastSecond_ || *lastSecond_ != second) {
            const QTime time = QDateTime::fromMSecsSinceEpoch(second * 1000).time();
            lastText_ = tick::clockText(time.hour(), time.minute(), time.second());
            lastSecond_ = second;
        }
        return {lastText_, static_cast<int>(msecs - second * 1000)};
    }

private:
    mutable std::optional<qint64> lastSecond_;
    mutable std::string lastText_;
};

const SystemClock systemClock;
const Clock* installed = nullptr;

} // namespace

namespace clock_source {

const Clock& current() {
    return installed ? *installed : systemClock;
}
void set(const Clock* clock) {
    installed = clock;
}

} // namespace clock_source
