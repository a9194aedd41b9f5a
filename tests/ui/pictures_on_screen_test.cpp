#include "runtime/picture_box.h"
#include "tests/support/form_fixture.h"

#include <QApplication>
#include <QImage>
#include <QPixmap>

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

TEST_F(PicturesOnScreen, PicturesTellAScreenReaderWhichCardsTheyShow)
{
    EXPECT_EQ(control("imgcard1")->accessibleName(),
              "Cards: King of hearts, Jack of clubs, King of spades, Queen of diamonds, Queen of clubs, "
              "Jack of diamonds");
    EXPECT_EQ(control("imgcard2")->accessibleName(),
              "Cards: Queen of hearts, King of clubs, Jack of hearts, Queen of spades, King of diamonds");
}

TEST(PicturesScaled, AFormScaledUpForALargerFontDrawsTheDoubleSizePicture)
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
        EXPECT_EQ(first->shownPicture().size(), QSize(876, 208));
        // Drawn to fill the larger box, not cut off or left at its 1x size.
        const QImage shown = onScreen(first);
        EXPECT_EQ(shown.size(), first->size() * form.devicePixelRatioF());
        // The middle of the last card, which a 1x picture drawn unscaled would not reach.
        const QPoint lastCard(shown.width() * 400 / 438, shown.height() / 2);
        EXPECT_NE(shown.pixel(lastCard), QColor(0xfc, 0xfc, 0xfc).rgb());
    }
    QApplication::setFont(stock);
}
