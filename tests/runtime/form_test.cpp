#include "runtime/picture_box.h"
#include "tests/support/form_fixture.h"
#include "tests/support/message_boxes.h"

#include <QElapsedTimer>

#include <string>
#include <vector>

using trick::Assignment;
using trick::Boolean;
using trick::Property;
using trick::Status;

namespace {

const QString calculating = QStringLiteral("Calculating..... Please wait!");
const QString done = QStringLiteral("DONE! Your card is gone!");

} // namespace

class FormCycle : public FormFixture {
protected:
    using Names = std::vector<std::string>;

    // Which of the controls the trick shows and hides are shown now.
    Names shownControls() const
    {
        Names names;
        for (const char *name : {"imgcard1", "imgcard2", "cmdcalculate", "cmdagain", "Command1", "Command2"})
            if (shown(name))
                names.emplace_back(name);
        return names;
    }
};

TEST_F(FormCycle, ClickingThroughTheTrickChangesTheRealControls)
{
    showForm();
    EXPECT_EQ(shownControls(), (Names{"imgcard1", "cmdcalculate", "Command2"}));
    EXPECT_EQ(message(), QString());
    EXPECT_FALSE(clock->active());

    click("cmdcalculate");
    EXPECT_EQ(message(), calculating);
    EXPECT_EQ(clock->remaining(), 5000);
    clock->advance(4999);
    EXPECT_TRUE(shown("imgcard1"));
    clock->advance(1);
    EXPECT_EQ(message(), done);
    EXPECT_EQ(shownControls(), (Names{"imgcard2", "cmdagain", "Command1", "Command2"}));
    EXPECT_FALSE(clock->active());

    click("cmdagain");
    EXPECT_EQ(shownControls(), (Names{"imgcard1", "cmdcalculate", "cmdagain", "Command1", "Command2"}));
    EXPECT_EQ(message(), QString());

    // Again during a later countdown blanks the message; the reveal still comes.
    click("cmdcalculate");
    clock->advance(2000);
    click("cmdagain");
    EXPECT_EQ(message(), QString());
    EXPECT_TRUE(clock->active());
    clock->advance(3000);
    EXPECT_EQ(message(), done);
    EXPECT_TRUE(shown("imgcard2"));
    EXPECT_EQ(ticks, 2);
}

TEST_F(FormCycle, ASecondPressStartsTheCountdownAfreshAndTheRevealComesOnce)
{
    showForm();
    click("cmdcalculate");
    clock->advance(3000);
    click("cmdcalculate");
    EXPECT_EQ(message(), calculating);
    EXPECT_EQ(clock->remaining(), 5000);
    clock->advance(4999);  // 7999 ms after the first press
    EXPECT_EQ(ticks, 0);
    EXPECT_TRUE(shown("imgcard1"));
    clock->advance(1);
    EXPECT_EQ(ticks, 1);
    EXPECT_EQ(message(), done);
    clock->advance(60000);
    EXPECT_EQ(ticks, 1);
}

TEST_F(FormCycle, TheWindowAndItsSpreadAreMadeWhileTheWelcomeBoxWaitsTheOtherSpreadDuringTheCountdown)
{
    auto *first = control<runtime::PictureBox>("imgcard1");
    auto *second = control<runtime::PictureBox>("imgcard2");
    bool firstMeanwhile = false, secondMeanwhile = true, windowMeanwhile = false;
    {
        BoxWatcher boxes(Dismiss::Return, [&] {
            firstMeanwhile = QTest::qWaitFor([&] { return first->decoded(); }, 10000);
            secondMeanwhile = second->decoded();
            windowMeanwhile = form->testAttribute(Qt::WA_WState_Created) && !form->isVisible();
        });
        form->load();
    }
    EXPECT_TRUE(windowMeanwhile) << "the window system's window was not made, unshown, while the welcome box waited";
    EXPECT_TRUE(firstMeanwhile) << "the window's spread was not made while the welcome box waited";
    EXPECT_FALSE(secondMeanwhile) << "the hidden spread was made at start-up";
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    EXPECT_FALSE(second->decoded()) << "the hidden spread was made at start-up";

    // The clock is the test's: the reveal cannot come while this waits.
    click("cmdcalculate");
    EXPECT_TRUE(QTest::qWaitFor([&] { return second->decoded(); }, 10000));
}

