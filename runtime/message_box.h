#pragma once

#include <QString>

class QWidget;

namespace runtime {

// The runtime's message box: the prompt, one OK button, no icon, the application title and
// the application's window icon, modal over the program. Returns when it is dismissed, by
// OK, Return, Escape or its close box alike.
void showMessageBox(QWidget *parent, const QString &prompt);

// From now on the boxes' buttons carry no pictures, whatever the desktop's style: the boxes
// show words only. That also spares searching the icon theme for one when the first opens.
void useWordsOnlyButtons();

} // namespace runtime
