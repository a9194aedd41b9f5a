#pragma once

#include "runtime/api/form_services.h"
#include "runtime/api/window_description.h"

#include <functional>
#include <string_view>

class QMenuBar;
class QWidget;

namespace runtime {

// Called with a control's name and the event it raises.
using EventSink = std::function<void(std::string_view control, Event event)>;

// Fills the menu bar with the description's menus; choosing an item raises its Click.
void buildMenus(const WindowDescription &description, QMenuBar *bar, const EventSink &raise);

// Creates one child of `client` for each control that is drawn, carrying the control's name
// as its object name, in the order the description lists them.
void buildControls(const WindowDescription &description, QWidget *client, const EventSink &raise);

// The scale at which every caption fits its box in the desktop's font: 1 at the stock font,
// more where the desktop's font is larger.
double captionScale(const WindowDescription &description, const QWidget *client);

// Places the controls and sizes their fonts for the form drawn `scale` times the design
// density. The desktop's font is what `caption_scale` was measured for: every font grows or
// shrinks with the form from there, so that the proportions stay.
void placeControls(const WindowDescription &description, QWidget *client, double scale,
                   double caption_scale);

} // namespace runtime
