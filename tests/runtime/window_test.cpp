#include "runtime/picture_box.h"
#include "tests/support/window.h"
#include "tools/spread_painting.h"

#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QStyleFactory>
#include <QSvgRenderer>

#include <cmath>

namespace {

// What the design puts at `scale` times 12 twips a pixel, from the window's description.
QRect designed(const char *name, double scale)
{
    for (const runtime::ControlDescription &c : ui::form1_description().controls) {
        if (c.name == name) {
            const auto px = [scale](int twips) { return int(std::lround(twips * scale / 12)); };
            return QRect(QPoint(px(c.left), px(c.top)), QPoint(px(c.left + c.width) - 1, px(c.top + c.height) - 1));
        }
    }
    return {};
}

const char *const drawn[] = {"Command2", "Command1", "cmdagain", "cmdcalculate", "Label6", "Label5", "Label4",
                             "Label3", "Label2", "Label1", "lblmessage", "imgcard2", "imgcard1"};

// The spread drawn straight from the card deck at `size`: what a sharp picture looks like.
template <std::size_t N> QImage fromTheDeck(const std::array<trick::Card, N> &spread, QSize design, QSize size)
{
    static QSvgRenderer deck(QStringLiteral(QUELLARY_CARD_DECK));
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    painter.scale(double(size.width()) / design.width(), double(size.height()) / design.height());
    spread_painting::paint_spread(deck, spread, design, painter);
    return image;
}

// The pixels of two pictures that differ by more than `tolerance` in a channel.
int apart(const QImage &a, const QImage &b, int tolerance = 24)
{
    if (a.size() != b.size())
        return -1;
    int count = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            count += std::max({std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                               std::abs(qBlue(p) - qBlue(q))}) > tolerance;
        }
    return count;
}

} // namespace

using Trick = Window;
using Boxes = Window;
using Layout = Window;

TEST_F(Trick, RunsThroughTheRealControlsOnTheTimersClock)
{
    load();
    EXPECT_EQ(form->focusWidget(), control("cmdcalculate"));
    click("cmdcalculate");
    EXPECT_EQ(control<QLabel>("lblmessage")->text(), "Calculating..... Please wait!");
    clock->advance(4999);
    EXPECT_TRUE(shown("imgcard1") && !shown("cmdagain"));
    clock->advance(1);
    EXPECT_TRUE(!shown("imgcard1") && shown("imgcard2") && !shown("cmdcalculate") && shown("cmdagain") &&
                shown("Command1"));
    EXPECT_EQ(control<QLabel>("lblmessage")->text(), "DONE! Your card is gone!");
    EXPECT_EQ(form->focusWidget(), control("cmdagain"));
    EXPECT_EQ(clock->due, -1);

    // A reveal due while a box is open happens behind it.
    click("cmdagain");
    click("cmdcalculate");
    BoxWatcher about(Qt::Key_Return, [this] { clock->advance(5000); });
    form->findChild<QAction *>("mnuabout")->trigger();
    ASSERT_EQ(about.seen.size(), 1u);
    EXPECT_TRUE(shown("imgcard2") && !shown("cmdcalculate"));
    EXPECT_EQ(form->focusWidget(), control("cmdagain"));
}

TEST_F(Trick, ExitAndTheCloseBoxEndTheProgramWithoutAReveal)
{
    load();
    click("cmdcalculate");
    click("Command2");
    EXPECT_TRUE(form->form().ended());
    EXPECT_EQ(form->form().exit_status(), 0);
    EXPECT_EQ(clock->due, -1);

    runtime::FormWindow other(ui::form1_description(), ui::form1_events(), std::make_unique<ManualCountdown>());
    other.show();
    other.close();
    EXPECT_TRUE(other.form().ended());
}

