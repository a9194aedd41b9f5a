#pragma once

#include <string>
#include <string_view>

// What the message boxes say.
namespace ui::texts {

inline constexpr std::string_view welcome = "Welcome to Velado's 'Quellary' program!";

inline constexpr std::string_view instructions =
    "Hey that's very easy. First select a card from the list and click the button "
    "'Calculate my thoughts' Then the card you have selected will be disapeared!";

inline constexpr std::string_view answer =
    "There was no mind reading at all. Look again at the two pictures: not one of the six "
    "cards you chose from is among the five that came back.\n\n"
    "Each new card only looks like an old one: the same rank and the same colour, with the "
    "suit swapped. The King of hearts came back as the King of diamonds, the Queen of clubs "
    "as the Queen of spades, and so on, and the Jack of clubs did not come back at all.\n\n"
    "So whichever card you picked, it is gone. Try it on a friend!";

inline constexpr std::string_view author_email = "velado@example.com";

// Product name and version, who made it, and how to reach the author.
std::string about();

} // namespace ui::texts
