#include "timer_window/clock.h"

#include "timer_window/tick.h"

#include <QTime>

namespace {

class SystemClock final : public Clock {
public:
    std::string timeOfDay() const override {
        const QTime now = QTime::currentTime();
        return tick::clockText(now.hour(), now.minute(), now.second());
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
