#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What the runtime builds a form from: plain data, no toolkit types. Positions and sizes
// are in twips (1/1440 inch) from the top-left corner of the client area.
namespace runtime {

enum class ControlKind { PushButton, Label, Image, Timer };

// Qt picks a font for each character it draws, falling back where the family lacks one, so
// a font has no character set to ask for.
struct FontDescription {
    std::string_view family;
    int points;
    int weight;  // 400 is regular
};

struct ControlDescription {
    std::string_view name{};
    ControlKind kind{};
    std::string_view caption{};
    int left = 0, top = 0, width = 0, height = 0;
    int tab_index = -1;  // -1: the control has none
    bool visible = true;
    std::optional<FontDescription> font{};  // empty: the desktop's default font
    std::string_view picture{};            // images: the picture's resource name
    std::string accessible_name{};         // images: what a screen reader says
};

struct MenuDescription {
    std::string_view name;
    std::string_view caption;
    std::string_view parent;  // empty for a menu on the menu bar
};

struct WindowDescription {
    std::string_view name;
    std::string_view caption;
    int client_width = 0, client_height = 0;  // twips
    std::string_view icon;                    // resource name of the window icon
    std::vector<MenuDescription> menus;
    std::vector<ControlDescription> controls;
};

// The layout's design density.
inline constexpr int twips_per_pixel = 12;

} // namespace runtime
