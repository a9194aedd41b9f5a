#include "runtime/picture_box.h"
#include "tests/support/form_fixture.h"
#include "tests/support/message_boxes.h"

#include <QAction>
#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QMenuBar>
#include <QScreen>
#include <QStyleOptionButton>

#include <cmath>

namespace {

enum class Kind { Button, Label, Image };

struct Designed {
    const char *name;
    Kind kind;
    const char *caption;
    QRect box;  // in pixels at the design density, 12 twips to the pixel
    bool visible;
};

// The window as designed, in the order the window lists its controls.
const Designed design[] = {
    {"Command2", Kind::Button, "Exit", {410, 290, 91, 41}, true},
    {"Command1", Kind::Button, "The Answer to the problem", {200, 290, 191, 41}, false},
    {"cmdagain", Kind::Button, "One more time please", {10, 290, 161, 31}, false},
    {"cmdcalculate", Kind::Button, "Calculate my thoughts", {20, 230, 141, 41}, true},
    {"Label6", Kind::Label, "disapeared from the list.", {60, 210, 171, 21}, true},
    {"Label5", Kind::Label, "And mysteriously your selected card will be ", {20, 190, 271, 21}, true},
    {"Label4", Kind::Label, "thoughts, it will display the message \"DONE\"", {20, 170, 271, 21}, true},
    {"Label3", Kind::Label, "3. When the program finishes calculating your", {10, 150, 291, 21}, true},
    {"Label2", Kind::Label, "2. Then click the button \"Calculate my thoughts\"", {10, 130, 301, 21}, true},
    {"Label1", Kind::Label, "1. Select a card from the list above in your brain", {10, 110, 301, 21}, true},
    {"lblmessage", Kind::Label, "", {170, 240, 261, 31}, true},
    {"imgcard2", Kind::Image, "", {80, 0, 368, 103}, false},
    {"imgcard1", Kind::Image, "", {60, 0, 438, 104}, true},
};
const QSize designed_client{545, 355};

QRect scaled(const QRect &box, double scale)
{
    return QRect(QPoint(std::lround(box.x() * scale), std::lround(box.y() * scale)),
                 QSize(std::lround(box.width() * scale), std::lround(box.height() * scale)));
}

bool near(const QRect &a, const QRect &b)
{
    return std::abs(a.x() - b.x()) <= 1 && std::abs(a.y() - b.y()) <= 1 &&
           std::abs(a.width() - b.width()) <= 1 && std::abs(a.height() - b.height()) <= 1;
}

// Room for the caption inside the control, with the style's own margins.
QSize roomFor(QWidget *widget)
{
    if (auto *button = qobject_cast<QPushButton *>(widget)) {
        QStyleOptionButton option;
        option.initFrom(button);
        return button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button).size();
    }
    return widget->contentsRect().size();
}

class Layout : public FormFixture {
protected:
    void expectAsDesigned(double scale)
    {
        const QList<QObject *> children = form->clientArea()->children();
        int position = 0;
        for (const Designed &d : design) {
            SCOPED_TRACE(d.name);
            auto *widget = control(d.name);
            ASSERT_NE(widget, nullptr);
            switch (d.kind) {
            case Kind::Button: EXPECT_EQ(control<QPushButton>(d.name)->text(), d.caption); break;
            case Kind::Label: EXPECT_EQ(control<QLabel>(d.name)->text(), d.caption); break;
            case Kind::Image: EXPECT_NE(qobject_cast<runtime::PictureBox *>(widget), nullptr); break;
            }
            EXPECT_TRUE(near(widget->geometry(), scaled(d.box, scale)))
                << "at " << widget->geometry().x() << "," << widget->geometry().y() << " "
                << widget->width() << "x" << widget->height();
            EXPECT_EQ(widget->isVisible(), d.visible);
            EXPECT_EQ(widget->focusPolicy() != Qt::NoFocus, d.kind == Kind::Button);
            // Listed in the designed order (the timer sits between cmdagain and cmdcalculate).
            const auto at = children.indexOf(widget);
            EXPECT_GT(at, position - 1);
            position = static_cast<int>(at);

            if (d.kind != Kind::Image && *d.caption) {
                const QSize needed = QFontMetrics(widget->font()).size(Qt::TextSingleLine, d.caption);
                const QSize room = roomFor(widget);
                EXPECT_LE(needed.width(), room.width()) << "caption clipped";
                EXPECT_LE(needed.height(), room.height()) << "caption clipped";
            }
        }
        const QSize client = scaled(QRect(QPoint(), designed_client), scale).size();
        EXPECT_LE(std::abs(form->clientArea()->width() - client.width()), 1);
        EXPECT_LE(std::abs(form->clientArea()->height() - client.height()), 1);
        EXPECT_EQ(form->minimumSize(), form->maximumSize()) << "the window must not be resizable";
        EXPECT_EQ(form->centralWidget()->geometry().top(), form->menuBar()->geometry().bottom() + 1);
    }
};

} // namespace

