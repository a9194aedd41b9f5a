#pragma once

#include "runtime/api/form_services.h"
#include "runtime/api/window_description.h"
#include "runtime/countdown.h"

#include <functional>
#include <memory>
#include <string_view>
#include <vector>

class QMenuBar;
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
};

// Fills the menu bar with the description's menus; choosing an item raises its Click.
void buildMenus(const WindowDescription &description, QMenuBar *bar, const EventSink &raise);

// Creates one child of `client` per control, each carrying the control's name as its object
// name, in the order the description lists them; places them at their twips positions,
// fixes the client area's size and sets the focus order. The timer control counts on
// `countdown`.
BuiltControls buildControls(const WindowDescription &description, QWidget *client,
                            std::unique_ptr<Countdown> countdown, const EventSink &raise);

} // namespace runtime
