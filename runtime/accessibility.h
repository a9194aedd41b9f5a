#pragma once

#include <QWidget>

namespace runtime {

// Tells assistive technology what the form's own controls are: a picture is an image named
// for what it shows, and `client` lists only the controls on screen, so that a screen reader
// never holds on to one it met while it was hidden.
void installAccessibleInterfaces(QWidget *client);

// A control came into view or went. Readers that follow the tree are told as if it had been
// made or destroyed, so that they look at it afresh: the toolkit reports "showing" when it
// appears, never "visible", and a reader that met it hidden would keep it so.
void reportShown(QWidget *control, bool shown);

// Tells a screen reader what the focus is on, as when it moved there.
void reportFocus(QWidget *focused);

// Tells a screen reader `news` about the form in `client`, without moving the focus.
void announce(QWidget *client, const QString &news);

} // namespace runtime
