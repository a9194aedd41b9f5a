#include "tests/trick/recording_controls.h"
#include "trick/trick.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

using trick::Assignment;
using trick::Boolean;
using trick::Property;
using trick::Status;

namespace {

using Steps = std::vector<Assignment>;

Steps recorded(void (*procedure)(trick::Controls &))
{
    RecordingControls form;
    procedure(form);
    EXPECT_TRUE(form.errors.empty());
    return form.assignments;
}

} // namespace

TEST(TrickProcedures, EachIsItsFixedSequenceOfAssignmentsInOrder)
{
    EXPECT_EQ(recorded(trick::cmdcalculate_Click), (Steps{
        {"Timer1", Property::Enabled, Boolean::True},
        {"lblmessage", Property::Caption, std::string_view("Calculating..... Please wait!")},
        {"Timer1", Property::Interval, std::int32_t{5000}},
    }));
    EXPECT_EQ(recorded(trick::Timer1_Timer), (Steps{
        {"lblmessage", Property::Caption, std::string_view("DONE! Your card is gone!")},
        {"imgcard1", Property::Visible, Boolean::False},
        {"imgcard2", Property::Visible, Boolean::True},
        {"cmdcalculate", Property::Visible, Boolean::False},
        {"cmdagain", Property::Visible, Boolean::True},
        {"Command1", Property::Visible, Boolean::True},
        {"Timer1", Property::Enabled, Boolean::False},
    }));
    EXPECT_EQ(recorded(trick::cmdagain_Click), (Steps{
        {"imgcard2", Property::Visible, Boolean::False},
        {"imgcard1", Property::Visible, Boolean::True},
        {"lblmessage", Property::Caption, std::string_view("")},
        {"cmdcalculate", Property::Visible, Boolean::True},
    }));
}

TEST(TrickProcedures, AFailedAssignmentRaisesARunTimeErrorAndStopsTheProcedure)
{
    RecordingControls form;
    form.fail_on("imgcard2", Property::Visible, Status::NoSuchControl);
    trick::Timer1_Timer(form);
    ASSERT_EQ(form.errors.size(), 1u);
    EXPECT_EQ(form.errors[0].first.control, "imgcard2");
    EXPECT_EQ(form.errors[0].second, Status::NoSuchControl);
    // Steps 1 to 3 were tried; the buttons and the timer were left alone.
    EXPECT_EQ(form.assignments.size(), 3u);
    EXPECT_TRUE(form.visible("cmdcalculate"));
}

namespace {

struct Phase {
    bool imgcard1, imgcard2, cmdcalculate, cmdagain, command1;
    const char *message;
    bool armed;
};

void expect_phase(const RecordingControls &form, const Phase &phase)
{
    EXPECT_EQ(form.visible("imgcard1"), phase.imgcard1);
    EXPECT_EQ(form.visible("imgcard2"), phase.imgcard2);
    EXPECT_EQ(form.visible("cmdcalculate"), phase.cmdcalculate);
    EXPECT_EQ(form.visible("cmdagain"), phase.cmdagain);
    EXPECT_EQ(form.visible("Command1"), phase.command1);
    EXPECT_EQ(form.caption("lblmessage"), phase.message);
    EXPECT_EQ(form.timer_armed(), phase.armed);
    if (phase.armed) {
        EXPECT_EQ(form.interval(), 5000);
    }
}

// The timer falls due only while armed.
void tick(RecordingControls &form)
{
    if (form.timer_armed())
        trick::Timer1_Timer(form);
}

} // namespace

TEST(TrickPhases, EveryTransitionLeadsToItsPhase)
{
    constexpr Phase waiting{true, false, true, false, false, "", false};
    constexpr Phase calculating{true, false, true, false, false, "Calculating..... Please wait!", true};
    constexpr Phase revealed{false, true, false, true, true, "DONE! Your card is gone!", false};
    constexpr Phase waiting_again{true, false, true, true, true, "", false};
    constexpr Phase calculating_again{true, false, true, true, true, "Calculating..... Please wait!", true};
    constexpr Phase calculating_blanked{true, false, true, true, true, "", true};

    using Event = std::function<void(RecordingControls &)>;
    const Event press = [](RecordingControls &f) { trick::cmdcalculate_Click(f); };
    const Event again = [](RecordingControls &f) { trick::cmdagain_Click(f); };
    const Event due = tick;

    struct Case {
        const char *name;
        std::vector<Event> events;
        Phase expected;
        int reveals;
    };
    const std::vector<Case> cases = {
        {"at start", {}, waiting, 0},
        {"after a press", {press}, calculating, 0},
        {"a tick that is not due does nothing", {due}, waiting, 0},
        {"after the countdown", {press, due}, revealed, 1},
        {"two presses, one reveal", {press, press, due, due}, revealed, 1},
        {"after Again", {press, due, again}, waiting_again, 1},
        {"second press in a later cycle", {press, due, again, press}, calculating_again, 1},
        {"Again during a later countdown blanks the message", {press, due, again, press, again},
         calculating_blanked, 1},
        {"...and the reveal still comes", {press, due, again, press, again, due}, revealed, 2},
        {"a second cycle", {press, due, again, press, due}, revealed, 2},
        {"Again twice changes nothing more", {press, due, again, again}, waiting_again, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        RecordingControls form;
        for (const Event &event : c.events)
            event(form);
        expect_phase(form, c.expected);
        int reveals = 0;
        for (const Assignment &a : form.assignments)
            reveals += a == Assignment{"imgcard2", Property::Visible, Boolean::True};
        EXPECT_EQ(reveals, c.reveals);
        EXPECT_TRUE(form.errors.empty());
    }
}
