#include "runtime/picture_box.h"
#include "tests/support/window.h"
#include "tools/spread_painting.h"

#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QStyle>
#include <QStyleFactory>
#include <QStyleOptionButton>
#include <QSvgRenderer>

#include <cmath>
#include <iomanip>
#include <sstream>

namespace {

std::string box(const QRectF &r)
{
    std::ostringstream out;
    out << std::setprecision(4) << r.x() << "," << r.y() << " " << r.width() << "x" << r.height();
    return out.str();
}

// What the window shows of a control: its caption, or the words a picture is spoken by.
std::string shownText(const QWidget *control)
{
    if (const auto *button = qobject_cast<const QPushButton *>(control))
        return button->text().toStdString();
    if (const auto *label = qobject_cast<const QLabel *>(control))
        return label->text().toStdString();
    return control->accessibleName().toStdString();
}

// Every control where the table puts it, each edge at most `slack` pixels off: the client
// area is 6540 x 4260 twips at any size.
void expectDesignedPlaces(const QWidget *client, int slack)
{
    const double pixels = client->width() / design()["client"][0].toDouble();  // a twip's
    EXPECT_LE(std::abs(client->height() - design()["client"][1].toDouble() * pixels), 1)
        << "the client area " << client->width() << "x" << client->height() << " is not 6540 x 4260 twips";
    for (const QJsonValue c : design()["controls"].toArray()) {
        const std::string name = text(c["name"]);
        const QWidget *control = client->findChild<QWidget *>(c["name"].toString());
        ASSERT_TRUE(control) << name << " is missing";
        const QRectF twips(c["left"].toInt(), c["top"].toInt(), c["width"].toInt(), c["height"].toInt());
        const QRectF want(twips.topLeft() * pixels, twips.size() * pixels);
        const QRectF got = control->geometry();
        const double off = std::max({std::abs(got.left() - want.left()), std::abs(got.top() - want.top()),
                                     std::abs(got.right() - want.right()), std::abs(got.bottom() - want.bottom())});
        EXPECT_LE(off, slack) << name << " is at " << box(got) << " px; the design's " << box(twips)
                              << " twips are " << box(want) << " px here";
    }
}

// What a person would see wrong in the form as drawn: a caption clipped, two controls on top
// of one another, or a control beyond the client area. A label shows only its text.
std::string faults(const QWidget *client)
{
    std::ostringstream said;
    if (!client->parentWidget()->rect().contains(client->geometry()))
        said << "the client area " << box(client->geometry()) << " is not all in the window; ";
    std::vector<std::pair<std::string, QRect>> seen;
    for (QWidget *control : client->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (!control->isVisible())
            continue;
        const std::string name = control->objectName().toStdString();
        if (!client->rect().contains(control->geometry()))
            said << name << " at " << box(control->geometry()) << " is outside the client area "
                 << client->width() << "x" << client->height() << "; ";
        QRect drawn = control->geometry();
        QSize needs, room;
        if (const auto *label = qobject_cast<const QLabel *>(control)) {
            needs = label->fontMetrics().size(Qt::TextSingleLine, label->text());
            room = label->contentsRect().size();
            drawn = label->text().isEmpty() ? QRect()
                  : QStyle::alignedRect(Qt::LeftToRight, label->alignment(), needs, label->contentsRect())
                        .translated(label->pos());
        } else if (const auto *button = qobject_cast<const QPushButton *>(control)) {
            QStyleOptionButton option;
            option.initFrom(button);
            needs = button->fontMetrics().size(Qt::TextSingleLine, button->text());
            room = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button).size();
        }
        if (needs.width() > room.width() || needs.height() > room.height())
            said << name << "'s caption needs " << needs.width() << "x" << needs.height() << " px and has "
                 << room.width() << "x" << room.height() << "; ";
        for (const auto &[other, rect] : seen)
            if (drawn.intersects(rect))
                said << name << " and " << other << " overlap in " << box(drawn & rect) << "; ";
        seen.emplace_back(name, drawn);
    }
    return said.str();
}

// The colours of the cards a picture shows, left to right, told from the rank and pip in each
// card's corner. The design puts the cards 72 of its pixels apart from 2 in, on near-white.
std::string cardColours(const QImage &picture, double scale)
{
    const auto dark = [](QRgb c) { return qRed(c) < 80 && qGreen(c) < 80 && qBlue(c) < 80; };
    const auto red = [](QRgb c) { return qRed(c) > 180 && qGreen(c) < 100 && qBlue(c) < 100; };
    std::string seen;
    for (int card = 0;; ++card) {
        const int left = int(std::lround((2 + 72 * card) * scale));
        bool outline = false;  // half way down the card's left edge
        for (int x = std::max(0, left - 1); x <= left + 1 && x < picture.width(); ++x)
            outline = outline || dark(picture.pixel(x, int(50 * scale)));
        if (!outline)
            return seen;
        int reds = 0, darks = 0;
        for (int y = int(4 * scale); y < 30 * scale; ++y)
            for (int x = left + int(2 * scale); x < left + 11 * scale; ++x) {
                reds += red(picture.pixel(x, y));
                darks += dark(picture.pixel(x, y));
            }
        const double enough = 40 * scale * scale;
        seen += reds > enough ? "red " : darks > enough && reds == 0 ? "black " : "blank ";
    }
}

