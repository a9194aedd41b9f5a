// Renders the window icon's SVG to a 32 x 32 PNG in the 16 colours of the VGA palette, so
// the icon stays crisp at the size it was drawn for; given a SIZE, to a SIZE x SIZE PNG in
// full colour, for the other sizes desktops show an application's icon at.
//
// usage: quellary_render_icon ICON.svg OUTPUT.png [SIZE]

#include "tools/svg_tool.h"

#include <QImage>
#include <QList>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr int icon_size = 32;
constexpr int max_colours = 16;

QList<QRgb> vga_palette_and_transparent()
{
    return {
        qRgba(0, 0, 0, 0),
        qRgb(0x00, 0x00, 0x00), qRgb(0x80, 0x00, 0x00), qRgb(0x00, 0x80, 0x00),
        qRgb(0x80, 0x80, 0x00), qRgb(0x00, 0x00, 0x80), qRgb(0x80, 0x00, 0x80),
        qRgb(0x00, 0x80, 0x80), qRgb(0xC0, 0xC0, 0xC0), qRgb(0x80, 0x80, 0x80),
        qRgb(0xFF, 0x00, 0x00), qRgb(0x00, 0xFF, 0x00), qRgb(0xFF, 0xFF, 0x00),
        qRgb(0x00, 0x00, 0xFF), qRgb(0xFF, 0x00, 0xFF), qRgb(0x00, 0xFF, 0xFF),
        qRgb(0xFF, 0xFF, 0xFF),
    };
}

// An icon pixel is either fully there or not: half-covered edge pixels would otherwise be
// matched to a colour by their alpha as much as by their hue.
void threshold_alpha(QImage &image)
{
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            line[x] = qAlpha(line[x]) < 128 ? qRgba(0, 0, 0, 0) : (line[x] | 0xFF000000u);
    }
}

// Keeps only the palette entries in use, so the PNG's palette has no more than the icon shows.
QImage drop_unused_colours(const QImage &indexed)
{
    QList<int> remap(indexed.colorCount(), -1);
    QList<QRgb> used;
    QImage compact(indexed.size(), QImage::Format_Indexed8);
    for (int y = 0; y < indexed.height(); ++y) {
        const uchar *from = indexed.constScanLine(y);
        uchar *to = compact.scanLine(y);
        for (int x = 0; x < indexed.width(); ++x) {
            int &entry = remap[from[x]];
            if (entry < 0) {
                entry = static_cast<int>(used.size());
                used.append(indexed.color(from[x]));
            }
            to[x] = static_cast<uchar>(entry);
        }
    }
    compact.setColorTable(used);
    return compact;
}

QImage draw(QSvgRenderer &svg, int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    svg.render(&painter, QRectF(0, 0, size, size));
    painter.end();
    return image;
}

// Renders the icon to `output`, at `size` in full colour or, for size 0, as the 32 x 32
// window icon in 16 colours; or says why it cannot.
bool render_icon(QSvgRenderer &svg, const QString &output, int size)
{
    QImage icon = draw(svg, size > 0 ? size : icon_size);
    if (size == 0) {
        icon.convertTo(QImage::Format_ARGB32);
        threshold_alpha(icon);
        icon = drop_unused_colours(
            icon.convertToFormat(QImage::Format_Indexed8, vga_palette_and_transparent()));
        if (icon.colorCount() > max_colours) {
            std::fprintf(stderr, "the icon uses %d colours, more than %d\n", icon.colorCount(),
                         max_colours);
            return false;
        }
    }
    if (!icon.save(output, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(output));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    int size = 0;
    if (argc == 4) {
        size = std::atoi(argv[3]);
        if (size < 1 || size > 1024) {
            std::fprintf(stderr, "%s: SIZE is 1 to 1024 pixels, not %s\n", argv[0], argv[3]);
            return 2;
        }
        argc = 3;
    }
    return tools::render_svg(argc, argv, "ICON.svg OUTPUT.png [SIZE]", "the icon",
                             [size](QSvgRenderer &svg, const QString &output) {
                                 return render_icon(svg, output, size);
                             });
}
