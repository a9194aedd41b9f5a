#include "tests/trick/recording_controls.h"

#include <deque>

using trick::Boolean;
using trick::Property;

namespace {

// Recorded captions must outlive the procedure that passed them.
std::string_view keep(std::string_view text)
{
    static std::deque<std::string> kept;
    return kept.emplace_back(text);
}

} // namespace

RecordingControls::RecordingControls()
{
    for (const char *name : {"imgcard1", "cmdcalculate"})
        values_[{name, Property::Visible}] = Boolean::True;
    for (const char *name : {"imgcard2", "cmdagain", "Command1"})
        values_[{name, Property::Visible}] = Boolean::False;
    values_[{"lblmessage", Property::Caption}] = std::string_view{};
    values_[{"Timer1", Property::Enabled}] = Boolean::False;
    values_[{"Timer1", Property::Interval}] = std::int32_t{0};
}

trick::Status RecordingControls::assign(const trick::Assignment &assignment)
{
    trick::Assignment recorded = assignment;
    recorded.control = keep(assignment.control);
    if (const auto *text = std::get_if<std::string_view>(&assignment.value))
        recorded.value = keep(*text);
    assignments.push_back(recorded);

    Key key{std::string(assignment.control), assignment.property};
    if (failure_ && failure_->first == key) {
        const trick::Status status = failure_->second;
        failure_.reset();
        return status;
    }
    auto known = values_.find(key);
    if (known == values_.end())
        return trick::Status::NoSuchControl;
    if (known->second.index() != assignment.value.index())
        return trick::Status::InvalidValue;
    known->second = recorded.value;
    return trick::Status::Ok;
}

void RecordingControls::raise_run_time_error(const trick::Assignment &assignment, trick::Status status)
{
    errors.emplace_back(assignment, status);
}

void RecordingControls::fail_on(std::string control, Property property, trick::Status status)
{
    failure_ = std::make_pair(Key{std::move(control), property}, status);
}

bool RecordingControls::visible(const std::string &control) const
{
    return std::get<Boolean>(values_.at({control, Property::Visible})) != Boolean::False;
}

std::string RecordingControls::caption(const std::string &control) const
{
    return std::string(std::get<std::string_view>(values_.at({control, Property::Caption})));
}

bool RecordingControls::timer_armed() const
{
    return std::get<Boolean>(values_.at({"Timer1", Property::Enabled})) != Boolean::False &&
           interval() > 0;
}

int RecordingControls::interval() const
{
    return std::get<std::int32_t>(values_.at({"Timer1", Property::Interval}));
}
