// The card pictures as drawn into the build tree: their BMP headers, layout and colours.
#include "trick/card_spreads.h"

#include <QFile>
#include <QImage>
#include <QtEndian>

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace {

struct Picture {
    const char *file;
    int scale;
    int width, height, bytes_per_row;
    std::vector<trick::Card> cards;
};

const std::vector<Picture> &pictures()
{
    using namespace trick;
    static const std::vector<Picture> all = {
        {"first_spread.bmp", 1, 438, 104, 1316, {first_spread.begin(), first_spread.end()}},
        {"first_spread@2x.bmp", 2, 876, 208, 2628, {first_spread.begin(), first_spread.end()}},
        {"second_spread.bmp", 1, 368, 103, 1104, {second_spread.begin(), second_spread.end()}},
        {"second_spread@2x.bmp", 2, 736, 206, 2208, {second_spread.begin(), second_spread.end()}},
    };
    return all;
}

QString path_of(const char *file) { return QStringLiteral(QUELLARY_ASSETS_DIR "/") + file; }

QImage load(const char *file)
{
    QImage image(path_of(file));
    EXPECT_FALSE(image.isNull()) << file;
    return image;
}

bool near_white(QRgb c) { return qRed(c) >= 0xF0 && qGreen(c) >= 0xF0 && qBlue(c) >= 0xF0; }
bool dark(QRgb c) { return qRed(c) < 80 && qGreen(c) < 80 && qBlue(c) < 80; }
bool red(QRgb c) { return qRed(c) > 180 && qGreen(c) < 100 && qBlue(c) < 100; }

// The 1x layout: cards 71 x 99 at a pitch of 72, the first 2 px in from the top left.
int card_left(int i, int scale) { return (2 + 72 * i) * scale; }

} // namespace

TEST(SpreadPictures, HeadersAreUncompressed24BitBottomUp)
{
    for (const Picture &p : pictures()) {
        SCOPED_TRACE(p.file);
        QFile file(path_of(p.file));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bmp = file.readAll();
        ASSERT_GE(bmp.size(), 54);
        const auto u16 = [&](int at) { return qFromLittleEndian<quint16>(bmp.constData() + at); };
        const auto u32 = [&](int at) { return qFromLittleEndian<quint32>(bmp.constData() + at); };
        const auto i32 = [&](int at) { return qFromLittleEndian<qint32>(bmp.constData() + at); };

        EXPECT_EQ(bmp.left(2), "BM");
        EXPECT_EQ(u32(2), static_cast<quint32>(bmp.size()));
        const quint32 pixels_at = u32(10);
        EXPECT_EQ(u32(14), 40u) << "BITMAPINFOHEADER";
        EXPECT_EQ(i32(18), p.width);
        EXPECT_EQ(i32(22), p.height) << "a positive height: rows stored bottom-up";
        EXPECT_EQ(u16(26), 1);
        EXPECT_EQ(u16(28), 24);
        EXPECT_EQ(u32(30), 0u) << "BI_RGB";
        const quint32 image_size = static_cast<quint32>(p.bytes_per_row * p.height);
        EXPECT_EQ(u32(34), image_size);
        EXPECT_EQ(pixels_at + image_size, static_cast<quint32>(bmp.size()));
        EXPECT_EQ(i32(38), 4730 * p.scale);
        EXPECT_EQ(i32(42), 4720 * p.scale);
    }
}

TEST(SpreadPictures, CardsSitEdgeToEdgeOnANearWhiteBackground)
{
    for (const Picture &p : pictures()) {
        SCOPED_TRACE(p.file);
        const QImage image = load(p.file);
        ASSERT_EQ(image.size(), QSize(p.width, p.height));
        const int s = p.scale;
        const int n = static_cast<int>(p.cards.size());
        // The margins, the strip below the cards and the one-card-pixel gaps between them.
        const auto background = [&](int x, int y) {
            return x < 2 * s || y < 2 * s || y >= 101 * s || x >= card_left(n, s) - s ||
                   (x - 2 * s) % (72 * s) >= 71 * s;
        };
        int wrong = 0;
        for (int y = 0; y < p.height; ++y)
            for (int x = 0; x < p.width; ++x)
                if (background(x, y) && !near_white(image.pixel(x, y)))
                    ++wrong;
        EXPECT_EQ(wrong, 0) << "pixels off-white outside the cards";
        for (int i = 0; i < n; ++i) {
            // Each card's outline starts right where its slot begins.
            EXPECT_TRUE(dark(image.pixel(card_left(i, s), 50 * s))) << "card " << i;
            EXPECT_TRUE(dark(image.pixel(card_left(i, s) + 35 * s, 2 * s))) << "card " << i;
            EXPECT_TRUE(dark(image.pixel(card_left(i, s) + 35 * s, 101 * s - 1))) << "card " << i;
        }
    }
}

TEST(SpreadPictures, CornerIndexesShowTheSuitColour)
{
    for (const Picture &p : pictures()) {
        SCOPED_TRACE(p.file);
        const QImage image = load(p.file);
        const int s = p.scale;
        for (int i = 0; i < static_cast<int>(p.cards.size()); ++i) {
            // The rank letter and the pip under it, left of the face picture.
            int reds = 0, darks = 0;
            for (int y = 4 * s; y < 30 * s; ++y)
                for (int x = card_left(i, s) + 2 * s; x < card_left(i, s) + 11 * s; ++x) {
                    reds += red(image.pixel(x, y));
                    darks += dark(image.pixel(x, y));
                }
            const std::string card = trick::card_name(p.cards[i]);
            if (trick::is_red(p.cards[i].suit)) {
                EXPECT_GT(reds, 40 * s * s) << card;
            } else {
                EXPECT_EQ(reds, 0) << card;
                EXPECT_GT(darks, 40 * s * s) << card;
            }
        }
    }
}
