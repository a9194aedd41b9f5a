#pragma once

#include "trick/controls.h"

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// A stand-in for the form: records every assignment in order, keeps the values it was
// given, and can be told to fail one assignment.
class RecordingControls : public trick::Controls {
public:
    using Key = std::pair<std::string, trick::Property>;

    // Values before anything is assigned, as the form starts.
    RecordingControls();

    trick::Status assign(const trick::Assignment &assignment) override;
    void raise_run_time_error(const trick::Assignment &assignment, trick::Status status) override;

    // Makes the next assignment that matches fail with `status`.
    void fail_on(std::string control, trick::Property property, trick::Status status);

    std::vector<trick::Assignment> assignments;
    std::vector<std::pair<trick::Assignment, trick::Status>> errors;

    bool visible(const std::string &control) const;
    std::string caption(const std::string &control) const;
    bool timer_armed() const;
    int interval() const;

private:
    std::map<Key, trick::Value> values_;
    std::optional<std::pair<Key, trick::Status>> failure_;
};