TEST_F(FormCycle, ExitDuringTheCountdownEndsAtOnceWithoutAReveal)
{
    showForm();
    click("cmdcalculate");
    clock->advance(2500);
    click("Command2");
    EXPECT_TRUE(form->ended());
    EXPECT_EQ(form->exitStatus(), 0);
    EXPECT_FALSE(clock->active());
    clock->advance(10000);
    EXPECT_EQ(ticks, 0);
    EXPECT_TRUE(shown("imgcard1"));
    EXPECT_EQ(message(), calculating);
}

TEST_F(FormCycle, TheCloseBoxEndsTheProgramAndDropsAPendingTick)
{
    showForm();
    click("cmdcalculate");
    form->close();
    EXPECT_TRUE(form->ended());
    EXPECT_EQ(form->exitStatus(), 0);
    EXPECT_FALSE(clock->active());
}

TEST_F(FormCycle, AssignmentsReportWhatTheControlCannotTake)
{
    const struct {
        Assignment assignment;
        Status status;
    } cases[] = {
        {{"lblmessage", Property::Caption, std::string_view("x")}, Status::Ok},
        {{"Timer1", Property::Interval, std::int32_t{250}}, Status::Ok},
        {{"nosuch", Property::Visible, Boolean::True}, Status::NoSuchControl},
        {{"Timer1", Property::Caption, std::string_view("x")}, Status::NoSuchProperty},
        {{"imgcard1", Property::Enabled, Boolean::True}, Status::NoSuchProperty},
        {{"lblmessage", Property::Interval, std::int32_t{1}}, Status::NoSuchProperty},
        {{"imgcard1", Property::Visible, std::int32_t{1}}, Status::InvalidValue},
        {{"Timer1", Property::Interval, std::int32_t{-1}}, Status::InvalidValue},
        {{"Timer1", Property::Enabled, std::string_view("yes")}, Status::InvalidValue},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.assignment.control) + " " +
                     std::string(trick::property_name(c.assignment.property)));
        EXPECT_EQ(form->assign(c.assignment), c.status);
    }
    EXPECT_FALSE(form->ended());
}

namespace {

runtime::WindowDescription without(std::string_view control)
{
    runtime::WindowDescription description = ui::form1_description();
    std::erase_if(description.controls, [&](const auto &c) { return c.name == control; });
    return description;
}

class BrokenForm : public FormFixture {
protected:
    BrokenForm() : FormFixture(without("lblmessage")) {}
};

} // namespace

TEST_F(BrokenForm, AFailedAssignmentIsReportedAndEndsWithAFailureStatus)
{
    showForm();
    testing::internal::CaptureStderr();
    {
        BoxWatcher boxes;
        click("cmdcalculate");
        ASSERT_EQ(boxes.seen().size(), 1u);
        EXPECT_EQ(boxes.seen()[0].title, "Quellary");
        EXPECT_TRUE(boxes.seen()[0].text.contains("Caption of lblmessage")) << boxes.seen()[0].text.toStdString();
    }
    const std::string err = testing::internal::GetCapturedStderr();
    const std::string line =
        "Quellary: run-time error: cannot set Caption of lblmessage (the form has no such control); "
        "please start Quellary again.\n";
    EXPECT_NE(err.find(line), std::string::npos) << err;
    EXPECT_EQ(err.find("run-time error"), err.rfind("run-time error")) << "reported more than once";
    EXPECT_TRUE(form->ended());
    EXPECT_EQ(form->exitStatus(), 1);
    // The timer armed by the step before is not left running.
    EXPECT_FALSE(clock->active());
}

TEST(RealCountdown, TheRevealComesFiveSecondsAfterThePressNeverBefore)
{
    runtime::FormWindow form(ui::form1_description(), ui::form1_events());
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    auto *second = form.findChild<QWidget *>("imgcard2");
    QElapsedTimer clock;
    QTest::mouseClick(form.findChild<QPushButton *>("cmdcalculate"), Qt::LeftButton);
    clock.start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return second->isVisible(); }, 20000));
    const qint64 elapsed = clock.elapsed();
    EXPECT_GE(elapsed, 5000);
    // Loose, so that a busy machine cannot break it; how late it is belongs to make bench.
    EXPECT_LE(elapsed, 8000);
}
