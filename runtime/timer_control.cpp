#include "runtime/timer_control.h"

namespace runtime {

TimerControl::TimerControl(std::unique_ptr<Countdown> countdown, QObject *parent)
    : QObject(parent), countdown_(std::move(countdown))
{
    countdown_->elapsed = [this] { emit timer(); };
}

void TimerControl::setEnabled(bool enabled)
{
    enabled_ = enabled;
    rearm();
}

bool TimerControl::setInterval(int ms)
{
    if (ms < 0)
        return false;
    interval_ = ms;
    rearm();
    return true;
}

void TimerControl::stop()
{
    enabled_ = false;
    countdown_->stop();
}

void TimerControl::rearm()
{
    if (enabled_ && interval_ > 0) {
        countdown_->start(interval_);
        emit started();
    } else
        countdown_->stop();
}

} // namespace runtime
