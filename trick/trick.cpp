#include "trick/trick.h"

#include <initializer_list>

namespace trick {

namespace {

// Makes the assignments in order. A failed one is handed to the runtime as a run-time
// error and nothing after it is done.
void run(Controls &form, std::initializer_list<Assignment> steps)
{
    for (const Assignment &step : steps) {
        if (const Status status = form.assign(step); status != Status::Ok) {
            form.raise_run_time_error(step, status);
            return;
        }
    }
}

} // namespace

void cmdcalculate_Click(Controls &form)
{
    // The button stays usable during the countdown: a further press repeats these steps.
    run(form, {
        {"Timer1", Property::Enabled, Boolean::True},
        {"lblmessage", Property::Caption, calculating_message},
        {"Timer1", Property::Interval, countdown_ms},
    });
}

void Timer1_Timer(Controls &form)
{
    run(form, {
        {"lblmessage", Property::Caption, done_message},
        {"imgcard1", Property::Visible, Boolean::False},
        {"imgcard2", Property::Visible, Boolean::True},
        {"cmdcalculate", Property::Visible, Boolean::False},
        {"cmdagain", Property::Visible, Boolean::True},
        {"Command1", Property::Visible, Boolean::True},
        // Disarming makes the reveal come once per press.
        {"Timer1", Property::Enabled, Boolean::False},
    });
}

void cmdagain_Click(Controls &form)
{
    // Leaves "One more time please", the answer button and the timer as they are.
    run(form, {
        {"imgcard2", Property::Visible, Boolean::False},
        {"imgcard1", Property::Visible, Boolean::True},
        {"lblmessage", Property::Caption, std::string_view{}},
        {"cmdcalculate", Property::Visible, Boolean::True},
    });
}

std::string_view property_name(Property property)
{
    switch (property) {
    case Property::Visible: return "Visible";
    case Property::Caption: return "Caption";
    case Property::Enabled: return "Enabled";
    case Property::Interval: return "Interval";
    }
    return "?";
}

std::string_view status_text(Status status)
{
    switch (status) {
    case Status::Ok: return "no error";
    case Status::NoSuchControl: return "the form has no such control";
    case Status::NoSuchProperty: return "the control has no such property";
    case Status::InvalidValue: return "the value is not valid for the property";
    }
    return "unknown error";
}

} // namespace trick
