#pragma once

#include "runtime/api/form_services.h"
#include "runtime/api/window_description.h"
#include "runtime/countdown.h"

#include <functional>
#include <memory>
#include <string_view>
#include <vector>

class QMenuBar;
class QSize;
class QWidget;

namespace runtime {

class TimerControl;

// Called with a control's name and the event it raises.
using EventSink = std::function<void(std::string_view control, Event event)>;

struct BuiltControls {
    TimerControl *timer = nullptr;  // null when the form has no timer
    // How many times the design's 12 twips per pixel the form is drawn: 1 at the design
    // density, more where the desktop's font needs larger boxes.
    double scale = 1.0;
    // The push buttons in tab-index order: the order the focus cycles through them.
    std::vector<QWidget *> focus_order;
    // The scale at which the widest caption fits in the desktop's font.
    double caption_scale = 1.0;
};

// Fills the menu bar with the description's menus; choosing an item raises its Click.
void buildMenus(const WindowDescription &description, QMenuBar *bar, const EventSink &raise);

// Creates one child of `client` per control, each carrying the control's name as its object
// name, in the order the description lists them; places them at their twips positions,
// fixes the client area's size and sets the focus order. The timer control counts on
// `countdown`.
BuiltControls buildControls(const WindowDescription &description, QWidget *client,
                            std::unique_ptr<Countdown> countdown, const EventSink &raise);

// Places the controls and sizes their fonts for the form drawn `scale` times the design
// density. Below `caption_scale`, the scale the desktop's font was measured for, every font
// shrinks with the form so that the proportions stay.
void placeControls(const WindowDescription &description, QWidget *client, double scale,
                   double caption_scale);

// The largest scale up to `wanted` at which the client area fits in `room` (logical
// pixels), but never below `least`.
double fittingScale(const WindowDescription &description, double wanted, QSize room, double least);

} // namespace runtime
