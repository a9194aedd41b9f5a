#pragma once

#include "runtime/countdown.h"

// A clock the test moves by hand: advance() lets time pass and fires each tick due.
struct ManualCountdown final : runtime::Countdown {
    long now = 0, due = -1, every = 0;
    void start(int ms) override { due = now + ms, every = ms; }
    void stop() override { due = -1; }
    void advance(long ms)
    {
        const long until = now + ms;
        while (due >= 0 && due <= until) {
            now = due;
            due += every;
            elapsed();
        }
        now = until;
    }
};
