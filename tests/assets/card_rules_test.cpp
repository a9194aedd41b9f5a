// The rules the two spreads must keep for the trick to work, checked on the lists the
// pictures are drawn from.
#include "trick/card_spreads.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using namespace trick;

namespace {

Suit same_colour_partner(Suit suit)
{
    switch (suit) {
    case Suit::Hearts: return Suit::Diamonds;
    case Suit::Diamonds: return Suit::Hearts;
    case Suit::Clubs: return Suit::Spades;
    case Suit::Spades: return Suit::Clubs;
    }
    return suit;
}

template <std::size_t N> bool contains(const std::array<Card, N> &spread, Card card)
{
    return std::find(spread.begin(), spread.end(), card) != spread.end();
}

template <std::size_t N> bool all_different(const std::array<Card, N> &spread)
{
    return std::all_of(spread.begin(), spread.end(), [&](const Card &card) {
        return std::count(spread.begin(), spread.end(), card) == 1;
    });
}

} // namespace

TEST(SpreadRules, SecondSpreadHoldsOnlyLookAlikesOfTheFirst)
{
    // Rank only has court ranks and the spreads' types fix their sizes: what is left to
    // check is which cards they hold.
    EXPECT_TRUE(all_different(first_spread));
    EXPECT_TRUE(all_different(second_spread)) << "two cards share a counterpart";

    std::vector<std::size_t> counterpart_places;
    for (const Card &card : second_spread) {
        EXPECT_FALSE(contains(first_spread, card)) << card_name(card) << " is in both spreads";
        const auto look_alikes = std::count_if(first_spread.begin(), first_spread.end(),
            [&](const Card &f) { return f.rank == card.rank && is_red(f.suit) == is_red(card.suit); });
        EXPECT_EQ(look_alikes, 1) << card_name(card);
        const Card counterpart{card.rank, same_colour_partner(card.suit)};
        const auto place = std::find(first_spread.begin(), first_spread.end(), counterpart);
        ASSERT_NE(place, first_spread.end()) << card_name(card) << " has no counterpart";
        counterpart_places.push_back(static_cast<std::size_t>(place - first_spread.begin()));
    }

    const Card jack_of_clubs{Rank::Jack, Suit::Clubs};
    EXPECT_TRUE(contains(first_spread, jack_of_clubs));
    EXPECT_FALSE(contains(second_spread, Card{Rank::Jack, Suit::Spades}))
        << "the Jack of clubs must have no counterpart";
    EXPECT_FALSE(std::is_sorted(counterpart_places.begin(), counterpart_places.end()))
        << "the second spread is the first with one card taken out";
}
