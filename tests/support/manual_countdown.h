#pragma once

#include "runtime/countdown.h"

// A countdown the test moves by hand: advance() lets time pass and fires each due tick.
class ManualCountdown final : public runtime::Countdown {
public:
    void start(int ms) override
    {
        interval_ = ms;
        due_ = now_ + ms;
        active_ = true;
        ++starts;
    }
    void stop() override { active_ = false; }
    bool active() const override { return active_; }

    void advance(int ms)
    {
        const long target = now_ + ms;
        while (active_ && due_ <= target) {
            now_ = due_;
            due_ += interval_;
            if (elapsed)
                elapsed();
        }
        now_ = target;
    }
    // Time left until the next tick, or -1 when not counting.
    long remaining() const { return active_ ? due_ - now_ : -1; }

    int starts = 0;

private:
    long now_ = 0;
    long due_ = 0;
    int interval_ = 0;
    bool active_ = false;
};