QJsonValue designedControl(const char *name)
{
    for (const QJsonValue c : design()["controls"].toArray())
        if (c["name"] == QLatin1String(name))
            return c;
    return {};
}

// The colours the design's words for a picture name: "Cards: King of hearts, ...".
std::string designedColours(const char *picture)
{
    std::string colours;
    for (const QString &card : designedControl(picture)["spoken"].toString().split(QLatin1Char(',')))
        colours += card.contains(QLatin1String("hearts")) || card.contains(QLatin1String("diamonds")) ? "red " : "black ";
    return colours;
}

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

// The form as a person sees it, at its size now: in the second cycle's countdown, when every
// control but the second spread is shown, and revealed. Call it once the trick was revealed.
class Layout : public Window {
protected:
    void expectWhatAPersonSees(const char *where)
    {
        click("cmdagain");
        click("cmdcalculate");
        EXPECT_EQ(faults(form->clientArea()), "") << where << ", counting down";
        expectCards("imgcard1");
        clock->advance(5000);
        EXPECT_EQ(faults(form->clientArea()), "") << where << ", revealed";
        expectCards("imgcard2");
    }
    // The cards shown once the picture is drawn at the box's size.
    void expectCards(const char *picture)
    {
        auto *cards = control<runtime::PictureBox>(picture);
        cards->update();
        QTRY_COMPARE(cards->shownPicture().size(), cards->deviceSize());
        const QImage shown = cards->grab().toImage();
        EXPECT_EQ(cardColours(shown, shown.width() / (designedControl(picture)["width"].toDouble() / 12)),
                  designedColours(picture)) << picture << " at " << shown.width() << "x" << shown.height() << " px";
    }
};
using Words = Window;
using Trick = Window;
using Boxes = Window;

TEST_F(Words, TheWindowSaysExactlyWhatTheDesignSays)
{
    load();
    EXPECT_EQ(form->windowTitle().toStdString(), text(design()["caption"]));
    std::string menus, designedMenus;
    for (const QAction *menu : form->menuBar()->actions())
        for (const QAction *item : menu->menu()->actions())
            menus += menu->text().toStdString() + " > " + item->text().toStdString() + "; ";
    for (const QJsonValue menu : design()["menus"].toArray())
        for (const QJsonValue item : menu["items"].toArray())
            designedMenus += text(menu["caption"]) + " > " + text(item["caption"]) + "; ";
    EXPECT_EQ(menus, designedMenus);
    for (const QJsonValue c : design()["controls"].toArray()) {
        const std::string name = text(c["name"]);
        const QWidget *shown = control(name.c_str());
        ASSERT_TRUE(shown) << name << " is missing";
        const std::string says = shownText(shown), designedWords = text(c[c["spoken"].isUndefined() ? "caption" : "spoken"]);
        EXPECT_EQ(says, designedWords) << name;
        EXPECT_EQ(shown->isVisible(), c["visible"].toBool()) << name << " shown at start";
    }

    click("cmdcalculate");
    EXPECT_EQ(shownText(control("lblmessage")), designed("messages", "calculating"));
    clock->advance(5000);
    EXPECT_EQ(shownText(control("lblmessage")), designed("messages", "done"));
}

TEST_F(Trick, TheRevealReachesTheRealControlsEvenBehindABox)
{
    load();
    EXPECT_EQ(form->focusWidget(), control("cmdcalculate"));
    click("cmdcalculate");
    BoxWatcher about(Qt::Key_Return, [this] { clock->advance(5000); });
    form->findChild<QAction *>("mnuabout")->trigger();
    ASSERT_EQ(about.seen.size(), 1u);
    EXPECT_TRUE(!shown("imgcard1") && shown("imgcard2") && !shown("cmdcalculate") && shown("cmdagain") &&
                shown("Command1"));
    EXPECT_EQ(form->focusWidget(), control("cmdagain"));
    EXPECT_EQ(clock->due, -1);
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
        const std::string title = box.title.toStdString(), says = box.text.toStdString();
        EXPECT_EQ(title, designed("boxes", "title"));
        EXPECT_EQ(says, designed("boxes", "welcome"));
        EXPECT_EQ(box.buttons, 1);
        EXPECT_FALSE(box.icon);
        EXPECT_FALSE(box.windowShown) << "the window is up before the welcome box is dismissed";
        EXPECT_TRUE(window.isVisible()) << key;
    }
}

