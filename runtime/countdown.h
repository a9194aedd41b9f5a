#pragma once

#include <QTimer>

#include <functional>

namespace runtime {

// The clock behind a timer control. The real one is a precise Qt timer: Qt's default
// coarse timers may fire up to 5% late, 250 ms on a 5000 ms countdown. Tests put a
// countdown of their own in its place so that they need not wait.
class Countdown {
public:
    virtual ~Countdown() = default;
    // Starts counting `ms` afresh, also when already counting.
    virtual void start(int ms) = 0;
    virtual void stop() = 0;
    virtual bool active() const = 0;

    // Called each time the interval has elapsed while counting.
    std::function<void()> elapsed;
};

class PreciseCountdown final : public Countdown {
public:
    PreciseCountdown();
    void start(int ms) override;
    void stop() override;
    bool active() const override;

private:
    QTimer timer_;
};

} // namespace runtime
