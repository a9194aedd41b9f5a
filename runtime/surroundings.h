#pragma once

#include "runtime/api/window_description.h"

#include <string>

namespace runtime {

// What the program needs from the system before it may start the toolkit. Qt does not
// survive running short of any of these: it aborts when memory runs out, waits for good for
// a thread it could not start, and waits for good for an X reply that cannot reach it when
// descriptors run out. Each is ended here with one line of the program's own and status 1.
//
// Ignores SIGPIPE (a reader of stderr that went away must not end the program), ends the
// program with one line when memory runs out, and checks that a thread and the descriptors
// the program needs can be had.
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

// With the application made, before the display guard stands down: ends the program with one line when QT_SCALE_FACTOR makes
// Qt draw the form below its design density or larger than any screen can show it.
void checkScale(const WindowDescription &form);

} // namespace runtime
