#pragma once

#include <string>

namespace runtime {

// Without a display Qt would abort with a core dump and a list of its platform plugins;
// when the display goes away under it, it complains in its own words. Quellary says what
// happened in one line of its own instead and ends with status 1.
inline constexpr int noDisplayStatus = 1;
std::string noDisplayMessage();
std::string lostDisplayMessage();

// False when the platform Qt will use needs a display and none is named.
bool displayNamed();

// While alive, the platform's messages about the display are replaced by Quellary's own
// line: before started(), a failure to open the display ends the program with status 1.
class DisplayGuard {
public:
    DisplayGuard();
    ~DisplayGuard();
    DisplayGuard(const DisplayGuard &) = delete;
    DisplayGuard &operator=(const DisplayGuard &) = delete;

    // The display is open: from now on only its loss is reported.
    void started();
};

} // namespace runtime
