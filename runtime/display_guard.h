#pragma once

namespace runtime {

// Without a display Qt would abort with a core dump and a list of its platform plugins.
// This says so in one line instead and ends with status 1.
inline constexpr int no_display_status = 1;
inline constexpr const char *no_display_message =
    "Quellary needs a graphical display: start it from an X11 or Wayland desktop session "
    "(DISPLAY or WAYLAND_DISPLAY must name a running display).";

// False when the platform Qt will use needs a display and none is named.
bool display_named();

// While alive, a fatal start-up failure of the platform (an unreachable display) prints
// the one line and exits with status 1, and the platform's own complaints are kept quiet.
class DisplayGuard {
public:
    DisplayGuard();
    ~DisplayGuard();
    DisplayGuard(const DisplayGuard &) = delete;
    DisplayGuard &operator=(const DisplayGuard &) = delete;
};

} // namespace runtime
