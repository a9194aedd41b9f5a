#pragma once

class QMainWindow;

namespace runtime {

// The window's own keys, which no caption needs an access key for:
// - F10, the desktop's key for the menu bar, opens the first menu with its first item
//   chosen, and Escape goes straight back to the window;
// - F11, and the desktop's own full-screen key where it has one, toggle full screen.
void addWindowKeys(QMainWindow *window);

} // namespace runtime