TEST_F(Boxes, TheWelcomeComesFirstAndTheWindowOnceItIsDismissedAnyWay)
{
    for (const int key : {int(Qt::Key_Return), int(Qt::Key_Escape), 0}) {
        runtime::FormWindow window(ui::form1_description(), ui::form1_events());
        BoxWatcher welcome(key);
        window.load();
        ASSERT_EQ(welcome.seen.size(), 1u) << key;
        const SeenBox &box = welcome.seen[0];
        EXPECT_EQ(box.title, window.windowTitle());
        EXPECT_EQ(box.buttons, 1);
        EXPECT_FALSE(box.icon);
        EXPECT_FALSE(box.windowShown) << "the window is up before the welcome box is dismissed";
        EXPECT_TRUE(window.isVisible()) << key;
    }
}

TEST_F(Boxes, TheHelpAndTheAnswerShowWordsOnlyAndLeaveTheTrickAsItWas)
{
    // Where the desktop asks for pictures on dialog buttons (GNOME's theme), the boxes still
    // show none.
    if (qgetenv("QT_QPA_PLATFORMTHEME") == "gnome") {
        const std::unique_ptr<QStyle> fusion(QStyleFactory::create("fusion"));
        ASSERT_EQ(fusion->styleHint(QStyle::SH_DialogButtonBox_ButtonsHaveIcons), 1);
    }
    load();
    click("cmdcalculate");
    clock->advance(5000);
    for (const char *item : {"mnuabout", "mnuinstructions", ""}) {
        BoxWatcher box;
        if (*item)
            form->findChild<QAction *>(item)->trigger();
        else
            click("Command1");
        ASSERT_EQ(box.seen.size(), 1u) << item;
        EXPECT_EQ(box.seen[0].title, form->windowTitle());
        EXPECT_FALSE(box.seen[0].text.isEmpty());
        EXPECT_FALSE(box.seen[0].buttonPicture) << item;
        EXPECT_TRUE(shown("imgcard2") && shown("cmdagain") && shown("Command1") && !shown("cmdcalculate"));
        EXPECT_EQ(control<QLabel>("lblmessage")->text(), "DONE! Your card is gone!");
    }
}

TEST_F(Boxes, AFailedAssignmentShowsARunTimeErrorAndEndsWithStatus1)
{
    runtime::WindowDescription broken = ui::form1_description();
    std::erase_if(broken.controls, [](const auto &c) { return c.name == "lblmessage"; });
    runtime::FormWindow window(broken, ui::form1_events());
    {
        BoxWatcher welcome;
        window.load();
    }
    BoxWatcher error;
    testing::internal::CaptureStderr();
    QTest::mouseClick(window.clientArea()->findChild<QWidget *>("cmdcalculate"), Qt::LeftButton);
    const std::string said = testing::internal::GetCapturedStderr();
    ASSERT_EQ(error.seen.size(), 1u);
    EXPECT_EQ(said.substr(0, said.find('\n')), error.seen[0].text.toStdString());
    EXPECT_NE(said.find("lblmessage"), std::string::npos) << said;
    EXPECT_TRUE(window.form().ended());
    EXPECT_EQ(window.form().exit_status(), 1);
}

TEST_F(Layout, AtTheStockFontEveryControlIsWhereTheDesignPutsIt)
{
    load();
    EXPECT_EQ(form->layoutScale(), 1.0);
    EXPECT_EQ(form->clientArea()->size(), QSize(545, 355));
    for (const char *name : drawn)
        EXPECT_EQ(control(name)->geometry(), designed(name, 1)) << name;
    const QFont font = control("lblmessage")->font();
    EXPECT_TRUE(font.family() == "Arial" && font.pointSizeF() == 12 && font.weight() == QFont::Normal);
    EXPECT_EQ(control("Label1")->font(), QApplication::font(control("Label1")));
    // Pixel for pixel, the designed pictures.
    EXPECT_EQ(control("imgcard1")->grab().toImage().convertToFormat(QImage::Format_RGB32),
              QImage(":/pictures/first_spread.bmp").convertToFormat(QImage::Format_RGB32));

    // The focus cycles over the shown buttons in tab order; Escape and Return press none.
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    QTest::keyClick(form.get(), Qt::Key_Tab);
    EXPECT_EQ(form->focusWidget(), control("Command2"));
    QTest::keyClick(form.get(), Qt::Key_Tab);
    EXPECT_EQ(form->focusWidget(), control("cmdcalculate"));
    QTest::keyClick(form.get(), Qt::Key_Escape);
    QTest::keyClick(form.get(), Qt::Key_Return);
    EXPECT_TRUE(control<QLabel>("lblmessage")->text().isEmpty());
    EXPECT_FALSE(form->form().ended());
}

