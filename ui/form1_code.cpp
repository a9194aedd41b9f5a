#include "ui/form1_code.h"

#include "trick/trick.h"
#include "ui/texts.h"

#include <array>

namespace ui {

using runtime::Event;
using runtime::FormServices;

void Form_Load(FormServices &form)
{
    form.message_box(texts::welcome);
}

void mnuabout_Click(FormServices &form)
{
    form.message_box(texts::about());
}

void mnuinstructions_Click(FormServices &form)
{
    form.message_box(texts::instructions);
}

void Command1_Click(FormServices &form)
{
    form.message_box(texts::answer);
}

void Command2_Click(FormServices &form)
{
    form.end();
}

runtime::EventTable form1_events()
{
    static constexpr std::array<runtime::EventProcedure, 8> events{{
        {"Form", Event::Load, Form_Load},
        {"mnuabout", Event::Click, mnuabout_Click},
        {"mnuinstructions", Event::Click, mnuinstructions_Click},
        {"cmdcalculate", Event::Click, [](FormServices &form) { trick::cmdcalculate_Click(form); }},
        {"Timer1", Event::Timer, [](FormServices &form) { trick::Timer1_Timer(form); }},
        {"cmdagain", Event::Click, [](FormServices &form) { trick::cmdagain_Click(form); }},
        {"Command1", Event::Click, Command1_Click},
        {"Command2", Event::Click, Command2_Click},
    }};
    return events;
}

} // namespace ui
