#include "runtime/accessibility.h"
#include "tests/support/form_fixture.h"
#include "tests/support/message_boxes.h"

#include <QAccessible>
#include <QMenu>
#include <QMenuBar>

namespace {

const QString calculating = QStringLiteral("Calculating..... Please wait!");
const QString done = QStringLiteral("DONE! Your card is gone!");
const QString sixCards = QStringLiteral(
    "Cards: King of hearts, Jack of clubs, King of spades, Queen of diamonds, Queen of clubs, "
    "Jack of diamonds");
const QString fiveCards = QStringLiteral(
    "Cards: Queen of hearts, King of clubs, Jack of hearts, Queen of spades, King of diamonds");

// Counts the times a widget is shown: a reader speaks a notification each time it appears.
struct ShowCounter : QObject {
    explicit ShowCounter(QWidget *widget) { widget->installEventFilter(this); }
    bool eventFilter(QObject *, QEvent *event) override
    {
        count += event->type() == QEvent::Show;
        return false;
    }
    int count = 0;
};

} // namespace

// Form1 as a screen reader meets it: through the toolkit's accessibility interfaces. (The
// events they send reach a reader only over a real desktop's bus: see the AT-SPI test.)
class Accessibility : public FormFixture {
protected:
    Accessibility()
    {
        QObject::connect(qApp, &QApplication::focusChanged, &context_,
                         [this](QWidget *, QWidget *now) { focusPath.push_back(now ? now->objectName() : QString()); });
    }

    QAccessibleInterface *client() const { return QAccessible::queryAccessibleInterface(form->clientArea()); }

    // The client area's children as a reader lists them: each by its name.
    QStringList readerChildren() const
    {
        QStringList names;
        QAccessibleInterface *area = client();
        for (int i = 0; i < area->childCount(); ++i) {
            QAccessibleInterface *child = area->child(i);
            EXPECT_EQ(area->indexOfChild(child), i);
            EXPECT_FALSE(child->state().invisible) << child->object()->objectName().toStdString();
            names.append(child->text(QAccessible::Name));
        }
        return names;
    }

    void press(const char *name, Qt::Key key = Qt::Key_Space)
    {
        auto *button = control<QPushButton>(name);
        ASSERT_TRUE(button->hasFocus()) << name << " does not have the focus";
        QTest::keyClick(button, key);
    }

    QString focusName() const
    {
        QWidget *focus = QApplication::focusWidget();
        return focus ? focus->objectName() : QString();
    }

    QStringList focusPath;

private:
    QObject context_;  // goes before focusPath does, and the recording with it
};

TEST_F(Accessibility, PicturesAreImagesNamedForTheirCards)
{
    QAccessibleInterface *first = QAccessible::queryAccessibleInterface(control("imgcard1"));
    QAccessibleInterface *second = QAccessible::queryAccessibleInterface(control("imgcard2"));
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->role(), QAccessible::Graphic);
    EXPECT_EQ(second->role(), QAccessible::Graphic);
    EXPECT_EQ(first->text(QAccessible::Name), sixCards);
    EXPECT_EQ(second->text(QAccessible::Name), fiveCards);
    // A picture's way up leads to the client area, which lists it while it is shown.
    EXPECT_EQ(first->parent()->object(), form->clientArea());
}

TEST_F(Accessibility, AReaderMeetsOnlyTheControlsOnScreenInEveryPhase)
{
    showForm();
    const QStringList waiting = readerChildren();
    EXPECT_TRUE(waiting.contains(sixCards));
    EXPECT_FALSE(waiting.contains(fiveCards));
    EXPECT_TRUE(waiting.contains("Calculate my thoughts"));
    EXPECT_TRUE(waiting.contains("Exit"));
    EXPECT_FALSE(waiting.contains("One more time please"));
    EXPECT_FALSE(waiting.contains("The Answer to the problem"));
    EXPECT_TRUE(waiting.contains("1. Select a card from the list above in your brain"));
    EXPECT_EQ(waiting.size(), 10);  // one picture, six lines, the message, two buttons

    press("cmdcalculate");
    clock->advance(5000);
    const QStringList revealed = readerChildren();
    EXPECT_TRUE(revealed.contains(fiveCards));
    EXPECT_FALSE(revealed.contains(sixCards));
    EXPECT_TRUE(revealed.contains(done));
    EXPECT_FALSE(revealed.contains("Calculate my thoughts"));
    EXPECT_TRUE(revealed.contains("One more time please"));
    EXPECT_TRUE(revealed.contains("The Answer to the problem"));
    EXPECT_EQ(revealed.size(), 11);

    press("cmdagain");
    const QStringList again = readerChildren();
    EXPECT_TRUE(again.contains(sixCards));
    EXPECT_FALSE(again.contains(fiveCards));
    EXPECT_TRUE(again.contains("Calculate my thoughts"));
    EXPECT_TRUE(again.contains("One more time please"));
    EXPECT_EQ(again.size(), 12);
}

