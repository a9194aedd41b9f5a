#pragma once

#include <ostream>
#include <string>
#include <vector>

// What can happen to the trick: a user's press, time passing, a box opened and closed.
struct Event {
    enum Kind {
        PressCalculate,
        PressAgain,
        TickFallsDue,    // time runs on to the moment the countdown ends, if it runs
        TimePasses,      // `ms` pass with nothing pressed
        OpenAbout,
        OpenInstructions,
        OpenAnswer,
        TimePassesInBox, // About is open while `ms` pass
    };
    Kind kind;
    int ms = 0;
};

std::ostream &operator<<(std::ostream &out, const Event &event);

// Everything the trick shows, and the countdown behind it.
struct Observed {
    bool imgcard1 = true;
    bool imgcard2 = false;
    bool cmdcalculate = true;
    bool cmdagain = false;
    bool command1 = false;
    std::string message;
    bool armed = false;
    long remaining = -1;  // ms to the reveal while armed, else -1

    bool operator==(const Observed &) const = default;
};

std::ostream &operator<<(std::ostream &out, const Observed &state);

// The trick's phases and transitions as designed, one event at a time. A hidden button
// cannot be pressed, so pressing it changes nothing.
Observed next(Observed state, const Event &event);
