#pragma once

#include <cstdint>
#include <string_view>
#include <variant>

// The small interface the trick is written against: one property assignment to one named
// control of Form1. Whatever stands behind it (the real window or a test double) looks the
// control up, sets the property and lets go of the control again.
namespace trick {

// The form runtime's booleans: true is all bits set.
enum class Boolean : std::int16_t { False = 0, True = -1 };

enum class Property { Visible, Caption, Enabled, Interval };

using Value = std::variant<Boolean, std::string_view, std::int32_t>;

struct Assignment {
    std::string_view control;
    Property property;
    Value value;

    bool operator==(const Assignment &) const = default;
};

enum class Status {
    Ok,
    NoSuchControl,    // the form has no control of that name
    NoSuchProperty,   // the control has no such property
    InvalidValue,     // the property does not take that value
};

std::string_view property_name(Property property);
std::string_view status_text(Status status);

class Controls {
public:
    virtual ~Controls() = default;
    virtual Status assign(const Assignment &assignment) = 0;
    // Called once, with the assignment that failed; the program ends after it.
    virtual void raise_run_time_error(const Assignment &assignment, Status status) = 0;
};

} // namespace trick
