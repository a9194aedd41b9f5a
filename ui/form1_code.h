#pragma once

#include "runtime/api/form_services.h"

// Form1's event procedures around the trick, and the table the runtime dispatches from.
namespace ui {

void Form_Load(runtime::FormServices &form);
void mnuabout_Click(runtime::FormServices &form);
void mnuinstructions_Click(runtime::FormServices &form);
void Command1_Click(runtime::FormServices &form);
void Command2_Click(runtime::FormServices &form);

runtime::EventTable form1_events();

} // namespace ui
