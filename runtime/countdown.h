#pragma once

#include <functional>
#include <memory>

namespace runtime {

// The clock behind the form's timer. Tests put one of their own in its place, so that they
// need not wait.
class Countdown {
public:
    virtual ~Countdown() = default;
    // Calls `elapsed` every `ms` from now on, starting afresh when already counting.
    virtual void start(int ms) = 0;
    // A tick due but not yet delivered is dropped.
    virtual void stop() = 0;

    std::function<void()> elapsed;
};

// A precise QTimer: never early, and late only by the few milliseconds the system's poll
// may add; Qt's default coarse timers may be 5 % late, 250 ms on a 5000 ms countdown.
std::unique_ptr<Countdown> makePreciseCountdown();

} // namespace runtime
