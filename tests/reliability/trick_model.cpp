#include "tests/reliability/trick_model.h"

namespace {

const char *const calculating = "Calculating..... Please wait!";
const char *const done = "DONE! Your card is gone!";
constexpr long countdown = 5000;

Observed reveal(Observed s)
{
    s.message = done;
    s.imgcard1 = false;
    s.imgcard2 = true;
    s.cmdcalculate = false;
    s.cmdagain = true;
    s.command1 = true;
    s.armed = false;
    s.remaining = -1;
    return s;
}

Observed pass(Observed s, long ms)
{
    if (!s.armed)
        return s;
    if (ms >= s.remaining)
        return reveal(s);
    s.remaining -= ms;
    return s;
}

} // namespace

Observed next(Observed s, const Event &event)
{
    switch (event.kind) {
    case Event::PressCalculate:
        if (!s.cmdcalculate)
            return s;
        // Waiting or calculating: the countdown starts afresh; the buttons stay as they are.
        s.message = calculating;
        s.armed = true;
        s.remaining = countdown;
        return s;
    case Event::PressAgain:
        if (!s.cmdagain)
            return s;
        // Back to waiting; Again and Answer stay, and a running countdown keeps running.
        s.imgcard2 = false;
        s.imgcard1 = true;
        s.message.clear();
        s.cmdcalculate = true;
        return s;
    case Event::TickFallsDue:
        return s.armed ? pass(s, s.remaining) : s;
    case Event::TimePasses:
    case Event::TimePassesInBox:
        return pass(s, event.ms);
    case Event::OpenAbout:
    case Event::OpenInstructions:
    case Event::OpenAnswer:
        return s;
    }
    return s;
}

std::ostream &operator<<(std::ostream &out, const Event &event)
{
    static const char *const names[] = {"press Calculate", "press Again", "tick falls due",
                                        "time passes",     "open About",  "open Instructions",
                                        "open the answer", "time passes behind About"};
    out << names[event.kind];
    if (event.kind == Event::TimePasses || event.kind == Event::TimePassesInBox)
        out << " (" << event.ms << " ms)";
    return out;
}

std::ostream &operator<<(std::ostream &out, const Observed &s)
{
    return out << "{imgcard1 " << s.imgcard1 << ", imgcard2 " << s.imgcard2 << ", cmdcalculate "
               << s.cmdcalculate << ", cmdagain " << s.cmdagain << ", Command1 " << s.command1
               << ", message \"" << s.message << "\", armed " << s.armed << ", remaining "
               << s.remaining << "}";
}
