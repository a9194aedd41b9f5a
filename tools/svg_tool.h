#pragma once

// What the build-time renderers share: they take an SVG and a place to write, and draw
// without an application object, so they run on any build machine.

#include <QString>
#include <QSvgRenderer>

#include <cstdio>

namespace tools {

// Checks the command line (SOURCE OUTPUT, as `usage` names them), reads the SVG and hands it
// and the output to `render`, which says what went wrong itself. Returns main's status: 2
// for a wrong command line, 1 when the SVG cannot be read or rendering fails.
template <typename Render>
int render_svg(int argc, char **argv, const char *usage, const char *what, Render render)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s %s\n", argv[0], usage);
        return 2;
    }
    // The sources are paths (and the deck's embedded images), no text: nothing needs fonts
    // or a display.
    QSvgRenderer svg(QString::fromLocal8Bit(argv[1]));
    if (!svg.isValid()) {
        std::fprintf(stderr, "cannot read %s %s\n", what, argv[1]);
        return 1;
    }
    return render(svg, QString::fromLocal8Bit(argv[2])) ? 0 : 1;
}

} // namespace tools
