#pragma once

#include "runtime/api/window_description.h"

#include <string>

namespace runtime {

// What the program needs from the system before it may start the toolkit. Qt does not
// survive running short of any of these: it aborts when memory runs out, waits for good for
// a thread it could not start, and waits for good for an X reply that cannot reach it when
// descriptors run out. So, before Qt starts: SIGPIPE is ignored (a reader of stderr that
// went away must not end the program); memory running out, now or later, ends the program
// with one line; and the memory, a thread and the descriptors start-up needs must be there,
// else one line and status 1.
void checkSurroundings();

// How many descriptors the program opens at most, beyond stdin, stdout and stderr: the
// display connection, Qt's event and timer descriptors, the theme's files and the held
// stderr while the display opens, with room to spare.
inline constexpr int descriptorsNeeded = 16;

// Address space start-up takes beyond what is mapped when it begins, with room to spare:
// it takes about 27 MB to the main window on X11.
inline constexpr unsigned long long addressSpaceNeeded = 48ULL << 20;

std::string outOfMemoryMessage();
std::string fewDescriptorsMessage(int available);

// With the application made, before the display guard stands down: ends the program with
// one line when QT_SCALE_FACTOR makes Qt draw the form below its design density, or larger
// than any screen can show it. No other scale is guessed: that would hide the setting's fault.
void checkScale(const WindowDescription &form);

} // namespace runtime
