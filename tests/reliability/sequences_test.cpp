#include "tests/reliability/event_generator.h"
#include "tests/reliability/trick_model.h"
#include "tests/support/form_fixture.h"
#include "tests/support/message_boxes.h"
#include "tests/trick/recording_controls.h"
#include "ui/form1_code.h"

#include <QAction>

namespace {

// The form's procedures against the recording stand-in, with a clock kept by hand the
// way the runtime's timer counts: each assignment that leaves it armed starts it afresh.
class RecordedForm final : public runtime::FormServices {
public:
    trick::Status assign(const trick::Assignment &assignment) override
    {
        const trick::Status status = controls.assign(assignment);
        if (assignment.control == "Timer1")
            remaining_ = controls.timer_armed() ? controls.interval() : -1;
        return status;
    }
    void raise_run_time_error(const trick::Assignment &assignment, trick::Status status) override
    {
        controls.raise_run_time_error(assignment, status);
    }
    void message_box(std::string_view) override { ++boxes; }
    void end() override { ended = true; }

    void raise(std::string_view control, runtime::Event event)
    {
        for (const runtime::EventProcedure &procedure : ui::form1_events())
            if (procedure.control == control && procedure.event == event)
                procedure.procedure(*this);
    }

    void pass(long ms)
    {
        while (remaining_ >= 0 && ms >= remaining_) {
            ms -= remaining_;
            remaining_ = controls.interval();
            raise("Timer1", runtime::Event::Timer);
        }
        if (remaining_ >= 0)
            remaining_ -= ms;
    }

    void apply(const Event &event)
    {
        using runtime::Event::Click;
        switch (event.kind) {
        case Event::PressCalculate:
            if (controls.visible("cmdcalculate"))
                raise("cmdcalculate", Click);
            break;
        case Event::PressAgain:
            if (controls.visible("cmdagain"))
                raise("cmdagain", Click);
            break;
        case Event::TickFallsDue:
            if (remaining_ >= 0)
                pass(remaining_);
            break;
        case Event::TimePasses:
            pass(event.ms);
            break;
        case Event::OpenAbout:
            raise("mnuabout", Click);
            break;
        case Event::OpenInstructions:
            raise("mnuinstructions", Click);
            break;
        case Event::OpenAnswer:
            if (controls.visible("Command1"))
                raise("Command1", Click);
            break;
        case Event::TimePassesInBox:
            raise("mnuabout", Click);
            pass(event.ms);
            break;
        }
    }

    Observed observed() const
    {
        return {controls.visible("imgcard1"), controls.visible("imgcard2"),
                controls.visible("cmdcalculate"), controls.visible("cmdagain"),
                controls.visible("Command1"), controls.caption("lblmessage"),
                remaining_ >= 0, remaining_};
    }

    RecordingControls controls;
    long remaining_ = -1;
    int boxes = 0;
    bool ended = false;
};

bool opensABox(const Event &event, const Observed &before)
{
    switch (event.kind) {
    case Event::OpenAbout:
    case Event::OpenInstructions:
    case Event::TimePassesInBox: return true;
    case Event::OpenAnswer: return before.command1;
    default: return false;
    }
}

// Form1 on the real runtime, driven the way a user drives it.
class RealForm : public FormFixture {
public:
    void TestBody() override {}
    void show() { showForm(); }
    bool ended() const { return form->ended(); }

    void apply(const Event &event)
    {
        const auto pressIfShown = [this](const char *name) {
            if (shown(name))
                click(name);
        };
        switch (event.kind) {
        case Event::PressCalculate: pressIfShown("cmdcalculate"); break;
        case Event::PressAgain: pressIfShown("cmdagain"); break;
        case Event::TickFallsDue:
            if (clock->active())
                clock->advance(static_cast<int>(clock->remaining()));
            break;
        case Event::TimePasses: clock->advance(event.ms); break;
        case Event::OpenAbout: withBox([this] { control<QAction>("mnuabout")->trigger(); }); break;
        case Event::OpenInstructions:
            withBox([this] { control<QAction>("mnuinstructions")->trigger(); });
            break;
        case Event::OpenAnswer: withBox([&] { pressIfShown("Command1"); }); break;
        case Event::TimePassesInBox:
            withBox([this] { control<QAction>("mnuabout")->trigger(); },
                    [this, ms = event.ms] { clock->advance(ms); });
            break;
        }
    }

    void withBox(const std::function<void()> &open, std::function<void()> whileOpen = {})
    {
        BoxWatcher watcher(Dismiss::Ok, std::move(whileOpen));
        open();
        boxes += static_cast<int>(watcher.seen().size());
    }

    Observed observed() const
    {
        return {shown("imgcard1"), shown("imgcard2"), shown("cmdcalculate"), shown("cmdagain"),
                shown("Command1"), message().toStdString(), clock->active(), clock->remaining()};
    }

    int boxes = 0;
};

template <typename Form> void follow(Form &form, const std::vector<Event> &events)
{
    Observed expected;
    RC_ASSERT(form.observed() == expected);
    for (const Event &event : events) {
        const int boxesBefore = form.boxes;
        const bool box = opensABox(event, expected);
        form.apply(event);
        expected = next(expected, event);
        RC_ASSERT(form.observed() == expected);
        RC_ASSERT(form.boxes - boxesBefore == (box ? 1 : 0));
    }
}

} // namespace

TEST(TrickSequences, TheProceduresFollowThePhaseTableWhateverTheOrderOfEvents)
{
    check_sequences(10000, 50, [](const std::vector<Event> &events) {
        RecordedForm form;
        follow(form, events);
        RC_ASSERT(form.controls.errors.empty());
        RC_ASSERT(!form.ended);
    });
}

TEST(TrickSequences, TheRealFormFollowsThePhaseTableWhateverTheOrderOfEvents)
{
    check_sequences(500, 50, [](const std::vector<Event> &events) {
        RealForm form;
        form.show();
        follow(form, events);
        RC_ASSERT(!form.ended());
    });
}
