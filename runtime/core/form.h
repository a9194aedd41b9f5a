#pragma once

#include "runtime/api/form_services.h"
#include "runtime/api/window_description.h"

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

// The form as every runtime runs it, with no toolkit: the controls' state, the timer's rules,
// where the focus goes after a procedure, what a screen reader is told, and run-time errors.
// A runtime only draws what it is told and delivers the user's events.
namespace runtime {

// What a runtime does for the form.
class Surface {
public:
    virtual ~Surface() = default;
    virtual void show_control(std::string_view control, bool visible) = 0;
    virtual void set_caption(std::string_view control, std::string_view caption) = 0;
    // Calls Form::tick() every `ms` from now on, starting afresh, until stop_clock().
    virtual void start_clock(int ms) = 0;
    virtual void stop_clock() = 0;
    // The name of the form's control that has the keyboard focus, or "".
    virtual std::string focused() const = 0;
    // Moves the focus to `control`; `news` is said with it.
    virtual void focus(std::string_view control, std::string_view news) = 0;
    // Tells a screen reader `news` without moving the focus.
    virtual void announce(std::string_view news) = 0;
    // A modal box with the prompt and one OK button; returns once it is dismissed.
    virtual void message_box(std::string_view prompt) = 0;
    // No further events: the program ends with `status`.
    virtual void quit(int status) = 0;
};

class Form final : public FormServices {
public:
    Form(const WindowDescription &description, EventTable events, Surface &surface);

    // Runs the form's procedure for the event, if it has one, then moves the focus off a
    // button the procedure hid and tells a screen reader what came into view.
    void raise(std::string_view control, Event event);
    // The timer's interval has elapsed.
    void tick();

    bool ended() const { return ended_; }
    int exit_status() const { return status_; }
    // Whether a procedure is under way (one inside another while a box is open).
    bool running() const { return running_ > 0; }
    bool visible(std::string_view control) const;
    std::string_view caption(std::string_view control) const;
    // The push buttons in the order the focus cycles through them.
    const std::vector<std::string_view> &focus_order() const { return focus_order_; }
    // The first of them shown: where the focus starts, and where it goes from a button
    // that is hidden. Empty where none is shown.
    std::string_view first_button() const;

    trick::Status assign(const trick::Assignment &assignment) override;
    void raise_run_time_error(const trick::Assignment &assignment, trick::Status status) override;
    void message_box(std::string_view prompt) override;
    void end() override;

private:
    struct Control {
        const ControlDescription *description;
        bool visible;
        std::string caption;
    };
    void rearm();
    bool halt(int status);
    void present(const std::string &focused_before);

    EventTable events_;
    Surface &surface_;
    std::map<std::string_view, Control, std::less<>> controls_;
    std::vector<std::string_view> focus_order_;
    std::string_view timer_;
    bool enabled_ = false;
    int interval_ = 0;
    // What the running procedure made news of: new messages, then pictures that came into view.
    std::vector<std::string> messages_, shown_;
    int running_ = 0;
    bool ended_ = false;
    int status_ = 0;
};

} // namespace runtime