TEST_F(Accessibility, CalculatingIsSpokenAsANotification)
{
    showForm();
    press("cmdcalculate");
    QWidget *announcer = form->presenter()->announcer();
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(announcer);
    EXPECT_EQ(iface->role(), QAccessible::Notification);
    EXPECT_EQ(iface->text(QAccessible::Name), calculating);
    EXPECT_EQ(form->presenter()->lastNotification(), calculating);
    // It is never read twice: flat review finds the message label instead.
    EXPECT_EQ(readerChildren().count(calculating), 1);
    EXPECT_EQ(focusName(), "cmdcalculate");

    // A second press sets the same message: it is spoken again, since the countdown restarts.
    ShowCounter shows(announcer);
    clock->advance(3000);
    press("cmdcalculate");
    EXPECT_EQ(shows.count, 1);
    EXPECT_EQ(form->presenter()->lastNotification(), calculating);
}

TEST_F(Accessibility, TheRevealMovesTheFocusToAgainAndSaysWhatChanged)
{
    showForm();
    press("cmdcalculate");
    focusPath.clear();
    clock->advance(5000);
    EXPECT_EQ(focusName(), "cmdagain");
    EXPECT_TRUE(form->testAttribute(Qt::WA_KeyboardFocusChange)) << "the focus frame is not drawn";
    // Never Exit, not even for a moment: a second Space there would end the program.
    EXPECT_FALSE(focusPath.contains("Command2")) << focusPath.join(", ").toStdString();
    auto *again = control<QPushButton>("cmdagain");
    EXPECT_EQ(again->accessibleDescription(), done + " " + fiveCards);

    // A second Space is "One more time please": the focus stays, the six cards are spoken.
    press("cmdagain");
    EXPECT_EQ(focusName(), "cmdagain");
    EXPECT_EQ(form->presenter()->lastNotification(), sixCards);
    EXPECT_EQ(again->accessibleDescription(), QString());
    EXPECT_TRUE(shown("cmdcalculate"));
    EXPECT_FALSE(focusPath.contains("Command2"));
}

TEST_F(Accessibility, TheFocusOnlyMovesWhenItsButtonWasHidden)
{
    showForm();
    press("cmdcalculate");
    clock->advance(5000);
    // From the answer's button, a later reveal leaves the focus where it is.
    control("Command1")->setFocus();
    control<QPushButton>("cmdagain")->click();
    control<QPushButton>("cmdcalculate")->click();
    clock->advance(5000);
    EXPECT_EQ(focusName(), "Command1");
    EXPECT_EQ(form->presenter()->lastNotification(), done + " " + fiveCards);
}

TEST_F(Accessibility, F10OpensTheHelpMenuAndTheKeyboardChoosesInIt)
{
    showForm();
    auto *help = form->menuBar()->findChild<QMenu *>("mnuhelp");
    ASSERT_NE(help, nullptr);
    ASSERT_FALSE(help->isVisible());

    QTest::keyClick(form.get(), Qt::Key_F10);
    ASSERT_TRUE(QTest::qWaitFor([&] { return help->isVisible(); }, 5000));
    ASSERT_NE(help->activeAction(), nullptr);
    EXPECT_EQ(help->activeAction()->text(), "About");
    QTest::keyClick(help, Qt::Key_Escape);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !help->isVisible(); }, 5000));

    QTest::keyClick(form.get(), Qt::Key_F10);
    ASSERT_TRUE(QTest::qWaitFor([&] { return help->isVisible(); }, 5000));
    QTest::keyClick(help, Qt::Key_Down);
    EXPECT_EQ(help->activeAction()->text(), "Instructions");
    BoxWatcher watcher;
    QTest::keyClick(help, Qt::Key_Return);
    ASSERT_EQ(watcher.seen().size(), 1u);
    EXPECT_TRUE(watcher.seen()[0].text.startsWith("Hey that's very easy."));
}
