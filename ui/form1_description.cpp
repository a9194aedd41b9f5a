#include "ui/form1_description.h"

#include "trick/card_spreads.h"

namespace ui {

using runtime::ControlKind;

const runtime::WindowDescription &form1_description()
{
    // The message line's font: Arial, regular, for Greek as well as Latin text. Arial
    // resolves to its metric twin Liberation Sans on Linux, which covers Greek.
    static constexpr runtime::FontDescription message_font{"Arial", 12, 400};

    static const runtime::WindowDescription form1{
        .name = "Form1",
        .caption = "Quellary",
        .client_width = 6540,
        .client_height = 4260,
        .icon = "quellary",
        .menus = {
            {"mnuhelp", "Help", ""},
            {"mnuabout", "About", "mnuhelp"},
            {"mnuinstructions", "Instructions", "mnuhelp"},
        },
        // In the order the window lists them; tab indexes set the focus order.
        .controls = {
            {.name = "Command2", .kind = ControlKind::PushButton, .caption = "Exit",
             .left = 4920, .top = 3480, .width = 1092, .height = 492, .tab_index = 10},
            {.name = "Command1", .kind = ControlKind::PushButton,
             .caption = "The Answer to the problem",
             .left = 2400, .top = 3480, .width = 2292, .height = 492, .tab_index = 9,
             .visible = false},
            {.name = "cmdagain", .kind = ControlKind::PushButton, .caption = "One more time please",
             .left = 120, .top = 3480, .width = 1932, .height = 372, .tab_index = 8,
             .visible = false},
            {.name = "Timer1", .kind = ControlKind::Timer, .visible = false},
            {.name = "cmdcalculate", .kind = ControlKind::PushButton,
             .caption = "Calculate my thoughts",
             .left = 240, .top = 2760, .width = 1692, .height = 492, .tab_index = 0},
            {.name = "Label6", .kind = ControlKind::Label, .caption = "disapeared from the list.",
             .left = 720, .top = 2520, .width = 2052, .height = 252, .tab_index = 7},
            {.name = "Label5", .kind = ControlKind::Label,
             .caption = "And mysteriously your selected card will be ",
             .left = 240, .top = 2280, .width = 3252, .height = 252, .tab_index = 6},
            {.name = "Label4", .kind = ControlKind::Label,
             .caption = "thoughts, it will display the message \"DONE\"",
             .left = 240, .top = 2040, .width = 3252, .height = 252, .tab_index = 5},
            {.name = "Label3", .kind = ControlKind::Label,
             .caption = "3. When the program finishes calculating your",
             .left = 120, .top = 1800, .width = 3492, .height = 252, .tab_index = 4},
            {.name = "Label2", .kind = ControlKind::Label,
             .caption = "2. Then click the button \"Calculate my thoughts\"",
             .left = 120, .top = 1560, .width = 3612, .height = 252, .tab_index = 3},
            {.name = "Label1", .kind = ControlKind::Label,
             .caption = "1. Select a card from the list above in your brain",
             .left = 120, .top = 1320, .width = 3612, .height = 252, .tab_index = 2},
            {.name = "lblmessage", .kind = ControlKind::Label, .caption = "",
             .left = 2040, .top = 2880, .width = 3132, .height = 372, .tab_index = 1,
             .font = message_font},
            {.name = "imgcard2", .kind = ControlKind::Image,
             .left = 960, .top = 0, .width = 4416, .height = 1236, .visible = false,
             .picture = "second_spread",
             .accessible_name = "Cards: " + trick::spread_description(trick::second_spread)},
            {.name = "imgcard1", .kind = ControlKind::Image,
             .left = 720, .top = 0, .width = 5256, .height = 1248,
             .picture = "first_spread",
             .accessible_name = "Cards: " + trick::spread_description(trick::first_spread)},
        },
    };
    return form1;
}

} // namespace ui
