#pragma once

#include <QString>

class QWidget;

namespace runtime {

// The runtime's message box: the prompt, one OK button, no icon, the application title,
// modal over the program. Returns when it is dismissed, by OK, Return, Escape or its close
// box alike.
void showMessageBox(QWidget *parent, const QString &prompt);

} // namespace runtime
