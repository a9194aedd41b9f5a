#pragma once

#include <functional>
#include <string>

namespace runtime {

// When the display cannot be opened, or is lost, Qt, Xlib and libxcb each say something
// in their own words and Qt then aborts with a core dump. Quellary says what happened in
// one line of its own instead, naming the cause and what to do, and ends with status 1.
inline constexpr int noDisplayStatus = 1;
std::string noDisplayMessage();
std::string lostDisplayMessage();

// False when the platform Qt will use needs a display and none is named.
bool displayNamed();

// Writes the line to the program's stderr and ends the program with status 1 at once: no
// teardown that could wait on a display that is gone. Only the first line is ever said.
[[noreturn]] void endWithLine(const std::string &line);

// From construction until started(), every message of Qt and everything the libraries
// below it write to stderr is held back: if the platform cannot be opened, the real cause
// is worked out from them and said in one line; if it opens, what is not about a platform
// that was tried and given up is passed on. After started(), the loss of the display and
// resources that run out end the program with one line.
class DisplayGuard {
public:
    DisplayGuard();
    ~DisplayGuard();
    DisplayGuard(const DisplayGuard &) = delete;
    DisplayGuard &operator=(const DisplayGuard &) = delete;

    // The application object is made. Ends the program if the platform has no screen.
    void started();

    // On X11, a top-level window destroyed by another client (xkill, xdotool windowclose)
    // can never be shown again: `destroyed` is called to end the program.
    void onWindowDestroyed(std::function<void()> destroyed);
};

} // namespace runtime
