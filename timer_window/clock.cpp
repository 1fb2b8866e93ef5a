#include "timer_window/clock.h"

#include "timer_window/tick.h"

#include <QTime>

namespace {

class SystemClock final : public Clock {
public:
    std::string timeOfDay() const override { return now().timeOfDay; }
    // One read of the local time; it follows a change of the system's clock or zone at once.
    WallTime now() const override {
        const QTime time = QTime::currentTime();
        return {tick::clockText(time.hour(), time.minute(), time.second()), time.msec()};
    }
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
