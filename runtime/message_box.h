#pragma once

#include <QMargins>
#include <QString>

#include <functional>

class QWidget;

namespace runtime {

// The runtime's message box: the prompt, one OK button, no icon, the application title and
// the application's window icon, modal over the program. Returns when it is dismissed, by
// OK, Return, Escape or its close box alike, with the frame the window system put around
// it. `whileOpen`, if given, runs as the box opens; it should only start work that goes on
// beside the box (on another thread), since the box is drawn after it returns.
QMargins showMessageBox(QWidget *parent, const QString &prompt, const std::function<void()> &whileOpen = {});

} // namespace runtime
