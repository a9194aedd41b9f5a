#pragma once

// Start-up on a display that is not there, or that will not have the program, ends with one
// line of the program's own and status 1: no core dump, and no advice to reinstall.
namespace runtime {

// Before the application is made: ends the program when no display it could use answers.
// From then on Qt's messages are watched: its fatal one while the platform opens becomes
// that one line, and a display lost later ends the program with status 1 at once.
void checkDisplay();

// The application has opened its platform.
void displayOpened();

} // namespace runtime
