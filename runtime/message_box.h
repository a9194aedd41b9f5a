#pragma once

#include <QMargins>
#include <QString>

class QWidget;

namespace runtime {

// The runtime's message box: the prompt, one OK button, no icon, the application title and
// the application's window icon, modal over the program. Returns when it is dismissed, by
// OK, Return, Escape or its close box alike, with the frame the window system put around
// it.
QMargins showMessageBox(QWidget *parent, const QString &prompt);

} // namespace runtime
