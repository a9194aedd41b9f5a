#pragma once

#include <array>
#include <string>
#include <string_view>

// The two pictures the trick rests on. The second holds none of the first's cards, only
// same-rank, same-colour look-alikes of five of them, so whichever card was chosen is gone.
// The renderer, the pictures' spoken descriptions and the tests all read these lists.
namespace trick {

enum class Rank { Jack, Queen, King };
enum class Suit { Clubs, Diamonds, Hearts, Spades };

struct Card {
    Rank rank;
    Suit suit;
    bool operator==(const Card &) const = default;
};

inline constexpr std::array<Card, 6> first_spread = {{
    {Rank::King, Suit::Hearts},
    {Rank::Jack, Suit::Clubs},
    {Rank::King, Suit::Spades},
    {Rank::Queen, Suit::Diamonds},
    {Rank::Queen, Suit::Clubs},
    {Rank::Jack, Suit::Diamonds},
}};

inline constexpr std::array<Card, 5> second_spread = {{
    {Rank::Queen, Suit::Hearts},
    {Rank::King, Suit::Clubs},
    {Rank::Jack, Suit::Hearts},
    {Rank::Queen, Suit::Spades},
    {Rank::King, Suit::Diamonds},
}};

bool is_red(Suit suit);
// "King of hearts"
std::string card_name(Card card);
// "King of hearts, Jack of clubs, ..."
template <std::size_t N> std::string spread_description(const std::array<Card, N> &spread)
{
    std::string text;
    for (const Card &card : spread) {
        if (!text.empty())
            text += ", ";
        text += card_name(card);
    }
    return text;
}

} // namespace trick
