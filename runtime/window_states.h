#pragma once

class QApplication;

namespace runtime {

// Each window of the program has one size of its own. A window system may still put one in
// the maximised or full-screen state (Qt's own Wayland title bar offers a maximise button
// on every window), and then demands a size: a Wayland compositor disconnects a program
// whose window keeps its own size there. From this call on, every top-level window takes
// the size its state demands (its contents lay out in it: the main window keeps the form
// at its own size in the middle), and gets its own size back in the normal state.
void takeDemandedSizes(QApplication &application);

} // namespace runtime
