#include "runtime/window_states.h"
#include "tests/support/form_fixture.h"

#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QWindow>

namespace {

void takeDemandedSizesOnce()
{
    static const bool installed = (runtime::takeDemandedSizes(*qApp), true);
    (void)installed;
}

bool admits(const QWidget &window, const QSize &size)
{
    return window.minimumSize().width() <= size.width() && window.minimumSize().height() <= size.height() &&
           window.maximumSize().width() >= size.width() && window.maximumSize().height() >= size.height();
}

// The window system's answer comes through the event loop.
template <typename Condition> bool settles(Condition condition)
{
    return QTest::qWaitFor(condition, 5000);
}

std::string sizeText(const QSize &size)
{
    return std::to_string(size.width()) + " x " + std::to_string(size.height());
}

} // namespace

// The states a window system may put a window in, asked for the way Qt's own Wayland title
// bar asks: on the window's handle, behind the widget's back.
class DemandedSizes : public FormFixture {
protected:
    DemandedSizes() { takeDemandedSizesOnce(); }

    void ask(QWidget &window, Qt::WindowStates states) { window.windowHandle()->setWindowStates(states); }
    QSize screenRoom(Qt::WindowStates states) const
    {
        const QScreen *screen = form->screen();
        return states & Qt::WindowFullScreen ? screen->geometry().size() : screen->availableGeometry().size();
    }
};

TEST_F(DemandedSizes, TheFormTakesTheMaximisedSizeWithItsFormInTheMiddleAndGetsItsOwnBack)
{
    showForm();
    const QSize own = form->size();
    const QSize client = form->clientArea()->size();
    ASSERT_LT(own.width(), screenRoom(Qt::WindowMaximized).width());
    EXPECT_EQ(form->minimumSize(), form->maximumSize()) << "the form has one size of its own";

    for (const Qt::WindowStates state : {Qt::WindowStates(Qt::WindowMaximized), Qt::WindowStates(Qt::WindowFullScreen)}) {
        ask(*form, state);
        // Free to take the demanded size from the moment it is asked for.
        EXPECT_TRUE(admits(*form, screenRoom(state)));
        ASSERT_TRUE(settles([&] { return form->windowState() == Qt::WindowState(int(state)); }));
        ASSERT_TRUE(settles([&] { return form->frameGeometry().size() == screenRoom(state); }))
            << sizeText(form->frameGeometry().size());
        form->layout()->activate();   // as when a control is shown or hidden
        EXPECT_EQ(form->frameGeometry().size(), screenRoom(state)) << "the form's layout shrank the window back";
        EXPECT_EQ(form->clientArea()->size(), client) << "the form keeps its size";
        const QRect room = form->centralWidget()->rect();
        const QPoint corner = form->clientArea()->mapTo(form->centralWidget(), QPoint());
        EXPECT_EQ(corner, QPoint((room.width() - client.width()) / 2, (room.height() - client.height()) / 2));

        ask(*form, Qt::WindowNoState);
        // Until the window system has left the state, it may still demand its size.
        EXPECT_TRUE(admits(*form, screenRoom(state)));
        ASSERT_TRUE(settles([&] { return form->size() == own; })) << sizeText(form->size());
        EXPECT_EQ(form->minimumSize(), own);
        EXPECT_EQ(form->maximumSize(), own);
        EXPECT_EQ(form->clientArea()->mapTo(form->centralWidget(), QPoint()), QPoint());
    }
}

TEST_F(DemandedSizes, AMessageBoxTakesTheMaximisedSizeToo)
{
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Quellary"), QStringLiteral("Welcome"), QMessageBox::Ok);
    box.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    const QSize own = box.size();
    ask(box, Qt::WindowMaximized);
    EXPECT_TRUE(admits(box, screenRoom(Qt::WindowMaximized)));
    ASSERT_TRUE(settles([&] { return box.frameGeometry().size() == screenRoom(Qt::WindowMaximized); }))
        << sizeText(box.frameGeometry().size());
    // Its text and button stay together in the middle, not at opposite corners.
    const QRect middle(box.width() / 4, box.height() / 4, box.width() / 2, box.height() / 2);
    const auto *text = box.findChild<QLabel *>(QStringLiteral("qt_msgbox_label"));
    ASSERT_NE(text, nullptr);
    EXPECT_TRUE(middle.contains(text->geometry()));
    const QAbstractButton *ok = box.button(QMessageBox::Ok);
    EXPECT_TRUE(middle.contains(QRect(ok->mapTo(&box, QPoint()), ok->size())));
    ask(box, Qt::WindowNoState);
    ASSERT_TRUE(settles([&] { return box.size() == own; })) << sizeText(box.size());
    EXPECT_EQ(box.maximumSize(), own);
}
