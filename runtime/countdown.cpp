#include "runtime/countdown.h"

#include <sys/timerfd.h>
#include <unistd.h>

#include <cstdint>

namespace runtime {

std::unique_ptr<Countdown> makePreciseCountdown()
{
    if (auto countdown = TimerfdCountdown::create())
        return countdown;
    return std::make_unique<QtPreciseCountdown>();
}

std::unique_ptr<TimerfdCountdown> TimerfdCountdown::create()
{
    const int fd = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    if (fd < 0)
        return nullptr;
    return std::unique_ptr<TimerfdCountdown>(new TimerfdCountdown(fd));
}

TimerfdCountdown::TimerfdCountdown(int fd) : fd_(fd), notifier_(fd, QSocketNotifier::Read)
{
    QObject::connect(&notifier_, &QSocketNotifier::activated, &notifier_, [this] { expired(); });
}

TimerfdCountdown::~TimerfdCountdown()
{
    notifier_.setEnabled(false);
    ::close(fd_);
}

void TimerfdCountdown::start(int ms)
{
    active_ = true;
    // A zero time would disarm the timerfd; a zero interval means "as soon as possible".
    arm(ms > 0 ? ms * 1'000'000LL : 1);
}

void TimerfdCountdown::stop()
{
    active_ = false;
    arm(0);
}

bool TimerfdCountdown::active() const
{
    return active_;
}

void TimerfdCountdown::arm(long long ns)
{
    // Setting the time also clears expiries not yet read, so neither a restart nor a stop
    // lets an old tick through.
    const timespec every{static_cast<time_t>(ns / 1'000'000'000), static_cast<long>(ns % 1'000'000'000)};
    const itimerspec timing{.it_interval = every, .it_value = every};
    timerfd_settime(fd_, 0, &timing, nullptr);
}

void TimerfdCountdown::expired()
{
    std::uint64_t expiries = 0;
    // Nothing to read when the countdown was stopped or restarted after the fd woke the
    // loop: that tick was dropped.
    if (::read(fd_, &expiries, sizeof expiries) != sizeof expiries)
        return;
    // Ticks missed while the program was busy come as one, as with a Qt timer.
    if (elapsed)
        elapsed();
}

QtPreciseCountdown::QtPreciseCountdown()
{
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] {
        if (elapsed)
            elapsed();
    });
}

void QtPreciseCountdown::start(int ms)
{
    timer_.start(ms);
}

void QtPreciseCountdown::stop()
{
    timer_.stop();
}

bool QtPreciseCountdown::active() const
{
    return timer_.isActive();
}

} // namespace runtime
