#pragma once

#include "trick/controls.h"

#include <span>
#include <string_view>

// What an event procedure of a form may call on the runtime: the trick's property
// assignments, a message box, and ending the program.
namespace runtime {

class FormServices : public trick::Controls {
public:
    // A modal box with the prompt and one OK button; returns when it is dismissed.
    virtual void message_box(std::string_view prompt) = 0;
    // Ends the program at once: no further events, a pending timer tick is dropped.
    virtual void end() = 0;
};

enum class Event { Load, Click, Timer };

struct EventProcedure {
    std::string_view control;  // "Form" for the form's own events
    Event event;
    void (*procedure)(FormServices &form);
};

using EventTable = std::span<const EventProcedure>;

} // namespace runtime