TEST_F(Layout, TheProgramsStyleDrawsTheFormExactlyAsFusionDoes)
{
    showForm();
    // Twice: the second drawing is from the captions' kept layouts.
    form->grab();
    const QImage programs = form->grab().toImage();
    ASSERT_NE(qobject_cast<runtime::ProgramStyle *>(QApplication::style()), nullptr);
    QApplication::setStyle(QStringLiteral("fusion"));
    const QImage fusions = form->grab().toImage();
    runtime::useProgramStyle();
    EXPECT_EQ(programs, fusions);
}

TEST_F(Layout, AtTheStockFontEveryControlIsAtItsDesignedPlaceToThePixel)
{
    showForm();
    EXPECT_EQ(form->layoutScale(), 1.0) << QApplication::font().toString().toStdString();
    expectAsDesigned(1.0);
    EXPECT_EQ(form->clientArea()->size(), designed_client);
    EXPECT_EQ(form->windowTitle(), "Quellary");
    EXPECT_FALSE(form->windowFlags() & Qt::WindowMaximizeButtonHint);

    // The menu: Help holding About, then Instructions, with no access keys.
    const QList<QAction *> bar = form->menuBar()->actions();
    ASSERT_EQ(bar.size(), 1);
    EXPECT_EQ(bar[0]->text(), "Help");
    ASSERT_NE(bar[0]->menu(), nullptr);
    EXPECT_EQ(bar[0]->menu()->objectName(), "mnuhelp");
    const QList<QAction *> items = bar[0]->menu()->actions();
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items[0]->objectName(), "mnuabout");
    EXPECT_EQ(items[0]->text(), "About");
    EXPECT_EQ(items[1]->objectName(), "mnuinstructions");
    EXPECT_EQ(items[1]->text(), "Instructions");
    for (QPushButton *button : form->findChildren<QPushButton *>()) {
        EXPECT_TRUE(button->shortcut().isEmpty()) << button->objectName().toStdString();
        EXPECT_FALSE(button->isDefault() || button->autoDefault());
    }
}

TEST_F(Layout, TheMessageLineIsArialTwelvePointAndCoversGreek)
{
    const QFont font = control("lblmessage")->font();
    const QFontInfo resolved(font);
    EXPECT_EQ(font.family(), "Arial");
    EXPECT_EQ(resolved.family(), "Liberation Sans") << "install fonts-liberation2";
    EXPECT_EQ(resolved.pointSize(), 12);
    EXPECT_EQ(resolved.weight(), QFont::Normal);
    EXPECT_FALSE(resolved.italic() || resolved.underline() || resolved.strikeOut());
    EXPECT_TRUE(QFontDatabase::writingSystems(resolved.family()).contains(QFontDatabase::Greek));
    // Every other control keeps the desktop's font.
    EXPECT_EQ(control("Label1")->font(), QApplication::font());
    EXPECT_EQ(control("cmdcalculate")->font(), QApplication::font(control("cmdcalculate")));
}

TEST(LargerFont, TheWholeFormScalesByOneFactorAndNothingIsClipped)
{
    const QFont stock = QApplication::font();
    QFont larger = stock;
    larger.setPointSizeF(stock.pointSizeF() * 11 / 9);
    QApplication::setFont(larger);
    struct Scaled : Layout {
        void TestBody() override {}
        void check()
        {
            showForm();
            const double s = form->layoutScale();
            EXPECT_GT(s, 1.1);
            EXPECT_LT(s, 1.4);
            expectAsDesigned(s);
        }
    } scaled;
    scaled.check();
    QApplication::setFont(stock);
}

namespace {

// The desktop's font made `factor` times the stock one while it lives.
class DesktopFont {
public:
    explicit DesktopFont(double factor) : stock_(QApplication::font())
    {
        QFont larger = stock_;
        larger.setPointSizeF(stock_.pointSizeF() * factor);
        QApplication::setFont(larger);
    }
    ~DesktopFont() { QApplication::setFont(stock_); }

private:
    QFont stock_;
};

// Form1 as the program starts it: the welcome box (dismissed at once), then the window.
struct Started : Layout {
    using Layout::click, Layout::clock, Layout::control, Layout::expectAsDesigned, Layout::form;
    void TestBody() override {}
    void start()
    {
        BoxWatcher boxes(Dismiss::Return);
        form->load();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    }
    // The message line's text height over the instruction lines'.
    double messageProportion()
    {
        return double(QFontMetrics(control("lblmessage")->font()).height()) /
               QFontMetrics(control("Label1")->font()).height();
    }
};

} // namespace

