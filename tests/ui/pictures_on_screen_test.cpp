#include "runtime/picture_box.h"
#include "tests/support/form_fixture.h"
#include "tools/spread_painting.h"

#include <QApplication>
#include <QImage>
#include <QPixmap>
#include <QSvgRenderer>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

// What the widget puts on the screen, in device pixels.
QImage onScreen(QWidget *widget)
{
    return widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

QImage picture(const QString &name)
{
    QImage image(QStringLiteral(":/pictures/") + name);
    EXPECT_FALSE(image.isNull()) << name.toStdString();
    return image.convertToFormat(QImage::Format_RGB32);
}

// The spread drawn straight from the card deck, `size` pixels large.
template <std::size_t N>
QImage drawnFromTheDeck(const std::array<trick::Card, N> &spread, QSize design, QSize size)
{
    static QSvgRenderer deck(QStringLiteral(QUELLARY_CARD_DECK));
    EXPECT_TRUE(deck.isValid()) << QUELLARY_CARD_DECK;
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    painter.scale(double(size.width()) / design.width(), double(size.height()) / design.height());
    EXPECT_TRUE(spread_painting::paint_spread(deck, spread, design, painter));
    return image;
}

// How many pixels of two pictures of one size differ by more than `tolerance` in a channel.
int pixelsApart(const QImage &a, const QImage &b, int tolerance)
{
    int apart = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            apart += std::max({std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                               std::abs(qBlue(p) - qBlue(q))}) > tolerance;
        }
    return apart;
}

QSize deviceSize(const QWidget *widget)
{
    const qreal ratio = widget->devicePixelRatioF();
    return QSize(std::lround(widget->width() * ratio), std::lround(widget->height() * ratio));
}

class PicturesOnScreen : public FormFixture {};

} // namespace

TEST_F(PicturesOnScreen, EachBoxShowsExactlyItsPicturesPixels)
{
    showForm();
    const qreal ratio = form->devicePixelRatioF();
    ASSERT_EQ(ratio, qEnvironmentVariableIntValue("QT_SCALE_FACTOR") == 2 ? 2.0 : 1.0);
    const QString size = ratio > 1 ? QStringLiteral("@2x") : QString();

    auto *first = control("imgcard1");
    EXPECT_EQ(onScreen(first), picture("first_spread" + size + ".bmp"));

    click("cmdcalculate");
    clock->advance(5000);
    auto *second = control("imgcard2");
    ASSERT_TRUE(second->isVisible());
    EXPECT_EQ(onScreen(second), picture("second_spread" + size + ".bmp"));

    // At the reveal the row moves 240 twips right and is 70 pixels shorter.
    EXPECT_EQ(second->x() - first->x(), 240 / 12);
    EXPECT_EQ(first->width() - second->width(), 70);
}

// Run at several screen scales. An enlarged picture smears the black outlines over several
// device pixels; drawn afresh at the box's device size they are as sharp as the deck's.
TEST_F(PicturesOnScreen, CardsAreAsSharpAsTheDeckDrawnAtTheBoxsDeviceSize)
{
    showForm();
    auto *first = control("imgcard1");
    const QImage shownFirst = onScreen(first);
    ASSERT_EQ(shownFirst.size(), deviceSize(first));
    EXPECT_EQ(pixelsApart(shownFirst, drawnFromTheDeck(trick::first_spread, {438, 104}, shownFirst.size()), 24), 0)
        << "at " << form->devicePixelRatioF() << "x, scale " << form->layoutScale();

    click("cmdcalculate");
    clock->advance(5000);
    auto *second = control("imgcard2");
    ASSERT_TRUE(second->isVisible());
    const QImage shownSecond = onScreen(second);
    ASSERT_EQ(shownSecond.size(), deviceSize(second));
    EXPECT_EQ(pixelsApart(shownSecond, drawnFromTheDeck(trick::second_spread, {368, 103}, shownSecond.size()), 24), 0)
        << "at " << form->devicePixelRatioF() << "x, scale " << form->layoutScale();
}

TEST_F(PicturesOnScreen, PicturesTellAScreenReaderWhichCardsTheyShow)
{
    EXPECT_EQ(control("imgcard1")->accessibleName(),
              "Cards: King of hearts, Jack of clubs, King of spades, Queen of diamonds, Queen of clubs, "
              "Jack of diamonds");
    EXPECT_EQ(control("imgcard2")->accessibleName(),
              "Cards: Queen of hearts, King of clubs, Jack of hearts, Queen of spades, King of diamonds");
}

TEST(PicturesScaled, AFormScaledUpForALargerFontDrawsTheCardsAtItsSize)
{
    const QFont stock = QApplication::font();
    QFont larger = stock;
    larger.setPointSizeF(stock.pointSizeF() * 11 / 9);
    QApplication::setFont(larger);
    {
        runtime::FormWindow form(ui::form1_description(), ui::form1_events(),
                                 std::make_unique<ManualCountdown>());
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
        ASSERT_GT(form.layoutScale(), 1.0);
        auto *first = form.findChild<runtime::PictureBox *>("imgcard1");
        EXPECT_EQ(first->shownPicture().size(), deviceSize(first));
        // Drawn to fill the larger box, not cut off or left at its 1x size, and as sharp as
        // the deck at that size.
        const QImage shown = onScreen(first);
        EXPECT_EQ(shown.size(), deviceSize(first));
        EXPECT_EQ(pixelsApart(shown, drawnFromTheDeck(trick::first_spread, {438, 104}, shown.size()), 24), 0);
        // The middle of the last card, which a 1x picture drawn unscaled would not reach.
        const QPoint lastCard(shown.width() * 400 / 438, shown.height() / 2);
        EXPECT_NE(shown.pixel(lastCard), QColor(0xfc, 0xfc, 0xfc).rgb());
    }
    QApplication::setFont(stock);
}
