#pragma once

#include "runtime/form_window.h"
#include "runtime/program_style.h"
#include "runtime/timer_control.h"
#include "tests/support/manual_countdown.h"
#include "ui/form1_code.h"
#include "ui/form1_description.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QApplication>

#include <gtest/gtest.h>

#include <memory>

#include <ostream>

// Lets test failures print Qt's strings.
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

// Form1 built from its real description and event procedures, with a countdown the test
// moves by hand.
class FormFixture : public testing::Test {
protected:
    explicit FormFixture(const runtime::WindowDescription &description = ui::form1_description())
    {
        // The style the program draws with.
        if (!qobject_cast<runtime::ProgramStyle *>(QApplication::style()))
            runtime::useProgramStyle();
        auto countdown = std::make_unique<ManualCountdown>();
        clock = countdown.get();
        form = std::make_unique<runtime::FormWindow>(description, ui::form1_events(), std::move(countdown));
        if (auto *timer = form->findChild<runtime::TimerControl *>("Timer1"))
            QObject::connect(timer, &runtime::TimerControl::timer, form.get(), [this] { ++ticks; });
    }

    ~FormFixture() override
    {
        // Ending asks Qt to leave every event loop, which also stops the next test's
        // message boxes from opening; one turn of the main loop clears that again.
        if (form->ended()) {
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
            QCoreApplication::exec();
        }
    }

    void showForm()
    {
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    }

    template <typename T = QWidget> T *control(const char *name) const
    {
        T *found = form->findChild<T *>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    void click(const char *name)
    {
        auto *button = control<QPushButton>(name);
        ASSERT_TRUE(button->isVisible()) << name << " is hidden";
        QTest::mouseClick(button, Qt::LeftButton);
    }

    bool shown(const char *name) const { return control(name)->isVisible(); }
    QString message() const { return control<QLabel>("lblmessage")->text(); }

    ManualCountdown *clock = nullptr;
    std::unique_ptr<runtime::FormWindow> form;
    int ticks = 0;
};
