// Draws the trick's two spreads of court cards from the card deck's vector art into the
// 24-bit BMPs the form shows, once at the form's design density and once at twice that,
// and into one small SVG per spread holding just its cards, from which the form draws
// them at any other size.
//
// usage: quellary_render_spreads DECK.svgz OUTPUT_FOLDER

#include "trick/card_spreads.h"

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QSvgGenerator>
#include <QSvgRenderer>

#include <array>
#include <cstdio>

namespace {

// The layout at 1x: cards edge to edge one pixel apart, starting two pixels in. The deck
// draws its cards 71 x 96; the form's pictures have them a little taller.
constexpr QSize card_size{71, 99};
constexpr int card_pitch = 72;
constexpr QPoint first_card{2, 2};
constexpr int dots_per_metre_x = 4730;
constexpr int dots_per_metre_y = 4720;
// Near white, so the cards' white stands out from the picture's own background.
constexpr QRgb background = qRgb(0xFC, 0xFC, 0xFC);

QString element_id(trick::Card card)
{
    static constexpr std::array ranks{"jack", "queen", "king"};
    static constexpr std::array suits{"club", "diamond", "heart", "spade"};
    return QStringLiteral("%1_%2").arg(QLatin1String(ranks[static_cast<int>(card.rank)]),
                                       QLatin1String(suits[static_cast<int>(card.suit)]));
}

// Paints the spread's picture, picture_size large at the design density, on `painter`.
template <std::size_t N>
bool paint_spread(QSvgRenderer &deck, const std::array<trick::Card, N> &spread, QSize picture_size,
                  QPainter &painter)
{
    painter.fillRect(QRect(QPoint(), picture_size), QColor::fromRgb(background));
    for (std::size_t i = 0; i < N; ++i) {
        const QString id = element_id(spread[i]);
        if (!deck.elementExists(id)) {
            std::fprintf(stderr, "the card deck has no element \"%s\"\n", qPrintable(id));
            return false;
        }
        const QPoint top_left = first_card + QPoint(static_cast<int>(i) * card_pitch, 0);
        deck.render(&painter, id, QRectF(top_left, card_size));
    }
    return true;
}

// picture_size is the 1x size: the form's frames leave uneven margins right and below.
template <std::size_t N>
bool render_spread(QSvgRenderer &deck, const std::array<trick::Card, N> &spread,
                   QSize picture_size, int scale, const QString &path)
{
    QImage image(picture_size * scale, QImage::Format_RGB32);
    image.setDotsPerMeterX(dots_per_metre_x * scale);
    image.setDotsPerMeterY(dots_per_metre_y * scale);

    QPainter painter(&image);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    painter.scale(scale, scale);
    const bool painted = paint_spread(deck, spread, picture_size, painter);
    painter.end();
    if (!painted)
        return false;

    if (!image.save(path, "BMP")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

// The same picture as vector art: only the cards it shows, about 40 kB of paths and the
// deck's small face images, instead of the 2 MB deck.
template <std::size_t N>
bool write_spread_svg(QSvgRenderer &deck, const std::array<trick::Card, N> &spread,
                      QSize picture_size, const QString &path)
{
    QSvgGenerator generator;
    generator.setFileName(path);
    generator.setSize(picture_size);
    generator.setViewBox(QRect(QPoint(), picture_size));
    generator.setResolution(qRound(dots_per_metre_x * 0.0254));
    QPainter painter;
    if (!painter.begin(&generator)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    const bool painted = paint_spread(deck, spread, picture_size, painter);
    return painter.end() && painted;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s DECK.svgz OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    // No application object: the deck's cards are paths and embedded images, no text, so
    // nothing needs fonts or a display and the tool runs on any build machine.
    QSvgRenderer deck(QString::fromLocal8Bit(argv[1]));
    if (!deck.isValid()) {
        std::fprintf(stderr, "cannot read the card deck %s\n", argv[1]);
        return 1;
    }
    const QDir out(QString::fromLocal8Bit(argv[2]));

    bool ok = true;
    for (int scale : {1, 2}) {
        const QString suffix = scale == 1 ? QStringLiteral(".bmp") : QStringLiteral("@2x.bmp");
        ok = render_spread(deck, trick::first_spread, {438, 104}, scale,
                           out.filePath("first_spread" + suffix)) && ok;
        ok = render_spread(deck, trick::second_spread, {368, 103}, scale,
                           out.filePath("second_spread" + suffix)) && ok;
    }
    ok = write_spread_svg(deck, trick::first_spread, {438, 104}, out.filePath("first_spread.svg")) && ok;
    ok = write_spread_svg(deck, trick::second_spread, {368, 103}, out.filePath("second_spread.svg")) && ok;
    return ok ? 0 : 1;
}
