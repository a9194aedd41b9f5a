#include "runtime/core/form.h"
#include "tests/support/manual_clock.h"
#include "trick/trick.h"
#include "ui/form1_code.h"
#include "ui/form1_description.h"

#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <string>
#include <vector>

using runtime::Event;

namespace {

// What a runtime would draw, kept as it was told, with a clock moved by hand. A box that
// opens runs `inBox` before it is dismissed.
struct FakeSurface final : runtime::Surface {
    ManualCountdown clock;
    std::string focus_on = "cmdcalculate";
    std::vector<std::string> boxes, spoken;
    std::function<void()> inBox;
    int status = -1;

    void show_control(std::string_view, bool) override {}
    void set_caption(std::string_view, std::string_view) override {}
    void start_clock(int ms) override { clock.start(ms); }
    void stop_clock() override { clock.stop(); }
    std::string focused() const override { return focus_on; }
    void focus(std::string_view control, std::string_view news) override
    {
        focus_on = control;
        spoken.push_back(focus_on + ": " + std::string(news));
    }
    void announce(std::string_view news) override { spoken.emplace_back(news); }
    void message_box(std::string_view prompt) override
    {
        boxes.emplace_back(prompt);
        if (inBox)
            std::exchange(inBox, {})();
    }
    void quit(int code) override { status = code; }
};

struct Started {
    FakeSurface surface;
    runtime::Form form{ui::form1_description(), ui::form1_events(), surface};
    Started() { surface.clock.elapsed = [this] { form.tick(); }; }
};

// What a user sees of the trick.
struct Seen {
    bool first = true, second = false, calculate = true, again = false, answer = false;
    std::string message;
    long remaining = -1;  // to the reveal
    bool operator==(const Seen &) const = default;
};

Seen seen(const Started &s)
{
    return {s.form.visible("imgcard1"), s.form.visible("imgcard2"), s.form.visible("cmdcalculate"),
            s.form.visible("cmdagain"), s.form.visible("Command1"), std::string(s.form.caption("lblmessage")),
            s.surface.clock.due < 0 ? -1 : s.surface.clock.due - s.surface.clock.now};
}

// The trick's phases, one event at a time, as the design tells them.
Seen revealed()
{
    return {false, true, false, true, true, "DONE! Your card is gone!", -1};
}

Seen passes(Seen s, long ms)
{
    if (s.remaining < 0)
        return s;
    if (ms >= s.remaining)
        return revealed();
    s.remaining -= ms;
    return s;
}

} // namespace

RC_GTEST_PROP(Trick, FollowsItsPhasesWhateverTheUserDoesAndWhenever, ())
{
        // What the user does next, and how many ms pass with it.
        const auto events = *rc::gen::container<std::vector<std::pair<int, int>>>(
            rc::gen::pair(rc::gen::inRange(0, 4), rc::gen::inRange(0, 7000)));
        Started s;
        Seen model;
        for (const auto &[kind, ms] : events) {
            switch (kind) {
            case 0:  // a hidden button cannot be pressed
                if (model.calculate) {
                    s.form.raise("cmdcalculate", Event::Click);
                    model.message = "Calculating..... Please wait!", model.remaining = 5000;
                }
                break;
            case 1:
                if (model.again) {
                    s.form.raise("cmdagain", Event::Click);
                    model.first = true, model.second = false, model.calculate = true, model.message.clear();
                }
                break;
            case 2:
                s.surface.clock.advance(ms);
                model = passes(model, ms);
                break;
            case 3:  // time passes behind About, which changes nothing itself
                s.surface.inBox = [&s, ms] { s.surface.clock.advance(ms); };
                s.form.raise("mnuabout", Event::Click);
                model = passes(model, ms);
                break;
            }
            RC_ASSERT(seen(s) == model);
        }
}

