#pragma once

#include "runtime/countdown.h"

#include <QObject>

#include <memory>

namespace runtime {

// A timer control: while enabled with a non-zero interval it raises its Timer event each
// time the interval elapses. Assigning either property while it counts starts the
// interval afresh, so a second press of "Calculate my thoughts" puts the reveal 5000 ms
// after that press.
class TimerControl final : public QObject {
    Q_OBJECT

public:
    explicit TimerControl(std::unique_ptr<Countdown> countdown, QObject *parent = nullptr);

    void setEnabled(bool enabled);
    // Returns false for a negative interval, which a timer cannot take.
    bool setInterval(int ms);
    void stop();

signals:
    void timer();
    // The interval has begun (again).
    void started();

private:
    void rearm();

    std::unique_ptr<Countdown> countdown_;
    bool enabled_ = false;
    int interval_ = 0;
};

} // namespace runtime
