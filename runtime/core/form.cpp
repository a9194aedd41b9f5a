#include "runtime/core/form.h"

#include "generated/version.h"

#include <algorithm>
#include <map>
#include <cstdio>
#include <utility>

namespace runtime {

using trick::Boolean;
using trick::Status;

Form::Form(const WindowDescription &description, EventTable events, Surface &surface)
    : events_(events), surface_(surface)
{
    // Labels have tab indexes too, but only push buttons take the focus.
    std::multimap<int, std::string_view> buttons;
    for (const ControlDescription &control : description.controls) {
        controls_.try_emplace(control.name, Control{&control, control.visible, std::string(control.caption)});
        if (control.kind == ControlKind::Timer)
            timer_ = control.name;
        if (control.kind == ControlKind::PushButton && control.tab_index >= 0)
            buttons.emplace(control.tab_index, control.name);
    }
    for (const auto &[index, name] : buttons)
        focus_order_.push_back(name);
}

bool Form::visible(std::string_view control) const
{
    const auto found = controls_.find(control);
    return found != controls_.end() && found->second.visible;
}

std::string_view Form::caption(std::string_view control) const
{
    const auto found = controls_.find(control);
    return found != controls_.end() ? std::string_view(found->second.caption) : std::string_view();
}

std::string_view Form::first_button() const
{
    const auto shown = std::find_if(focus_order_.begin(), focus_order_.end(),
                                    [this](std::string_view button) { return visible(button); });
    return shown == focus_order_.end() ? std::string_view() : *shown;
}

void Form::raise(std::string_view control, Event event)
{
    if (ended_)
        return;
    const auto procedure = std::find_if(events_.begin(), events_.end(), [&](const EventProcedure &p) {
        return p.control == control && p.event == event;
    });
    if (procedure == events_.end())
        return;
    const std::string focused = surface_.focused();
    // A tick behind an open box runs inside the box's procedure, with news of its own.
    auto messages = std::exchange(messages_, {});
    auto shown = std::exchange(shown_, {});
    ++running_;
    procedure->procedure(*this);
    --running_;
    if (!ended_)
        present(focused);
    messages_ = std::move(messages);
    shown_ = std::move(shown);
}

void Form::tick()
{
    if (enabled_ && interval_ > 0)
        raise(timer_, Event::Timer);
}

void Form::present(const std::string &focused_before)
{
    std::string news;
    for (const auto *list : {&messages_, &shown_}) {
        for (const std::string &item : *list)
            news += (news.empty() ? "" : " ") + item;
    }
    // The focus leaves a button the procedure hid for the first one shown, never for a
    // later one such as Exit, and carries the news with it.
    const auto lost = controls_.find(focused_before);
    if (lost != controls_.end() && lost->second.description->kind == ControlKind::PushButton &&
        !lost->second.visible && !first_button().empty()) {
        surface_.focus(first_button(), news);
        return;
    }
    if (!news.empty())
        surface_.announce(news);
}

Status Form::assign(const trick::Assignment &assignment)
{
    const auto found = controls_.find(assignment.control);
    if (found == controls_.end())
        return Status::NoSuchControl;
    Control *control = &found->second;
    const ControlKind kind = control->description->kind;
    const bool timer = kind == ControlKind::Timer;
    const auto *boolean = std::get_if<Boolean>(&assignment.value);
    switch (assignment.property) {
    case trick::Property::Visible:
        if (timer)
            return Status::NoSuchProperty;
        if (!boolean)
            return Status::InvalidValue;
        if (control->visible != (*boolean != Boolean::False)) {
            control->visible = !control->visible;
            surface_.show_control(assignment.control, control->visible);
            if (control->visible && !control->description->accessible_name.empty())
                shown_.push_back(control->description->accessible_name);
        }
        return Status::Ok;
    case trick::Property::Caption: {
        if (kind != ControlKind::Label && kind != ControlKind::PushButton)
            return Status::NoSuchProperty;
        const auto *text = std::get_if<std::string_view>(&assignment.value);
        if (!text)
            return Status::InvalidValue;
        control->caption = *text;
        surface_.set_caption(assignment.control, *text);
        // Said even when unchanged: a second press during the countdown is heard too.
        if (kind == ControlKind::Label && control->visible && !text->empty())
            messages_.emplace_back(*text);
        return Status::Ok;
    }
    case trick::Property::Enabled:
        if (!timer)
            return Status::NoSuchProperty;
        if (!boolean)
            return Status::InvalidValue;
        enabled_ = *boolean != Boolean::False;
        rearm();
        return Status::Ok;
    case trick::Property::Interval: {
        if (!timer)
            return Status::NoSuchProperty;
        const auto *ms = std::get_if<std::int32_t>(&assignment.value);
        if (!ms || *ms < 0)
            return Status::InvalidValue;
        interval_ = *ms;
        rearm();
        return Status::Ok;
    }
    }
    return Status::NoSuchProperty;
}

void Form::rearm()
{
    // Either property, assigned while counting, starts the interval afresh: a second press
    // puts the reveal 5000 ms after that press.
    if (enabled_ && interval_ > 0)
        surface_.start_clock(interval_);
    else
        surface_.stop_clock();
}

void Form::raise_run_time_error(const trick::Assignment &assignment, Status status)
{
    // Nothing in the program handles it: say what failed, once, and end with a failure.
    if (!halt(1))
        return;
    const std::string product = quellary::product_name;
    const std::string line = product + ": run-time error: cannot set " +
                             std::string(trick::property_name(assignment.property)) + " of " +
                             std::string(assignment.control) + " (" +
                             std::string(trick::status_text(status)) + "); please start " +
                             product + " again.";
    std::fprintf(stderr, "%s\n", line.c_str());
    std::fflush(stderr);
    surface_.message_box(line);
    surface_.quit(1);
}

void Form::message_box(std::string_view prompt)
{
    if (!ended_)
        surface_.message_box(prompt);
}

void Form::end()
{
    if (halt(0))
        surface_.quit(0);
}

bool Form::halt(int status)
{
    if (ended_)
        return false;
    ended_ = true;
    status_ = status;
    surface_.stop_clock();  // a pending tick is dropped
    return true;
}

} // namespace runtime
