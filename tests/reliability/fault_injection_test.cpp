#include "tests/support/form_fixture.h"
#include "tests/support/message_boxes.h"

#include <functional>

namespace {

class Faults : public FormFixture {
public:
    void TestBody() override {}
    using FormFixture::clock;
    using FormFixture::click;
    using FormFixture::form;
    using FormFixture::shown;
    using FormFixture::showForm;
    using FormFixture::ticks;
};

struct Procedure {
    const char *name;
    std::function<void(Faults &)> reach;  // brings the form to where it can run
    std::function<void(Faults &)> run;    // makes the runtime raise it
};

} // namespace

TEST(FaultInjection, AFailureAtAnyStepOfAnyProcedureEndsThroughTheRunTimeError)
{
    const std::vector<Procedure> procedures = {
        {"cmdcalculate_Click", [](Faults &) {}, [](Faults &f) { f.click("cmdcalculate"); }},
        {"Timer1_Timer", [](Faults &f) { f.click("cmdcalculate"); },
         [](Faults &f) { f.clock->advance(5000); }},
        {"cmdagain_Click",
         [](Faults &f) {
             f.click("cmdcalculate");
             f.clock->advance(5000);
         },
         [](Faults &f) { f.click("cmdagain"); }},
    };
    for (const Procedure &procedure : procedures) {
        // As many steps as a run that nothing fails makes.
        int steps = 0;
        {
            Faults f;
            f.showForm();
            procedure.reach(f);
            f.form->setAssignmentCheck([&](const trick::Assignment &) {
                ++steps;
                return trick::Status::Ok;
            });
            procedure.run(f);
            ASSERT_GT(steps, 0) << procedure.name << " made no assignment";
        }
        for (int failing = 0; failing < steps; ++failing) {
            SCOPED_TRACE(std::string(procedure.name) + " step " + std::to_string(failing + 1));
            Faults f;
            f.showForm();
            procedure.reach(f);
            int step = 0;
            trick::Assignment failed{};
            f.form->setAssignmentCheck([&](const trick::Assignment &assignment) {
                if (step++ != failing)
                    return trick::Status::Ok;
                failed = assignment;
                return trick::Status::InvalidValue;
            });
            testing::internal::CaptureStderr();
            std::vector<SeenBox> seen;
            {
                BoxWatcher boxes;
                procedure.run(f);
                seen = boxes.seen();
            }
            const std::string err = testing::internal::GetCapturedStderr();

            EXPECT_EQ(step, failing + 1) << "steps after the failed one were still made";
            ASSERT_EQ(seen.size(), 1u);
            EXPECT_EQ(seen[0].title, "Quellary");
            const std::string what = "cannot set " + std::string(trick::property_name(failed.property)) +
                                     " of " + std::string(failed.control);
            EXPECT_NE(seen[0].text.toStdString().find(what), std::string::npos) << seen[0].text.toStdString();
            EXPECT_NE(err.find("Quellary: run-time error: " + what), std::string::npos) << err;
            EXPECT_EQ(err.find("run-time error"), err.rfind("run-time error")) << err;
            EXPECT_TRUE(f.form->ended());
            EXPECT_EQ(f.form->exitStatus(), 1);

            // Nothing is left running: no tick comes, no button acts.
            EXPECT_FALSE(f.clock->active());
            const int ticks = f.ticks;
            f.clock->advance(10000);
            EXPECT_EQ(f.ticks, ticks);
            f.form->setAssignmentCheck({});
            for (const char *button : {"cmdcalculate", "cmdagain", "Command1", "Command2"}) {
                if (f.shown(button)) {
                    BoxWatcher boxes;
                    f.click(button);
                    EXPECT_TRUE(boxes.seen().empty()) << button;
                }
            }
            EXPECT_FALSE(f.clock->active());
        }
    }
}
