#pragma once

#include <QSocketNotifier>
#include <QTimer>

#include <functional>
#include <memory>

namespace runtime {

// The clock behind a timer control. Tests put a countdown of their own in its place so
// that they need not wait.
class Countdown {
public:
    virtual ~Countdown() = default;
    // Starts counting `ms` afresh, also when already counting.
    virtual void start(int ms) = 0;
    // Stops counting; a tick already due but not yet delivered is dropped.
    virtual void stop() = 0;
    virtual bool active() const = 0;

    // Called each time the interval has elapsed while counting.
    std::function<void()> elapsed;
};

// The countdown Quellary runs on: a timerfd where the system can make one, else a Qt
// precise timer.
std::unique_ptr<Countdown> makePreciseCountdown();

// Counts on a kernel timerfd that the event loop watches. Even Qt's precise timers wait
// in poll(), whose timeout the kernel lets run 0.1 % over: 5 ms on a 5000 ms countdown. A
// timerfd expires on time, and the loop still sleeps in a single poll until it does.
class TimerfdCountdown final : public Countdown {
public:
    // Null when the system cannot make a timerfd (no file descriptors left, say).
    static std::unique_ptr<TimerfdCountdown> create();
    ~TimerfdCountdown() override;

    void start(int ms) override;
    void stop() override;
    bool active() const override;

private:
    explicit TimerfdCountdown(int fd);
    void arm(long long ns);
    void expired();

    int fd_;
    QSocketNotifier notifier_;
    bool active_ = false;
};

// A Qt timer of the precise kind: Qt's default coarse timers may fire up to 5 % late,
// 250 ms on a 5000 ms countdown.
class QtPreciseCountdown final : public Countdown {
public:
    QtPreciseCountdown();
    void start(int ms) override;
    void stop() override;
    bool active() const override;

private:
    QTimer timer_;
};

} // namespace runtime
