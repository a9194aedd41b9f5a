// Draws the trick's two spreads of court cards from the card deck's vector art into the
// 24-bit BMPs the form shows, once at the form's design density and once at twice that
// (and the same as PNGs, a fifth of the size, for the web page), and into one small SVG per
// spread holding just its cards, from which the form draws them at any other size.
//
// usage: quellary_render_spreads DECK.svgz OUTPUT_FOLDER

#include "tools/spread_painting.h"
#include "tools/svg_tool.h"
#include "trick/card_spreads.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QSvgGenerator>
#include <QSvgRenderer>

#include <array>
#include <cstdio>
#include <utility>

namespace {

using namespace spread_painting;

constexpr int dots_per_metre_x = 4730;
constexpr int dots_per_metre_y = 4720;

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

    // Beside the BMP: only the file's own ".bmp" becomes ".png", not one in a folder's name.
    const QString png = path.chopped(4) + QStringLiteral(".png");
    for (const auto &[file, format] : {std::pair{path, "BMP"}, std::pair{png, "PNG"}}) {
        if (!image.save(file, format)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
            return false;
        }
    }
    return true;
}

// The same picture as vector art: only the cards it shows, about 40 kB of paths and the
// deck's small face images, instead of the 2 MB deck.
template <std::size_t N>
bool write_spread_svg(QSvgRenderer &deck, const std::array<trick::Card, N> &spread,
                      QSize picture_size, const QString &path)
{
    QBuffer svg;
    svg.open(QIODevice::WriteOnly);
    QSvgGenerator generator;
    generator.setOutputDevice(&svg);
    generator.setSize(picture_size);
    generator.setViewBox(QRect(QPoint(), picture_size));
    generator.setResolution(qRound(dots_per_metre_x * 0.0254));
    QPainter painter(&generator);
    const bool painted = paint_spread(deck, spread, picture_size, painter);
    painter.end();
    if (!painted)
        return false;

    // The generator gives every group the painter's font, though the cards hold no text;
    // reading those back makes Qt warn about the font on some desktops.
    QString text = QString::fromUtf8(svg.data());
    text.remove(QRegularExpression(QStringLiteral("\\s*font-(family|size|weight|style)=\"[^\"]*\"")));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0 || !file.flush()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

// The two spreads at both densities and as vector art into `folder`.
bool render_spreads(QSvgRenderer &deck, const QString &folder)
{
    const QDir out(folder);
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
    return ok;
}

} // namespace

int main(int argc, char **argv)
{
    return tools::render_svg(argc, argv, "DECK.svgz OUTPUT_FOLDER", "the card deck", render_spreads);
}