TEST_F(Boxes, TheHelpAndTheAnswerSayTheDesignsWordsOnlyAndLeaveTheTrickAsItWas)
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
        const char *which = *item ? item + 3 : "answer";  // mnuabout: the "about" box
        const std::string title = box.seen[0].title.toStdString(), says = box.seen[0].text.toStdString();
        EXPECT_EQ(title, designed("boxes", "title")) << which;
        EXPECT_EQ(says, designed("boxes", which)) << which;
        EXPECT_EQ(box.seen[0].buttons, 1);
        EXPECT_FALSE(box.seen[0].icon || box.seen[0].buttonPicture) << item;
        EXPECT_TRUE(shown("imgcard2") && shown("cmdagain") && shown("Command1") && !shown("cmdcalculate"));
        EXPECT_EQ(shownText(control("lblmessage")), designed("messages", "done"));
    }
}

TEST_F(Layout, AtTheStockFontEveryControlIsWhereTheDesignPutsIt)
{
    load();
    EXPECT_EQ(form->layoutScale(), 1.0);
    expectDesignedPlaces(form->clientArea(), 0);
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

    click("cmdcalculate");
    clock->advance(5000);
    expectWhatAPersonSees("at its own size");
}

TEST_F(Layout, AnyWindowSizeGrowsTheWholeFormByOneFactorInItsMiddle)
{
    load();
    click("cmdcalculate");
    clock->advance(5000);
    const QSize own = form->size();
    QWidget *stage = form->centralWidget();
    const int menu = own.height() - stage->height();
    // Large, exactly twice the design's size (its 2x pictures), and maximised.
    for (const QSize size : {QSize(1031, 677), QSize(1090, 710 + menu), QSize()}) {
        const QSize before = form->size();
        size.isValid() ? form->resize(size) : form->showMaximized();
        QTRY_VERIFY(size.isValid() ? form->size() == size : form->size() != before);
        const std::string where = size.isValid() ? "at " + box(form->geometry()) : "maximised at " + box(form->geometry());
        const double s = std::min(stage->width() / 545.0, stage->height() / 355.0);
        EXPECT_NEAR(form->layoutScale(), s, 0.01) << where;
        const QRect client = form->clientArea()->geometry();
        EXPECT_LE((client.center() - stage->rect().center()).manhattanLength(), 2) << where;
        expectDesignedPlaces(form->clientArea(), 1);
        // Every font by the same factor.
        EXPECT_NEAR(control("lblmessage")->font().pointSizeF(), 12 * s, 0.05) << where;
        EXPECT_NEAR(control("Label1")->font().pointSizeF() / QApplication::font().pointSizeF(), s, 0.05 * s) << where;
        expectWhatAPersonSees(where.c_str());
    }
    // Drawn afresh at the box's device size, as sharp as the deck's own drawing.
    form->showNormal();
    form->resize(1031, 677);
    auto *cards = control<runtime::PictureBox>("imgcard2");
    cards->update();
    QTRY_COMPARE(cards->shownPicture().size(), cards->deviceSize());
    EXPECT_EQ(apart(cards->grab().toImage().convertToFormat(QImage::Format_RGB32),
                    fromTheDeck(trick::second_spread, {368, 103}, cards->deviceSize())), 0);

    // Back at its own size, the very pixels it opened with.
    form->resize(own);
    EXPECT_EQ(form->layoutScale(), 1.0);
    expectDesignedPlaces(form->clientArea(), 0);
    // Never smaller than designed: the window manager is told so.
    EXPECT_EQ(stage->minimumSize(), QSize(545, 355));
}

namespace {
// The desktop's font half as large again as the stock one, while a test lasts.
struct LargerDesktopFont {
    const QFont stock = QApplication::font();
    LargerDesktopFont()
    {
        QFont larger = stock;
        larger.setPointSizeF(stock.pointSizeF() * 14 / 9);
        QApplication::setFont(larger);
    }
    ~LargerDesktopFont() { QApplication::setFont(stock); }
};
} // namespace

class LargerFont : LargerDesktopFont, public Layout {};

TEST_F(LargerFont, TheFormGrowsUntilEveryCaptionFitsAndTheMessageWithIt)
{
    load();
    const double s = form->layoutScale();
    EXPECT_GT(s, 1.3);
    EXPECT_NEAR(control("lblmessage")->font().pointSizeF(), 12 * s, 0.01);
    expectDesignedPlaces(form->clientArea(), 1);
    click("cmdcalculate");
    clock->advance(5000);
    expectWhatAPersonSees("at a larger desktop font");
}
