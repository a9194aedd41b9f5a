#pragma once

// How a spread of cards is drawn from the card deck: by the build-time renderer, and by
// the tests that check the program's pictures against a drawing of their own.

#include "trick/card_spreads.h"

#include <QPainter>
#include <QSvgRenderer>

#include <array>
#include <cstdio>

namespace spread_painting {

// The layout at 1x: cards edge to edge one pixel apart, starting two pixels in. The deck
// draws its cards 71 x 96; the form's pictures have them a little taller.
constexpr QSize card_size{71, 99};
constexpr int card_pitch = 72;
constexpr QPoint first_card{2, 2};
// Near white, so the cards' white stands out from the picture's own background.
constexpr QRgb background = qRgb(0xFC, 0xFC, 0xFC);

inline QString element_id(trick::Card card)
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

} // namespace spread_painting
