// The window icon as the program carries it.
#include <QImage>
#include <QSet>

#include <gtest/gtest.h>

TEST(EmbeddedAssets, IconIsAShadedBoltInSixteenColours)
{
    const QImage icon = QImage(":/icons/quellary.png").convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(icon.size(), QSize(32, 32));
    for (const QPoint corner : {QPoint(0, 0), QPoint(31, 0), QPoint(0, 31), QPoint(31, 31)})
        EXPECT_EQ(qAlpha(icon.pixel(corner)), 0);

    const QRgb yellow = qRgb(0xFF, 0xFF, 0x00), olive = qRgb(0x80, 0x80, 0x00);
    QSet<QRgb> colours;
    // Sums of x, of x + y (towards the lower right) and counts, per kind of pixel.
    double top_x = 0, bottom_x = 0, yellow_diagonal = 0, olive_diagonal = 0;
    int top = 0, bottom = 0, yellows = 0, olives = 0, blacks = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const QRgb c = icon.pixel(x, y);
            colours.insert(c);
            if (qAlpha(c) == 0)
                continue;
            if (y < 11) { top_x += x; ++top; }
            if (y > 21) { bottom_x += x; ++bottom; }
            if (c == yellow) { yellow_diagonal += x + y; ++yellows; }
            if (c == olive) { olive_diagonal += x + y; ++olives; }
            blacks += c == qRgb(0, 0, 0);
        }
    EXPECT_LE(colours.size(), 16);
    EXPECT_GT(yellows, 50);
    EXPECT_GT(blacks, 30);
    ASSERT_GT(olives, 45) << "a shaded band, more than the outline's inner edge";
    ASSERT_TRUE(top > 0 && bottom > 0);
    EXPECT_GT(top_x / top, bottom_x / bottom + 8) << "runs from the upper right to the lower left";
    EXPECT_GT(olive_diagonal / olives, yellow_diagonal / yellows) << "shade on the lower edge";
}