TEST(LargerFont, TheMessageLineGrowsWithTheForm)
{
    Started stock;
    stock.start();
    const double designed = stock.messageProportion();

    DesktopFont larger(11.0 / 9);  // GNOME's 11 pt
    Started form;
    form.start();
    const double s = form.form->layoutScale();
    ASSERT_GT(s, 1.1);
    const QFont font = form.control("lblmessage")->font();
    EXPECT_EQ(font.family(), "Arial");
    EXPECT_NEAR(font.pointSizeF(), 12 * s, 0.01);
    EXPECT_EQ(QFontInfo(font).family(), "Liberation Sans");
    // Against the instructions it keeps its designed size, not the smallest text around.
    EXPECT_NEAR(form.messageProportion(), designed, designed * 0.08);

    form.click("cmdcalculate");
    form.clock->advance(5000);
    const auto *message = form.control<QLabel>("lblmessage");
    EXPECT_EQ(message->text(), "DONE! Your card is gone!");
    const QSize text = QFontMetrics(message->font()).size(Qt::TextSingleLine, message->text());
    EXPECT_LE(text.width(), message->contentsRect().width());
    EXPECT_LE(text.height(), message->contentsRect().height());
}

// Qt's offscreen screen is 800 x 800 unless a test run gives it another size. The form
// started at a desktop font `factor` times the stock one must fit the screen's free area,
// as large as it can be up to `wanted`, the scale that font asks for.
void expectFitted(double factor, double wanted)
{
    DesktopFont larger(factor);
    Started form;
    form.start();
    const QScreen *screen = form.form->screen();
    const QRect room = screen->availableGeometry();
    const double ratio = form.form->devicePixelRatioF();
    const double s = form.form->layoutScale();
    SCOPED_TRACE(testing::Message() << "screen " << room.width() << "x" << room.height() << " at " << ratio
                                    << "x, scale " << s);
    EXPECT_LE(s, wanted + 1e-9);
    // Never below one device pixel to each of the design's pixels.
    EXPECT_GE(s * ratio, 1.0 - 1e-9);
    const QSize chrome = form.form->frameGeometry().size() - form.form->clientArea()->size();
    const auto fits = [&](double scale) {
        return std::lround(545 * scale) + chrome.width() <= room.width() &&
               std::lround(355 * scale) + chrome.height() <= room.height();
    };
    if (s * ratio > 1.0 + 1e-9) {
        EXPECT_TRUE(room.contains(form.form->frameGeometry())) << "the window runs off the screen";
    }
    // The largest scale that fits: a little larger would not.
    if (s < wanted - 1e-9) {
        EXPECT_FALSE(fits(s * 1.02)) << "the form could be larger";
    }
    // Every control in its designed place at that scale; no caption clipped, the
    // message line in proportion.
    form.expectAsDesigned(s);
    EXPECT_NEAR(form.control("lblmessage")->font().pointSizeF(), 12 * s, 0.01);
}

TEST(SmallScreen, AtTheStockFontTheFormFitsTheScreen)
{
    expectFitted(1.0, 1.0);
}

TEST(SmallScreen, AFormTooLargeForTheScreenShrinksToFitKeepingItsProportions)
{
    // An 18 pt desktop font wants the form at twice its designed size, more than the
    // test's screens hold.
    expectFitted(2.0, 2.0);
}

TEST_F(Layout, FocusCyclesOverTheVisibleButtonsInTabOrderAndEscapeDoesNothing)
{
    showForm();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    using Names = std::vector<QString>;
    // Where the focus is, then where each press of Tab takes it.
    const auto tabs = [](int presses) {
        Names seen{QApplication::focusWidget()->objectName()};
        for (int i = 0; i < presses; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            seen.push_back(QApplication::focusWidget()->objectName());
        }
        return seen;
    };
    EXPECT_EQ(tabs(2), (Names{"cmdcalculate", "Command2", "cmdcalculate"}));

    QTest::keyClick(form.get(), Qt::Key_Escape);
    EXPECT_FALSE(form->ended());
    EXPECT_TRUE(form->isVisible());

    // Return presses no button; Space presses the focused one.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(message(), QString());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    EXPECT_EQ(message(), "Calculating..... Please wait!");

    clock->advance(5000);
    // The focused button went away; the focus stays on a button the user can see.
    auto *focused = qobject_cast<QPushButton *>(QApplication::focusWidget());
    ASSERT_NE(focused, nullptr);
    EXPECT_TRUE(focused->isVisible());
    control("cmdagain")->setFocus();
    EXPECT_EQ(tabs(3), (Names{"cmdagain", "Command1", "Command2", "cmdagain"}));

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    EXPECT_TRUE(shown("cmdcalculate"));
    control("cmdcalculate")->setFocus();
    EXPECT_EQ(tabs(4), (Names{"cmdcalculate", "cmdagain", "Command1", "Command2", "cmdcalculate"}));
}
