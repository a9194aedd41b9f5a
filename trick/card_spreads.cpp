#include "trick/card_spreads.h"

namespace trick {

bool is_red(Suit suit)
{
    return suit == Suit::Hearts || suit == Suit::Diamonds;
}

std::string card_name(Card card)
{
    static constexpr std::string_view ranks[] = {"Jack", "Queen", "King"};
    static constexpr std::string_view suits[] = {"clubs", "diamonds", "hearts", "spades"};
    std::string name{ranks[static_cast<int>(card.rank)]};
    name += " of ";
    name += suits[static_cast<int>(card.suit)];
    return name;
}

} // namespace trick
