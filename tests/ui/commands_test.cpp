#include "generated/version.h"
#include "tests/support/form_fixture.h"
#include "tests/support/message_boxes.h"
#include "trick/card_spreads.h"
#include "ui/texts.h"

#include <algorithm>

#include <QAction>

namespace {

const QString welcome = QStringLiteral("Welcome to Velado's 'Quellary' program!");
const QString instructions = QStringLiteral(
    "Hey that's very easy. First select a card from the list and click the button "
    "'Calculate my thoughts' Then the card you have selected will be disapeared!");

void expect_plain_box(const SeenBox &box, const QString &text)
{
    EXPECT_EQ(box.title, "Quellary");
    EXPECT_EQ(box.text, text);
    EXPECT_EQ(box.buttonCount, 1);
    ASSERT_FALSE(box.buttons.empty());
    EXPECT_EQ(box.buttons[0], QMessageBox::Ok);
    EXPECT_FALSE(box.hasIcon);
    EXPECT_FALSE(box.buttonHasIcon);
    EXPECT_EQ(box.modality, Qt::ApplicationModal);
    // The program's lightning bolt in the title bar, not the window system's generic icon.
    EXPECT_EQ(box.windowIcon, QImage(":/icons/quellary.png").convertToFormat(QImage::Format_ARGB32));
}

} // namespace

class Commands : public FormFixture {
protected:
    // Everything the trick can change, to see that a box leaves it alone.
    std::vector<QString> trickState() const
    {
        std::vector<QString> state{message(), QString::number(clock->remaining())};
        for (const char *name : {"imgcard1", "imgcard2", "cmdcalculate", "cmdagain", "Command1", "Command2"})
            state.push_back(QString::fromLatin1(name) + (shown(name) ? " shown" : " hidden"));
        return state;
    }

    std::vector<SeenBox> openBox(const std::function<void()> &open, std::function<void()> whileOpen = {})
    {
        BoxWatcher boxes(Dismiss::Ok, std::move(whileOpen));
        open();
        return boxes.seen();
    }

    std::function<void()> menu(const char *item)
    {
        return [this, item] { control<QAction>(item)->trigger(); };
    }
    std::function<void()> button(const char *name)
    {
        return [this, name] { click(name); };
    }
};

TEST_F(Commands, TheWelcomeBoxComesFirstAndTheWindowOnceItIsDismissedAnyWay)
{
    for (Dismiss how : {Dismiss::Ok, Dismiss::Return, Dismiss::Escape, Dismiss::CloseBox}) {
        SCOPED_TRACE(static_cast<int>(how));
        runtime::FormWindow window(ui::form1_description(), ui::form1_events(),
                                   std::make_unique<ManualCountdown>());
        std::vector<SeenBox> seen;
        {
            BoxWatcher boxes(how);
            window.load();
            seen = boxes.seen();
        }
        ASSERT_EQ(seen.size(), 1u);
        expect_plain_box(seen[0], welcome);
        EXPECT_FALSE(seen[0].formVisible);
        EXPECT_TRUE(window.isVisible());
        EXPECT_FALSE(window.ended());
    }
}

TEST_F(Commands, AboutInstructionsAndTheAnswerShowTheirTextsAndLeaveTheTrickAlone)
{
    showForm();
    const QString about = QString::fromStdString(ui::texts::about());
    EXPECT_TRUE(about.startsWith(QStringLiteral("Quellary ") + quellary::version));
    EXPECT_TRUE(about.contains("mind-reading card trick by Velado"));
    EXPECT_TRUE(about.endsWith("velado@example.com"));

    // Waiting, then revealed: the boxes change nothing in either phase.
    for (bool revealed : {false, true}) {
        SCOPED_TRACE(revealed ? "revealed" : "waiting");
        if (revealed) {
            click("cmdcalculate");
            clock->advance(5000);
        }
        const auto before = trickState();
        auto seen = openBox(menu("mnuabout"));
        ASSERT_EQ(seen.size(), 1u);
        expect_plain_box(seen[0], about);
        EXPECT_TRUE(seen[0].formVisible);

        seen = openBox(menu("mnuinstructions"));
        ASSERT_EQ(seen.size(), 1u);
        expect_plain_box(seen[0], instructions);

        if (revealed) {
            seen = openBox(button("Command1"));
            ASSERT_EQ(seen.size(), 1u);
            expect_plain_box(seen[0], QString::fromUtf8(ui::texts::answer));
        }
        EXPECT_EQ(trickState(), before);
    }
}

TEST_F(Commands, ATickThatFallsDueWhileABoxIsOpenRevealsBehindIt)
{
    showForm();
    click("cmdcalculate");
    clock->advance(1000);
    bool revealedWhileOpen = false;
    const auto seen = openBox(menu("mnuabout"), [&] {
        clock->advance(4000);
        revealedWhileOpen = shown("imgcard2");
    });
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_TRUE(revealedWhileOpen);
    EXPECT_EQ(ticks, 1);
    EXPECT_EQ(message(), "DONE! Your card is gone!");
    EXPECT_FALSE(shown("cmdcalculate"));
}

TEST(Answer, NamesOnlyCardsThatAreInThePictures)
{
    // The answer points the user at the pictures; every card it names must be there.
    using namespace trick;
    const std::string answer(ui::texts::answer);
    int named = 0;
    for (Rank rank : {Rank::Jack, Rank::Queen, Rank::King}) {
        for (Suit suit : {Suit::Clubs, Suit::Diamonds, Suit::Hearts, Suit::Spades}) {
            const Card card{rank, suit};
            if (answer.find(card_name(card)) == std::string::npos)
                continue;
            ++named;
            const bool inFirst = std::ranges::find(first_spread, card) != first_spread.end();
            const bool inSecond = std::ranges::find(second_spread, card) != second_spread.end();
            EXPECT_TRUE(inFirst || inSecond) << card_name(card);
        }
    }
    EXPECT_GE(named, 2);
}
