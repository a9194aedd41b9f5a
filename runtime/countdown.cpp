#include "countdown.h"

namespace runtime {

PreciseCountdown::PreciseCountdown()
{
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
        if (elapsed)
            elapsed();
    });
}

void PreciseCountdown::start(int ms)
{
    timer_.start(ms);
}

void PreciseCountdown::stop()
{
    timer_.stop();
}

bool PreciseCountdown::active() const
{
    return timer_.isActive();
}

} // namespace runtime