TEST_F(Layout, AnyWindowSizeGrowsTheWholeFormByOneFactorInItsMiddle)
{
    load();
    const QSize own = form->size();
    form->resize(1031, 677);
    QWidget *stage = form->centralWidget();
    const double s = std::min(stage->width() / 545.0, stage->height() / 355.0);
    EXPECT_NEAR(form->layoutScale(), s, 0.01);
    const QRect client = form->clientArea()->geometry();
    EXPECT_LE(std::abs(client.center().x() - stage->rect().center().x()), 1);
    EXPECT_LE(std::abs(client.center().y() - stage->rect().center().y()), 1);
    for (const char *name : drawn) {
        const QRect want = designed(name, form->layoutScale()), got = control(name)->geometry();
        EXPECT_LE((want.topLeft() - got.topLeft()).manhattanLength() + std::abs(want.width() - got.width()) +
                      std::abs(want.height() - got.height()), 2) << name;
    }
    // Every font by the same factor, and no caption clipped.
    EXPECT_NEAR(control("lblmessage")->font().pointSizeF(), 12 * s, 0.05);
    EXPECT_NEAR(control("Label1")->font().pointSizeF() / QApplication::font().pointSizeF(), s, 0.05 * s);
    for (const char *name : drawn) {
        auto *label = qobject_cast<QLabel *>(control(name));
        if (label && !label->text().isEmpty()) {
            EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->contentsRect().width()) << name;
        }
    }
    // Once the size has settled, the cards are drawn afresh at the box's device size.
    auto *cards = qobject_cast<runtime::PictureBox *>(control("imgcard1"));
    cards->update();
    QTRY_COMPARE(cards->shownPicture().size(), cards->deviceSize());
    EXPECT_EQ(apart(cards->grab().toImage().convertToFormat(QImage::Format_RGB32),
                    fromTheDeck(trick::first_spread, {438, 104}, cards->deviceSize())), 0);

    // Back at its own size, the very pixels it opened with.
    form->resize(own);
    EXPECT_EQ(form->layoutScale(), 1.0);
    for (const char *name : drawn)
        EXPECT_EQ(control(name)->geometry(), designed(name, 1)) << name;
    // Never smaller than designed: the window manager is told so.
    EXPECT_EQ(stage->minimumSize(), QSize(545, 355));
}

TEST(LargerFont, TheFormGrowsUntilEveryCaptionFitsAndTheMessageWithIt)
{
    const QFont stock = QApplication::font();
    QFont larger = stock;
    larger.setPointSizeF(stock.pointSizeF() * 14 / 9);
    QApplication::setFont(larger);
    {
        runtime::FormWindow window(ui::form1_description(), ui::form1_events(), std::make_unique<ManualCountdown>());
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        const double s = window.layoutScale();
        EXPECT_GT(s, 1.3);
        EXPECT_NEAR(window.clientArea()->findChild<QLabel *>("lblmessage")->font().pointSizeF(), 12 * s, 0.01);
        for (auto *label : window.clientArea()->findChildren<QLabel *>())
            EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->contentsRect().width())
                << label->objectName().toStdString();
        for (auto *button : window.clientArea()->findChildren<QPushButton *>())
            EXPECT_LE(button->fontMetrics().horizontalAdvance(button->text()), button->width() - 8)
                << button->objectName().toStdString();
    }
    QApplication::setFont(stock);
}
