#pragma once

#include <QMargins>
#include <QString>

#include <functional>

class QWidget;

namespace runtime {

// The runtime's message box: the prompt, one OK button, no icon, the application title and
// the application's window icon, modal over the program. Returns when it is dismissed, by
// OK, Return, Escape or its close box alike, with the frame the window system put around
// it. `onceDrawn`, if given, runs once the box is on the screen, while it waits for the
// user.
QMargins showMessageBox(QWidget *parent, const QString &prompt, std::function<void()> onceDrawn = {});

} // namespace runtime
