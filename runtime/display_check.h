#pragma once

// Start-up on a display that is not there, or that will not have the program, ends with one
// line of the program's own and status 1: no core dump, and no advice to reinstall.
namespace runtime {

// Before the application is made: ends the program when no display it could use answers.
// From then on, until the platform has opened, Qt's fatal message becomes that one line.
void checkDisplay();

// The application has opened its platform.
void displayOpened();

} // namespace runtime