TEST(Trick, TheRevealMovesTheFocusOffAHiddenButtonAndSaysWhatCame)
{
    Started s;
    s.form.raise("cmdcalculate", Event::Click);
    s.surface.clock.advance(3000);
    s.form.raise("cmdcalculate", Event::Click);  // heard again, and the countdown starts afresh
    EXPECT_EQ(s.surface.spoken, (std::vector<std::string>(2, "Calculating..... Please wait!")));
    s.surface.clock.advance(4999);
    EXPECT_TRUE(s.form.visible("cmdcalculate"));
    s.surface.clock.advance(1);
    EXPECT_EQ(s.surface.focus_on, "cmdagain");  // the first shown button, never Exit
    EXPECT_EQ(s.surface.spoken.back(),
              "cmdagain: DONE! Your card is gone! Cards: Queen of hearts, King of clubs, Jack of hearts, "
              "Queen of spades, King of diamonds");

    // Where the focus was not hidden it stays, and the news is said on its own.
    s.form.raise("cmdagain", Event::Click);
    s.surface.focus_on = "Command2";
    s.form.raise("cmdcalculate", Event::Click);
    s.surface.clock.advance(5000);
    EXPECT_EQ(s.surface.focus_on, "Command2");
    EXPECT_EQ(s.surface.spoken.back().rfind("DONE! Your card is gone! Cards: Queen of hearts", 0), 0u);
}

namespace {

// The form, with the n-th assignment any procedure makes failing as the runtime reports it
// (none for 0); it counts the assignments made and keeps the failed one's control.
struct Failing final : runtime::FormServices {
    Failing(runtime::FormServices &form, int at) : form(form), at(at) {}
    runtime::FormServices &form;
    int at, made = 0;
    std::string failed;
    trick::Status assign(const trick::Assignment &a) override
    {
        if (++made != at)
            return form.assign(a);
        failed = a.control;
        return trick::Status::InvalidValue;
    }
    void raise_run_time_error(const trick::Assignment &a, trick::Status s) override { form.raise_run_time_error(a, s); }
    void message_box(std::string_view prompt) override { form.message_box(prompt); }
    void end() override { form.end(); }
};

} // namespace

TEST(RunTimeErrors, AFailureAtAnyStepEndsTheProgramWithOneLineAndABox)
{
    for (const auto procedure : {trick::cmdcalculate_Click, trick::Timer1_Timer, trick::cmdagain_Click}) {
        Started counted;
        Failing none(counted.form, 0);
        procedure(none);
        ASSERT_GT(none.made, 0);
        for (int step = 1; step <= none.made; ++step) {
            Started s;
            Failing failing(s.form, step);
            testing::internal::CaptureStderr();
            procedure(failing);
            const std::string said = testing::internal::GetCapturedStderr();
            ASSERT_EQ(s.surface.boxes.size(), 1u) << "step " << step;
            EXPECT_EQ(said, s.surface.boxes[0] + "\n");
            EXPECT_NE(said.find(failing.failed), std::string::npos) << said << " does not name " << failing.failed;
            EXPECT_EQ(s.surface.status, 1);
            // Nothing after it happens: no tick, no further procedure.
            s.surface.clock.advance(10000);
            s.form.raise("cmdcalculate", Event::Click);
            EXPECT_EQ(s.surface.boxes.size(), 1u);
        }
    }
    // What the form cannot take is refused as such.
    Started s;
    EXPECT_EQ(s.form.assign({"Label7", trick::Property::Visible, trick::Boolean::True}), trick::Status::NoSuchControl);
    EXPECT_EQ(s.form.assign({"Timer1", trick::Property::Visible, trick::Boolean::True}), trick::Status::NoSuchProperty);
    EXPECT_EQ(s.form.assign({"imgcard1", trick::Property::Caption, std::string_view("x")}), trick::Status::NoSuchProperty);
    EXPECT_EQ(s.form.assign({"lblmessage", trick::Property::Caption, trick::Boolean::True}), trick::Status::InvalidValue);
    EXPECT_EQ(s.form.assign({"Timer1", trick::Property::Interval, std::int32_t{-1}}), trick::Status::InvalidValue);
}
